#include "kvncc/toolchain.h"
#include "kvncc/words.h"

#include <algorithm>

namespace kvncc {

namespace {

std::string trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

std::string baseName(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Replaces the last occurrence of what in the file name part of path.
bool replaceInName(std::string &path, const std::string &what, const std::string &with)
{
    const std::size_t nameStart = path.size() - baseName(path).size();
    const std::size_t at = path.rfind(what);
    if (at == std::string::npos || at < nameStart)
        return false;
    path.replace(at, what.size(), with);
    return true;
}

const std::vector<std::string> systemFolders = {"/usr/local/bin", "/usr/bin", "/bin"};

} // namespace

void applyCompilerValue(CompilerChoice &choice, const std::string &value)
{
    if (value == "gcc" || value == "clang") {
        choice.family = value == "gcc" ? CompilerFamily::Gcc : CompilerFamily::Clang;
        choice.cc = value;
        choice.cxx = value == "gcc" ? "g++" : "clang++";
        return;
    }
    choice.family = baseName(value).find("clang") != std::string::npos ? CompilerFamily::Clang : CompilerFamily::Gcc;
    choice.cxx = value;
    choice.cc = value;
    if (!replaceInName(choice.cc, "clang++", "clang") && !replaceInName(choice.cc, "g++", "gcc"))
        replaceInName(choice.cc, "c++", "cc");
}

CompilerChoice chooseCompiler(const std::string &configText, const std::string &kvnccCompiler)
{
    CompilerChoice choice;
    std::string cc, cxx;
    std::size_t lineStart = 0;
    for (int lineNumber = 1; lineStart <= configText.size(); ++lineNumber) {
        std::size_t end = configText.find('\n', lineStart);
        if (end == std::string::npos)
            end = configText.size();
        const std::string line = trimmed(std::string_view(configText).substr(lineStart, end - lineStart));
        lineStart = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t equals = line.find('=');
        const std::string key = equals == std::string::npos ? std::string() : trimmed(line.substr(0, equals));
        const std::string value = equals == std::string::npos ? std::string() : trimmed(line.substr(equals + 1));
        if (key == "compiler" && !value.empty())
            applyCompilerValue(choice, value);
        else if (key == "cc" && !value.empty())
            cc = value;
        else if (key == "cxx" && !value.empty())
            cxx = value;
        else if (key == "path")
            for (std::string &folder : splitFolderList(value, ':'))
                choice.extraFolders.push_back(std::move(folder));
        else
            choice.warnings.push_back("kvncc: warning: line " + std::to_string(lineNumber)
                                      + " of kvncc.conf is not understood and is skipped");
    }
    if (!kvnccCompiler.empty()) {
        applyCompilerValue(choice, kvnccCompiler);
        return choice;
    }
    if (!cc.empty())
        choice.cc = cc;
    if (!cxx.empty())
        choice.cxx = cxx;
    return choice;
}

bool findToolchain(const CompilerChoice &choice, const std::string &pathVariable,
                   const std::function<bool(const std::string &)> &isExecutable, Toolchain &toolchain,
                   std::string &problem)
{
    std::vector<std::string> folders = choice.extraFolders;
    for (std::string &folder : splitFolderList(pathVariable, ':'))
        folders.push_back(std::move(folder));
    folders.insert(folders.end(), systemFolders.begin(), systemFolders.end());

    const auto find = [&](const std::string &program) -> std::string {
        if (program.find('/') != std::string::npos)
            return isExecutable(program) ? program : std::string();
        for (const std::string &folder : folders) {
            const std::string candidate = folder + "/" + program;
            if (isExecutable(candidate))
                return candidate;
        }
        return {};
    };

    toolchain.family = choice.family;
    toolchain.cxx = find(choice.cxx);
    toolchain.cc = find(choice.cc);
    for (const auto &[found, wanted] : {std::pair{&toolchain.cxx, &choice.cxx}, std::pair{&toolchain.cc, &choice.cc}}) {
        if (found->empty()) {
            problem = "kvncc: fatal: cannot find the compiler " + *wanted + " (looked in";
            if (wanted->find('/') == std::string::npos) {
                for (const std::string &folder : folders)
                    problem += " " + folder;
            } else {
                problem += " that path only";
            }
            problem += "). Install it (Debian: apt install g++), or name another one in KVNCC_COMPILER or in kvncc.conf.";
            return false;
        }
    }

    std::vector<std::string> searchFolders = {folderOf(toolchain.cxx), folderOf(toolchain.cc)};
    searchFolders.insert(searchFolders.end(), folders.begin(), folders.end());
    std::string searchPath;
    std::vector<std::string> seen;
    for (const std::string &folder : searchFolders) {
        if (std::find(seen.begin(), seen.end(), folder) != seen.end())
            continue;
        seen.push_back(folder);
        searchPath += (searchPath.empty() ? "" : ":") + folder;
    }
    toolchain.searchPath = searchPath;

    toolchain.fastLinker.clear();
    for (const auto &[program, value] : {std::pair{"ld.lld", "lld"}, std::pair{"mold", "mold"}, std::pair{"ld.gold", "gold"}}) {
        const auto it = std::find_if(seen.begin(), seen.end(),
                                     [&](const std::string &folder) { return isExecutable(folder + "/" + program); });
        if (it != seen.end()) {
            toolchain.fastLinker = value;
            break;
        }
    }

    toolchain.objcopy.clear();
    const std::vector<std::string> objcopies = choice.family == CompilerFamily::Clang
                                                   ? std::vector<std::string>{"llvm-objcopy", "objcopy"}
                                                   : std::vector<std::string>{"objcopy", "llvm-objcopy"};
    for (const std::string &name : objcopies) {
        for (const std::string &folder : seen) {
            if (isExecutable(folder + "/" + name)) {
                toolchain.objcopy = folder + "/" + name;
                return true;
            }
        }
    }
    return true;
}

std::vector<std::string> compilerEnvironment(const std::vector<std::string> &environment,
                                             const std::string &searchPath)
{
    std::vector<std::string> result;
    std::string all;
    for (const std::string &entry : environment) {
        if (entry.starts_with("PATH=") || entry.starts_with("LC_MESSAGES=") || entry.starts_with("LANGUAGE="))
            continue;
        if (entry.starts_with("LC_ALL=")) {
            all = entry.substr(7);
            continue;
        }
        result.push_back(entry);
    }
    if (!all.empty()) {
        // LC_ALL outranked LC_CTYPE, so its value is the one in force.
        std::erase_if(result, [](const std::string &entry) { return entry.starts_with("LC_CTYPE="); });
        result.push_back("LC_CTYPE=" + all);
    }
    result.push_back("LC_MESSAGES=C");
    result.push_back("PATH=" + searchPath);
    return result;
}

} // namespace kvncc
