#include "kvncc/commandline.h"

#include "kvncc/words.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace kvncc {

namespace {

using O = BuildOptions;
constexpr auto Mapped = SwitchEffect::Mapped;
constexpr auto Default = SwitchEffect::Default;
constexpr auto Ignored = SwitchEffect::Ignored;

void nothing(O &, std::string_view) {}

// Reasons shown for ignored switches; each ends the sentence
// "kvncc: warning: -X ignored: <reason>".
constexpr std::string_view callingConvention = "GCC and Clang use the calling convention of this platform";
constexpr std::string_view processor = "code is generated for the processor family of this machine";
constexpr std::string_view precompiled = "precompiled headers are not used";
constexpr std::string_view objectLayout = "C++ object layout follows the ABI of this platform";
constexpr std::string_view windowsOnly = "there are no Windows application kinds on this platform";
constexpr std::string_view exceptionTables = "GCC and Clang lay out exception tables themselves";
constexpr std::string_view registers = "GCC and Clang allocate registers themselves";
constexpr std::string_view templates = "templates are instantiated where they are used";

// A value the user typed as a number; nothing when it is not one.
std::optional<int> number(std::string_view text)
{
    int n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < 0)
        return std::nullopt;
    return n;
}

const std::vector<SwitchInfo> table = {
    {"-B", false, Mapped, {}, [](O &o, std::string_view) { o.stage = Stage::AssemblyThenObject; }},
    {"-P", false, Mapped, {}, [](O &o, std::string_view) { o.language = Language::Cpp; }},
    {"-P-", false, Mapped, {}, [](O &o, std::string_view) { o.language = Language::ByExtension; }},
    {"-C", false, Ignored, "GCC and Clang do not nest comments", nothing},
    {"-C-", false, Default, {}, nothing},
    {"-K", false, Mapped, {}, [](O &o, std::string_view) { o.unsignedChar = true; }},
    {"-K-", false, Mapped, {}, [](O &o, std::string_view) { o.unsignedChar = false; }},
    {"-S", false, Mapped, {}, [](O &o, std::string_view) { o.stage = Stage::Assembly; }},
    {"-N", false, Mapped, {}, [](O &o, std::string_view) { o.stackCheck = true; }},
    {"-N-", false, Mapped, {}, [](O &o, std::string_view) { o.stackCheck = false; }},
    {"-O1", false, Mapped, {}, [](O &o, std::string_view) { o.optimisation = Optimisation::Size; }},
    {"-O2", false, Mapped, {}, [](O &o, std::string_view) { o.optimisation = Optimisation::Speed; }},
    {"-Od", false, Mapped, {}, [](O &o, std::string_view) { o.optimisation = Optimisation::None; }},
    {"-O", false, Mapped, {}, [](O &o, std::string_view) { o.basicOptimisation = true; }},
    {"-Oc", false, Mapped, {}, [](O &o, std::string_view) { o.basicOptimisation = true; }},
    {"-Oi", false, Mapped, {}, [](O &o, std::string_view) { o.basicOptimisation = true; }},
    {"-Ov", false, Mapped, {}, [](O &o, std::string_view) { o.basicOptimisation = true; }},
    {"-OS", false, Mapped, {}, [](O &o, std::string_view) { o.scheduling = true; }},
    {"-O-S", false, Mapped, {}, [](O &o, std::string_view) { o.scheduling = false; }},
    {"-L", true, Mapped, {}, [](O &o, std::string_view v) {
         for (std::string &folder : splitFolderList(v))
             o.libraryFolders.push_back(std::move(folder));
     }},
    {"-I", true, Mapped, {}, [](O &o, std::string_view v) {
         for (std::string &folder : splitFolderList(v))
             o.includeFolders.push_back(std::move(folder));
     }},
    {"-3", false, Ignored, processor, nothing},
    {"-4", false, Ignored, processor, nothing},
    {"-5", false, Ignored, processor, nothing},
    {"-6", false, Ignored, processor, nothing},
    {"-A", false, Mapped, {}, [](O &o, std::string_view) { o.strictIso = true; }},
    {"-A-", false, Mapped, {}, [](O &o, std::string_view) { o.strictIso = false; }},
    {"-AK", false, Ignored, "the Kernighan and Ritchie keyword set is not offered; the GNU dialect is used", nothing},
    {"-AT", false, Mapped, {}, [](O &o, std::string_view) { o.strictIso = false; }},
    {"-AU", false, Ignored, "the UNIX V keyword set is not offered; the GNU dialect is used", nothing},
    {"-a", true, Ignored, "data alignment follows the ABI of this platform", nothing},
    {"-b", false, Mapped, {}, [](O &o, std::string_view) { o.shortEnums = false; }},
    {"-b-", false, Mapped, {}, [](O &o, std::string_view) { o.shortEnums = true; }},
    {"-CP", false, Ignored, "there is no code paging on this platform", nothing},
    {"-c", false, Mapped, {}, [](O &o, std::string_view) { o.stage = Stage::CompileOnly; }},
    {"-D", true, Mapped, {}, [](O &o, std::string_view v) { o.macros.push_back({true, std::string(v)}); }},
    {"-d", false, Mapped, {}, [](O &o, std::string_view) { o.mergeStrings = true; }},
    {"-d-", false, Mapped, {}, [](O &o, std::string_view) { o.mergeStrings = false; }},
    {"-E", true, Ignored, "the assembler that belongs to GCC or Clang is used", nothing},
    {"-e", true, Mapped, {}, [](O &o, std::string_view v) { o.executable = v; }},
    {"-f", false, Ignored, "floating point is done by the processor", nothing},
    {"-f-", false, Default, {}, nothing},
    {"-ff", false, Mapped, {}, [](O &o, std::string_view) { o.fastFloat = true; }},
    {"-ff-", false, Mapped, {}, [](O &o, std::string_view) { o.fastFloat = false; }},
    {"-fp", false, Ignored, "no processor of this machine needs the FDIV correction", nothing},
    {"-gb", false, Mapped, {}, [](O &o, std::string_view) { o.stopAfterWarnings = true; }},
    {"-g", true, Mapped, {}, [](O &o, std::string_view v) { o.warningLimit = number(v).value_or(o.warningLimit); }},
    {"-H", false, Ignored, precompiled, nothing},
    {"-H-", false, Default, {}, nothing},
    {"-H=", true, Ignored, precompiled, nothing},
    {"-H", true, Ignored, precompiled, nothing},
    {"-Hc", false, Ignored, precompiled, nothing},
    {"-Hh=", true, Ignored, precompiled, nothing},
    {"-Hu", false, Ignored, precompiled, nothing},
    {"-i", true, Ignored, "every character of an identifier is significant", nothing},
    {"-Ja", false, Ignored, templates, nothing},
    {"-Jgx", false, Ignored, templates, nothing},
    {"-j", true, Mapped, {}, [](O &o, std::string_view v) { o.errorLimit = number(v).value_or(o.errorLimit); }},
    {"-l", true, Mapped, {}, [](O &o, std::string_view v) { o.linkerOptions.push_back("-" + std::string(v)); }},
    {"-l-", true, Ignored, "options of this platform's linker cannot be switched off one by one", nothing},
    {"-M", false, Mapped, {}, [](O &o, std::string_view) { o.mapFile = true; }},
    {"-n", true, Mapped, {}, [](O &o, std::string_view v) { o.outputFolder = v; }},
    {"-o", true, Mapped, {}, [](O &o, std::string_view v) { o.objectName = v; }},
    {"-p", false, Ignored, callingConvention, nothing},
    {"-p-", false, Default, {}, nothing},
    {"-pc", false, Default, {}, nothing},
    {"-pm", false, Ignored, callingConvention, nothing},
    {"-pr", false, Ignored, callingConvention, nothing},
    {"-ps", false, Ignored, callingConvention, nothing},
    {"-Q", false, Default, {}, nothing},
    {"-Q-", false, Default, {}, nothing},
    {"-q", false, Mapped, {}, [](O &o, std::string_view) { o.quiet = true; }},
    {"-R", false, Ignored, "no browser information is written", nothing},
    {"-R-", false, Default, {}, nothing},
    {"-RT", false, Mapped, {}, [](O &o, std::string_view) { o.rtti = true; }},
    {"-RT-", false, Mapped, {}, [](O &o, std::string_view) { o.rtti = false; }},
    {"-r", false, Default, {}, nothing},
    {"-r-", false, Ignored, registers, nothing},
    {"-rd", false, Ignored, registers, nothing},
    {"-T-", false, Mapped, {}, [](O &o, std::string_view) { o.assemblerOptions.clear(); }},
    {"-T", true, Mapped, {}, [](O &o, std::string_view v) { o.assemblerOptions.push_back("-" + std::string(v)); }},
    {"-tW", false, Ignored, windowsOnly, nothing},
    {"-tWC", false, Default, {}, nothing},
    {"-tWD", false, Mapped, {}, [](O &o, std::string_view) { o.sharedLibrary = true; }},
    {"-tWM", false, Mapped, {}, [](O &o, std::string_view) { o.threads = true; }},
    {"-tWR", false, Default, {}, nothing},
    {"-tWV", false, Ignored, "there is no VCL on this platform", nothing},
    {"-U", true, Mapped, {}, [](O &o, std::string_view v) { o.macros.push_back({false, std::string(v)}); }},
    {"-V0", false, Ignored, objectLayout, nothing},
    {"-V1", false, Ignored, objectLayout, nothing},
    {"-VC", false, Ignored, objectLayout, nothing},
    {"-Vd", false, Ignored, "a for loop's variable used after the loop is accepted anyway, with a warning", nothing},
    {"-Ve", false, Ignored, objectLayout, nothing},
    {"-VM", false, Ignored, "there is no Microsoft Visual C++ compatibility mode", nothing},
    {"-VI-", false, Ignored, "headers are searched in the order of GCC and Clang", nothing},
    {"-Vl", false, Ignored, objectLayout, nothing},
    {"-VF", false, Ignored, "there is no MFC on this platform", nothing},
    {"-Vmd", false, Ignored, objectLayout, nothing},
    {"-Vmm", false, Ignored, objectLayout, nothing},
    {"-Vmp", false, Ignored, objectLayout, nothing},
    {"-Vms", false, Ignored, objectLayout, nothing},
    {"-Vmv", false, Default, {}, nothing},
    {"-Vx", false, Ignored, objectLayout, nothing},
    {"-v", false, Mapped, {}, [](O &o, std::string_view) { o.debugInfo = true; }},
    {"-v-", false, Mapped, {}, [](O &o, std::string_view) { o.debugInfo = false; }},
    {"-vG", false, Mapped, {}, [](O &o, std::string_view) { o.addressChecks = o.undefinedChecks = true; }},
    {"-vGc", false, Mapped, {}, [](O &o, std::string_view) { o.addressChecks = true; }},
    {"-vGd", false, Mapped, {}, [](O &o, std::string_view) { o.addressChecks = true; }},
    {"-vGt", false, Mapped, {}, [](O &o, std::string_view) { o.thisPointerChecks = true; }},
    {"-vi", false, Mapped, {}, [](O &o, std::string_view) { o.inlineFunctions = true; }},
    {"-vi-", false, Mapped, {}, [](O &o, std::string_view) { o.inlineFunctions = false; }},
    {"-WU", false, Ignored, "programs here are Unicode (UTF-8) already", nothing},
    {"-w", false, Mapped, {}, [](O &o, std::string_view) { o.warnings = Warnings::Extra; }},
    {"-w-", false, Mapped, {}, [](O &o, std::string_view) { o.warnings = Warnings::Off; }},
    {"-w!", false, Mapped, {}, [](O &o, std::string_view) { o.warningsAsErrors = true; }},
    {"-w", true, Ignored, "warnings are not chosen by name here; -w adds the extra ones, -w- turns them off", nothing},
    {"-X", false, Default, {}, nothing},
    {"-X-", false, Default, {}, nothing},
    {"-x", false, Mapped, {}, [](O &o, std::string_view) { o.exceptions = true; }},
    {"-x-", false, Mapped, {}, [](O &o, std::string_view) { o.exceptions = false; }},
    {"-xd", false, Default, {}, nothing},
    {"-xd-", false, Ignored, exceptionTables, nothing},
    {"-xdg", false, Ignored, exceptionTables, nothing},
    {"-xf", false, Ignored, exceptionTables, nothing},
    {"-xp", false, Ignored, exceptionTables, nothing},
    {"-xs", false, Ignored, exceptionTables, nothing},
    {"-y", false, Mapped, {}, [](O &o, std::string_view) { o.lineNumbers = true; }},
    {"-y-", false, Mapped, {}, [](O &o, std::string_view) { o.lineNumbers = false; }},
};

