// Opening and saving a very large C source file through the document
// commands, over real files and the real editor box.
//
//   bench_document [--lines N]
//
// Writes an N-line C file (a million lines, about 50 MB, by default) with LF
// line ends into a temporary folder, opens it with Document::OpenSourceFile,
// saves it with mnuSave_Click and prints the times and the process's
// resident memory against the targets. Then it times each step of the open
// and the save on its own, to show where the time goes. Exits 1 when the
// saved file differs from the one opened or the editor shows the wrong
// text, 2 on bad usage. Missed targets are reported, not failed.

#include "bench/benchargs.h"
#include "bench/bencheditor.h"
#include "editor/caretstatus.h"
#include "editor/document.h"
#include "editor/textformat.h"
#include "platform/fake/fakecontrols.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakemessages.h"
#include "platform/qt/qtfilesystem.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double openTargetMs = 1500;
constexpr double saveTargetMs = 500;
constexpr double memoryTargetFactor = 6;

double millisSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Line index of a C file made of one 16-line function after another, about
// 50 bytes a line. Comments carry two-, three- and four-byte UTF-8.
std::string cLine(int index)
{
    static const char *const lines[16] = {
        "/* Größe der Einträge — naïve café %d 🙂: weighted sum of one batch of items */",
        "static long compute_weighted_total_%d(const struct inventory_item *items, size_t count)",
        "{",
        "    long total = 0; /* running sum; may go below zero when the weights win */",
        "    for (size_t index = 0; index < count; ++index) {",
        "        if ((items[index].flags & (1u << %d)) != 0 && items[index].enabled)",
        "            total += (long)items[index].value * %d + items[index].bonus;",
        "        else",
        "            total -= (long)items[index].weight; // €%d surcharge, never refunded",
        "    }",
        "    fprintf(stderr, \"compute_weighted_total_%d: %%ld\\n\", total);",
        "    assert(total >= LONG_MIN / 2 && total <= LONG_MAX / 2);",
        "    return total;",
        "}",
        "",
        "#define INVENTORY_LIMIT_%d (%d * sizeof(struct inventory_item)) /* límite */",
    };
    // Each function has its own number, kept within what its line means.
    static const int modulus[16] = {0, 0, 0, 0, 0, 32, 1000, 0, 100, 0, 0, 0, 0, 0, 0, 0};
    const int n = index / 16;
    const int kind = index % 16;
    char line[200];
    std::snprintf(line, sizeof line, lines[kind], modulus[kind] ? n % modulus[kind] : n, n % 4096);
    return line;
}

// Writes the same generated file to every path, a block at a time so that
// the whole file is never held in memory. Returns its size, or -1.
qint64 writeSource(int lines, const QStringList &paths)
{
    std::vector<std::unique_ptr<QFile>> files;
    for (const QString &path : paths) {
        files.push_back(std::make_unique<QFile>(path));
        if (!files.back()->open(QIODevice::WriteOnly))
            return -1;
    }
    qint64 total = 0;
    std::string block;
    const auto flush = [&] {
        for (const auto &file : files) {
            if (file->write(block.data(), qint64(block.size())) != qint64(block.size()))
                return false;
        }
        total += qint64(block.size());
        block.clear();
        return true;
    };
    for (int i = 0; i < lines; ++i) {
        block += cLine(i);
        block += '\n';
        if (block.size() >= 1 << 20 && !flush())
            return -1;
    }
    return flush() ? total : -1;
}

std::optional<QByteArray> readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// Resident and peak resident memory of this process, in bytes.
struct Memory
{
    qint64 resident = 0;
    qint64 peak = 0;
};

Memory memoryNow()
{
    Memory memory;
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return memory;
    char row[256];
    long kb = 0;
    while (std::fgets(row, sizeof row, status)) {
        if (std::sscanf(row, "VmRSS: %ld kB", &kb) == 1)
            memory.resident = qint64(kb) * 1024;
        else if (std::sscanf(row, "VmHWM: %ld kB", &kb) == 1)
            memory.peak = qint64(kb) * 1024;
    }
    std::fclose(status);
    return memory;
}

double mb(qint64 bytes)
{
    return double(bytes) / (1024 * 1024);
}

const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

// The compile panel's side of the document, reduced to what it was told.
class RecordingSourceLink : public SourceLink
{
public:
    void documentIsNew() override {}
    void documentOpened(const QString &path) override { opened = path; }
    void documentSaved(const QString &path) override { saved = path; }
    void forceCppCompile() override { forced = true; }

    QString opened;
    QString saved;
    bool forced = false;
};

int failures = 0;

