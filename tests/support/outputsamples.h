#pragma once

// Compiler and linker output captured on a real machine, and the sources it
// was captured from, for the tests that read or place compiler messages.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace OutputSamples {

// The captured output of that name, in tests/run/data/compileroutput.
inline QByteArray read(const QString &name)
{
    QFile file(QStringLiteral(OUTPUT_SAMPLES "/") + name + QStringLiteral(".txt"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(name));
    return file.readAll();
}

// The sources the outputs were compiled from, as they were on disk.
inline constexpr char squareCpp[] = "#include <iostream>\n"
                                    "\n"
                                    "int square(int x);\n"
                                    "\n"
                                    "int main()\n"
                                    "{\n"
                                    "    std::cout << square(3) << \"\\n\";\n"
                                    "    return 0;\n"
                                    "}\n";
inline constexpr char memberCpp[] = "namespace ns {\nstruct Box {\n    int w = 2;\n    int area() const;\n};\n}\n\n"
                                    "extern int counter;\n\nint main()\n{\n    ns::Box b;\n    counter++;\n    return b.area();\n}\n";
inline constexpr char sortlistCpp[] = "#include <algorithm>\n#include <list>\n\nint main()\n{\n"
                                      "    std::list<int> numbers{3, 1, 2};\n"
                                      "    std::sort(numbers.begin(), numbers.end());\n    return 0;\n}\n";

} // namespace OutputSamples