const SwitchInfo *exact(std::string_view name)
{
    for (const SwitchInfo &info : table) {
        if (!info.takesValue && info.name == name)
            return &info;
    }
    return nullptr;
}

// -tWCM and -WCM: several target letters after one -tW or -W. The plain
// -W is the old spelling of -tW.
std::vector<SwitchMatch> targetLetters(std::string_view word)
{
    std::string_view letters;
    if (word.starts_with("-tW"))
        letters = word.substr(3);
    else if (word.starts_with("-W"))
        letters = word.substr(2);
    else
        return {};
    if (letters.empty())
        return {{exact("-tW"), {}}};
    std::vector<SwitchMatch> matches;
    for (const char letter : letters) {
        const std::string name = letter == 'U' ? std::string("-WU") : std::string("-tW") + letter;
        const SwitchInfo *info = exact(name);
        if (!info)
            return {};
        matches.push_back({info, {}});
    }
    return matches;
}

bool endsWithNoCase(std::string_view text, std::string_view tail)
{
    if (text.size() < tail.size())
        return false;
    return std::equal(tail.begin(), tail.end(), text.end() - tail.size(), [](char a, char b) {
        return a == (b >= 'A' && b <= 'Z' ? char(b - 'A' + 'a') : b);
    });
}

constexpr int deepestNesting = 8;

