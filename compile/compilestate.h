#pragma once

#include <QString>
#include <QStringList>

// Per-option stores of the Compile panel: the value typed for each option
// and its tick state as "1" or "0". They live only while the program runs.
struct OptionStore
{
    static constexpr int optionCount = 110;

    QStringList values; // value of option i, "" when none
    QStringList ticks;  // "1" ticked, "0" not

    // Every option unticked and without a value.
    void reset();

    bool isTicked(int option) const { return ticks.value(option) == QLatin1String("1"); }
    void setTicked(int option, bool ticked);
    void setValue(int option, const QString &value);
};

// The four files of a compile, indexed as the location buttons are.
enum class Location { Compiler = 0, Source = 1, Output = 2, Configuration = 3 };

struct CompileState
{
    QString srcfile;
    QString newpath;
    QString CompilerPath;
    QString configf;
    OptionStore options;
};
