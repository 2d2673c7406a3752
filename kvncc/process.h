#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kvncc {

struct ProcessResult
{
    bool started = false;
    std::string startProblem; // why it did not start, when it did not
    int exitCode = -1;        // valid when it exited
    int signal = 0;           // the signal that ended it, 0 when it exited
    bool succeeded() const { return started && signal == 0 && exitCode == 0; }
};

// Starts argv[0] (a path; no search, no shell) with argv and the given
// environment ("NAME=value" entries), and waits for it to end. Its standard
// output and standard error both arrive, in order, at onOutput; its
// standard input is this process's.
ProcessResult runCollecting(const std::vector<std::string> &argv, const std::vector<std::string> &environment,
                            const std::function<void(std::string_view)> &onOutput);

// This process's environment as "NAME=value" entries.
std::vector<std::string> currentEnvironment();

// Writes all of text to standard output, unbuffered.
void writeOut(std::string_view text);

// Whether path names an executable regular file.
bool isExecutableFile(const std::string &path);

// The folder of the running program's own file, from /proc/self/exe.
std::string ownFolder();

} // namespace kvncc
