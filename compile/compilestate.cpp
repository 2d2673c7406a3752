#include "compilestate.h"

void OptionStore::reset()
{
    values.clear();
    ticks.clear();
    for (int i = 0; i < optionCount; ++i) {
        values.append(QString());
        ticks.append(QStringLiteral("0"));
    }
}

void OptionStore::setTicked(int option, bool ticked)
{
    if (option >= 0 && option < ticks.size())
        ticks[option] = ticked ? QStringLiteral("1") : QStringLiteral("0");
}

void OptionStore::setValue(int option, const QString &value)
{
    if (option >= 0 && option < values.size())
        values[option] = value;
}
