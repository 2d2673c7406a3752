#pragma once

#include "messageplacement.h"
#include "runwindow.h"

#include "editor/caretstatus.h"
#include "editor/document.h"
#include "platform/filesystem.h"
#include "platform/formwindow.h"
#include "platform/messages.h"
#include "platform/textbox.h"

#include <functional>

// The compiler's messages put to use: going to the line and column of one
// (a double-click or Enter in the output, F8 and Shift+F8), and marking the
// lines of the document that have errors or warnings.
class CompilerMessages
{
public:
    struct Parts
    {
        RunWindow &runWindow;
        Document &document;
        TextBox &Text1;
        CaretStatus &caretStatus;
        FormWindow &mainWindow;
        Messages &messages;
        FileSystem &files;
        std::function<void()> showEditor; // the Main panel forward, the editor focused
    };

    explicit CompilerMessages(Parts parts) : m_parts(std::move(parts)) {}

    // A compile starts: the marks of the last one go.
    void runStarted();
    // A compile ended: the document's lines with messages are marked.
    void runEnded();

    // A line of the output was double-clicked or Enter was pressed on it.
    void outputLineActivated(int line);
    void mnuNextDiag_Click() { step(+1); }
    void mnuPrevDiag_Click() { step(-1); }

    // The file of a message as found on disk: a relative path is looked for
    // in the working folder, then in the compiled source's folder. Empty
    // when the message names no file or it is in neither.
    QString fileOf(const Diagnostic &diagnostic) const { return findFile(diagnostic.file); }
    QString findFile(const QString &file) const;
    // Whether a file is one the user did not write (a system or compiler
    // header), which is only shown to be read.
    bool isSystemFile(const QString &path) const;

    // Where each message of the run window's list is shown and gone to,
    // in the order of the list.
    const QList<Placement> &placements();

    static bool isErrorOrWarning(const Diagnostic &d)
    {
        return d.isError() || d.severity == Diagnostic::Severity::Warning;
    }

private:
    enum class Target { Placed, Stated };
    void step(int direction);
    void goTo(int index, Target target = Target::Placed);
    void markDocument();
    bool isGoable(int index);
    Placement stated(const Diagnostic &d) const;

    Parts m_parts;
    int m_current = -1; // the message in hand, an index of the run window's list
    struct MarkOf
    {
        int mark = 0;
        Target target = Target::Placed;
    };
    QHash<int, MarkOf> m_markOf; // message index -> its mark in the document
    // The messages m_placed was worked out for; held, so a new list is never
    // taken for this one.
    QList<Diagnostic> m_placedFor;
    QList<Placement> m_placed;
    bool m_placedValid = false;
};
