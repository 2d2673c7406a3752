#pragma once

#include "compilestate.h"

#include "platform/controls.h"
#include "platform/messages.h"

// The option list's behaviour: ticks kept per option, the value prompt of a
// ticked value item, "Edit value", and the search through the item texts.
class OptionList
{
public:
    OptionList(OptionStore &store, CheckList &List1, Messages &messages);

    // The tick of option index changed, by the user or by the program.
    void List1_ItemCheck(int index);
    // The user clicked an item (or ticked it from the keyboard).
    void List1_Click();
    void Command1_Click();
    void cmdFind_Click();
    void cmdFindNext_Click();
    void cmdFindPrev_Click();

    // Ticks an option as the user would.
    void tick(int index) { m_list.setChecked(index, true); }

    QString searchstr;
    int FindParamPos = 0; // the last search hit; -1 is before the first item

    static QString valuePromptText() { return QStringLiteral("User input required. Please enter here:"); }
    static QString valuePromptTitle() { return QStringLiteral("User input required."); }

private:
    bool currentTakesValue() const;
    void noMore(const QString &where);

    OptionStore &m_store;
    CheckList &m_list;
    Messages &m_messages;
};
