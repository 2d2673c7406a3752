// Cost of CTextBoxEx's line queries over the real editor box on a document of
// a million lines, and a check that the answers are right.
//
//   bench_textboxex [--lines N] [--calls N]
//
// Prints the load time and the mean cost of one call per query. Exits 1 when
// an answer differs from what the document's own layout says, 2 on bad usage.

#include "bench/benchargs.h"
#include "editor/ctextboxex.h"
#include "platform/fake/fakeclipboard.h"
#include "platform/qt/editorwidget.h"
#include "platform/qt/scintillatextbox.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double targetMicros = 20.0;

// Plain lines, empty lines, and lines whose characters take two or three
// UTF-8 bytes (é, €) or two UTF-16 units (𝄞): positions only come out right
// when the box converts between Scintilla's bytes and QString units.
QString lineOf(int index)
{
    switch (index % 8) {
    case 0:
        return {};
    case 3:
        return QStringLiteral("    printf(\"café %1 €\\n\", n);").arg(index);
    case 5:
        return QStringLiteral("    // €€ 𝄞 note %1, déjà vu").arg(index);
    default:
        return QStringLiteral("    total += value[%1];").arg(index);
    }
}

// The text as the box holds it, with where each line starts in QString units.
struct Document
{
    QString text;
    std::vector<int> starts;
    std::vector<int> lengths;

    int lineOfPosition(int pos) const
    {
        const auto after = std::upper_bound(starts.begin(), starts.end(), pos);
        return int(after - starts.begin()) - 1;
    }
};

Document makeDocument(int lines)
{
    Document doc;
    doc.starts.reserve(lines);
    doc.lengths.reserve(lines);
    doc.text.reserve(qsizetype(lines) * 30);
    const QString crlf = QStringLiteral("\r\n");
    for (int i = 0; i < lines; ++i) {
        if (i > 0)
            doc.text += crlf;
        const QString line = lineOf(i);
        doc.starts.push_back(int(doc.text.size()));
        doc.lengths.push_back(int(line.size()));
        doc.text += line;
    }
    return doc;
}

double millisSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs call(i) for i in 0 .. calls - 1 and gives the mean cost of one call.
template<typename Call>
double meanMicros(int calls, Call &&call)
{
    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i)
        call(i);
    return millisSince(start) * 1000.0 / calls;
}

void report(const char *name, double micros, int calls)
{
    std::printf("%-16s %9.3f us/call  over %7d calls  %s\n", name, micros, calls,
                micros < targetMicros ? "under 20 us" : "NOT under 20 us");
}

class Checker
{
public:
    template<typename T>
    void expect(const char *what, long arg, const T &got, const T &want)
    {
        if (got == want)
            return;
        if (++m_failures <= 10)
            std::printf("WRONG: %s(%ld) gave %s, expected %s\n", what, arg, show(got).c_str(),
                        show(want).c_str());
    }
    int failures() const { return m_failures; }

private:
    static std::string show(int v) { return std::to_string(v); }
    static std::string show(const std::optional<int> &v) { return v ? std::to_string(*v) : "nothing"; }
    static std::string show(const QString &v) { return '"' + v.toStdString() + '"'; }

