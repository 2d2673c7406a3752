// The "pause" command that kvnrun puts on the search path of the programs
// it starts, so that system("pause") waits for a key as programs written
// for the classic console expect.
#include "kvncc/keywait.h"
#include "kvncc/process.h"

int main()
{
    kvncc::writeOut(kvncc::pausePrompt);
    kvncc::waitForKey(false);
    kvncc::writeOut("\n");
    return 0;
}
