#include "newfiletemplate.h"

QByteArray NewFileTemplate::bytes()
{
    return QByteArrayLiteral("// This file was created/edited using KVN\r\n"
                             "// - Korvane.\r\n"
                             "\r\n"
                             "#include <iostream.h>\r\n"
                             "\r\n"
                             "int main(void) {\r\n"
                             "\t\r\n"
                             "\tsystem(\"pause\"); \r\n"
                             "\t// Above line pause screen before exit\r\n"
                             "\treturn 0;\r\n"
                             "}\r\n");
}
