#include "kvncc/driver.h"

#include "kvncc/buildplan.h"
#include "kvncc/commandline.h"
#include "kvncc/diagnosticfilter.h"
#include "kvncc/headercache.h"
#include "kvncc/oldrules.h"
#include "kvncc/oldsource.h"
#include "kvncc/process.h"
#include "kvncc/sourcecopies.h"
#include "kvncc/toolchain.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#ifndef KVN_VERSION
#define KVN_VERSION "0"
#endif
#ifndef KVNCC_INSTALLED_HEADERS
#define KVNCC_INSTALLED_HEADERS "../share/kvn/include"
#endif
#ifndef KVNCC_INSTALLED_LIBRARY
#define KVNCC_INSTALLED_LIBRARY "../lib/kvn"
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
    "  -w extra warnings  -w- no warnings  -w! warnings fail the build  -q no banner\n"
    "Sources ending in .c are C, all others C++ (-P: all C++). Objects are named\n"
    "after their source with .obj. Switches kvncc does not know go to the compiler.\n"
    "The compiler is g++ unless KVNCC_COMPILER or kvncc.conf (beside kvncc, or\n"
    "/etc/kvncc.conf) say otherwise (gcc, clang, or the path of a C++ compiler).\n"
    "kvncc --version names kvncc and the compilers it drives; man kvncc tells more.\n";

// Only regular files are read: a pipe would keep kvncc waiting for a
// writer, a device could do anything, and a folder reads as an empty file.
std::string notAFile(mode_t mode)
{
    return S_ISDIR(mode) ? "it is a folder" : "it is not a regular file";
}

// Reads a whole regular file of at most atMost bytes; otherwise false,
// with the reason in text.
bool readFile(const std::string &path, std::string &text, std::size_t atMost = std::string::npos)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        text = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        text = notAFile(info.st_mode);
        return false;
    }
    // Without blocking, and looked at again once open: the name may have
    // been given to a pipe in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        text = std::strerror(errno);
        return false;
    }
    const auto fail = [fd, &text](std::string reason) {
        ::close(fd);
        text = std::move(reason);
        return false;
    };
    if (::fstat(fd, &info) != 0)
        return fail(std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        return fail(notAFile(info.st_mode));
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(std::strerror(errno));
        }
        if (content.size() + std::size_t(n) > atMost)
            return fail("it is larger than " + std::to_string(atMost) + " bytes");
        content.append(buffer, std::size_t(n));
    }
    ::close(fd);
    text = std::move(content);
    return true;
}

