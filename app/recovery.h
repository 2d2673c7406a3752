#pragma once

#include "editor/caretstatus.h"
#include "editor/document.h"
#include "editor/editorstate.h"
#include "platform/messages.h"
#include "platform/statefiles.h"
#include "platform/textbox.h"
#include "platform/timer.h"

#include <QDateTime>

#include <functional>
#include <optional>

// Keeps the document's unsaved text in a recovery file, so that a crash, a
// power cut or a signal loses at most the last few seconds of typing, and
// offers the text back when the program next starts on the same document.
//
// The file follows the text a few seconds after typing pauses, and goes
// away once the text is saved or the document replaced; the watch is a
// timer tick that compares the document's state, so the commands that save
// or replace the document need not know about it. Reading the text out of
// the box is the only part done on the user-interface thread; converting
// and writing it is left to the state files' worker.
class Recovery
{
public:
    struct Services
    {
        StateFiles &files;
        Messages &messages;
        Timer &timer;              // this object's own; its interval is set here
        std::function<QDateTime()> now;
    };

    Recovery(EditorState &state, TextBox &Text1, CaretStatus &caretStatus, const Document &document,
             Services services);

    // The text changed.
    void edited();

    // At start, once the first document is open: offers the text kept for
    // it, if any.
    void offerAtStart();

    // The program is about to end without asking anything: unsaved text is
    // written at once, and is on disk when this returns.
    void keepNow();

    // The user ended the program through a save question: there is nothing
    // left to keep.
    void discard();

    // How long typing must pause before the file follows it, and the
    // longest that unbroken typing goes without being kept.
    static constexpr int pauseMs = 3000;
    static constexpr int longestWaitMs = 30000;

    // The recovery file of the document at path; an empty path is a
    // document never saved.
    static QString fileName(const QString &path);

    struct Content
    {
        QString path;    // empty for a document never saved
        QDateTime date;  // when the text was kept
        QByteArray text; // UTF-8, with the document's line ends
    };
    static QByteArray header(const QString &path, const QDateTime &date);
    static std::optional<Content> unpack(const QByteArray &bytes);

    // "14 March 2026, 09:26", in local time.
    static QString readableDate(const QDateTime &date);

private:
    void tick();
    void write(const QString &name);
    // The recovery file for the document as it stands.
    QString currentName() const { return fileName(m_state.currFilename); }
    // Removes the file written earlier when the text it holds is no longer
    // unsaved text of the document shown.
    void dropStale();
    void drop(const QString &name);

    EditorState &m_state;
    TextBox &m_Text1;
    CaretStatus &m_caretStatus;
    const Document &m_document;
    Services m_services;
    bool m_pending = false; // edits not yet in a recovery file
    QDateTime m_pendingSince;
    std::optional<QString> m_written; // the recovery file this run wrote and has not removed
};
