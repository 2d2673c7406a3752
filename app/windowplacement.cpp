#include "windowplacement.h"

#include <algorithm>

namespace {

// Pixels beyond any screen anyone has: a value past these is a damaged file.
constexpr int farthest = 100000;

// The part of a window's top that must lie on a screen for the user to
// take it by its title bar: 30 pixels high, 100 wide (or the whole width
// of a narrower window).
constexpr int titleHeight = 30 * Twips::perPixel;
constexpr int titleWidth = 100 * Twips::perPixel;

qint64 overlapArea(const TwipRect &a, const TwipRect &b)
{
    const qint64 w = qint64(std::min(a.left + a.width, b.left + b.width)) - std::max(a.left, b.left);
    const qint64 h = qint64(std::min(a.top + a.height, b.top + b.height)) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

bool titleReachable(const TwipRect &window, const TwipRect &screen)
{
    const int w = std::min(window.left + window.width, screen.left + screen.width) - std::max(window.left, screen.left);
    const int top = window.top;
    return w >= std::min(titleWidth, window.width) && top >= screen.top
        && top + titleHeight <= screen.top + screen.height;
}

// start moved so that length fits in [from, from + room), or to from when
// it cannot.
int clampInto(int start, int length, int from, int room)
{
    if (length >= room)
        return from;
    return std::clamp(start, from, from + room - length);
}

std::optional<int> number(const QByteArray &value, int low, int high)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < low || n > high)
        return std::nullopt;
    return n;
}

} // namespace

QByteArray WindowPlacement::toText() const
{
    QByteArray text = "# KVN's main window as it was last put away; KVN rewrites this file.\n";
    text += "left=" + QByteArray::number(Twips::toPixels(bounds.left)) + '\n';
    text += "top=" + QByteArray::number(Twips::toPixels(bounds.top)) + '\n';
    text += "width=" + QByteArray::number(Twips::toPixels(bounds.width)) + '\n';
    text += "height=" + QByteArray::number(Twips::toPixels(bounds.height)) + '\n';
    text += maximised ? "state=maximised\n" : "state=normal\n";
    return text;
}

std::optional<WindowPlacement> WindowPlacement::parse(const QByteArray &text)
{
    std::optional<int> left, top, width, height;
    bool maximised = false;
    for (const QByteArray &rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.isEmpty() || line.startsWith('#') || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (key == "left")
            left = number(value, -farthest, farthest);
        else if (key == "top")
            top = number(value, -farthest, farthest);
        else if (key == "width")
            width = number(value, 1, farthest);
        else if (key == "height")
            height = number(value, 1, farthest);
        else if (key == "state")
            maximised = value == "maximised" || value == "maximized";
    }
    if (!left || !top || !width || !height)
        return std::nullopt;
    WindowPlacement placement;
    placement.bounds = {Twips::fromPixels(*left), Twips::fromPixels(*top), Twips::fromPixels(*width),
                        Twips::fromPixels(*height)};
    placement.maximised = maximised;
    return placement;
}

WindowPlacement WindowPlacement::fittedTo(const QList<TwipRect> &screens, TwipSize minimum) const
{
    WindowPlacement fitted = *this;
    TwipRect &r = fitted.bounds;
    r.width = std::max(r.width, minimum.width);
    r.height = std::max(r.height, minimum.height);
    if (screens.isEmpty())
        return fitted;
    qsizetype best = -1;
    qint64 bestArea = 0;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const qint64 area = overlapArea(r, screens[i]);
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    const TwipRect &screen = screens[best < 0 ? 0 : best];

    if (r.width > screen.width) {
        r.width = std::max(screen.width, minimum.width);
        r.left = clampInto(r.left, r.width, screen.left, screen.width);
    }
    if (r.height > screen.height) {
        r.height = std::max(screen.height, minimum.height);
        r.top = clampInto(r.top, r.height, screen.top, screen.height);
    }
    if (std::any_of(screens.begin(), screens.end(), [&r](const TwipRect &s) { return titleReachable(r, s); }))
        return fitted;
    if (best < 0) {
        r.left = screen.left + std::max(0, (screen.width - r.width) / 2);
        r.top = screen.top + std::max(0, (screen.height - r.height) / 2);
    } else {
        r.left = clampInto(r.left, r.width, screen.left, screen.width);
        r.top = clampInto(r.top, r.height, screen.top, screen.height);
    }
    return fitted;
}
