#include "kvncc/buildplan.h"

#include <algorithm>

namespace kvncc {

namespace {

std::string baseName(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string join(const std::string &folder, const std::string &name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return text;
}

std::string extensionOf(const std::string &path)
{
    const std::string name = baseName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : lower(name.substr(dot));
}

bool isC(const BuildOptions &options, const std::string &source)
{
    return options.language == Language::ByExtension && extensionOf(source) == ".c";
}

class Planner
{
public:
    Planner(const BuildOptions &options, const Toolchain &toolchain, const CompatLayer &compat,
            const std::function<bool(const std::string &)> &exists, const SourceExaminer &examine)
        : m_options(options)
        , m_toolchain(toolchain)
        , m_compat(compat)
        , m_exists(exists)
        , m_examine(examine)
    {
    }

    BuildPlan plan()
    {
        BuildPlan plan;
        plan.outputFolder = m_options.outputFolder;
        if (m_options.sources.empty() && (m_options.objects.empty() || m_options.stage != Stage::Link)) {
            plan.failure = "kvncc: fatal: no source file given";
            return plan;
        }
        if (!m_options.objectName.empty() && m_options.sources.size() > 1) {
            plan.failure = "kvncc: fatal: -o names one object file, but " + std::to_string(m_options.sources.size())
                           + " sources were given";
            return plan;
        }
        for (const std::string &source : m_options.sources) {
            if (!m_exists(source)) {
                plan.failure = "kvncc: fatal: cannot find source file " + source;
                return plan;
            }
        }

        std::vector<std::string> objects;
        bool anyCpp = false;
        for (const std::string &source : m_options.sources) {
            anyCpp = anyCpp || !isC(m_options, source);
            compile(plan, source, objects);
        }
        if (m_options.stage != Stage::Link && m_options.stage != Stage::AssemblyThenObject)
            return plan;

        objects.insert(objects.end(), m_options.objects.begin(), m_options.objects.end());
        // Objects given on the command line may be C++: link those with the C++ driver.
        link(plan, objects, anyCpp || !m_options.objects.empty());
        return plan;
    }

private:
    const BuildOptions &m_options;
    const Toolchain &m_toolchain;
    const CompatLayer &m_compat;
    const std::function<bool(const std::string &)> &m_exists;
    const SourceExaminer &m_examine;

    bool gcc() const { return m_toolchain.family == CompilerFamily::Gcc; }

    std::string placed(const std::string &source, const std::string &extension) const
    {
        const std::string folder = m_options.outputFolder.empty() ? folderOf(source) : m_options.outputFolder;
        return join(folder, withExtension(baseName(source), extension));
    }

    std::string objectFor(const std::string &source) const
    {
        if (m_options.objectName.empty())
            return placed(source, ".obj");
        std::string name = m_options.objectName;
        if (extensionOf(name).empty())
            name += ".obj";
        if (!m_options.outputFolder.empty() && name[0] != '/')
            name = join(m_options.outputFolder, name);
        return name;
    }

    std::string executable() const
    {
        if (!m_options.executable.empty()) {
            if (!m_options.outputFolder.empty() && m_options.executable.find('/') == std::string::npos)
                return join(m_options.outputFolder, m_options.executable);
            return m_options.executable;
        }
        const std::string &first = m_options.sources.empty() ? m_options.objects.front() : m_options.sources.front();
        return placed(first, m_options.sharedLibrary ? ".so" : ".exe");
    }

    std::vector<std::string> sanitizers() const
    {
        std::vector<std::string> kinds;
        if (m_options.addressChecks)
            kinds.emplace_back("address");
        if (m_options.undefinedChecks)
            kinds.emplace_back("undefined");
        else if (m_options.thisPointerChecks)
            kinds.emplace_back("null");
        if (kinds.empty())
            return {};
        std::string flag = "-fsanitize=";
        for (std::size_t i = 0; i < kinds.size(); ++i)
            flag += (i ? "," : "") + kinds[i];
        return {flag};
    }

    // What every compile of a source in the given language needs.
    std::vector<std::string> codeFlags(bool cpp) const
    {
        std::vector<std::string> f;
        for (const std::string &folder : m_options.includeFolders)
            f.push_back("-I" + folder);
        if (!m_compat.wrappers.empty()) {
            f.emplace_back("-isystem");
            f.push_back(m_compat.wrappers);
        }
        if (!m_compat.headers.empty()) {
            f.emplace_back("-idirafter");
            f.push_back(m_compat.headers);
        }
        // What the old compilers let pass with a warning (the old for-scope
        // rule, a jump past an initialisation) GCC also lets pass so.
        if (cpp && gcc())
            f.emplace_back("-fpermissive");
        // The compiler's passes hand over through pipes, not files.
        f.emplace_back("-pipe");
        // No echo of the source under a message: a quoted line holding
        // "error" must not make a clean build's output read as failed.
        f.emplace_back(gcc() ? "-fno-diagnostics-show-caret" : "-fno-caret-diagnostics");
        for (const MacroSwitch &macro : m_options.macros)
            f.push_back((macro.define ? "-D" : "-U") + macro.text);

        switch (m_options.optimisation) {
        case Optimisation::Size: f.emplace_back("-Os"); break;
        case Optimisation::Speed: f.emplace_back("-O2"); break;
        case Optimisation::None: f.emplace_back("-O0"); break;
        case Optimisation::Unset:
            if (m_options.basicOptimisation)
                f.emplace_back("-O1");
            break;
        }
        if (m_options.scheduling && gcc()) {
            f.emplace_back(*m_options.scheduling ? "-fschedule-insns" : "-fno-schedule-insns");
            f.emplace_back(*m_options.scheduling ? "-fschedule-insns2" : "-fno-schedule-insns2");
        }
        if (m_options.debugInfo)
            f.emplace_back("-g");
        else if (m_options.lineNumbers)
            f.emplace_back("-g1");
        switch (m_options.warnings) {
        case Warnings::Common: f.emplace_back("-Wall"); break;
        case Warnings::Extra:
            f.emplace_back("-Wall");
            f.emplace_back("-Wextra");
            break;
        case Warnings::Off: f.emplace_back("-w"); break;
        }
        if (m_options.warningsAsErrors)
            f.emplace_back("-Werror");
        if (m_options.unsignedChar)
            f.emplace_back(*m_options.unsignedChar ? "-funsigned-char" : "-fsigned-char");
        if (m_options.stackCheck)
            f.emplace_back("-fstack-clash-protection");
        if (cpp && !m_options.exceptions)
            f.emplace_back("-fno-exceptions");
        if (cpp && !m_options.rtti)
            f.emplace_back("-fno-rtti");
        if (!m_options.inlineFunctions)
            f.emplace_back("-fno-inline");
        if (m_options.threads)
            f.emplace_back("-pthread");
        if (m_options.sharedLibrary)
            f.emplace_back("-fPIC");
        if (m_options.strictIso)
            f.emplace_back(cpp ? "-std=c++17" : "-std=c17");
        if (m_options.shortEnums)
            f.emplace_back("-fshort-enums");
        if (m_options.mergeStrings && gcc())
            f.emplace_back(*m_options.mergeStrings ? "-fmerge-constants" : "-fno-merge-constants");
        if (m_options.fastFloat)
            f.emplace_back("-ffast-math");
        for (std::string &flag : sanitizers())
            f.push_back(std::move(flag));
        if (m_options.errorLimit >= 0)
            f.push_back((gcc() ? "-fmax-errors=" : "-ferror-limit=") + std::to_string(m_options.errorLimit));
        for (const std::string &option : m_options.assemblerOptions) {
            f.emplace_back("-Xassembler");
            f.push_back(option);
        }
        f.insert(f.end(), m_options.compilerOptions.begin(), m_options.compilerOptions.end());
        return f;
    }

    void compile(BuildPlan &plan, const std::string &source, std::vector<std::string> &objects) const
    {
        const bool cpp = !isC(m_options, source);
        BuildStep step;
        step.kind = BuildStep::Kind::Compile;
        step.input = source;
        step.argv = {cpp ? m_toolchain.cxx : m_toolchain.cc, "-x", cpp ? "c++" : "c"};
        for (std::string &flag : codeFlags(cpp))
            step.argv.push_back(std::move(flag));
        if (m_examine) {
            step.traits = m_examine(source, cpp);
            for (const std::string &name : step.traits.ownNames)
                step.argv.push_back("-DKVN_OWN_" + name);
            if (step.traits.oldPointers) {
                for (const char *word : {"-Dfar=", "-Dnear=", "-Dhuge="})
                    step.argv.emplace_back(word);
            }
            if (step.traits.needsCopy()) {
                // The copy lives elsewhere; "..." includes are still looked
                // for beside the source.
                step.fromCopy = true;
                step.argv.push_back("-iquote");
                step.argv.push_back(folderOf(source).empty() ? "." : folderOf(source));
            }
        }

        const bool viaAssembler = m_options.stage == Stage::Assembly || m_options.stage == Stage::AssemblyThenObject;
        step.output = viaAssembler ? placed(source, ".asm") : objectFor(source);
        step.argv.emplace_back(viaAssembler ? "-S" : "-c");
        step.argv.push_back(source);
        step.argv.emplace_back("-o");
        step.argv.push_back(step.output);
        plan.steps.push_back(step);
        if (m_options.stage == Stage::Assembly)
            return;

        if (m_options.stage == Stage::AssemblyThenObject) {
            BuildStep assemble;
            assemble.kind = BuildStep::Kind::Assemble;
            assemble.input = step.output;
            assemble.output = objectFor(source);
            assemble.argv = {m_toolchain.cc, "-x", "assembler", "-c", assemble.input, "-o", assemble.output};
            for (const std::string &option : m_options.assemblerOptions) {
                assemble.argv.emplace_back("-Xassembler");
                assemble.argv.push_back(option);
            }
            plan.steps.push_back(assemble);
            objects.push_back(assemble.output);
            return;
        }
        if (m_options.stage == Stage::Link)
            objects.push_back(step.output);
    }

    void link(BuildPlan &plan, const std::vector<std::string> &objects, bool cpp) const
    {
        BuildStep step;
        step.kind = BuildStep::Kind::Link;
        step.output = executable();
        step.input = objects.front();
        step.argv = {cpp ? m_toolchain.cxx : m_toolchain.cc};
        if (!m_toolchain.fastLinker.empty())
            step.argv.push_back("-fuse-ld=" + m_toolchain.fastLinker);
        step.argv.insert(step.argv.end(), objects.begin(), objects.end());
        step.argv.emplace_back("-o");
        step.argv.push_back(step.output);
        if (m_options.sharedLibrary)
            step.argv.emplace_back("-shared");
        if (m_options.threads)
            step.argv.emplace_back("-pthread");
        for (std::string &flag : sanitizers())
            step.argv.push_back(std::move(flag));
        for (const std::string &folder : m_options.libraryFolders)
            step.argv.push_back("-L" + folder);
        for (const std::string &library : m_options.libraries) {
            // name.lib in the old style names a library to search for.
            if (extensionOf(library) == ".lib" && !m_exists(library))
                step.argv.push_back("-l" + withExtension(baseName(library), ""));
            else
                step.argv.push_back(library);
        }
        if (!m_compat.library.empty())
            step.argv.push_back(m_compat.library);
        if (!cpp)
            step.argv.emplace_back("-lm"); // the C++ driver links the maths library by itself
        std::vector<std::string> linkerOptions = m_options.linkerOptions;
        if (m_options.mapFile)
            linkerOptions.push_back("-Map=" + withExtension(step.output, ".map"));
        for (const std::string &option : linkerOptions) {
            step.argv.emplace_back("-Xlinker");
            step.argv.push_back(option);
        }
        step.argv.insert(step.argv.end(), m_options.compilerOptions.begin(), m_options.compilerOptions.end());
        plan.steps.push_back(step);

        if (m_options.debugInfo) {
            BuildStep debug;
            debug.kind = BuildStep::Kind::DebugFile;
            debug.input = step.output;
            debug.output = withExtension(step.output, ".tds");
            if (!m_toolchain.objcopy.empty())
                debug.argv = {m_toolchain.objcopy, "--only-keep-debug", debug.input, debug.output};
            plan.steps.push_back(debug);
        }
    }
};

} // namespace

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string withExtension(const std::string &path, const std::string &extension)
{
    const std::size_t nameStart = path.size() - baseName(path).size();
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return path + extension;
    return path.substr(0, dot) + extension;
}

BuildPlan planBuild(const BuildOptions &options, const Toolchain &toolchain, const CompatLayer &compat,
                    const std::function<bool(const std::string &)> &exists, const SourceExaminer &examine)
{
    return Planner(options, toolchain, compat, exists, examine).plan();
}

} // namespace kvncc