class Parser
{
public:
    explicit Parser(const FileReader &read)
        : m_read(read)
    {
    }

    ParseResult take() { return std::move(m_result); }

    void words(const std::vector<std::string> &words, int depth)
    {
        for (const std::string &word : words) {
            if (!m_result.failure.empty())
                return;
            this->word(word, depth);
        }
    }

private:
    const FileReader &m_read;
    ParseResult m_result;
    std::set<std::string, std::less<>> m_warned;
    int m_filesRead = 0;
    std::size_t m_bytesRead = 0;

    void warnOnce(std::string_view key, std::string line)
    {
        if (m_warned.insert(std::string(key)).second)
            m_result.warnings.push_back(std::move(line));
    }

    void word(const std::string &word, int depth)
    {
        if (word.empty())
            return;
        if (word == "-h" || word == "-?" || word == "--help") {
            m_result.help = true;
            return;
        }
        if (word == "--version") {
            m_result.version = true;
            return;
        }
        if (word[0] == '+' || word[0] == '@') {
            file(word, depth);
            return;
        }
        if (word[0] == '-' && word.size() > 1) {
            option(word);
            return;
        }
        BuildOptions &o = m_result.options;
        if (endsWithNoCase(word, ".obj") || endsWithNoCase(word, ".o"))
            o.objects.push_back(word);
        else if (endsWithNoCase(word, ".lib") || endsWithNoCase(word, ".a") || endsWithNoCase(word, ".so"))
            o.libraries.push_back(word);
        else if (endsWithNoCase(word, ".res") || endsWithNoCase(word, ".def"))
            warnOnce(".res", "kvncc: warning: Windows resource (.res) and module-definition (.def) files are skipped");
        else
            o.sources.push_back(word);
    }

