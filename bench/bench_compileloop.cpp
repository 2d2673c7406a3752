// The whole compile loop as a user meets it: the real main window on a
// saved hello.cpp, Ctrl+F9 pressed as a key, until "Execute your app?" is
// shown, against a plain "g++ -o plain.exe hello.cpp" in the same run. The
// time is split where KVN hands over: key to compiler start, the compiler
// (kvncc with its header cache), compiler end to the question. The
// compiler's start and end are noted by compilerstamp, which stands in its
// place and runs kvncc; the question is caught as it is shown and answered
// No.
//
//   bench_compileloop [--runs N] [--kvncc PATH] [--compiler g++] [--spin yes] [--close yes]
//
// --close yes closes the run window before each Ctrl+F9, as a user who
// reads the output and closes it does; the window then has to be shown
// again before its waiting text can be painted.
// --spin yes waits for the question as a harness that polls without
// sleeping does; on a machine with few processors that takes a processor
// from the compiler, which then looks slower than it is.
//
// It runs under the current QPA (QT_QPA_PLATFORM=offscreen without a
// display). The first compile opens the run window and fills kvncc's
// header cache; it is shown apart, the warm runs after it are the figures.
// The exit status is 1 when a run does not reach the question.
#include "app/widgets/mainwindow.h"
#include "benchargs.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

double nowMs()
{
    timespec t {};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

// The processor time this process has used, user and system.
double processorMs()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Milliseconds that argv takes, run in the current folder with its output
// dropped; nothing when it fails.
std::optional<double> timed(const std::vector<std::string> &argv)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    const double start = nowMs();
    pid_t pid = 0;
    int status = -1;
    if (::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0)
        ::waitpid(pid, &status, 0);
    const double took = nowMs() - start;
    posix_spawn_file_actions_destroy(&actions);
    if (status != 0)
        return std::nullopt;
    return took;
}

// Catches each message box as it shows: notes the time "Execute your
// app?" appeared and answers it No; any other box is a failed loop and is
// answered too, so the run never stalls.
class QuestionCatcher : public QObject
{
public:
    double shownAt = 0;
    QString unexpected;     // the title of a box that should not have come
    double processAt = 0;   // when KVN made the process that runs the shell
    std::vector<double> painted; // when the run window's output box painted
    std::function<void()> onShown;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded && processAt == 0
            && std::strcmp(watched->metaObject()->className(), "QtProcess") == 0)
            processAt = nowMs();
        auto *box = qobject_cast<QMessageBox *>(watched);
        if (!box || event->type() != QEvent::Show)
            return false;
        if (box->windowTitle() == QStringLiteral("Execute your app?")) {
            shownAt = nowMs();
        } else {
            unexpected = box->windowTitle() + QStringLiteral(": ") + box->text();
            shownAt = nowMs();
        }
        QTimer::singleShot(0, box, [box] {
            QAbstractButton *no = box->button(QMessageBox::No);
            (no ? no : box->buttons().constFirst())->click();
        });
        if (onShown)
            onShown();
        return false;
    }
};

struct Stamps
{
    double start = 0;
    double end = 0;
};

// The compiler's start and end as compilerstamp noted them; zeros when
// they are missing.
Stamps readStamps(const QString &path)
{
    Stamps stamps;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return stamps;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() != 2)
            continue;
        const double ms = words[1].toDouble() / 1e6;
        if (words[0] == "start")
            stamps.start = ms;
        else if (words[0] == "end")
            stamps.end = ms;
    }
    return stamps;
}

// Whether kvncc's header cache under folder holds a finished entry.
bool cacheReady(const QString &folder)
{
    QDirIterator it(folder, {QStringLiteral("stamp")}, QDir::Files, QDirIterator::Subdirectories);
    return it.hasNext();
}

// One compile's times in milliseconds: from the key to the waiting text
// painted, to the shell's process made, to the compiler started; the
// compiler; from its end to the output painted, to the question shown.
struct Lap
{
    double toPainted = 0;
    double toShell = 0;
    double toCompiler = 0;
    double compiler = 0;
    double toOutput = 0;
    double toQuestion = 0;
    double total = 0;
    double plain = 0;
    double processor = 0; // KVN's own processor time from the key to the question

    double keyToCompiler() const { return toPainted + toShell + toCompiler; }
    double compilerToQuestion() const { return toOutput + toQuestion; }
};

