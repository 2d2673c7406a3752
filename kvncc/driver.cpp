#include "kvncc/driver.h"

#include "kvncc/buildplan.h"
#include "kvncc/commandline.h"
#include "kvncc/diagnosticfilter.h"
#include "kvncc/process.h"
#include "kvncc/toolchain.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef KVN_VERSION
#define KVN_VERSION "0"
#endif
#ifndef KVNCC_INSTALLED_HEADERS
#define KVNCC_INSTALLED_HEADERS "../share/kvn/include"
#endif

namespace kvncc {

namespace {

constexpr const char *usage =
    "Usage: kvncc [+config.cfg] [@response.rsp] [switches] source ...\n"
    "  -eFILE   name the executable        -c   compile only        -S   assembler only\n"
    "  -oFILE   name the object file       -nDIR  folder for objects and output\n"
    "  -IDIRS   include folders (a;b)      -LDIRS library folders (a;b)\n"
    "  -Dname[=value]  define a macro      -Uname undefine it\n"
    "  -O1 small code  -O2 fast code  -Od no optimising   -v debug information (.tds)\n"
    "  -w warnings on  -w- off  -w! warnings fail the build   -q no banner\n"
    "Sources ending in .c are C, all others C++ (-P: all C++). Objects are named\n"
    "after their source with .obj. Switches kvncc does not know go to the compiler.\n"
    "The compiler is g++ unless KVNCC_COMPILER or kvncc.conf beside kvncc say\n"
    "otherwise (gcc, clang, or the path of a C++ compiler).\n";

bool readFile(const std::string &path, std::string &text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        text = std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

std::string baseName(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string compatHeaderFolder(const std::string &own)
{
    for (const std::string &candidate : {own + "/share/kvn/include", own + "/" + KVNCC_INSTALLED_HEADERS}) {
        if (std::filesystem::is_regular_file(candidate + "/iostream.h"))
            return std::filesystem::path(candidate).lexically_normal().string();
    }
    return {};
}

std::string failureLine(const BuildStep &step, const ProcessResult &result)
{
    std::string what;
    switch (step.kind) {
    case BuildStep::Kind::Compile: what = "compiling " + step.input; break;
    case BuildStep::Kind::Assemble: what = "assembling " + step.input; break;
    case BuildStep::Kind::Link: what = "linking " + step.output; break;
    case BuildStep::Kind::DebugFile: what = "writing " + step.output; break;
    }
    const std::string program = step.argv.empty() ? std::string("kvncc") : baseName(step.argv[0]);
    if (!result.started)
        return "kvncc: fatal: cannot start " + (step.argv.empty() ? program : step.argv[0]) + ": "
               + result.startProblem + "\n";
    if (result.signal != 0)
        return "kvncc: error: " + what + " failed: " + program + " was ended by signal "
               + std::to_string(result.signal) + " (" + strsignal(result.signal) + ")\n";
    return "kvncc: error: " + what + " failed (" + program + " exit status " + std::to_string(result.exitCode)
           + ")\n";
}

// The debug file when no objcopy was found: the executable holds the debug
// information itself, so a copy of it serves.
ProcessResult copyDebugFile(const BuildStep &step)
{
    ProcessResult result;
    std::error_code problem;
    std::filesystem::copy_file(step.input, step.output, std::filesystem::copy_options::overwrite_existing, problem);
    result.started = true;
    result.exitCode = problem ? 1 : 0;
    if (problem)
        writeOut("kvncc: error: cannot copy " + step.input + " to " + step.output + ": " + problem.message() + "\n");
    return result;
}

} // namespace

int runKvncc(const std::vector<std::string> &args)
{
    const std::string own = ownFolder();
    std::string config;
    if (!readFile(own + "/kvncc.conf", config))
        config.clear(); // no file: the defaults
    const char *chosen = std::getenv("KVNCC_COMPILER");
    const CompilerChoice choice = chooseCompiler(config, chosen ? chosen : "");

    const ParseResult parsed = parseCommandLine(args, readFile);
    const BuildOptions &options = parsed.options;
    if (!options.quiet)
        writeOut(std::string("kvncc ") + KVN_VERSION + " for KVN: the classic command line over "
                 + baseName(choice.cxx) + "\n");
    if (args.empty() || parsed.help) {
        writeOut(usage);
        return 0;
    }
    for (const std::string &line : choice.warnings)
        writeOut(line + "\n");
    for (const std::string &line : parsed.warnings)
        writeOut(line + "\n");
    if (!parsed.failure.empty()) {
        writeOut(parsed.failure + "\n");
        return 1;
    }

    Toolchain toolchain;
    std::string problem;
    const char *path = std::getenv("PATH");
    if (!findToolchain(choice, path ? path : "", isExecutableFile, toolchain, problem)) {
        writeOut(problem + "\n");
        return 1;
    }
    const std::string headers = compatHeaderFolder(own);
    if (headers.empty())
        writeOut("kvncc: warning: the compatibility headers (iostream.h, conio.h, ...) are missing beside kvncc\n");

    const BuildPlan plan = planBuild(options, toolchain, headers,
                                     [](const std::string &file) { return std::filesystem::exists(file); });
    if (!plan.failure.empty()) {
        writeOut(plan.failure + "\n");
        return 1;
    }
    if (!plan.outputFolder.empty()) {
        std::error_code made;
        std::filesystem::create_directories(plan.outputFolder, made);
        if (made) {
            writeOut("kvncc: fatal: cannot create the output folder " + plan.outputFolder + ": " + made.message()
                     + "\n");
            return 1;
        }
    }

    const std::vector<std::string> environment = compilerEnvironment(currentEnvironment(), toolchain.searchPath);
    DiagnosticFilter filter(options.warningLimit);
    const auto show = [&filter](std::string_view chunk) { writeOut(filter.feed(chunk)); };
    bool compiled = true;
    bool previousFailed = false;
    std::size_t sourcesDone = 0;
    for (const BuildStep &step : plan.steps) {
        const bool linking = step.kind == BuildStep::Kind::Link || step.kind == BuildStep::Kind::DebugFile;
        if (linking && !compiled)
            break;
        // -B: the object of a source whose assembler file failed cannot be made.
        if (step.kind == BuildStep::Kind::Assemble && previousFailed)
            continue;
        previousFailed = false;
        if (step.kind == BuildStep::Kind::Compile)
            ++sourcesDone;
        const int warningsBefore = filter.warnings();
        const ProcessResult result = step.argv.empty() ? copyDebugFile(step) : runCollecting(step.argv, environment, show);
        writeOut(filter.finish());
        if (!result.succeeded()) {
            if (!step.argv.empty())
                writeOut(failureLine(step, result));
            if (!result.started)
                return 1;
            compiled = false;
            previousFailed = true;
            if (linking)
                break;
            continue;
        }
        if (step.kind == BuildStep::Kind::Compile && sourcesDone < options.sources.size()
            && options.stopAfterWarnings && filter.warnings() > warningsBefore) {
            writeOut("kvncc: fatal: stopped after " + step.input + ", which has warnings (-gb)\n");
            return 1;
        }
    }
    if (filter.withheld() > 0)
        writeOut("kvncc: warning: " + std::to_string(filter.withheld()) + " more warnings not shown (-g"
                 + std::to_string(options.warningLimit) + ")\n");
    return compiled ? 0 : 1;
}

} // namespace kvncc
