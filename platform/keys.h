#pragma once

#include <QFlags>

// Keyboard modifiers as key handlers receive them. A handler that wants
// "Ctrl alone" compares the whole set, so Ctrl+Shift does not match.
enum class KeyModifier { Shift = 1, Ctrl = 2, Alt = 4 };
Q_DECLARE_FLAGS(KeyModifiers, KeyModifier)
Q_DECLARE_OPERATORS_FOR_FLAGS(KeyModifiers)

// Key codes of the letters are their capital ASCII codes, as in Qt.
namespace Keys {
constexpr int A = 0x41;
constexpr int Y = 0x59;
constexpr int Enter = 13;
} // namespace Keys
