#pragma once

#include "recoveryfile.h"

#include "editor/caretstatus.h"
#include "editor/document.h"
#include "editor/editorstate.h"
#include "platform/filesystem.h"
#include "platform/messages.h"
#include "platform/statefiles.h"
#include "platform/textbox.h"
#include "platform/timer.h"

#include <QDateTime>
#include <QSet>

#include <functional>
#include <optional>

// Keeps the document's unsaved text in a recovery file, so that a crash, a
// power cut or a signal loses at most the last few seconds of typing, and
// offers kept text back: a document's whenever it is opened, and at start
// every text that a copy of the program no longer running kept, new
// documents and files since moved or deleted included.
//
// Each running copy writes files of its own, named with its instance, and
// removes only those (and the ones it was offered and took over), so two
// copies never write or delete each other's text; a file another running
// copy has claimed is neither offered nor touched.
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
        const FileSystem &disk;    // where the documents are
        QString instance;          // this running copy's, in its file names (see newInstance)
    };

    Recovery(EditorState &state, TextBox &Text1, CaretStatus &caretStatus, Document &document, Services services);

    // The text changed.
    void edited();

    // A file was loaded as the document, by whatever route: what another
    // run kept of it is offered.
    void opened();

    // At start, once the first document is open: offers, one after
    // another, every other text kept by a copy no longer running, and
    // clears what writes cut short by a program's end left.
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

    // The largest recovery file offered: the largest document with room
    // for its header. A larger one is left where it is.
    static constexpr qint64 largestFileBytes = Document::largestFileBytes + 1024 * 1024;

    // An instance name for this running copy: its process id and a random
    // part, since a process id comes back after a reboot.
    static QString newInstance();

    // The recovery file of this copy for the document shown.
    QString currentName() const { return RecoveryFile::name(m_state.currFilename, m_services.instance); }

private:
    void tick();
    void write(const QString &name);
    // Removes the files kept for text that is no longer unsaved text of the
    // document shown.
    void dropStale();
    void drop(const QString &name);
    // Recovery files that may be offered now, in name order.
    QStringList offerable(bool atStart) const;
    // Offers one kept file, if no running copy holds it, nor, at start,
    // shows its document.
    void offer(const QString &name, bool atStart);
    // Keeps the mark that tells other copies which file this one shows.
    void markShown();
    // Puts the kept text in as unsaved text of its document; false when the
    // user stopped on the way (a save question cancelled, the file changed
    // on disk and not taken after all).
    bool take(const RecoveryFile::Content &kept, const QString &text);
    void keepForLater(const QString &name);
    void tellWriteError();

    EditorState &m_state;
    TextBox &m_Text1;
    CaretStatus &m_caretStatus;
    Document &m_document;
    Services m_services;
    bool m_pending = false; // edits not yet in a recovery file
    QDateTime m_pendingSince;
    std::optional<QString> m_written; // the recovery file this run wrote and has not removed
    // A file of another run whose text was taken, kept until this run's
    // own copy is known to be on disk.
    std::optional<QString> m_adopted;
    QSet<QString> m_later;   // put off by the user: asked again only when its document is opened
    QSet<QString> m_ignored; // not ours to offer, or too large: left alone for the rest of the run
    std::optional<QString> m_shownMark;
    bool m_opening = false;  // a file is being opened to take kept text into it
    bool m_toldWriteError = false;
};
