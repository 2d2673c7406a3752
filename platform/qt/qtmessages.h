#pragma once

#include "platform/messages.h"

class QWidget;

// Message boxes and prompts as modal Qt dialogs over a parent window.
class QtMessages : public Messages
{
public:
    explicit QtMessages(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    Reply show(const QString &text, const QString &title, Buttons buttons, Icon icon) override;
    QString prompt(const QString &text, const QString &title, const QString &defaultText) override;

    // The program's texts separate lines with a lone carriage return.
    static QString displayText(const QString &text);

private:
    QWidget *m_parent;
};
