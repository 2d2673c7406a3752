#pragma once

#include "platform/geometry.h"

#include <QHash>
#include <QString>

#include <optional>

namespace MainLayout {
// The size a window of this outer size must snap to, one dimension at a
// time (width first), or nothing when it is large enough.
std::optional<TwipSize> minimumSizeCorrection(TwipSize outer);

// Every control's geometry, keyed as the catalogue keys them, for a window
// of this outer size. At the minimum size it is the catalogue's geometry.
QHash<QString, TwipRect> place(TwipSize outer);
} // namespace MainLayout