// Why a source cannot be compiled, as a complete line; empty when it can be,
// and when it is missing, which the plan reports.
std::string sourceProblem(const std::string &source)
{
    struct stat info {};
    if (::stat(source.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return {};
        return "kvncc: fatal: cannot look up source file " + source + ": " + std::strerror(errno);
    }
    if (!S_ISREG(info.st_mode))
        return "kvncc: fatal: cannot read source file " + source + ": " + notAFile(info.st_mode);
    return {};
}

std::string baseName(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// kvncc.conf beside kvncc (a build folder, or a copy kept apart), else the
// installation's own: /etc/kvncc.conf for a kvncc in /usr/bin, PREFIX/etc/
// kvncc.conf for one in PREFIX/bin.
std::string configPath(const std::string &own)
{
    const std::string beside = own + "/kvncc.conf";
    std::error_code problem;
    if (std::filesystem::exists(beside, problem))
        return beside;
    const std::filesystem::path prefix = std::filesystem::path(own).parent_path();
    return prefix == "/usr" ? "/etc/kvncc.conf" : (prefix / "etc/kvncc.conf").string();
}

std::string compatHeaderFolder(const std::string &own)
{
    for (const std::string &candidate : {own + "/share/kvn/include", own + "/" + KVNCC_INSTALLED_HEADERS}) {
        std::error_code problem;
        if (std::filesystem::is_regular_file(candidate + "/iostream.h", problem))
            return std::filesystem::path(candidate).lexically_normal().string();
    }
    return {};
}

// The old library beside kvncc: in the build folder's layout, or where it
// is installed.
std::string compatLibrary(const std::string &own)
{
    for (const std::string &candidate :
         {own + "/lib/kvn/libkvncompat.a", own + "/" + KVNCC_INSTALLED_LIBRARY + "/libkvncompat.a"}) {
        std::error_code problem;
        if (std::filesystem::is_regular_file(candidate, problem))
            return std::filesystem::path(candidate).lexically_normal().string();
    }
    return {};
}

CompatLayer compatLayer(const std::string &own)
{
    CompatLayer layer;
    layer.headers = compatHeaderFolder(own);
    std::error_code problem;
    if (!layer.headers.empty() && std::filesystem::is_regular_file(layer.headers + "/wrap/stdlib.h", problem))
        layer.wrappers = layer.headers + "/wrap";
    layer.library = compatLibrary(own);
    return layer;
}

SourceTraits examineFile(const std::string &source, bool cpp)
{
    std::string text;
    return readFile(source, text) ? examineSource(text, cpp) : SourceTraits();
}

// One compile. When it fails on a rule the old compilers did not have (a
// for loop's variable used after it, a jump past an initialisation, an
// empty character constant, exit() without a status, a label right before
// a '}'), the source is mended from the compiler's own messages and
// compiled again; a mend that does not make it build leaves the first
// messages standing.
class Compile
{
public:
    struct Services
    {
        const std::vector<std::string> &environment;
        SourceCopies &copies;
        HeaderCache &cache;
        const std::string &compatFingerprint;
    };

    // showWarnings false (-w-): kvncc says nothing of the old rules it
    // applied either, as the compiler says nothing of its own warnings.
    Compile(const BuildStep &step, bool clang, bool showWarnings, Services services)
        : m_step(step)
        , m_cpp(std::find(step.argv.begin(), step.argv.end(), "c++") != step.argv.end())
        , m_clang(clang)
        , m_showWarnings(showWarnings)
        , m_services(services)
    {
    }

    // The result; output receives what is to be shown of it. A problem
    // kvncc itself met goes to problem, with a failed result.
    ProcessResult run(std::string &output, std::string &problem)
    {
        const ProcessResult result = compileAndMend(output, problem);
        if (m_step.traits.voidMain && m_cpp)
            output = withUsersMainName(output, m_step.traits.mainType);
        const std::string &renamed = m_step.traits.stdRenamed;
        if (!renamed.empty() && m_cpp) {
            output = withUsersStdName(output, renamed);
            if (m_showWarnings)
                output = m_step.input + ":" + std::to_string(m_step.traits.stdLine) + ":"
                         + std::to_string(m_step.traits.stdColumn) + ": warning: 'std' is this program's own name, as "
                         + "before namespaces; it is compiled as '" + renamed
                         + "', apart from the standard library's namespace std\n" + output;
        }
        return result;
    }

private:
    ProcessResult compileAndMend(std::string &output, std::string &problem)
    {
        std::string text;
        if (!readFile(m_step.input, text)) {
            if (m_step.fromCopy) {
                problem = "cannot read " + m_step.input + ": " + text;
                return {};
            }
            text.clear(); // the compiler will say what is wrong with it
        }
        m_header = m_services.cache.headerFor(m_step.argv, m_step.input, text, m_clang, m_services.environment,
                                              m_services.compatFingerprint);
        ProcessResult result = attempt(text, m_step.fromCopy, output, problem);
        if (result.succeeded() || !result.started || !problem.empty())
            return result;
        std::vector<OldRuleMend> mends;
        std::string latest = output;
        for (int round = 0; round < 3; ++round) {
            const std::size_t known = mends.size();
            std::vector<OldRuleMend> found;
            try {
                found = oldRuleMends(latest, m_step.input, m_clang);
            } catch (const std::logic_error &) {
                break; // a line number beyond int: nothing to mend by, the first messages stand
            }
            for (const OldRuleMend &mend : found) {
                // In C a for loop's variable never outlived the loop, and a
                // jump may pass an initialisation.
                if (!m_cpp
                    && (mend.kind == OldRuleMend::Kind::ForScope
                        || mend.kind == OldRuleMend::Kind::JumpPastInitialisation))
                    continue;
                if (std::find(mends.begin(), mends.end(), mend) == mends.end())
                    mends.push_back(mend);
            }
            std::vector<std::string> warnings;
            const std::string mended = withOldRules(text, mends, m_step.input, m_clang, warnings);
            if (mends.size() == known || mended == text)
                break;
            std::string problemAgain;
            const ProcessResult again = attempt(mended, true, latest, problemAgain);
            if (!again.started || !problemAgain.empty())
                break;
            // Kept when it built, or when what still fails is a part of what
            // failed before: the program's real mistakes without the old
            // rules' noise.
            if (again.succeeded() || errorsWithin(latest, output)) {
                output.clear();
                for (const std::string &line : warnings) {
                    if (m_showWarnings)
                        output += line + "\n";
                }
                output += latest;
                return again;
            }
        }
        return result;
    }

    // Whether every error message of later is one of earlier.
    static bool errorsWithin(const std::string &later, const std::string &earlier)
    {
        std::istringstream lines(later);
        for (std::string line; std::getline(lines, line);) {
            if (line.find(": error: ") != std::string::npos && earlier.find(line) == std::string::npos)
                return false;
        }
        return true;
    }

    ProcessResult attempt(const std::string &text, bool fromCopy, std::string &output, std::string &problem)
    {
        std::vector<std::string> argv = m_step.argv;
        if (fromCopy) {
            const std::string copy = m_services.copies.copyFor(m_step, m_cpp, text, problem);
            if (copy.empty())
                return {};
            std::replace(argv.begin(), argv.end(), m_step.input, copy);
            if (!m_step.fromCopy) {
                // "..." includes are still looked for beside the source.
                const std::string folder = folderOf(m_step.input);
                argv.insert(argv.end(), {"-iquote", folder.empty() ? "." : folder});
            }
        }
        if (!m_header.empty()) {
            std::vector<std::string> cached = argv;
            cached.insert(cached.end(), {"-Winvalid-pch", "-include", m_header});
            output.clear();
            const ProcessResult result = runCollecting(cached, m_services.environment,
                                                       [&output](std::string_view chunk) { output += chunk; });
            // A compiler that names the cache's header, or broke down, may
            // have been misled by it: the entry goes and the compile is
            // done again without it.
            const std::string entry = m_header.substr(0, m_header.rfind('/'));
            const bool damaged = output.find(entry) != std::string::npos
                                 || output.find("internal compiler error") != std::string::npos;
            // Clang counts the cache's header as one more include in the
            // chain above a message inside a system header; such messages
            // are rare, and are given as the compile without it gives them.
            const bool chainDiffers = m_clang && output.find("In file included from") != std::string::npos;
            // A failure is done again without the cache too, since the cache
            // may be its cause in ways no message shows (a header without
            // include guards, read twice); what is shown is then always what
            // the compile without the cache says.
            if (result.succeeded() && !damaged && !chainDiffers)
                return result;
            output.clear();
            const ProcessResult plain = runCollecting(argv, m_services.environment,
                                                      [&output](std::string_view chunk) { output += chunk; });
            if (damaged) {
                m_services.cache.discard(m_header);
                m_header.clear();
            } else if (!result.succeeded() && plain.succeeded()) {
                m_services.cache.distrust(m_header);
                m_header.clear();
            }
            return plain;
        }
        output.clear();
        return runCollecting(argv, m_services.environment, [&output](std::string_view chunk) { output += chunk; });
    }

    const BuildStep &m_step;
    bool m_cpp;
    bool m_clang;
    bool m_showWarnings;
    Services m_services;
    std::string m_header; // the cache's precompiled leading block; empty: none
};

// Links with argv. A quicker linker's failure is linked again with the
// default one, so that its messages read as they always did.
ProcessResult link(const std::vector<std::string> &argv, const std::vector<std::string> &environment,
                   std::string &output)
{
    const auto collect = [&output](std::string_view chunk) { output += chunk; };
    output.clear();
    const ProcessResult result = runCollecting(argv, environment, collect);
    const auto fast = std::find_if(argv.begin(), argv.end(), [](const std::string &a) { return a.starts_with("-fuse-ld="); });
    if (result.succeeded() || !result.started || fast == argv.end())
        return result;
    std::vector<std::string> plain = argv;
    plain.erase(plain.begin() + (fast - argv.begin()));
    output.clear();
    return runCollecting(plain, environment, collect);
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
    if (!readFile(configPath(own), config))
        config.clear(); // no file: the defaults
    const char *chosen = std::getenv("KVNCC_COMPILER");
    const CompilerChoice choice = chooseCompiler(config, chosen ? chosen : "");

    const ParseResult parsed = parseCommandLine(
        args, [](const std::string &path, std::string &text) { return readFile(path, text, commandBytesAtMost); });
    const BuildOptions &options = parsed.options;
    if (parsed.version && !parsed.help) {
        writeOut(std::string("kvncc (Korvane) ") + KVN_VERSION + "\nIt compiles C++ with " + choice.cxx + " and C with "
                 + choice.cc + ".\n");
        return 0;
    }
    if (!options.quiet)
        writeOut(std::string("kvncc ") + KVN_VERSION + " for KVN: the classic command line over "
                 + baseName(choice.cxx) + "\n");
    if (args.empty() || parsed.help) {
        writeOut(usage);
        if (parsed.help)
            return 0;
        // Nothing was built, so nothing may pass for built.
        writeOut("kvncc: fatal: no source file given\n");
        return 1;
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
    const CompatLayer compat = compatLayer(own);
    if (compat.headers.empty() || compat.wrappers.empty())
        writeOut("kvncc: warning: the compatibility headers (iostream.h, conio.h, ...) are missing beside kvncc\n");
    if (compat.library.empty())
        writeOut("kvncc: warning: the old library (libkvncompat.a) is missing beside kvncc\n");

    for (const std::string &source : options.sources) {
        if (const std::string problem = sourceProblem(source); !problem.empty()) {
            writeOut(problem + "\n");
            return 1;
        }
    }
    const BuildPlan plan = planBuild(
        options, toolchain, compat,
        [](const std::string &file) {
            std::error_code problem;
            return std::filesystem::exists(file, problem);
        },
        examineFile);
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
    SourceCopies copies;
    HeaderCache cache(HeaderCache::defaultRoot(), HeaderCache::defaultSizeBound);
    const std::string fingerprint = folderFingerprint({compat.headers, compat.wrappers});
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
        ProcessResult result;
        std::string output;
        if (step.kind == BuildStep::Kind::Compile) {
            std::string problem;
            result = Compile(step, toolchain.family == CompilerFamily::Clang, options.warnings != Warnings::Off,
                             {environment, copies, cache, fingerprint})
                         .run(output, problem);
            if (!problem.empty()) {
                writeOut("kvncc: fatal: " + problem + "\n");
                return 1;
            }
            show(output);
        } else if (step.kind == BuildStep::Kind::Link) {
            result = link(step.argv, environment, output);
            show(output);
        } else {
            result = step.argv.empty() ? copyDebugFile(step) : runCollecting(step.argv, environment, show);
        }
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
    cache.finish();
    return compiled ? 0 : 1;
}

} // namespace kvncc
