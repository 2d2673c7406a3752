// Prints the new-file template, so that the install test can compile the
// very program a new document starts with.
#include "editor/newfiletemplate.h"

#include <cstdio>

int main()
{
    const QByteArray bytes = NewFileTemplate::bytes();
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size()) ? 0 : 1;
}
