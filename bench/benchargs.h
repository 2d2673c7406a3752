// Command-line counts of the benchmarks.
#pragma once

#include <cstdio>
#include <cstdlib>

// The count that follows an option such as --lines: a whole number from 1 to
// 20 million. Anything else ends the program with status 2, naming it.
inline int positiveArg(const char *program, const char *value)
{
    char *end = nullptr;
    const long n = value ? std::strtol(value, &end, 10) : 0;
    if (!value || *end || n < 1 || n > 20'000'000) {
        std::fprintf(stderr, "%s: expected a positive count, got '%s'\n", program, value ? value : "");
        std::exit(2);
    }
    return int(n);
}
