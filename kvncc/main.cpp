#include "kvncc/driver.h"
#include "kvncc/process.h"

#include <cstdlib>
#include <exception>
#include <string>

namespace {

// KVN judges a build by kvncc's words: a failure kvncc did not foresee must
// still read as one, never as an abort with a core dump.
void endFailed(const std::string &what)
{
    kvncc::writeOut("kvncc: fatal: " + what + "\n");
}

std::string describe(const std::exception_ptr &thrown)
{
    try {
        std::rethrow_exception(thrown);
    } catch (const std::exception &e) {
        return e.what();
    } catch (...) {
    }
    return "an unexpected internal failure";
}

} // namespace

int main(int argc, char **argv)
{
    // What is thrown where it cannot be caught (a destructor, a noexcept
    // function) ends here.
    std::set_terminate([] {
        const std::exception_ptr thrown = std::current_exception();
        endFailed(thrown ? describe(thrown) : std::string("an unexpected internal failure"));
        std::_Exit(1);
    });
    // Caught here rather than left to terminate, so that destructors run and
    // the copies of sources go.
    try {
        return kvncc::runKvncc(std::vector<std::string>(argv + 1, argv + argc));
    } catch (...) {
        endFailed(describe(std::current_exception()));
    }
    return 1;
}