    int m_failures = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    // QApplication first: it takes its own options (-platform ...) out of argv.
    QApplication app(argc, argv);
    int lines = 1'000'000;
    int calls = 1'000'000;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lines"))
            lines = positiveArg("bench_textboxex", i + 1 < argc ? argv[++i] : nullptr);
        else if (!std::strcmp(argv[i], "--calls"))
            calls = positiveArg("bench_textboxex", i + 1 < argc ? argv[++i] : nullptr);
        else {
            std::fprintf(stderr, "usage: bench_textboxex [--lines N] [--calls N]\n");
            return 2;
        }
    }

    EditorWidget editor;
    ScintillaTextBox box(&editor);
    FakeClipboard clipboard;
    CTextBoxEx textBox(clipboard);
    textBox.setTextBox(&box);
    editor.resize(900, 700);
    editor.show();
    QApplication::processEvents();

    const auto buildStart = Clock::now();
    const Document doc = makeDocument(lines);
    const double buildMs = millisSince(buildStart);
    const int length = int(doc.text.size());

    auto phase = Clock::now();
    box.setText(doc.text);
    const double setTextMs = millisSince(phase);
    phase = Clock::now();
    editor.viewport()->repaint();
    QApplication::processEvents();
    const double paintMs = millisSince(phase);

    std::printf("document: %d lines, %d UTF-16 units, %lld UTF-8 bytes (built in %.0f ms)\n", lines,
                length, static_cast<long long>(doc.text.toUtf8().size()), buildMs);
    std::printf("load: %.0f ms setText + %.0f ms first paint = %.0f ms\n", setTextMs, paintMs,
                setTextMs + paintMs);

    Checker check;

    // A few answers at the edges, where an off-by-one or a byte/unit mix-up shows first.
    check.expect("LineCount", 0, textBox.LineCount(), lines);
    check.expect("GetCharFromLine", -1, textBox.GetCharFromLine(-1), std::optional<int>(0));
    check.expect("GetCharFromLine", lines, textBox.GetCharFromLine(lines), std::optional<int>());
    check.expect("GetCharFromLine", -2, textBox.GetCharFromLine(-2), std::optional<int>());
    check.expect("GetLineFromChar", length, textBox.GetLineFromChar(length), lines - 1);
    check.expect("GetLineFromChar", length + 5L, textBox.GetLineFromChar(length + 5), lines - 1);
    check.expect("LineLen", length, textBox.LineLen(length), doc.lengths.back());
    check.expect("GetLine", lines - 1L, textBox.GetLine(lines - 1), lineOf(lines - 1));
    check.expect("GetLine", lines, textBox.GetLine(lines), QString());

    // Inputs spread over the whole document, the same on every run.
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> anyPosition(0, length);
    std::uniform_int_distribution<int> anyLine(0, lines - 1);
    std::vector<int> positions(calls);
    std::vector<int> lineIndices(calls);
    for (int &p : positions)
        p = anyPosition(random);
    for (int &l : lineIndices)
        l = anyLine(random);

    std::vector<int> intResults(calls);
    std::vector<std::optional<int>> startResults(calls);
    std::vector<QString> textResults(calls);

    report("LineCount", meanMicros(calls, [&](int i) { intResults[i] = textBox.LineCount(); }), calls);
    for (int i = 0; i < calls; ++i)
        check.expect("LineCount", 0, intResults[i], lines);

    report("GetLineFromChar",
           meanMicros(calls, [&](int i) { intResults[i] = textBox.GetLineFromChar(positions[i]); }), calls);
    for (int i = 0; i < calls; ++i)
        check.expect("GetLineFromChar", positions[i], intResults[i], doc.lineOfPosition(positions[i]));

    report("GetCharFromLine",
           meanMicros(calls, [&](int i) { startResults[i] = textBox.GetCharFromLine(lineIndices[i]); }),
           calls);
    for (int i = 0; i < calls; ++i)
        check.expect("GetCharFromLine", lineIndices[i], startResults[i],
                     std::optional<int>(doc.starts[lineIndices[i]]));

    report("LineLen", meanMicros(calls, [&](int i) { intResults[i] = textBox.LineLen(positions[i]); }),
           calls);
    for (int i = 0; i < calls; ++i)
        check.expect("LineLen", positions[i], intResults[i], doc.lengths[doc.lineOfPosition(positions[i])]);

    report("GetLine", meanMicros(calls, [&](int i) { textResults[i] = textBox.GetLine(lineIndices[i]); }),
           calls);
    for (int i = 0; i < calls; ++i)
        check.expect("GetLine", lineIndices[i], textResults[i], lineOf(lineIndices[i]));

    // After an edit the box's index must follow: empty a line holding
    // multi-byte characters, then take the edit back.
    const int edited = std::min(lines - 2, 3 + 8 * (lines / 16));
    if (edited >= 0 && lineOf(edited).size() > 0) {
        const int removed = doc.lengths[edited];
        textBox.DelLine(edited);
        check.expect("LineCount after DelLine", edited, textBox.LineCount(), lines);
        check.expect("GetLine after DelLine", edited, textBox.GetLine(edited), QString());
        check.expect("GetCharFromLine after DelLine", edited + 1L, textBox.GetCharFromLine(edited + 1),
                     std::optional<int>(doc.starts[edited + 1] - removed));
        check.expect("GetLine after DelLine", edited + 1L, textBox.GetLine(edited + 1), lineOf(edited + 1));
        const int lastStart = doc.starts.back() - removed;
        check.expect("GetLineFromChar after DelLine", lastStart, textBox.GetLineFromChar(lastStart), lines - 1);
        textBox.Undo();
        check.expect("GetLine after Undo", edited, textBox.GetLine(edited), lineOf(edited));
        check.expect("GetCharFromLine after Undo", lines - 1L, textBox.GetCharFromLine(lines - 1),
                     std::optional<int>(doc.starts.back()));
    }

    if (check.failures() > 0) {
        std::printf("%d wrong answers\n", check.failures());
        return 1;
    }
    std::printf("all answers right\n");
    return 0;
}
