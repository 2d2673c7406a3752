#include "qtmessages.h"

#include <QInputDialog>
#include <QMessageBox>

static QString titleOrName(const QString &title)
{
    return title.isEmpty() ? QStringLiteral("KVN") : title;
}

QString QtMessages::displayText(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

Reply QtMessages::show(const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(titleOrName(title));
    box.setText(displayText(text));
    switch (icon) {
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return Reply::Yes;
    case QMessageBox::No: return Reply::No;
    case QMessageBox::Ok: return Reply::Ok;
    default: return buttons == Buttons::Ok ? Reply::Ok : buttons == Buttons::YesNo ? Reply::No : Reply::Cancel;
    }
}

QString QtMessages::prompt(const QString &text, const QString &title, const QString &defaultText)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(m_parent, titleOrName(title), displayText(text),
                                                 QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
}
