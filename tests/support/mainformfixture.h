#pragma once

#include "app/mainform.h"
#include "compile/optioncatalogue.h"
#include "platform/fake/fakeclipboard.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakefolders.h"
#include "platform/fake/fakeformwindow.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/fakeprinter.h"
#include "platform/fake/fakeprocess.h"
#include "platform/fake/fakeregistry.h"
#include "platform/fake/faketerminal.h"
#include "platform/fake/faketextbox.h"
#include "platform/fake/faketimer.h"
#include "platform/fake/fakeurlopener.h"

// A main window of fakes, wired as the window wires its controls.
struct MainFormFixture
{
    FakeFileSystem files{QStringLiteral("/home/user/project")};
    FakeMessages messages;
    FakeClipboard clipboard;
    FakeFileDialogs dialogs;
    FakeProcess process;
    FakeTerminal terminal;
    FakePrinter printer;
    FakeRegistry registry;
    FakeFolders folders{files};
    FakeUrlOpener urls;
    FakeFormWindow window;
    FakeFormWindow runFrame;
    FakeOutputBox runText;
    FakeLabel runVerdict;
    FakeButton runStop;
    FakeTimer runTimer;
    FakeTextBox Text1;
    FakeLabel lblFilename;
    FakeLabel lblLine;
    FakeEntry txtGotoLine;
    FakeEntry txtSearch;
    FakeEntry txtReplace;
    FakeCheckBox chkReplace;
    FakeButton cmdReplace;
    std::array<FakeControl, 2> fraMain;
    std::array<FakeButton, 4> cmdLocate;
    FakeCheckList List1{OptionCatalogue::items()};
    FakeMenuItem mnuFileSaved{true};
    FakeMenuItem mnuDelete{false};
    FakeTimer Timer1;
    MainForm form{{messages, files, clipboard, dialogs, process, terminal, printer, QStringLiteral("/usr/bin/kvncc"),
                   registry, folders, urls,
                   {QStringLiteral("/usr/bin/kvn"), QStringLiteral("/usr/share/kvn"), QString(),
                    QStringLiteral("/home/user/.local/share"), QStringLiteral("/home/user/.config")},
                   messages},
                  {window, Text1, lblFilename, lblLine, txtGotoLine, txtSearch, txtReplace, chkReplace, cmdReplace,
                   {&fraMain[0], &fraMain[1]},
                   {&cmdLocate[0], &cmdLocate[1], &cmdLocate[2], &cmdLocate[3]},
                   List1, mnuFileSaved, mnuDelete, Timer1, {runFrame, runText, runVerdict, runStop, runTimer}}};

    MainFormFixture()
    {
        cmdLocate[1].setBold(true);
        cmdLocate[2].setBold(true);
        cmdLocate[3].setBold(true);
        Text1.onChange = [this] { form.caretStatus.Text1_Change(); };
        List1.onItemCheck = [this](int index) { form.optionList.List1_ItemCheck(index); };
    }

    MainFormFixture(const MainFormFixture &) = delete;
    MainFormFixture &operator=(const MainFormFixture &) = delete;

    void load(const QString &commandLine = {}) { form.Form_Load(commandLine); }
};
