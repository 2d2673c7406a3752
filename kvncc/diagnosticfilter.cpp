#include "kvncc/diagnosticfilter.h"

namespace kvncc {

DiagnosticFilter::DiagnosticFilter(int warningLimit)
    : m_limit(warningLimit)
{
}

DiagnosticFilter::LineKind DiagnosticFilter::kindOf(std::string_view line)
{
    if (line.find(": warning: ") != std::string_view::npos)
        return LineKind::Warning;
    if (line.find(": error: ") != std::string_view::npos || line.find(": fatal error: ") != std::string_view::npos)
        return LineKind::Error;
    if (line.find(": note: ") != std::string_view::npos)
        return LineKind::Note;
    // GCC and Clang put these before the message they belong to.
    if (line.starts_with("In file included from ") || line.starts_with("                 from ")
        || line.find(": In function ") != std::string_view::npos
        || line.find(": In member function ") != std::string_view::npos
        || line.find(": In constructor ") != std::string_view::npos
        || line.find(": In destructor ") != std::string_view::npos
        || line.find(": In instantiation of ") != std::string_view::npos
        || line.find(": In static member function ") != std::string_view::npos
        || line.find(": At global scope:") != std::string_view::npos
        || line.find(": At top level:") != std::string_view::npos)
        return LineKind::Lead;
    return LineKind::Other;
}

std::string DiagnosticFilter::line(std::string_view text)
{
    switch (kindOf(text)) {
    case LineKind::Lead:
        m_lead += text;
        return {};
    case LineKind::Warning:
        ++m_warnings;
        m_showing = m_limit <= 0 || m_warnings <= m_limit;
        if (!m_showing)
            ++m_withheld;
        break;
    case LineKind::Error:
        m_showing = true;
        break;
    case LineKind::Note:
    case LineKind::Other:
        break;
    }
    std::string out;
    if (m_showing)
        out = m_lead + std::string(text);
    m_lead.clear();
    return out;
}

std::string DiagnosticFilter::feed(std::string_view chunk)
{
    std::string out;
    std::size_t start = 0;
    for (std::size_t end; (end = chunk.find('\n', start)) != std::string_view::npos; start = end + 1) {
        if (!m_partial.empty()) {
            m_partial += chunk.substr(start, end + 1 - start);
            out += line(m_partial);
            m_partial.clear();
        } else {
            out += line(chunk.substr(start, end + 1 - start));
        }
    }
    m_partial += chunk.substr(start);
    return out;
}

std::string DiagnosticFilter::finish()
{
    std::string out;
    if (!m_partial.empty())
        out = line(m_partial);
    m_partial.clear();
    out += m_lead; // an introduction with nothing after it is shown as it came
    m_lead.clear();
    return out;
}

} // namespace kvncc
