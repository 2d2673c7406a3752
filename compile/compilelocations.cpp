#include "compilelocations.h"

#include "editor/outputpath.h"
#include "platform/paths.h"

CompileLocations::CompileLocations(CompileState &state, std::array<Button *, 4> cmdLocate, Services services)
    : m_state(state)
    , m_cmdLocate(cmdLocate)
    , m_services(services)
{
}

QString CompileLocations::filter(Location location)
{
    switch (location) {
    // Programs here have no extension: every file is offered and shown first.
    case Location::Compiler: return QStringLiteral("EXE files|*.exe|All files|*.*");
    case Location::Source:
        return QStringLiteral("C++ Source files|*.cpp|C Source files|*.c|C++/C Header files|*.h|Text files|*.txt|All files|*.*");
    case Location::Output: return QStringLiteral("EXE files|*.exe|All files|*.*");
    case Location::Configuration: break;
    }
    return QStringLiteral("Configuration files|*.cfg|Response files|*.rsp|Text files|*.txt|All files|*.*");
}

QString &CompileLocations::path(Location location)
{
    switch (location) {
    case Location::Compiler: return m_state.CompilerPath;
    case Location::Source: return m_state.srcfile;
    case Location::Output: return m_state.newpath;
    case Location::Configuration: break;
    }
    return m_state.configf;
}

QString CompileLocations::caption(Location location) const
{
    const Button *button = m_cmdLocate[size_t(location)];
    return button ? button->caption() : QString();
}

void CompileLocations::setSpecified(Location location, bool specified)
{
    if (Button *button = m_cmdLocate[size_t(location)])
        button->setBold(!specified);
}

void CompileLocations::cmdLocate_Click(int index)
{
    if (index < 0 || index > 3)
        return;
    const auto location = Location(index);
    const QString shown = path(location).isEmpty() ? QStringLiteral("(not specified)") : path(location);
    const QString title = caption(location);
    if (m_services.messages.show(title + QStringLiteral(": \r") + shown + QStringLiteral("\rDo you want to re-specify?"),
                                 title, Buttons::YesNo, Icon::Question)
        != Reply::Yes) {
        return;
    }
    // The compiler is looked for beside the current one.
    const bool compiler = location == Location::Compiler;
    const std::optional<QString> chosen = m_services.dialogs.openFile(
        filter(location), compiler ? 2 : 1, compiler ? folderOf(m_state.CompilerPath) : QString());
    if (!chosen)
        return;
    path(location) = *chosen;
    switch (location) {
    case Location::Compiler: {
        const bool isDefault = chosen->compare(m_defaultCompilerPath, Qt::CaseInsensitive) == 0;
        if (!isDefault || m_services.settings.settingsFileExists())
            m_services.settings.SaveSettings();
        break;
    }
    case Location::Source:
        m_state.newpath = outputPathFor(*chosen);
        setSpecified(Location::Output, true);
        break;
    case Location::Output:
        break;
    case Location::Configuration:
        m_services.settings.SaveSettings();
        break;
    }
    setSpecified(location, true);
}

void CompileLocations::error(const QString &text)
{
    m_services.messages.show(text, QStringLiteral("Error!"), Buttons::Ok, Icon::Information);
}

void CompileLocations::cmdLocate_OLEDragDrop(int index, const QStringList &files)
{
    if (files.isEmpty() || index < 0 || index > 3)
        return;
    const auto location = Location(index);
    const QString dropped = files.first();
    const QString shown = path(location).isEmpty() ? QStringLiteral("(not specified)") : path(location);
    if (m_services.messages.show(QStringLiteral("Confirm replace current selected file\r%1 with:\r%2 ?").arg(shown, dropped),
                                 QStringLiteral("Drag and Drop"), Buttons::YesNo, Icon::Question)
        != Reply::Yes) {
        return;
    }
    switch (location) {
    case Location::Compiler:
        // On this desktop a compiler is any program the user may run; a
        // name ending in "exe" is taken at its word, as it always was.
        if (!dropped.endsWith(QLatin1String("exe")) && !m_services.files.isExecutable(dropped)) {
            error(QStringLiteral("File is not a compiler!"));
            return;
        }
        m_state.CompilerPath = dropped;
        break;
    case Location::Source:
        if (!dropped.endsWith(QLatin1String("cpp")) && !dropped.endsWith(QLatin1Char('c'))
            && m_services.messages.show(QStringLiteral("Unrecognised file format selected. Do you want to force C++ compile?"),
                                        QStringLiteral("Unrecognised file format found"), Buttons::YesNo, Icon::Information)
                   == Reply::Yes) {
            forceCppCompile();
        }
        m_state.srcfile = dropped;
        m_state.newpath = outputPathFor(dropped);
        setSpecified(Location::Source, true);
        setSpecified(Location::Output, true);
        break;
    case Location::Output:
        m_state.newpath = dropped;
        setSpecified(Location::Output, true);
        break;
    case Location::Configuration:
        if (!dropped.endsWith(QLatin1String("cfg")) && !dropped.endsWith(QLatin1String("rsp"))) {
            error(QStringLiteral("File is not a recognised configuration/response file!"));
            return;
        }
        m_state.configf = dropped;
        setSpecified(Location::Configuration, true);
        break;
    }
}

void CompileLocations::cmdClrEntry_Click(int index)
{
    if (index < 1 || index > 3)
        return;
    const auto location = Location(index);
    if (m_services.messages.show(QStringLiteral("Confirm clear entry for:\r%1 ?").arg(caption(location)),
                                 QStringLiteral("Confirm clear entry?"), Buttons::YesNo, Icon::Question)
        != Reply::Yes) {
        return;
    }
    path(location).clear();
    if (location == Location::Configuration)
        m_services.settings.SaveSettings();
    setSpecified(location, false);
}

void CompileLocations::documentIsNew()
{
    setSpecified(Location::Source, false);
    setSpecified(Location::Output, false);
}

void CompileLocations::documentOpened(const QString &path)
{
    documentSaved(path);
    setSpecified(Location::Source, true);
    setSpecified(Location::Output, true);
}

void CompileLocations::documentSaved(const QString &path)
{
    m_state.srcfile = path;
    m_state.newpath = outputPathFor(path);
}

void CompileLocations::forceCppCompile()
{
    m_services.options.tick(forceCppOption);
}
