#pragma once

#include "editor/caretstatus.h"
#include "platform/fake/fakeclipboard.h"
#include "platform/fake/fakeformwindow.h"
#include "platform/fake/faketextbox.h"

// The Main panel's controls as fakes, with the change trigger wired to the
// box as the window wires it.
struct EditorFixture
{
    EditorState state;
    FakeFormWindow window;
    FakeTextBox box;
    FakeLabel lblFilename;
    FakeLabel lblLine;
    FakeEntry txtGotoLine;
    FakeClipboard clipboard;
    CTextBoxEx ex{clipboard};
    EditorControls controls{window, box, lblFilename, lblLine, txtGotoLine};
    CaretStatus status{state, controls, ex};

    EditorFixture()
    {
        state.FormName = QStringLiteral("Korvane (KVN) 2.2");
        ex.setTextBox(&box);
        box.onChange = [this] { status.Text1_Change(); };
    }
    EditorFixture(const EditorFixture &) = delete;
    EditorFixture &operator=(const EditorFixture &) = delete;
};
