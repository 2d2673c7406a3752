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
