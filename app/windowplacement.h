#pragma once

#include "platform/geometry.h"

#include <QByteArray>
#include <QList>

#include <optional>

// Where the main window stood when it was last put away: its place and size
// in the normal state (outer size and the frame's top-left corner, in
// twips) and whether it was maximised. A minimised window is kept as a
// normal one, so that KVN never starts out of sight.
struct WindowPlacement
{
    TwipRect bounds;
    bool maximised = false;

    friend bool operator==(const WindowPlacement &, const WindowPlacement &) = default;

    // The file's text: a comment line, then "left=", "top=", "width=",
    // "height=" in pixels and "state=normal" or "state=maximised", one a
    // line, each ended by LF.
    QByteArray toText() const;

    // The placement a file holds, or nothing when its place or size is
    // missing, not a whole number or out of all reason. Unknown keys,
    // comments and blank lines are passed over; a missing or unknown state
    // reads as normal; of a key given twice the last counts.
    static std::optional<WindowPlacement> parse(const QByteArray &text);

    // This placement as it may be shown on screens whose usable areas are
    // given (the primary first): a window none of whose title bar lies on a
    // screen is moved onto one (centred on the screen it overlaps most, or
    // on the primary one), a window larger than its screen is made to fit
    // it. The size is never below minimum, with or without screens.
    WindowPlacement fittedTo(const QList<TwipRect> &screens, TwipSize minimum) const;

    // A file larger than this is not a placement file of KVN's.
    static constexpr qint64 fileLimit = 4096;
};
