#pragma once

#include "kvncc/buildoptions.h"
#include "kvncc/oldsource.h"
#include "kvncc/toolchain.h"

#include <functional>
#include <string>
#include <vector>

namespace kvncc {

struct BuildStep
{
    enum class Kind {
        Compile,   // a source to an object, or to an assembler file with -S and -B
        Assemble,  // -B: the assembler file to the object
        Link,      // objects to the executable
        DebugFile, // the ".tds" file beside the executable
    };
    Kind kind = Kind::Compile;
    std::vector<std::string> argv; // argv[0] is the program's path; empty for a DebugFile copied by kvncc itself
    std::string input;  // the source, assembler file or executable the step reads
    std::string output; // the file the step makes
    // A compile of a copy of input rewritten for traits (rewrittenSource):
    // the copy's path takes the place of input in argv.
    bool fromCopy = false;
    SourceTraits traits;
    bool operator==(const BuildStep &) const = default;
};

struct BuildPlan
{
    std::vector<BuildStep> steps;
    std::string outputFolder;  // to be created before the steps run; may be empty
    std::string failure;       // a line holding "fatal" when there is nothing sensible to run
};

// Path pieces used for the files a build leaves. The extension is the part
// of the file name after its last '.', so "/a.b/c" has none.
std::string folderOf(const std::string &path);    // "" for a bare name, "/" for the root
std::string withExtension(const std::string &path, const std::string &extension); // extension with its dot

// The programs to run, in order, for one command line. The object of a
// source is named after it with ".obj", beside it or in the -n folder; the
// executable is the -e path (a bare -e name goes into the -n folder),
// otherwise the first source's name with ".exe" (".so" for -tWD); with -v
// the debug information goes into a ".tds" file named after the
// executable. exists tells whether a file exists; a missing source is a
// failure. examine tells what a source written for the old compilers needs
// (empty: nothing).
struct CompatLayer
{
    std::string headers;  // iostream.h, conio.h, ...: searched after every other folder
    std::string wrappers; // stdio.h, stdlib.h, string.h with the old extras: before the system's
    std::string library;  // the old library, linked after everything of the program's
};
using SourceExaminer = std::function<SourceTraits(const std::string &source, bool cpp)>;
BuildPlan planBuild(const BuildOptions &options, const Toolchain &toolchain, const CompatLayer &compat,
                    const std::function<bool(const std::string &)> &exists, const SourceExaminer &examine = {});

} // namespace kvncc
