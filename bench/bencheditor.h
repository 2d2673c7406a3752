// The real editor box in a shown window for the benchmarks, with fakes for
// the main window's other controls, wired to the caret status line as the
// main window wires it.
#pragma once

#include "editor/caretstatus.h"
#include "editor/ctextboxex.h"
#include "editor/editorcontrols.h"
#include "editor/editorstate.h"
#include "platform/fake/fakeclipboard.h"
#include "platform/fake/fakecontrols.h"
#include "platform/fake/fakeformwindow.h"
#include "platform/qt/editorwidget.h"
#include "platform/qt/scintillatextbox.h"

#include <QApplication>
#include <QObject>

struct BenchEditor
{
    EditorWidget editor;
    ScintillaTextBox box{&editor};
    EditorState state;
    FakeFormWindow window;
    FakeLabel lblFilename;
    FakeLabel lblLine;
    FakeEntry txtGotoLine;
    FakeClipboard clipboard;
    CTextBoxEx textBoxEx{clipboard};
    EditorControls controls{window, box, lblFilename, lblLine, txtGotoLine};
    CaretStatus status{state, controls, textBoxEx};

    // followEdits: every change of the text updates the status line, as in
    // the main window.
    explicit BenchEditor(bool followEdits)
    {
        editor.resize(900, 700);
        editor.show();
        QApplication::processEvents();
        state.FormName = QStringLiteral("Korvane (KVN) 2.2");
        textBoxEx.setTextBox(&box);
        if (followEdits)
            QObject::connect(&editor, &EditorWidget::edited, [this] { status.Text1_Change(); });
    }
};
