#pragma once

#include "platform/messages.h"
#include "platform/printer.h"
#include "platform/textbox.h"

#include <QStringList>

#include <functional>

// Printing the document: Courier New 10 on the default printer, a 300-twip
// margin, lines too wide for the page wrapped at spaces.
class PrintJob
{
public:
    PrintJob(const TextBox &Text1, Printer &printer, Messages &messages);

    void mnuPrint_Click();

    static constexpr int margin = 300;

    // The output lines of one document line on a page width wide: the line
    // itself when it fits, otherwise its words (split at every single
    // space) gathered while their running width stays within width, each
    // output line ending in a space.
    static QStringList wrap(const QString &line, int width, const std::function<int(const QString &)> &textWidth);

private:
    const TextBox &m_text1;
    Printer &m_printer;
    Messages &m_messages;
};