    void file(const std::string &word, int depth)
    {
        const bool configuration = word[0] == '+';
        const char *kind = configuration ? "configuration file" : "response file";
        const std::string path = word.substr(1);
        if (path.empty()) {
            warnOnce(word, std::string("kvncc: warning: ") + word[0] + " without a file name ignored");
            return;
        }
        if (depth >= deepestNesting) {
            m_result.failure = std::string("kvncc: fatal: ") + kind + "s nested more than "
                               + std::to_string(deepestNesting) + " deep at " + path;
            return;
        }
        if (m_filesRead >= commandFilesAtMost) {
            m_result.failure = "kvncc: fatal: more than " + std::to_string(commandFilesAtMost)
                               + " configuration and response files to read, at " + path
                               + " (does a file name itself through others?)";
            return;
        }
        ++m_filesRead;
        std::string text;
        if (!m_read(path, text)) {
            m_result.failure = std::string("kvncc: fatal: cannot read ") + kind + " " + path + ": " + text;
            return;
        }
        m_bytesRead += text.size();
        if (m_bytesRead > commandBytesAtMost) {
            m_result.failure = "kvncc: fatal: configuration and response files of more than "
                               + std::to_string(commandBytesAtMost) + " bytes in all, at " + path;
            return;
        }
        // A word holding a NUL would be cut short, unseen, on its way to the compiler.
        if (text.find('\0') != std::string::npos) {
            m_result.failure = std::string("kvncc: fatal: ") + kind + " " + path
                               + " holds a NUL byte; it is not a text file";
            return;
        }
        words(splitWords(text), depth + 1);
    }

