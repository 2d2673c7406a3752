#pragma once

#include <QString>
#include <QStringList>

#include <optional>

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

// A compiler path read from a settings file that is not the user's alone
// (another user's file, or one that others may change). The working folder
// may be anyone's, so such a path runs only once the user has said yes.
struct UnconfirmedCompiler
{
    QString path;         // the compiler the file names
    QString settingsFile; // the file that names it
    QString why;          // "it belongs to another user", ...
    QString fallback;     // the compiler to use instead
};

struct CompileState
{
    QString srcfile;
    QString newpath;
    QString CompilerPath;
    QString configf;
    OptionStore options;
    // Cleared by the user's answer; a compiler the user picks afterwards
    // differs from path and needs no answer.
    std::optional<UnconfirmedCompiler> unconfirmedCompiler;
};
