// The search bar on a very large document in the real editor box: downward
// and upward searches and a replace, driven through TextSearch as the main
// window drives it.
//
//   bench_search [--lines N] [--runs N]
//
// Builds an N-line document (a million lines, about 50 MB of UTF-8, by
// default), loads it into a ScintillaTextBox and times each search case and
// the replace, printing milliseconds per operation against the 50 ms target.
// Every answer is checked against QString::indexOf / lastIndexOf on the same
// text. Exits 1 on a wrong answer, 2 on bad usage; a missed target is
// reported, not failed.

#include "bench/benchargs.h"
#include "bench/bencheditor.h"
#include "editor/caretstatus.h"
#include "editor/textsearch.h"
#include "platform/fake/fakecontrols.h"
#include "platform/fake/fakemessages.h"
#include "platform/qt/editorwidget.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double targetMs = 50;

const QString nearStart = QStringLiteral("kvn_marker_near_start");
const QString nearEnd = QStringLiteral("kvn_marker_near_end");
const QString absent = QStringLiteral("kvn_marker_absent");
const QString frequent = QStringLiteral("total");

double millisSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// About 48 characters a line, CR LF after it: a million lines make 50 MB.
// Some lines carry é, € and 😀, so that a position is only right when the
// box converts between Scintilla's bytes and QString units.
QString lineOf(int index)
{
    switch (index % 8) {
    case 0:
        return QStringLiteral("/* block %1: café €, naïve 😀, déjà */").arg(index, 7, 10, QLatin1Char('0'));
    case 1:
        return QStringLiteral("static long total_%1 = 0L; /* running sum */").arg(index, 7, 10, QLatin1Char('0'));
    case 2:
        return QStringLiteral("for (size_t index = 0; index < count_%1; ++index) {").arg(index, 7, 10, QLatin1Char('0'));
    case 3:
        return QStringLiteral("    total += items[index].value * %1; // € each").arg(index, 7, 10, QLatin1Char('0'));
    case 4:
        return QStringLiteral("    if (total < 0) total = -total; /* positive */");
    case 5:
        return QStringLiteral("} /* end of the loop */");
    case 6:
        return QStringLiteral("printf(\"%ld\\n\", total); /* at line %1 */").arg(index, 7, 10, QLatin1Char('0'));
    default:
        return QStringLiteral("#define LIMIT_%1 (%1 * sizeof(long) + 16)").arg(index, 7, 10, QLatin1Char('0'));
    }
}

QString makeDocument(int lines)
{
    QString text;
    text.reserve(qsizetype(lines) * 50);
    const int startMarker = std::min(lines - 1, 10);
    const int endMarker = std::max(0, lines - 10);
    for (int i = 0; i < lines; ++i) {
        if (i > 0)
            text += QStringLiteral("\r\n");
        text += lineOf(i);
        if (i == startMarker)
            text += QStringLiteral(" // ") + nearStart;
        if (i == endMarker)
            text += QStringLiteral(" // ") + nearEnd;
    }
    return text;
}

// The start of the line nearest the middle, so that no search starts inside a character.
int middleOf(const QString &text)
{
    const qsizetype at = text.indexOf(QStringLiteral("\r\n"), text.size() / 2);
    return at < 0 ? 0 : int(at + 2);
}

struct Case
{
    const char *name;
    char button; // '>' or '<'
    QString pattern;
    int lastSearchPos;
};

// Where the search bar must leave the selection and LastSearchPos.
struct Answer
{
    int selStart;
    int selLength;
    int lastSearchPos;
    bool operator==(const Answer &) const = default;
};

// The search as QString does it: downwards the first match at or after
// 0-based offset LastSearchPos, upwards the last one at or before
// LastSearchPos - 1; nothing found leaves everything as it was.
Answer expected(const QString &text, const Case &c, Answer before)
{
    if (c.button == '>') {
        const qsizetype at = text.indexOf(c.pattern, c.lastSearchPos);
        return at < 0 ? before : Answer{int(at), int(c.pattern.size()), int(at) + 1};
    }
    if (c.lastSearchPos < 1)
        return before;
    const qsizetype at = text.lastIndexOf(c.pattern, std::min<qsizetype>(c.lastSearchPos - 1, text.size()));
    return at < 0 ? before : Answer{int(at), int(c.pattern.size()), int(at)};
}

void report(const char *name, double meanMs, double minMs, int runs)
{
    std::printf("%-34s %9.2f ms/op  (best %8.2f, %d runs)  %s\n", name, meanMs, minMs, runs,
                meanMs < targetMs ? "under 50 ms" : "NOT under 50 ms");
}

} // namespace