void fail(const char *what, const QString &detail = {})
{
    ++failures;
    std::printf("WRONG: %s%s%s\n", what, detail.isEmpty() ? "" : ": ", qPrintable(detail));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int lines = 1'000'000;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lines")) {
            lines = positiveArg("bench_document", i + 1 < argc ? argv[++i] : nullptr);
        } else {
            std::fprintf(stderr, "usage: bench_document [--lines N]\n");
            return 2;
        }
    }

    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_document: no temporary folder: %s\n", qPrintable(folder.errorString()));
        return 2;
    }
    const QString path = folder.filePath(QStringLiteral("big.c"));
    const QString original = folder.filePath(QStringLiteral("original.c"));
    const auto generateStart = Clock::now();
    const qint64 fileSize = writeSource(lines, {path, original});
    if (fileSize < 0) {
        std::fprintf(stderr, "bench_document: cannot write into %s\n", qPrintable(folder.path()));
        return 2;
    }
    std::printf("file: %d lines, %lld bytes (%.1f MB), LF line ends, written in %.0f ms\n", lines,
                static_cast<long long>(fileSize), mb(fileSize), millisSince(generateStart));

    BenchEditor bench(true);
    ScintillaTextBox &box = bench.box;
    EditorState &state = bench.state;
    QtFileSystem files;
    FakeMessages messages;
    FakeFileDialogs dialogs;
    RecordingSourceLink sourceLink;
    FakeMenuItem mnuFileSaved(false);
    Document document(state, bench.controls, bench.textBoxEx, {files, messages, dialogs, sourceLink}, mnuFileSaved);
    state.WorkDir = files.currentFolder();

    const Memory before = memoryNow();

    auto phase = Clock::now();
    QString openPath = path;
    const bool opened = document.OpenSourceFile(Document::OpenMode::LoadGiven, openPath, {});
    const double loadMs = millisSince(phase);
    phase = Clock::now();
    bench.editor.viewport()->repaint();
    QApplication::processEvents();
    const double paintMs = millisSince(phase);
    const double openMs = loadMs + paintMs;
    const Memory afterOpen = memoryNow();

    if (!opened || state.GoCancel)
        fail("the file was not opened", messages.titles().join(QStringLiteral(", ")));
    if (!messages.calls.isEmpty())
        fail("the open asked or told the user something", messages.titles().join(QStringLiteral(", ")));
    if (sourceLink.opened != path || sourceLink.forced)
        fail("the compile panel was not told of the open", sourceLink.opened);
    if (document.format() != TextFormat{})
        fail("the file was not read as UTF-8 with LF line ends");
    if (box.lineCount() != lines + 1)
        fail("the editor holds the wrong number of lines", QString::number(box.lineCount()));
    if (bench.lblLine.caption() != CaretStatus::caretLineText(0, lines + 1))
        fail("the status line shows the wrong count", bench.lblLine.caption());
    if (!state.FileSaved)
        fail("the document opened counts as unsaved");
    for (int i = 0; i < lines; i += std::max(1, lines / 1000)) {
        if (box.lineText(i) != QString::fromStdString(cLine(i))) {
            fail("the editor shows a line other than the file's", box.lineText(i));
            break;
        }
    }

    phase = Clock::now();
    document.mnuSave_Click();
    const double saveMs = millisSince(phase);

    if (state.GoCancel || !messages.calls.isEmpty())
        fail("the save did not complete", messages.titles().join(QStringLiteral(", ")));
    if (sourceLink.saved != path)
        fail("the compile panel was not told of the save", sourceLink.saved);
    {
        const std::optional<QByteArray> saved = readAll(path);
        const std::optional<QByteArray> wanted = readAll(original);
        if (!saved || !wanted) {
            fail("the saved file cannot be read back");
        } else if (*saved != *wanted) {
            qsizetype at = 0;
            while (at < saved->size() && at < wanted->size() && saved->at(at) == wanted->at(at))
                ++at;
            fail("the saved bytes differ from the file opened",
                 QStringLiteral("%1 bytes instead of %2, first difference at byte %3")
                     .arg(saved->size())
                     .arg(wanted->size())
                     .arg(at));
        }
    }

    const double factor = double(afterOpen.resident) / double(fileSize);
    std::printf("\nopen:   %7.0f ms  (%.0f ms load + %.0f ms first paint)   target < %.0f ms: %s\n", openMs, loadMs,
                paintMs, openTargetMs, verdict(openMs < openTargetMs));
    std::printf("save:   %7.0f ms   target < %.0f ms: %s\n", saveMs, saveTargetMs, verdict(saveMs < saveTargetMs));
    std::printf("memory: %7.1f MB resident after open = %.2f x file size   target < %.0f x: %s\n",
                mb(afterOpen.resident), factor, memoryTargetFactor, verdict(factor < memoryTargetFactor));
    std::printf("        %7.1f MB before open, so the document added %.1f MB = %.2f x file size\n",
                mb(before.resident), mb(afterOpen.resident - before.resident),
                double(afterOpen.resident - before.resident) / double(fileSize));
    std::printf("        %7.1f MB at the peak so far = %.2f x file size (%.1f MB before the open)\n", mb(afterOpen.peak),
                double(afterOpen.peak) / double(fileSize), mb(before.peak));

    // The same work one step at a time, holding each result, so that every
    // step's time and the memory its result takes show on their own.
    std::printf("\nsteps (time, resident memory after the step):\n");
    const auto step = [](const char *name, Clock::time_point start) {
        const double ms = millisSince(start);
        std::printf("  %-34s %7.0f ms %9.1f MB\n", name, ms, mb(memoryNow().resident));
    };
    phase = Clock::now();
    const std::optional<QByteArray> bytes = files.read(path);
    step("QtFileSystem::read", phase);
    phase = Clock::now();
    const DecodedText decoded = TextCodec::decode(bytes.value_or(QByteArray()));
    step("TextCodec::decode", phase);
    phase = Clock::now();
    const QByteArray utf8 = decoded.text.toUtf8();
    step("QString::toUtf8 (setText does one)", phase);
    phase = Clock::now();
    box.setText(decoded.text);
    step("ScintillaTextBox::setText", phase);
    phase = Clock::now();
    const QString text = box.text();
    step("ScintillaTextBox::text", phase);
    phase = Clock::now();
    const TextCodec::Encoded encoded = TextCodec::encode(text, decoded.format);
    step("TextCodec::encode", phase);
    phase = Clock::now();
    const FileSystem::WriteResult written = files.write(folder.filePath(QStringLiteral("copy.c")), encoded.bytes);
    step("QtFileSystem::write", phase);
    if (!written.ok || encoded.bytes.size() != fileSize)
        fail("the step-by-step save went wrong", written.error);

    if (failures > 0) {
        std::printf("\n%d wrong answers\n", failures);
        return 1;
    }
    std::printf("\nsaved file identical to the file opened; all answers right\n");
    return 0;
}
