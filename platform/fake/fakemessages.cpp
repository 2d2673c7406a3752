#include "fakemessages.h"

Reply FakeMessages::show(const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    calls.append({text, title, buttons, icon, false, {}});
    if (!m_replies.isEmpty())
        return m_replies.takeFirst();
    return buttons == Buttons::Ok ? Reply::Ok : Reply::Yes;
}

QString FakeMessages::prompt(const QString &text, const QString &title, const QString &defaultText)
{
    calls.append({text, title, Buttons::Ok, Icon::Question, true, defaultText});
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return defaultText;
}

QStringList FakeMessages::titles() const
{
    QStringList result;
    for (const Call &call : calls)
        result.append(call.title);
    return result;
}
