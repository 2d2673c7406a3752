#pragma once

#include <string>
#include <vector>

namespace kvncc {

// The whole of kvncc: reads the command line (argv without the program
// name), prints the banner, the warnings and the compiler's messages on
// standard output, runs the build, and returns the exit status (0 when
// every file the command asked for was made).
int runKvncc(const std::vector<std::string> &args);

} // namespace kvncc
