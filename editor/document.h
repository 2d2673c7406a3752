#pragma once

#include "ctextboxex.h"
#include "editorcontrols.h"
#include "editorstate.h"
#include "sourcelink.h"
#include "textformat.h"

#include "platform/filedialogs.h"
#include "platform/filesystem.h"
#include "platform/messages.h"

#include <functional>

// The document commands: New, Open, Save and Save As, opening a dropped file
// and the command-line file, and the save prompt that guards every command
// replacing the document. A file is written back in the encoding and line
// ends it was read with, and a save that fails says so and changes nothing.
class Document
{
public:
    struct Services
    {
        FileSystem &files;
        Messages &messages;
        FileDialogs &dialogs;
        SourceLink &sourceLink;
    };

    Document(EditorState &state, EditorControls controls, const CTextBoxEx &textBoxEx, Services services,
             const MenuItem &mnuFileSaved);

    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    // Files dropped on the editor; the first one is opened.
    void Text1_OLEDragDrop(const QStringList &files);

    // Opens path as Open does, its save question first, and tells whether it
    // is now the document. A file opened to read a compiler message in it
    // (a header of the program) is not the program: with asSource false the
    // compile's source and output stay where they are, also when the file
    // is saved, and nothing is asked about how to compile it.
    bool openFile(const QString &path, bool asSource = true);
    // Opens path, its save question first, to be read and not changed: a
    // file the user did not write, such as a system header a compiler's
    // message lies in. Typing cannot change the text, Save refuses to write
    // the file (Save As to another name may), and the file label says so.
    // Tells whether it is now the document.
    bool openReadOnly(const QString &path);
    bool isReadOnly() const { return m_readOnly; }
    static QString readOnlyNote() { return QStringLiteral("Read-only: a system file, shown to read the compiler's message"); }
    // The document's file; empty for a document never saved.
    const QString &fileName() const { return m_state.currFilename; }

    enum class OpenMode { PickOnly = 0, PickAndLoad = 1, LoadGiven = 2 };
    // Picks a file (PickOnly, PickAndLoad) or takes path (LoadGiven), and
    // loads it unless PickOnly. path receives the file picked. Sets GoCancel
    // when the dialog was cancelled or the file was not loaded; returns
    // whether it succeeded.
    bool OpenSourceFile(OpenMode mode, QString &path, const QString &filter);

    // Asks whether to save unsaved text before a command replaces it or the
    // program ends. True to go on: nothing was unsaved, Yes and the save
    // completed, or No. No writes nothing, and the text counts as saved only
    // once the command replaced it (a cancelled Open leaves it unsaved).
    // False for Cancel or a save that did not complete.
    bool offerToSave();

    // The file label's colours and the window title for the saved state.
    void showSaved();

    const TextFormat &format() const { return m_format; }
    // The file as it was when last read or written here; nothing for a new
    // document.
    const std::optional<FileSystem::Stamp> &diskStamp() const { return m_diskStamp; }

    // Called after each file is loaded as the document, by whatever route
    // (start-up, Open, a drop, a compiler message), and after a reload.
    void onOpened(std::function<void()> handler) { m_onOpened = std::move(handler); }

    // What a look at the document's file on disk found.
    enum class DiskCheck {
        Unchanged, // as read or written here, or a change already answered; or no file
        Reloaded,  // the file's text replaced the shown one, as one undoable edit
        Kept,      // the user kept the shown text, which now counts as unsaved
        Removed,   // the file is gone; the user was told, the text counts as unsaved
        Busy,      // not looked at: a look is already asking the user
    };
    // Looks whether another program changed, replaced or removed the file
    // since it was read or written here. Only the file's stamp is read,
    // unless it changed; each change is asked about once, whatever the
    // answer. The save still asks before overwriting a file changed since.
    DiskCheck checkDisk();
    // Whether the last save question or save stopped because the user chose
    // not to overwrite a file another program had changed.
    bool declinedOverwrite() const { return m_declinedOverwrite; }

    static QString savePromptText() { return QStringLiteral("Would you like to save your file?"); }
    static QString openFilter();
    static QString saveFilter();
    // Files above this size are opened only when the user confirms.
    static constexpr qint64 largeFileBytes = 100 * 1024 * 1024;
    // Files above this size are not opened at all.
    static constexpr qint64 largestFileBytes = 1024 * 1024 * 1024;

private:
    // Reads, checks and shows a file; false with the user told why when it
    // could not be loaded or the user declined.
    bool load(const QString &path, bool asSource = true);
    std::optional<QByteArray> readChecked(const QString &path);
    // Tells of each backup that a save of path stopped midway left behind,
    // and offers its text; the text when the user takes it, which is then
    // shown unsaved, the file and the backup left as they are.
    std::optional<QByteArray> offerLeftoverBackup(const QString &path);
    // Writes the document to path; false with the user told why.
    bool write(const QString &path);
    // Whether the file was changed by another program since it was read or
    // written here and the user chose not to overwrite it.
    bool changedOnDisk();
    // Puts the file's text in place of the shown one; false, with the user
    // told why, when it could not be read.
    bool reload();
    // The shown text no longer matches the file: it counts as unsaved.
    void markUnsaved();
    // Whether the file holds exactly what saving the shown text would write.
    bool diskHoldsShownText();
    void confirmSaved();
    void setReadOnly(bool readOnly);
    // Tells the user that the read-only document is not written; true when
    // it is read-only.
    bool refusedReadOnly(const QString &path);

    EditorState &m_state;
    EditorControls m_controls;
    const CTextBoxEx &m_textBoxEx;
    Services m_services;
    const MenuItem &m_mnuFileSaved;
    TextFormat m_format;
    bool m_isSource = true; // the document is the compile's source file
    bool m_readOnly = false; // shown to be read only, never written back
    std::optional<FileSystem::Stamp> m_diskStamp; // the file as read or last written here
    // The backup whose text was taken on opening m_takenBackupOf: once
    // that text is saved over the file, the backup has done its work.
    QString m_takenBackup;
    QString m_takenBackupOf;
    std::optional<FileSystem::Stamp> m_takenBackupStamp;
    std::function<void()> m_onOpened;
    // The change on disk (the file's stamp then, nothing for a removal)
    // that the user was last asked about; not asked about again.
    std::optional<std::optional<FileSystem::Stamp>> m_answeredDiskChange;
    bool m_checkingDisk = false;
    bool m_declinedOverwrite = false;
};
