#include "printjob.h"

PrintJob::PrintJob(const TextBox &Text1, Printer &printer, Messages &messages)
    : m_text1(Text1)
    , m_printer(printer)
    , m_messages(messages)
{
}

QStringList PrintJob::wrap(const QString &line, int width, const std::function<int(const QString &)> &textWidth)
{
    if (textWidth(line) <= width)
        return {line};
    QStringList output;
    QString buffer;
    int running = 0;
    for (const QString &word : line.split(QLatin1Char(' '))) {
        const QString spaced = word + QLatin1Char(' ');
        running += textWidth(spaced);
        if (running > width) {
            output.append(buffer);
            buffer = spaced;
            running = textWidth(spaced);
        } else {
            buffer += spaced;
        }
    }
    output.append(buffer);
    return output;
}

void PrintJob::mnuPrint_Click()
{
    if (m_messages.show(QStringLiteral("Ready to print? Default settings: Courier New, size 10"), QStringLiteral("Print?"),
                        Buttons::YesNo, Icon::Information)
        != Reply::Yes) {
        return;
    }
    QString error;
    if (!m_printer.begin(error)) {
        m_messages.show(QStringLiteral("KVN cannot print: %1").arg(error), QStringLiteral("Not printed"), Buttons::Ok,
                        Icon::Exclamation);
        return;
    }
    m_printer.setFont(QStringLiteral("Courier New"), 10);
    m_printer.setY(margin);
    const QString text = m_text1.text();
    const QStringList lines = text.isEmpty() ? QStringList() : text.split(QStringLiteral("\r\n"));
    const int width = m_printer.pageWidth();
    const auto measure = [this](const QString &s) { return m_printer.textWidth(s); };
    for (const QString &line : lines) {
        m_printer.setX(margin);
        for (const QString &output : wrap(line, width, measure))
            m_printer.printLine(output);
    }
    m_printer.endDoc();
}
