#pragma once

#include "kvncc/buildoptions.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kvncc {

// What a switch of the classic compiler's command line does here.
enum class SwitchEffect {
    Mapped,  // changes what GCC or Clang is asked to do
    Default, // asks for what happens here anyway; accepted without a word
    Ignored, // has no meaning with GCC or Clang; accepted with a one-line warning
};

struct SwitchInfo
{
    std::string_view name; // as written, without its value: "-O1", "-I", "-w!"
    bool takesValue;       // the value is glued to the name: -Ipath, -j5
    SwitchEffect effect;
    std::string_view why; // for an ignored switch, the reason shown to the user
    void (*apply)(BuildOptions &, std::string_view value);
};

// Every switch kvncc knows, in a fixed order.
const std::vector<SwitchInfo> &knownSwitches();

struct SwitchMatch
{
    const SwitchInfo *info = nullptr;
    std::string_view value; // empty for a switch without a value
};

// The known switch a word spells. A switch without a value matches only the
// whole word; among switches with a value the longest name that begins the
// word wins, so -Hh=x is -Hh= with "x" and -l-x is -l- with "x".
// -tW and -W may be followed by several target letters (-tWCM); those words
// give several matches. No match: an empty list.
std::vector<SwitchMatch> matchSwitch(std::string_view word);

// Reads a whole file. On failure returns false and puts a short reason
// ("No such file or directory", "it is a folder") into text.
using FileReader = std::function<bool(const std::string &path, std::string &text)>;

// What one command line may read of +file and @file files in all. A file
// that names itself through a fan of others would otherwise be read
// millions of times within the nesting depth.
constexpr int commandFilesAtMost = 64;
constexpr std::size_t commandBytesAtMost = std::size_t(1) << 20;

struct ParseResult
{
    BuildOptions options;
    std::vector<std::string> warnings; // complete lines, never holding "error" or "fatal"
    std::string failure; // a complete line holding "fatal"; empty when the command line is usable
    bool help = false;   // -h, -? or --help
    bool version = false; // --version
};

// Turns the command line (argv without the program name) into build
// options. +file names a configuration file and @file a response file;
// their words are read in place, nested up to a few levels and within the
// limits above; a file holding a NUL byte is refused. Words that are
// not switches are sources, or, by their extension, object files (.obj, .o)
// and libraries (.lib, .a, .so) for the linker. Unknown switches are kept
// for GCC or Clang, which reports those it does not know.
ParseResult parseCommandLine(const std::vector<std::string> &args, const FileReader &read);

} // namespace kvncc
