#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kvncc {

enum class CompilerFamily { Gcc, Clang };

// Which compiler kvncc drives, before its programs are looked up. Read from
// the file "kvncc.conf" beside kvncc, then overridden by the environment
// variable KVNCC_COMPILER.
struct CompilerChoice
{
    CompilerFamily family = CompilerFamily::Gcc;
    std::string cc = "gcc";  // the C driver, a name or a path
    std::string cxx = "g++"; // the C++ driver, a name or a path
    std::vector<std::string> extraFolders; // searched first, and put first on the compiler's search path
    std::vector<std::string> warnings;     // complete lines about the configuration file
};

// Lines of "kvncc.conf", each "key = value"; '#' starts a comment line.
//   compiler = gcc | clang | NAME-OR-PATH-OF-A-C++-DRIVER
//   cc = C driver, cxx = C++ driver (override what compiler chose)
//   path = folders separated by ':' searched first for the compiler
// kvnccCompiler is the value of KVNCC_COMPILER (empty when unset); it
// takes the place of the file's compiler line and of its cc and cxx.
CompilerChoice chooseCompiler(const std::string &configText, const std::string &kvnccCompiler);

// The drivers that belong to a compiler value: "gcc" and "clang" name the
// families; anything else is a C++ driver whose C driver is guessed from its
// name (g++-12 gives gcc-12, clang++ gives clang, c++ gives cc; otherwise the
// same driver serves both languages).
void applyCompilerValue(CompilerChoice &choice, const std::string &value);

// The compiler programs found, with the search path they are given.
struct Toolchain
{
    CompilerFamily family = CompilerFamily::Gcc;
    std::string cc;      // absolute path
    std::string cxx;     // absolute path
    std::string objcopy; // absolute path; empty when none was found
    std::string searchPath; // PATH for every program kvncc starts
    // A linker quicker than the default one (the value of -fuse-ld: lld,
    // mold or gold); empty when none is installed.
    std::string fastLinker;
};

// Looks up the drivers, objcopy and a fast linker (ld.lld, then mold,
// then ld.gold, on the search path). A name is searched in the extra
// folders, then in PATH, then in the usual system folders, so that a PATH
// holding only kvncc's own folder still finds the system compiler. The
// search path handed to the compiler is the driver's folder, then those
// folders, without repeats. isExecutable tells whether a path is an
// executable file. On failure returns false and puts a message line
// (holding "fatal") into problem.
bool findToolchain(const CompilerChoice &choice, const std::string &pathVariable,
                   const std::function<bool(const std::string &)> &isExecutable, Toolchain &toolchain,
                   std::string &problem);

// The environment for the compiler: the given one with PATH replaced, and
// messages in English whatever the user's language, because KVN reads
// "error" and "fatal" in them. LC_ALL, which would outrank LC_MESSAGES,
// moves to LC_CTYPE so that the character set stays the user's.
std::vector<std::string> compilerEnvironment(const std::vector<std::string> &environment,
                                             const std::string &searchPath);

} // namespace kvncc
