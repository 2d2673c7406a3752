// KVN's own cost for one compile: from the run window's timer tick to the
// output shown and judged, less the time the shell and the compiler take
// when started directly. The "compiler" is /bin/echo, so that what is left
// is KVN's share.
#include "platform/fake/fakeclipboard.h"
#include "platform/fake/fakecontrols.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakeformwindow.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/faketimer.h"
#include "platform/qt/qtfilesystem.h"
#include "platform/qt/qtprocess.h"
#include "run/runwindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

static double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 20;
    QTemporaryDir dir;
    const QString workDir = dir.path() + QLatin1Char('/');

    QtFileSystem files;
    FakeMessages messages;
    FakeFileDialogs dialogs;
    FakeClipboard clipboard;
    QtProcess process;
    FakeFormWindow window;
    FakeOutputBox text;
    FakeLabel verdict;
    FakeButton stop;
    FakeTimer timer;
    RunWindow run({window, text, verdict, stop, timer}, {files, messages, dialogs, clipboard, process});
    run.setWorkDir(workDir);
    bool ended = false;
    run.onRunEnded([&ended] { ended = true; });
    RunRequest &r = run.request;
    r.A_start = true;
    r.A_appuse = 1;
    r.A_clocation = QStringLiteral("/bin/echo");
    r.A_outputuse = 1;
    r.A_output2 = QStringLiteral("-e");
    r.A_output = workDir + QStringLiteral("hello.exe");
    r.A_adduse = 1;
    r.A_addparam = QStringLiteral("-w -O2 ");
    r.A_srcparam = QStringLiteral(" ");
    r.A_srcfile = workDir + QStringLiteral("hello.cpp");
    r.A_ErrKeyList = QStringLiteral("Error,Fatal,error,fatal");

    std::vector<double> throughKvn, direct;
    for (int i = 0; i < runs; ++i) {
        ended = false;
        run.Form_Load();
        QElapsedTimer clock;
        clock.start();
        timer.tick();
        while (!ended)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        throughKvn.push_back(clock.nsecsElapsed() / 1e6);

        // The same command through the same shell, started the same way.
        const QString command = run.string1 + QStringLiteral(" > \"") + workDir + QStringLiteral("direct.txt\"");
        clock.restart();
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
        shell.waitForFinished();
        direct.push_back(clock.nsecsElapsed() / 1e6);
    }
    const double kvn = median(throughKvn);
    const double bare = median(direct);
    std::printf("one compile, median of %d runs\n", runs);
    std::printf("  through the run window: %7.2f ms\n", kvn);
    std::printf("  shell and compiler only: %7.2f ms\n", bare);
    std::printf("  KVN's own overhead:      %7.2f ms   target < 30 ms: %s\n", kvn - bare, kvn - bare < 30 ? "met" : "missed");
    if (!run.ok || !text.text().contains(QStringLiteral("hello.cpp"))) {
        std::printf("wrong result: %s\n", qPrintable(text.text()));
        return 1;
    }
    return 0;
}
