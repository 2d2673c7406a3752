#pragma once

#include <string>

namespace kvncc {

// The line kvnrun prints when the program it started has ended:
// "Process exited after 0.42 seconds with return value 0". A program ended
// by a signal reports the shell's 128 + signal, with the signal's name.
std::string exitReport(double seconds, int exitCode, int signal);

// The exit status kvnrun itself ends with: the program's own.
int reportedStatus(int exitCode, int signal);

} // namespace kvncc
