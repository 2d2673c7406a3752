#pragma once

#include <QByteArray>

namespace NewFileTemplate {
// The eleven lines of a new document, each ended by CR LF.
QByteArray bytes();
// Where the caret goes in it: just after the tab on the seventh line.
constexpr int caretLine = 6;
constexpr int caretColumn = 1;
} // namespace NewFileTemplate
