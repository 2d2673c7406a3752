// Typing in a very large document with the recovery file on and off, and
// the cost of keeping that document's text, over the real editor box and
// real files.
//
//   bench_recovery [--lines N] [--keys K]
//
// Opens an N-line C file (700,000 lines, about 50 MB, by default) with
// Document::OpenSourceFile and types K keys (100 by default) into the middle
// of the editor box, each followed by the events it causes, with the status
// line wired as in the main window, in turns without recovery and with it
// wired as the window wires it; then while a recovery write runs on the
// worker. Prints
// the median, 95th percentile and worst time per key of each, and the time
// one recovery write holds the window and takes in all. Exits 1 when the
// recovery file does not hold the typed text with the file's line ends, 2 on
// bad usage.

#include "bench/benchargs.h"
#include "app/recovery.h"
#include "bench/bencheditor.h"
#include "editor/caretstatus.h"
#include "editor/document.h"
#include "platform/fake/fakecontrols.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakemessages.h"
#include "platform/qt/editorwidget.h"
#include "platform/qt/qtfilesystem.h"
#include "platform/qt/qtstatefiles.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The recovery timer, timing each tick: the time a write holds the window.
class TimedTimer : public Timer
{
public:
    TimedTimer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const auto start = Clock::now();
            if (m_handler)
                m_handler();
            tickMs.push_back(millisSince(start));
        });
    }
    void setInterval(int milliseconds) override { m_timer.setInterval(milliseconds); }
    int interval() const override { return m_timer.interval(); }
    void setEnabled(bool enabled) override { enabled ? m_timer.start() : m_timer.stop(); }
    bool isEnabled() const override { return m_timer.isActive(); }
    void onTimeout(std::function<void()> handler) override { m_handler = std::move(handler); }

    std::vector<double> tickMs;

private:
    QTimer m_timer;
    std::function<void()> m_handler;
};

class NoSourceLink : public SourceLink
{
public:
    void documentIsNew() override {}
    void documentOpened(const QString &) override {}
    void documentSaved(const QString &) override {}
    void forceCppCompile() override {}
};

qint64 writeSource(const QString &path, int lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    QByteArray block;
    for (int i = 0; i < lines; ++i) {
        block += "    total += (long)items[index].value * " + QByteArray::number(i % 1000)
                 + " + items[index].bonus; /* é */\n";
        if (block.size() >= 1 << 20) {
            if (file.write(block) != block.size())
                return -1;
            block.clear();
        }
    }
    return file.write(block) == block.size() ? file.size() : -1;
}

struct Figures
{
    double median = 0;
    double p95 = 0;
    double worst = 0;
};

Figures figuresOf(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    if (ms.empty())
        return {};
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)], ms.back()};
}

void print(const char *what, const Figures &f)
{
    std::printf("%-34s median %7.3f ms   p95 %7.3f ms   worst %7.3f ms\n", what, f.median, f.p95, f.worst);
}

