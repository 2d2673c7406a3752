// The "pause" and "cls" commands that kvnrun puts on the search path of the
// programs it starts, so that system("pause") waits for a key and
// system("cls") clears the window, as programs written for the classic
// console expect. One program under every spelling those programs use
// (PAUSE, Pause, CLS, ...): the name it is started by says which.
#include "kvncc/keywait.h"
#include "kvncc/process.h"

#include <cctype>
#include <string>

int main(int, char **argv)
{
    std::string name = argv[0] ? argv[0] : "pause";
    name = name.substr(name.rfind('/') + 1);
    for (char &c : name)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (name == "cls") {
        kvncc::writeOut("\033[H\033[2J\033[3J");
        return 0;
    }
    kvncc::writeOut(kvncc::pausePrompt);
    kvncc::waitForKey(false);
    kvncc::writeOut("\n");
    return 0;
}
