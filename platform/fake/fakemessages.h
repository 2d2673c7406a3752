#pragma once

#include "platform/messages.h"

#include <QList>
#include <QStringList>

// Answers message boxes and prompts from a script and records every call.
// An unscripted box answers its first button (OK or Yes); an unscripted
// prompt answers its default text.
class FakeMessages : public Messages
{
public:
    struct Call
    {
        QString text;
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::Information;
        bool isPrompt = false;
        QString defaultText;
    };

    void answerNext(Reply reply) { m_replies.append(reply); }
    void typeNext(const QString &answer) { m_answers.append(answer); }

    Reply show(const QString &text, const QString &title, Buttons buttons, Icon icon) override;
    QString prompt(const QString &text, const QString &title, const QString &defaultText) override;

    QList<Call> calls;
    QStringList titles() const;

private:
    QList<Reply> m_replies;
    QStringList m_answers;
};
