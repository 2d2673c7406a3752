#pragma once

#include <QByteArray>
#include <QString>

// The five pages of getting-started help that the About window shows. The
// Help command writes them to "r_kvn.txt" in the working folder, from where
// the window reads them and deletes the file.
namespace HelpText {
QString fileName();
// The whole file: every line ends with CR LF, and every paragraph is one
// line that ends with a tab.
QByteArray bytes();
} // namespace HelpText
