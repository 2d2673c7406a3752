#pragma once

#include <string>
#include <string_view>

namespace kvncc {

// Passes the compiler's output through line by line, counting its warnings
// and, once a warning limit is reached (-g), holding back further warnings
// together with their notes, source excerpts and the "In function ..."
// lines that lead up to them. Errors always pass.
class DiagnosticFilter
{
public:
    explicit DiagnosticFilter(int warningLimit); // 0 or less: no limit

    // Takes a piece of output; returns what is to be shown now.
    std::string feed(std::string_view chunk);
    // Ends the output; returns what is still to be shown.
    std::string finish();

    int warnings() const { return m_warnings; }    // counted, shown or not
    int withheld() const { return m_withheld; }    // not shown because of the limit

private:
    enum class LineKind { Warning, Error, Note, Lead, Other };
    static LineKind kindOf(std::string_view line);
    std::string line(std::string_view text);

    int m_limit;
    int m_warnings = 0;
    int m_withheld = 0;
    bool m_showing = true;
    std::string m_partial; // the unfinished last line of the input so far
    std::string m_lead;    // lines that introduce the next message
};

} // namespace kvncc
