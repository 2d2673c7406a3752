#include "optionlist.h"

#include "optioncatalogue.h"

OptionList::OptionList(OptionStore &store, CheckList &List1, Messages &messages)
    : m_store(store)
    , m_list(List1)
    , m_messages(messages)
{
}

void OptionList::List1_ItemCheck(int index)
{
    m_store.setTicked(index, !m_store.isTicked(index));
}

bool OptionList::currentTakesValue() const
{
    const int current = m_list.currentIndex();
    return current >= 0 && OptionCatalogue::takesValue(m_list.itemText(current));
}

void OptionList::List1_Click()
{
    const int current = m_list.currentIndex();
    if (!currentTakesValue() || !m_list.isChecked(current))
        return;
    m_store.setValue(current, m_messages.prompt(valuePromptText(), valuePromptTitle(), QString()));
}

void OptionList::Command1_Click()
{
    if (!currentTakesValue())
        return;
    const int current = m_list.currentIndex();
    m_store.setValue(current, m_messages.prompt(valuePromptText(), valuePromptTitle(), m_store.values.value(current)));
}

void OptionList::cmdFind_Click()
{
    searchstr = m_messages.prompt(QStringLiteral("Enter the text you want to search for in the list above."),
                                  QStringLiteral("Search"), searchstr);
    if (searchstr.isEmpty())
        return;
    FindParamPos = -1;
    cmdFindNext_Click();
}

void OptionList::noMore(const QString &where)
{
    m_messages.show(QStringLiteral("No more list entries with the text \"%1\" %2 this entry.").arg(searchstr, where),
                    QStringLiteral("Find"), Buttons::Ok, Icon::Information);
}

// With no search text, either direction asks for one and ends there: the
// Find it runs has already searched from the top.
void OptionList::cmdFindNext_Click()
{
    if (searchstr.isEmpty()) {
        cmdFind_Click();
        return;
    }
    for (int j = FindParamPos + 1; j < m_list.count(); ++j) {
        if (m_list.itemText(j).contains(searchstr, Qt::CaseSensitive)) {
            m_list.setCurrentIndex(j);
            FindParamPos = j;
            return;
        }
    }
    noMore(QStringLiteral("after"));
}

void OptionList::cmdFindPrev_Click()
{
    if (searchstr.isEmpty()) {
        cmdFind_Click();
        return;
    }
    for (int j = FindParamPos - 1; j >= 0; --j) {
        if (m_list.itemText(j).contains(searchstr, Qt::CaseInsensitive)) {
            m_list.setCurrentIndex(j);
            FindParamPos = j;
            return;
        }
    }
    FindParamPos = -1;
    noMore(QStringLiteral("before"));
}