int main(int argc, char *argv[])
{
    // QApplication first: it takes its own options (-platform ...) out of argv.
    QApplication app(argc, argv);
    int lines = 1'000'000;
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lines"))
            lines = positiveArg("bench_search", i + 1 < argc ? argv[++i] : nullptr);
        else if (!std::strcmp(argv[i], "--runs"))
            runs = positiveArg("bench_search", i + 1 < argc ? argv[++i] : nullptr);
        else {
            std::fprintf(stderr, "usage: bench_search [--lines N] [--runs N]\n");
            return 2;
        }
    }

    // The search bar wired as the main window wires it.
    BenchEditor bench(false);
    EditorWidget &editor = bench.editor;
    ScintillaTextBox &box = bench.box;
    EditorState &state = bench.state;
    CaretStatus &caretStatus = bench.status;
    FakeEntry txtSearch;
    FakeEntry txtReplace;
    FakeCheckBox chkReplace;
    FakeButton cmdReplace;
    FakeMessages messages;
    TextSearch search(state, {box, txtSearch, txtReplace, chkReplace, cmdReplace}, caretStatus, messages);

    auto phase = Clock::now();
    QString text = makeDocument(lines);
    const double buildMs = millisSince(phase);
    phase = Clock::now();
    box.setText(text);
    editor.viewport()->repaint();
    QApplication::processEvents();
    const double loadMs = millisSince(phase);
    std::printf("document: %d lines, %lld UTF-16 units, %lld UTF-8 bytes (built in %.0f ms, loaded in %.0f ms)\n",
                lines, static_cast<long long>(text.size()), static_cast<long long>(text.toUtf8().size()), buildMs,
                loadMs);

    int wrong = 0;
    const auto check = [&](const char *what, const Answer &got, const Answer &want) {
        if (got == want)
            return;
        ++wrong;
        std::printf("WRONG: %s gave selection %d+%d, LastSearchPos %d; expected %d+%d, %d\n", what, got.selStart,
                    got.selLength, got.lastSearchPos, want.selStart, want.selLength, want.lastSearchPos);
    };
    const auto current = [&] { return Answer{box.selectionStart(), box.selectionLength(), state.LastSearchPos}; };

    const int length = int(text.size());
    const int middle = middleOf(text);
    const std::vector<Case> cases = {
        {"down: near the end, from the top", '>', nearEnd, 0},
        {"down: absent, from the top", '>', absent, 0},
        {"down: frequent, from the middle", '>', frequent, middle},
        {"up: near the start, from the end", '<', nearStart, length},
        {"up: absent, from the end", '<', absent, length},
        {"up: frequent, from the middle", '<', frequent, middle},
    };

    for (const Case &c : cases) {
        txtSearch.setText(c.pattern);
        double total = 0;
        double best = 1e300;
        for (int run = 0; run < runs; ++run) {
            box.setSelectionStart(0);
            state.LastSearchPos = c.lastSearchPos;
            const Answer before = current();
            const auto start = Clock::now();
            if (c.button == '>')
                search.cmdNext_Click();
            else
                search.cmdPrev_Click();
            const double ms = millisSince(start);
            total += ms;
            best = std::min(best, ms);
            check(c.name, current(), expected(text, c, before));
            QApplication::processEvents();
        }
        report(c.name, total / runs, best, runs);
    }

    // Replace: find the frequent word from the middle, then overwrite it,
    // a little further down on every run.
    chkReplace.setChecked(true);
    search.chkReplace_Click();
    txtSearch.setText(frequent);
    txtReplace.setText(QStringLiteral("grand_total"));
    double total = 0;
    double best = 1e300;
    int from = middle;
    for (int run = 0; run < runs; ++run) {
        state.LastSearchPos = from;
        const Answer before = current();
        search.cmdNext_Click();
        check("replace: the find before it", current(), expected(text, {"", '>', frequent, from}, before));
        const int caret = box.selectionStart();
        const auto start = Clock::now();
        search.cmdReplace_Click();
        const double ms = millisSince(start);
        total += ms;
        best = std::min(best, ms);
        text.replace(caret, frequent.size(), txtReplace.text());
        check("replace: caret and LastSearchPos", current(), Answer{0, 0, 0});
        from = caret + 1000;
        QApplication::processEvents();
    }
    report("replace at the middle", total / runs, best, runs);
    if (box.textUtf8() != text.toUtf8()) {
        ++wrong;
        std::printf("WRONG: the text after the replaces differs from QString::replace\n");
    }

    if (wrong > 0) {
        std::printf("%d wrong answers\n", wrong);
        return 1;
    }
    std::printf("all answers right\n");
    return 0;
}
