#include "kvncc/sourcecopies.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kvncc {

namespace {

std::string baseName(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

SourceCopies::~SourceCopies()
{
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}

std::string SourceCopies::copyFor(const BuildStep &step, bool cpp, const std::string &text, std::string &problem)
{
    if (m_folder.empty()) {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvncc-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            problem = std::string("cannot make a folder for a copy of the source: ") + std::strerror(errno);
            return {};
        }
        m_folder = pattern;
    }
    // Under the source's own name, which the object file keeps and the
    // linker's messages show.
    const std::string folder = m_folder + "/" + std::to_string(++m_count);
    std::error_code made;
    std::filesystem::create_directory(folder, made);
    const std::string copy = folder + "/" + baseName(step.input);
    std::ofstream out(copy, std::ios::binary);
    out << rewrittenSource(text, step.traits, step.input, cpp);
    out.close();
    if (!out) {
        problem = "cannot write " + copy + ": " + std::strerror(errno);
        return {};
    }
    return copy;
}

} // namespace kvncc
