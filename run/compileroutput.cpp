#include "compileroutput.h"

ParsedOutput CompilerOutput::parse(const QString &)
{
    return {};
}

int CompilerOutput::offsetOfColumn(const QString &, int, ColumnUnit)
{
    return 0;
}
