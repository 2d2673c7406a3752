#pragma once

#include "platform/fake/fakeclipboard.h"
#include "platform/fake/fakecontrols.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakeformwindow.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/fakeprocess.h"
#include "platform/fake/faketimer.h"
#include "run/runwindow.h"

// The run window over fakes, in the working folder /work/. The fake
// compiler writes compilerOutput into the private output file, as the shell's
// redirection would, when the test has set it.
struct RunFixture
{
    FakeFileSystem files{QStringLiteral("/work/")};
    FakeMessages messages;
    FakeFileDialogs dialogs;
    FakeClipboard clipboard;
    FakeProcess process;
    FakeFormWindow window;
    FakeOutputBox Text1;
    FakeLabel lblVerdict;
    FakeButton cmdStop;
    FakeTimer Timer1;
    RunWindow run{{window, Text1, lblVerdict, cmdStop, Timer1}, {files, messages, dialogs, clipboard, process}};
    std::optional<QByteArray> compilerOutput;
    int runsEnded = 0;

    RunFixture()
    {
        run.setWorkDir(files.currentFolder());
        run.onRunEnded([this] { ++runsEnded; });
        process.onStart = [this](const FakeProcess::Call &) {
            if (compilerOutput)
                files.files.insert(QStringLiteral("/scratch/output.txt"), *compilerOutput);
        };
        run.request.A_start = true;
        run.request.A_appuse = 1;
        run.request.A_clocation = QStringLiteral("/usr/bin/kvncc");
        run.request.A_outputuse = 1;
        run.request.A_output2 = QStringLiteral("-e");
        run.request.A_output = QStringLiteral("/w/a.exe");
        run.request.A_srcparam = QStringLiteral(" ");
        run.request.A_srcfile = QStringLiteral("/w/a.cpp");
        run.request.A_ErrKeyList = QStringLiteral("Error,Fatal,error,fatal");
    }
    RunFixture(const RunFixture &) = delete;
    RunFixture &operator=(const RunFixture &) = delete;

    // Loads the window, lets its timer tick and the compiler end.
    void compile(const QByteArray &output, int exitCode = 0)
    {
        compilerOutput = output;
        run.Form_Load();
        Timer1.tick();
        process.finish({Process::Result::Outcome::Finished, exitCode, {}, {}});
    }
};
