#include "windowplacementkeeper.h"

#include "desktop/desktopplaces.h"
#include "platform/paths.h"

#include <QDir>

WindowPlacementKeeper::WindowPlacementKeeper(Services services, QString file)
    : m_services(services)
    , m_file(std::move(file))
{
    m_services.timer.setEnabled(false);
    m_services.timer.setInterval(settleMs);
    m_services.timer.onTimeout([this] {
        m_services.timer.setEnabled(false);
        save();
    });
    m_services.window.onPlacementChanged([this] { changed(); });
    m_services.window.onClosed([this] { save(); });
}

WindowPlacementKeeper::~WindowPlacementKeeper()
{
    m_services.window.onPlacementChanged({});
    m_services.window.onClosed({});
    m_services.timer.setEnabled(false);
    m_services.timer.onTimeout({});
}

QString WindowPlacementKeeper::defaultFile(const QProcessEnvironment &environment)
{
    const QString home = environment.value(QStringLiteral("HOME"), QDir::homePath());
    return DesktopPlaces::xdgHome(environment.value(QStringLiteral("XDG_CONFIG_HOME")), home, QStringLiteral(".config"))
        + QStringLiteral("/kvn/window.conf");
}

bool WindowPlacementKeeper::restore(TwipSize minimum)
{
    if (m_file.isEmpty())
        return false;
    const std::optional<QByteArray> text = m_services.files.read(m_file, WindowPlacement::fileLimit);
    if (!text)
        return false;
    m_written = *text;
    const std::optional<WindowPlacement> kept = WindowPlacement::parse(*text);
    if (!kept)
        return false;
    const WindowPlacement placement = kept->fittedTo(m_services.window.screenAreas(), minimum);
    FormWindow &window = m_services.window;
    window.setOuterSize({placement.bounds.width, placement.bounds.height});
    window.moveTo({placement.bounds.left, placement.bounds.top});
    m_normalBounds = placement.bounds;
    if (placement.maximised)
        window.setState(WindowState::Maximised);
    return true;
}

WindowPlacement WindowPlacementKeeper::current()
{
    const FormWindow &window = m_services.window;
    const WindowState state = window.state();
    if (state == WindowState::Normal || !m_normalBounds) {
        const TwipPoint corner = window.corner();
        const TwipSize size = window.outerSize();
        m_normalBounds = TwipRect{corner.left, corner.top, size.width, size.height};
    }
    return {*m_normalBounds, state == WindowState::Maximised};
}

void WindowPlacementKeeper::changed()
{
    if (m_file.isEmpty())
        return;
    // The normal bounds are taken now: by the time the window has settled
    // it may be maximised, and a maximised window no longer shows them.
    current();
    m_services.timer.setEnabled(false);
    m_services.timer.setEnabled(true);
}

void WindowPlacementKeeper::save()
{
    m_services.timer.setEnabled(false);
    if (m_file.isEmpty())
        return;
    const QByteArray text = current().toText();
    if (text == m_written)
        return;
    if (!m_services.folders.makePath(folderOf(m_file)))
        return;
    if (m_services.files.replace(m_file, text).ok)
        m_written = text;
}