// Types count keys into the box, each with the events it brings, and
// returns the time of each.
std::vector<double> type(EditorWidget &editor, int count, char key)
{
    std::vector<double> ms;
    ms.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        QTest::keyClick(&editor, key);
        QApplication::processEvents();
        ms.push_back(millisSince(start));
    }
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int lines = 700'000;
    int keys = 100;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lines")) {
            lines = positiveArg("bench_recovery", i + 1 < argc ? argv[++i] : nullptr);
        } else if (!std::strcmp(argv[i], "--keys")) {
            keys = positiveArg("bench_recovery", i + 1 < argc ? argv[++i] : nullptr);
        } else {
            std::fprintf(stderr, "usage: bench_recovery [--lines N] [--keys K]\n");
            return 2;
        }
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("big.c"));
    const qint64 size = writeSource(path, lines);
    if (size < 0) {
        std::fprintf(stderr, "bench_recovery: cannot write into %s\n", qPrintable(folder.path()));
        return 2;
    }
    std::printf("file: %d lines, %.1f MB, LF line ends\n", lines, double(size) / (1024 * 1024));

    BenchEditor bench(true);
    EditorWidget &editor = bench.editor;
    ScintillaTextBox &box = bench.box;
    EditorState &state = bench.state;
    QtFileSystem files;
    FakeMessages messages;
    FakeFileDialogs dialogs;
    NoSourceLink sourceLink;
    FakeMenuItem mnuFileSaved(false);
    Document document(state, bench.controls, bench.textBoxEx, {files, messages, dialogs, sourceLink}, mnuFileSaved);
    QString openPath = path;
    if (!document.OpenSourceFile(Document::OpenMode::LoadGiven, openPath, {})) {
        std::fprintf(stderr, "bench_recovery: cannot open %s\n", qPrintable(path));
        return 2;
    }
    // Typing happens in the middle of the document.
    box.setSelectionStart(box.length() / 2);
    editor.setFocus();
    QApplication::processEvents();

    QtStateFiles stateFiles(folder.filePath(QStringLiteral("state/kvn")));
    TimedTimer timer;
    Recovery recovery(state, box, bench.status, document,
                      {stateFiles, messages, timer, [] { return QDateTime::currentDateTimeUtc(); }, files,
                       Recovery::newInstance()});
    bool recoveryOn = false;
    QObject::connect(&editor, &EditorWidget::edited, [&recovery, &recoveryOn] {
        if (recoveryOn)
            recovery.edited();
    });

    // Blocks of keys with recovery off and on take turns, so that both see
    // the same load from whatever else the machine runs.
    std::vector<double> off;
    std::vector<double> on;
    constexpr int block = 10;
    for (int done = 0; done < keys; done += block) {
        recoveryOn = false;
        timer.setEnabled(false);
        const std::vector<double> a = type(editor, std::min(block, keys - done), 'a');
        off.insert(off.end(), a.begin(), a.end());
        recoveryOn = true;
        const std::vector<double> b = type(editor, std::min(block, keys - done), 'b');
        on.insert(on.end(), b.begin(), b.end());
    }
    print("typing, recovery off:", figuresOf(off));
    print("typing, recovery on:", figuresOf(on));

    // The write follows a pause in the typing; the next keys come while
    // the worker converts and writes the text.
    std::vector<double> during;
    for (int round = 0; round < 5; ++round) {
        const size_t ticks = timer.tickMs.size();
        timer.setInterval(1);
        QTest::keyClick(&editor, 'c');
        while (timer.tickMs.size() == ticks)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        timer.setInterval(24 * 3600 * 1000);
        const std::vector<double> ms = type(editor, std::max(1, keys / 10), 'd');
        during.insert(during.end(), ms.begin(), ms.end());
        stateFiles.finish();
    }
    print("typing, recovery write under way:", figuresOf(during));
    timer.setInterval(Recovery::pauseMs);
    timer.tickMs.clear();
    // One write as the timer makes it, after a pause in the typing.
    QTest::keyClick(&editor, 'e');
    while (timer.tickMs.empty())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    stateFiles.finish();

    QTest::keyClick(&editor, 'f');
    QApplication::processEvents();
    const auto keepStart = Clock::now();
    recovery.keepNow();
    const double keepMs = millisSince(keepStart);
    std::printf("one recovery write: window held %.1f ms by the tick; written at once (a signal) in %.1f ms\n",
                timer.tickMs.front(), keepMs);

    // The kept text is the box's, with the file's LF line ends.
    const std::optional<QByteArray> kept = stateFiles.read(recovery.currentName(), Recovery::largestFileBytes);
    QByteArray expected = box.textUtf8();
    expected.replace("\r\n", "\n");
    if (!kept || !kept->endsWith("\n\n" + expected) || kept->contains('\r')) {
        std::printf("WRONG: the recovery file does not hold the text as typed\n");
        return 1;
    }
    std::printf("recovery file: %.1f MB, the text as typed\n", double(kept->size()) / (1024 * 1024));
    return 0;
}
