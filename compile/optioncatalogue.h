#pragma once

#include "compilestate.h"

#include <QStringList>

#include <optional>

// The compiler switches offered in the option list, compiled into the
// program, and the pure pieces that read them.
namespace OptionCatalogue {
const QStringList &items();

// An item cut at its first "}": the switch, and the rest from the "}" on.
struct Split
{
    QString Split1;
    QString Split2;
    bool operator==(const Split &) const = default;
};
// An item without "}" gives nothing.
std::optional<Split> SplitItem(const QString &text);

// Whether the item asks for a value: its text ends in "1".
bool takesValue(const QString &text);

// The ticked options in list order, each as its switch immediately
// followed by its value and then one space. Nothing is quoted.
QString optionString(const QStringList &texts, const OptionStore &store);
} // namespace OptionCatalogue
