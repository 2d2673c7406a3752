#include "kvncc/runreport.h"

#include <cstdio>
#include <cstring>

namespace kvncc {

int reportedStatus(int exitCode, int signal)
{
    return signal != 0 ? 128 + signal : exitCode;
}

std::string exitReport(double seconds, int exitCode, int signal)
{
    char line[160];
    std::snprintf(line, sizeof line, "Process exited after %.2f seconds with return value %d", seconds,
                  reportedStatus(exitCode, signal));
    std::string report = line;
    if (signal != 0)
        report += " (signal " + std::to_string(signal) + ", " + strsignal(signal) + ")";
    return report;
}

} // namespace kvncc
