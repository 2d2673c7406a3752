#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvncc {

// How far a build goes.
enum class Stage {
    Link,               // sources to objects, objects to the executable
    CompileOnly,        // -c: stop at the objects
    Assembly,           // -S: stop at the assembler files
    AssemblyThenObject, // -B: assembler file first, then the object from it, then link
};

enum class Language {
    ByExtension, // ".c" as C, everything else as C++
    Cpp,         // every source as C++
};

// The optimisation level last chosen with -O1, -O2 or -Od.
enum class Optimisation { Unset, None, Size, Speed };

// Which of the compiler's warnings are shown. The old compilers showed
// their usual set unless told otherwise.
enum class Warnings {
    Common, // the default: the usual ones (-Wall)
    Extra,  // -w: the extra ones as well (-Wall -Wextra)
    Off,    // -w-: none (-w)
};

struct MacroSwitch
{
    bool define = true; // -D when true, -U when false
    std::string text;   // "name" or "name=value"
    bool operator==(const MacroSwitch &) const = default;
};

// Everything one kvncc command line asks for, in terms of what it means
// rather than how the old compiler spelled it.
struct BuildOptions
{
    std::vector<std::string> sources; // compiled, in command-line order
    std::vector<std::string> objects; // object files handed to the linker as they are
    std::vector<std::string> libraries; // library files or -lNAME for the linker

    std::string executable;   // -e; empty: named after the first source
    std::string objectName;   // -o; names the object of the only source
    std::string outputFolder; // -n; objects, assembler files and a bare -e name go there

    std::vector<std::string> includeFolders; // -I
    std::vector<std::string> libraryFolders; // -L
    std::vector<MacroSwitch> macros;         // -D and -U in command-line order

    Language language = Language::ByExtension;
    Stage stage = Stage::Link;
    Optimisation optimisation = Optimisation::Unset;
    bool basicOptimisation = false;       // -O, -Oc, -Oi, -Ov: at least -O1 when no level is set
    std::optional<bool> scheduling;       // -OS / -O-S
    bool debugInfo = false;               // -v
    bool lineNumbers = false;             // -y
    Warnings warnings = Warnings::Common; // -w, -w-; the last one given wins
    bool warningsAsErrors = false;        // -w!
    std::optional<bool> unsignedChar;     // -K / -K-
    bool stackCheck = false;              // -N
    bool exceptions = true;               // -x-
    bool rtti = true;                     // -RT-
    bool inlineFunctions = true;          // -vi-
    bool threads = false;                 // -tWM
    bool sharedLibrary = false;           // -tWD
    bool mapFile = false;                 // -M
    bool quiet = false;                   // -q
    bool strictIso = false;               // -A
    bool shortEnums = false;              // -b-
    std::optional<bool> mergeStrings;     // -d / -d-
    bool fastFloat = false;               // -ff
    bool addressChecks = false;           // -vG, -vGc, -vGd
    bool undefinedChecks = false;         // -vG
    bool thisPointerChecks = false;       // -vGt
    int errorLimit = -1;                  // -j; -1 leaves the compiler's default
    int warningLimit = -1;                // -g; -1 or 0 shows every warning
    bool stopAfterWarnings = false;       // -gb
    std::vector<std::string> linkerOptions;    // -l, each already with its leading '-'
    std::vector<std::string> assemblerOptions; // -T, each already with its leading '-'
    std::vector<std::string> compilerOptions;  // unknown switches, handed to GCC or Clang as they are
};

} // namespace kvncc