void printLap(const char *name, const Lap &lap)
{
    std::printf("  %-12s %7.1f %7.1f %7.1f %7.1f | %8.1f | %7.1f %7.1f %7.1f | %7.1f %7.1f   %.2f x\n", name,
                lap.toPainted, lap.toShell, lap.toCompiler, lap.keyToCompiler(), lap.compiler, lap.toOutput,
                lap.toQuestion, lap.compilerToQuestion(), lap.total, lap.plain, lap.total / lap.plain);
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 5;
    QString kvncc;
    std::string compiler = "g++";
    bool spin = false;
    bool closeRunWindow = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--runs"))
            runs = positiveArg(argv[0], argv[i + 1]);
        else if (!std::strcmp(argv[i], "--kvncc"))
            kvncc = QString::fromLocal8Bit(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--compiler"))
            compiler = argv[i + 1];
        else if (!std::strcmp(argv[i], "--spin"))
            spin = !std::strcmp(argv[i + 1], "yes");
        else if (!std::strcmp(argv[i], "--close"))
            closeRunWindow = !std::strcmp(argv[i + 1], "yes");
    }

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_compileloop: no temporary folder\n");
        return 1;
    }
    // KVN's state, settings and kvncc's cache stay in the bench's folder.
    for (const char *variable : {"XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        qputenv(variable, QFile::encodeName(dir.filePath(QString::fromLatin1(variable))));
    const QString stamps = dir.filePath(QStringLiteral("stamps.txt"));
    qputenv("KVN_BENCH_STAMPS", QFile::encodeName(stamps));
    QDir::setCurrent(dir.path());

    QApplication app(argc, argv);
    if (kvncc.isEmpty())
        kvncc = QCoreApplication::applicationDirPath() + QStringLiteral("/kvncc");
    qputenv("KVN_BENCH_COMPILER", QFile::encodeName(kvncc));
    const QString stamper = QCoreApplication::applicationDirPath() + QStringLiteral("/bench_compilerstamp");

    const QString source = dir.filePath(QStringLiteral("hello.cpp"));
    {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "bench_compileloop: cannot write %s\n", qPrintable(source));
            return 1;
        }
        file.write("#include <iostream>\n\nint main()\n{\n    std::cout << \"Hello, world!\\n\";\n    return 0;\n}\n");
    }

    MainWindow window(source);
    window.form().compile.CompilerPath = stamper;
    window.menuAction(QStringLiteral("mnuDelete"))->setChecked(false);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        std::fprintf(stderr, "bench_compileloop: the main window did not become active\n");

    QuestionCatcher catcher;
    app.installEventFilter(&catcher);
    QObject::connect(window.runWindow().output(), &OutputView::painted, &catcher,
                     [&catcher] { catcher.painted.push_back(nowMs()); });

    QWidget *editor = window.findChild<QWidget *>(QStringLiteral("Text1"));
    // One Ctrl+F9 to the question; false when it did not come within a minute.
    const auto lap = [&](Lap &result) {
        if (closeRunWindow && window.runWindow().isVisible()) {
            window.runWindow().close();
            QTest::qWait(100);
        }
        // Back in the editor, as the user comes back to it after a compile.
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            std::fprintf(stderr, "bench_compileloop: the main window did not become active again\n");
        if (editor)
            editor->setFocus();
        QCoreApplication::processEvents();
        QFile::remove(stamps);
        catcher.shownAt = 0;
        catcher.unexpected.clear();
        catcher.processAt = 0;
        catcher.painted.clear();
        QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        const double pressed = nowMs();
        const double usedBefore = processorMs();
        QTest::keyPress(focus, Qt::Key_F9, Qt::ControlModifier);
        QTest::keyRelease(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_F9,
                          Qt::ControlModifier);
        // The loop sleeps between events, as the application's own does: a
        // wait that spins would take the processor from the compiler.
        if (spin) {
            QElapsedTimer limit;
            limit.start();
            while (catcher.shownAt == 0 && limit.elapsed() < 60000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        } else {
            QEventLoop waiting;
            catcher.onShown = [&waiting] { waiting.quit(); };
            QTimer::singleShot(60000, &waiting, &QEventLoop::quit);
            if (catcher.shownAt == 0)
                waiting.exec();
            catcher.onShown = nullptr;
        }
        if (catcher.shownAt == 0 || !catcher.unexpected.isEmpty()) {
            std::fprintf(stderr, "bench_compileloop: no \"Execute your app?\" (%s)\n",
                         catcher.unexpected.isEmpty() ? "nothing came within a minute" : qPrintable(catcher.unexpected));
            std::fprintf(stderr, "  the run window says: %s\n  %s ok %d running %d\n",
                         qPrintable(window.runWindow().output()->toPlainText().left(2000)),
                         qPrintable(window.runWindow().findChild<QLabel *>(QStringLiteral("lblVerdict"))->text()),
                         window.form().runWindow.ok, window.form().runWindow.isRunning());
            return false;
        }
        const Stamps s = readStamps(stamps);
        result.total = catcher.shownAt - pressed;
        result.processor = processorMs() - usedBefore;
        const auto firstPaintAfter = [&catcher](double t) {
            for (const double at : catcher.painted) {
                if (at > t)
                    return at;
            }
            return t;
        };
        if (s.start > 0 && s.end > 0) {
            const double waitingPainted = std::min(firstPaintAfter(pressed), s.start);
            const double shell = catcher.processAt > 0 ? catcher.processAt : waitingPainted;
            const double outputPainted = std::min(firstPaintAfter(s.end), catcher.shownAt);
            result.toPainted = waitingPainted - pressed;
            result.toShell = shell - waitingPainted;
            result.toCompiler = s.start - shell;
            result.compiler = s.end - s.start;
            result.toOutput = outputPainted - s.end;
            result.toQuestion = catcher.shownAt - outputPainted;
        }
        // The box closes and the run window comes forward before the next key.
        QTest::qWait(300);
        const std::optional<double> plain = timed({compiler, "-o", "plain.exe", "hello.cpp"});
        result.plain = plain.value_or(0);
        return plain.has_value();
    };

    Lap first;
    if (!lap(first))
        return 1;
    // kvncc builds its cache entry after the first compile, in the background.
    QElapsedTimer cacheWait;
    cacheWait.start();
    while (!cacheReady(dir.filePath(QStringLiteral("XDG_CACHE_HOME"))) && cacheWait.elapsed() < 30000)
        QTest::qWait(50);

    std::vector<Lap> laps;
    for (int i = 0; i < runs; ++i) {
        Lap l;
        if (!lap(l))
            return 1;
        laps.push_back(l);
    }

    const auto medianOf = [&laps](double Lap::*field) {
        std::vector<double> values;
        for (const Lap &l : laps)
            values.push_back(l.*field);
        return median(values);
    };
    Lap m;
    m.toPainted = medianOf(&Lap::toPainted);
    m.toShell = medianOf(&Lap::toShell);
    m.toCompiler = medianOf(&Lap::toCompiler);
    m.compiler = medianOf(&Lap::compiler);
    m.toOutput = medianOf(&Lap::toOutput);
    m.toQuestion = medianOf(&Lap::toQuestion);
    m.total = medianOf(&Lap::total);
    m.plain = medianOf(&Lap::plain);
    m.processor = medianOf(&Lap::processor);
    std::vector<double> ratios;
    for (const Lap &l : laps)
        ratios.push_back(l.total / l.plain);
    const double ratio = median(ratios);

    std::printf("bench_compileloop: Ctrl+F9 on a saved hello.cpp to \"Execute your app?\", QPA %s, %d warm runs%s\n",
                qPrintable(QGuiApplication::platformName()), runs, spin ? ", waiting by spinning" : closeRunWindow ? ", the run window closed before each" : "");
    std::printf("  %-12s %7s %7s %7s %7s | %8s | %7s %7s %7s | %7s %7s   %s\n", "ms", "painted", "shell", "started",
                "key->cc", "compiler", "output", "box", "cc->box", "total", compiler.c_str(), "total/g++");
    printLap("first (cold)", first);
    for (std::size_t i = 0; i < laps.size(); ++i)
        printLap(qPrintable(QStringLiteral("run %1").arg(i + 1)), laps[i]);
    printLap("median", m);
    std::printf("  key->cc: the waiting text painted, the shell's process made, the compiler started;"
                " cc->box: the output painted, the question shown\n");
    std::printf("  KVN's own share (key->compiler + compiler->question): %.1f ms; the compiler alone: %.2f x %s\n",
                m.keyToCompiler() + m.compilerToQuestion(), m.compiler / m.plain, compiler.c_str());
    std::printf("  processor time of this process from the key to the question: %.1f ms (the wait included)\n",
                m.processor);
    std::printf("  Ctrl+F9 to the question: %.2f x a plain %s (median of the runs' ratios; goal at most 0.6 x: %s)\n",
                ratio, compiler.c_str(), ratio <= 0.6 ? "met" : "missed");
    return 0;
}