    void option(const std::string &word)
    {
        const std::vector<SwitchMatch> matches = matchSwitch(word);
        if (matches.empty()) {
            m_result.options.compilerOptions.push_back(word);
            return;
        }
        for (const SwitchMatch &match : matches) {
            const SwitchInfo &info = *match.info;
            if (info.effect == SwitchEffect::Ignored) {
                // Only the switch's own name is echoed: a value the user
                // typed could hold any word.
                const std::string shown = std::string(info.name) + (info.takesValue ? "..." : "");
                warnOnce(shown, "kvncc: warning: " + shown + " ignored: " + std::string(info.why));
                continue;
            }
            if (info.takesValue && !valueUsable(info, match.value))
                continue;
            info.apply(m_result.options, match.value);
        }
    }

    bool valueUsable(const SwitchInfo &info, std::string_view value)
    {
        const std::string name(info.name);
        if (value.empty()) {
            warnOnce(name, "kvncc: warning: " + name + " without a value ignored");
            return false;
        }
        if ((name == "-j" || name == "-g") && !number(value)) {
            warnOnce(name, "kvncc: warning: " + name + " needs a whole number; ignored");
            return false;
        }
        return true;
    }
};

} // namespace

const std::vector<SwitchInfo> &knownSwitches()
{
    return table;
}

std::vector<SwitchMatch> matchSwitch(std::string_view word)
{
    if (const SwitchInfo *info = exact(word))
        return {{info, {}}};
    const SwitchInfo *best = nullptr;
    for (const SwitchInfo &info : table) {
        if (info.takesValue && word.starts_with(info.name) && (!best || info.name.size() > best->name.size()))
            best = &info;
    }
    if (best)
        return {{best, word.substr(best->name.size())}};
    return targetLetters(word);
}

ParseResult parseCommandLine(const std::vector<std::string> &args, const FileReader &read)
{
    Parser parser(read);
    parser.words(args, 0);
    return parser.take();
}

} // namespace kvncc
