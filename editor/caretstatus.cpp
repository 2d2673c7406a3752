#include "caretstatus.h"

#include <cmath>
#include <limits>

CaretStatus::CaretStatus(EditorState &state, EditorControls controls, const CTextBoxEx &textBoxEx)
    : m_state(state)
    , m_controls(controls)
    , m_textBoxEx(textBoxEx)
{
}

QString CaretStatus::caretLineText(int line, int lineCount)
{
    return QStringLiteral("Current line: %1 out of %2 line(s)").arg(line + 1).arg(lineCount);
}

QString CaretStatus::gotoLineText(int line, int lineCount)
{
    return QStringLiteral("Current line: %1 (out of %2 lines)").arg(line + 1).arg(lineCount);
}

void CaretStatus::showCaretLine()
{
    const int line = m_textBoxEx.GetLineFromChar(m_controls.Text1.selectionStart());
    m_controls.lblLine.setCaption(caretLineText(line, m_textBoxEx.LineCount()));
}

void CaretStatus::Text1_Change()
{
    m_state.FileSaved = false;
    m_state.JustNew = false;
    m_state.LastSearchPos = m_controls.Text1.selectionStart();
    showCaretLine();
    m_controls.window.setTitle(m_state.FormName + QStringLiteral(" #"));
    m_controls.lblFilename.setColours(m_state.colours.FSaveB_N, m_state.colours.FSaveT_N);
}

std::optional<int> CaretStatus::parseLineNumber(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    double rounded = std::round(value);
    if (std::abs(value - std::trunc(value)) == 0.5)
        rounded = 2 * std::round(value / 2);
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(rounded);
}

void CaretStatus::txtGotoLine_KeyPress(int KeyAscii)
{
    if (KeyAscii == Keys::Enter)
        goToLine();
}

void CaretStatus::goToLine()
{
    const std::optional<int> number = parseLineNumber(m_controls.txtGotoLine.text());
    const int count = m_textBoxEx.LineCount();
    // Line 0 means the start of the caret's own line; negative lines name nothing.
    if (number && *number >= 0 && *number <= count) {
        if (const std::optional<int> start = m_textBoxEx.GetCharFromLine(*number - 1)) {
            m_controls.Text1.setSelectionStart(*start);
            const int line = m_textBoxEx.GetLineFromChar(m_controls.Text1.selectionStart());
            m_controls.lblLine.setCaption(gotoLineText(line, m_textBoxEx.LineCount()));
        }
    }
    m_controls.Text1.setFocus();
}
