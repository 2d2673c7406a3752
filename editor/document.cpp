#include "document.h"

#include "caretstatus.h"
#include "newfiletemplate.h"

#include <QScopeGuard>
#include <QStringList>

#include <algorithm>

Document::Document(EditorState &state, EditorControls controls, const CTextBoxEx &textBoxEx, Services services,
                   const MenuItem &mnuFileSaved)
    : m_state(state)
    , m_controls(controls)
    , m_textBoxEx(textBoxEx)
    , m_services(services)
    , m_mnuFileSaved(mnuFileSaved)
{
}

QString Document::openFilter()
{
    return QStringLiteral("C++ Source files|*.cpp|C Source files|*.c|C++/C Header files|*.h|Text files|*.txt|All files|*.*");
}

QString Document::saveFilter()
{
    return QStringLiteral("C++ Source files|*.cpp|C Source files|*.c|C/C++ Header files|*.h|Text Files|*.txt|All Files|*.*");
}

bool Document::offerToSave()
{
    m_declinedOverwrite = false;
    if (m_state.FileSaved)
        return true;
    switch (m_services.messages.show(savePromptText(), savePromptText(), Buttons::YesNoCancel, Icon::Information)) {
    case Reply::Yes:
        mnuSave_Click();
        return !m_state.GoCancel;
    case Reply::No:
        // Nothing is written, so the text still counts as unsaved until the
        // command that asked replaces it.
        return true;
    default:
        return false;
    }
}

void Document::showSaved()
{
    m_controls.window.setTitle(m_state.FormName);
    m_controls.lblFilename.setColours(m_state.colours.FSaveB_Y, m_state.colours.FSaveT_Y);
}

void Document::mnuNew_Click()
{
    if (m_state.JustNew || !offerToSave())
        return;
    m_services.sourceLink.documentIsNew();
    m_isSource = true;
    setReadOnly(false);

    // The template goes into the editor straight from memory: a round trip
    // through a file in the working folder could be made to write through
    // a planted link, or to read someone else's text.
    m_controls.Text1.setText(QString::fromLatin1(NewFileTemplate::bytes()));
    m_diskStamp.reset();
    m_answeredDiskChange.reset();
    m_takenBackup.clear();
    m_format = TextFormat{};
    m_state.currFilename.clear();
    m_controls.lblFilename.setCaption(QStringLiteral("(unsaved)"));

    if (const std::optional<int> start = m_textBoxEx.GetCharFromLine(NewFileTemplate::caretLine))
        m_controls.Text1.setSelectionStart(*start + NewFileTemplate::caretColumn);
    m_state.FileSaved = true;
    showSaved();
    m_state.LastSearchPos = m_controls.Text1.selectionStart();
    m_controls.lblLine.setCaption(CaretStatus::caretLineText(NewFileTemplate::caretLine, 12));
    m_state.JustNew = true;
}

void Document::mnuOpen_Click()
{
    if (!offerToSave())
        return;
    if (m_state.fileopened.isEmpty()) {
        QString path;
        OpenSourceFile(OpenMode::PickAndLoad, path, openFilter());
    } else {
        QString path = m_state.fileopened;
        OpenSourceFile(OpenMode::LoadGiven, path, QString());
        m_state.fileopened.clear();
    }
}

bool Document::openFile(const QString &path, bool asSource)
{
    if (!offerToSave())
        return false;
    const bool loaded = load(path, asSource);
    m_state.GoCancel = !loaded;
    return loaded;
}

bool Document::openReadOnly(const QString &path)
{
    if (!offerToSave())
        return false;
    const bool loaded = load(path, false);
    m_state.GoCancel = !loaded;
    if (loaded) {
        setReadOnly(true);
        m_controls.lblFilename.setCaption(QStringLiteral("%1 (%2)").arg(path, readOnlyNote()));
    }
    return loaded;
}

void Document::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    m_controls.Text1.setReadOnly(readOnly);
}

bool Document::refusedReadOnly(const QString &path)
{
    if (!m_readOnly)
        return false;
    m_services.messages.show(QStringLiteral("KVN does not save %1:\rit is a system file, shown read-only to read the "
                                            "compiler's message, and changing it could break every later compile.\r"
                                            "Save As can keep a copy under another name.")
                                 .arg(path),
                             QStringLiteral("File not saved"), Buttons::Ok, Icon::Exclamation);
    m_state.GoCancel = true;
    return true;
}

void Document::Text1_OLEDragDrop(const QStringList &files)
{
    if (files.isEmpty())
        return;
    m_state.fileopened = files.first();
    mnuOpen_Click();
}

bool Document::OpenSourceFile(OpenMode mode, QString &path, const QString &filter)
{
    if (mode != OpenMode::LoadGiven) {
        const std::optional<QString> chosen = m_services.dialogs.openFile(filter, 1);
        if (!chosen) {
            m_state.GoCancel = true;
            return false;
        }
        path = *chosen;
        if (mode == OpenMode::PickOnly) {
            m_state.GoCancel = false;
            return true;
        }
    }
    const bool loaded = load(path);
    m_state.GoCancel = !loaded;
    return loaded;
}

std::optional<QByteArray> Document::readChecked(const QString &path)
{
    FileSystem &files = m_services.files;
    Messages &messages = m_services.messages;
    // Only a regular file is a document: a pipe would never end, a device
    // never stop giving bytes, a folder has no text.
    const QString notAFile = files.whyNotAFile(path);
    const std::optional<qint64> size = files.size(path);
    if (!notAFile.isEmpty() || !size) {
        messages.show(QStringLiteral("KVN cannot open %1:\r%2.")
                          .arg(path, notAFile.isEmpty() ? QStringLiteral("there is no such file") : notAFile),
                      QStringLiteral("File not opened"), Buttons::Ok, Icon::Exclamation);
        return std::nullopt;
    }
    if (*size > largestFileBytes) {
        messages.show(QStringLiteral("KVN cannot open %1:\rit is %2 MB, and files over 1024 MB are too large to edit.")
                          .arg(path)
                          .arg(*size / (1024 * 1024)),
                      QStringLiteral("File not opened"), Buttons::Ok, Icon::Exclamation);
        return std::nullopt;
    }
    if (*size > largeFileBytes
        && messages.show(QStringLiteral("%1 is %2 MB. Opening it may take a while and a lot of memory.\rOpen it anyway?")
                             .arg(path)
                             .arg(*size / (1024 * 1024)),
                         QStringLiteral("Large file"), Buttons::YesNo, Icon::Exclamation)
               != Reply::Yes) {
        return std::nullopt;
    }
    // The size read is bounded whatever size the file reported.
    std::optional<QByteArray> bytes = files.read(path, largestFileBytes);
    if (!bytes) {
        messages.show(QStringLiteral("KVN cannot open %1:\rthe file cannot be read, or it grew past 1024 MB.").arg(path),
                      QStringLiteral("File not opened"), Buttons::Ok, Icon::Exclamation);
        return std::nullopt;
    }
    // Source text has no NUL bytes; a file with them in its first block is
    // most likely a program or an image opened by mistake.
    if (bytes->left(64 * 1024).contains('\0')
        && messages.show(QStringLiteral("%1 looks like a binary file, not source text.\rOpen it anyway?").arg(path),
                         QStringLiteral("Binary file"), Buttons::YesNo, Icon::Exclamation)
               != Reply::Yes) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<QByteArray> Document::offerLeftoverBackup(const QString &path)
{
    FileSystem &files = m_services.files;
    const QString title = QStringLiteral("Backup found");
    for (const QString &backup : files.leftoverBackups(path)) {
        const QString notAFile = files.whyNotAFile(backup);
        const std::optional<QByteArray> bytes = notAFile.isEmpty() ? files.read(backup, largestFileBytes) : std::nullopt;
        if (!bytes) {
            m_services.messages.show(
                QStringLiteral("KVN found %2, a backup copy of %1 made while saving it, but cannot read it: %3.\r"
                               "KVN shows %1 as it is and leaves the backup where it is.")
                    .arg(path, backup, notAFile.isEmpty() ? QStringLiteral("it cannot be read") : notAFile),
                title, Buttons::Ok, Icon::Exclamation);
            continue;
        }
        // The text goes into the editor rather than straight over the file:
        // the save may have been stopped after the new text was whole, and
        // only the user can tell which of the two to keep.
        if (m_services.messages.show(
                QStringLiteral("KVN found %2, a backup copy of %1 made while saving it. A save leaves it behind only "
                               "when it was stopped midway, so %1 may hold the old text, the new text or only a part "
                               "of one.\r\rYes: show the backup's text, not saved yet. Saving it makes it the text "
                               "of %1 again, and then removes the backup.\rNo: show %1 as it is. The backup stays "
                               "where it is until you delete it.")
                    .arg(path, backup),
                title, Buttons::YesNo, Icon::Exclamation)
            == Reply::Yes) {
            m_takenBackup = backup;
            m_takenBackupOf = path;
            m_takenBackupStamp = files.stamp(backup);
            return bytes;
        }
    }
    return std::nullopt;
}

bool Document::load(const QString &path, bool asSource)
{
    std::optional<QByteArray> bytes = readChecked(path);
    if (!bytes)
        return false;
    m_takenBackup.clear();
    std::optional<QByteArray> fromBackup = offerLeftoverBackup(path);
    const bool takenFromBackup = fromBackup.has_value();
    if (fromBackup)
        bytes = std::move(fromBackup);
    if (asSource && !path.endsWith(QLatin1String("cpp")) && !path.endsWith(QLatin1Char('c'))
        && m_services.messages.show(QStringLiteral("Unrecognised file format selected. Do you want to force C++ compile?"),
                                    QStringLiteral("Unrecognised file format found"), Buttons::YesNo, Icon::Information)
               == Reply::Yes) {
        m_services.sourceLink.forceCppCompile();
    }
    DecodedText decoded = TextCodec::decode(*bytes);
    bytes.reset(); // a large file need not be held three times over
    setReadOnly(false);
    m_controls.Text1.setText(decoded.text);
    m_format = decoded.format;
    m_state.currFilename = path;
    m_controls.lblFilename.setCaption(path);
    m_diskStamp = m_services.files.stamp(path);
    m_answeredDiskChange.reset();
    m_isSource = asSource;
    if (asSource)
        m_services.sourceLink.documentOpened(path);
    m_state.FileSaved = true;
    showSaved();
    m_controls.Text1.setModified(false);
    m_state.LastSearchPos = m_controls.Text1.selectionStart();
    if (takenFromBackup) {
        m_state.FileSaved = false;
        m_controls.window.setTitle(m_state.FormName + QStringLiteral(" #"));
        m_controls.lblFilename.setColours(m_state.colours.FSaveB_N, m_state.colours.FSaveT_N);
        m_controls.Text1.setModified(true);
    }
    if (m_onOpened)
        m_onOpened();
    return true;
}

bool Document::write(const QString &path)
{
    const TextCodec::Encoded encoded = TextCodec::encodeUtf8(m_controls.Text1.textUtf8(), m_format);
    const FileSystem::WriteResult result = m_services.files.write(path, encoded.bytes);
    if (!result.ok) {
        m_services.messages.show((result.fileUnchanged ? QStringLiteral("KVN could not save %1:\r%2.\rThe file on disk has "
                                                                        "not been changed; your text is still here.")
                                                       : QStringLiteral("KVN could not save %1:\r%2.\rYour text is still here."))
                                     .arg(path, result.error),
                                 QStringLiteral("File not saved"), Buttons::Ok, Icon::Critical);
        // What this save left of the file is KVN's doing, not another
        // program's change to reload; the text shown stays the one to save.
        if (!result.fileUnchanged && path == m_state.currFilename) {
            m_diskStamp = m_services.files.stamp(path);
            m_answeredDiskChange.reset();
        }
        return false;
    }
    // The backup's text, as the user kept it, is now the file's: the backup
    // is removed unless something else has been put in its place since.
    if (!m_takenBackup.isEmpty() && path == m_takenBackupOf && m_services.files.stamp(m_takenBackup) == m_takenBackupStamp)
        m_services.files.remove(m_takenBackup);
    m_takenBackup.clear();
    if (encoded.switchedToUtf8) {
        m_format.encoding = TextFormat::Encoding::Utf8;
        m_services.messages.show(QStringLiteral("%1 was a Latin-1 file, but the text now holds characters that Latin-1 "
                                                "cannot store, so it was saved as UTF-8.")
                                     .arg(path),
                                 QStringLiteral("Saved as UTF-8"), Buttons::Ok, Icon::Information);
    }
    m_controls.Text1.setModified(false);
    m_diskStamp = m_services.files.stamp(path);
    m_answeredDiskChange.reset();
    return true;
}

bool Document::changedOnDisk()
{
    // The file as KVN read or last wrote it; one that is gone is simply
    // written again.
    const std::optional<FileSystem::Stamp> now = m_services.files.stamp(m_state.currFilename);
    if (!m_diskStamp || !now || *now == *m_diskStamp)
        return false;
    return m_services.messages.show(QStringLiteral("%1 was changed by another program since KVN opened it. Overwrite it?")
                                        .arg(m_state.currFilename),
                                    QStringLiteral("File changed on disk"), Buttons::YesNo, Icon::Exclamation)
           != Reply::Yes;
}

Document::DiskCheck Document::checkDisk()
{
    if (m_checkingDisk)
        return DiskCheck::Busy;
    if (m_state.currFilename.isEmpty() || !m_diskStamp)
        return DiskCheck::Unchanged;
    const std::optional<FileSystem::Stamp> now = m_services.files.stamp(m_state.currFilename);
    if (now == m_diskStamp || (m_answeredDiskChange && *m_answeredDiskChange == now))
        return DiskCheck::Unchanged;
    m_checkingDisk = true;
    const auto done = qScopeGuard([this] { m_checkingDisk = false; });
    // Whatever the answer, this change has been dealt with; a later one is
    // asked about again.
    m_answeredDiskChange = now;
    const QString &path = m_state.currFilename;
    const QString title = QStringLiteral("File changed on disk");
    if (!now) {
        // An empty text in place of the user's would help no one: the text
        // stays, to be saved again.
        m_services.messages.show(QStringLiteral("%1 was deleted or renamed by another program.\r"
                                                "KVN keeps your text, not saved; saving it writes the file again.")
                                     .arg(path),
                                 title, Buttons::Ok, Icon::Exclamation);
        markUnsaved();
        return DiskCheck::Removed;
    }
    // A file rewritten with the same text (touched, checked out again) has
    // nothing to reload.
    if (m_state.FileSaved && now->size == m_diskStamp->size && diskHoldsShownText()) {
        m_diskStamp = now;
        m_answeredDiskChange.reset();
        return DiskCheck::Unchanged;
    }
    const QString question =
        m_readOnly ? QStringLiteral("%1 was changed by another program.\rReload it? No keeps showing it as it was.")
        : m_state.FileSaved
            ? QStringLiteral("%1 was changed by another program.\rReload it? (Undo brings back the text shown now.)\r"
                             "No keeps the text shown now, as unsaved text; saving it then asks before replacing "
                             "the file.")
            : QStringLiteral("%1 was changed by another program.\rReload it and lose your changes in KVN? (Undo "
                             "brings them back.)\rNo keeps your text, not saved; saving it then asks before "
                             "replacing the file.");
    if (m_services.messages.show(question.arg(path), title, Buttons::YesNo, Icon::Exclamation) == Reply::Yes
        && reload()) {
        return DiskCheck::Reloaded;
    }
    markUnsaved();
    return DiskCheck::Kept;
}

bool Document::diskHoldsShownText()
{
    const std::optional<QByteArray> bytes = m_services.files.read(m_state.currFilename, largestFileBytes);
    return bytes && *bytes == TextCodec::encodeUtf8(m_controls.Text1.textUtf8(), m_format).bytes;
}

bool Document::reload()
{
    const QString path = m_state.currFilename;
    // The stamp before the read: a write that comes during it then shows
    // as a change at the next look instead of passing unseen.
    const std::optional<FileSystem::Stamp> stamp = m_services.files.stamp(path);
    std::optional<QByteArray> bytes = readChecked(path);
    if (!bytes)
        return false;
    DecodedText decoded = TextCodec::decode(*bytes);
    bytes.reset();
    // One edit over the whole text, so that Undo brings the user's back;
    // the caret stays about where it was.
    const int caret = m_controls.Text1.selectionStart();
    m_controls.Text1.setMarks({});
    // A read-only text refuses edits, and holds nothing of the user's to
    // bring back: it simply becomes the file's.
    if (m_readOnly)
        m_controls.Text1.setText(decoded.text);
    else
        m_controls.Text1.replace(0, m_controls.Text1.length(), decoded.text);
    m_controls.Text1.setSelectionStart(std::min(caret, m_controls.Text1.length()));
    m_format = decoded.format;
    m_diskStamp = stamp;
    m_answeredDiskChange.reset();
    m_takenBackup.clear();
    m_state.FileSaved = true;
    showSaved();
    m_controls.Text1.setModified(false);
    m_state.LastSearchPos = m_controls.Text1.selectionStart();
    m_controls.lblLine.setCaption(CaretStatus::caretLineText(m_textBoxEx.GetLineFromChar(m_state.LastSearchPos),
                                                             m_textBoxEx.LineCount()));
    if (m_onOpened)
        m_onOpened();
    return true;
}

void Document::markUnsaved()
{
    // A read-only text holds nothing of the user's to save.
    if (!m_state.FileSaved || m_readOnly)
        return;
    m_state.FileSaved = false;
    m_controls.window.setTitle(m_state.FormName + QStringLiteral(" #"));
    m_controls.lblFilename.setColours(m_state.colours.FSaveB_N, m_state.colours.FSaveT_N);
    m_controls.Text1.setModified(true);
}

void Document::confirmSaved()
{
    if (m_mnuFileSaved.isChecked())
        m_services.messages.show(QStringLiteral("File saved."), QStringLiteral("File saved."), Buttons::Ok, Icon::Information);
    m_controls.lblFilename.setColours(m_state.colours.FSaveB_Y, m_state.colours.FSaveT_Y);
}

void Document::mnuSave_Click()
{
    if (m_state.currFilename.isEmpty()) {
        mnuSaveAs_Click();
        return;
    }
    if (refusedReadOnly(m_state.currFilename))
        return;
    m_declinedOverwrite = false;
    if (changedOnDisk()) {
        m_declinedOverwrite = true;
        m_state.GoCancel = true;
        return;
    }
    if (!write(m_state.currFilename)) {
        m_state.GoCancel = true;
        return;
    }
    m_state.FileSaved = true;
    m_state.GoCancel = false;
    m_controls.window.setTitle(m_state.FormName);
    if (m_isSource)
        m_services.sourceLink.documentSaved(m_state.currFilename);
    confirmSaved();
}

void Document::mnuSaveAs_Click()
{
    const std::optional<FileDialogs::SavePick> chosen = m_services.dialogs.saveFile(saveFilter(), 1);
    if (!chosen) {
        m_state.GoCancel = true;
        return;
    }
    const QString path = withFilterExtension(chosen->path, saveFilter(), chosen->filterIndex);
    if (path == m_state.currFilename && refusedReadOnly(path))
        return;
    if (m_services.files.exists(path) && m_controls.lblFilename.caption() != path) {
        const Reply reply = m_services.messages.show(
            QStringLiteral("File exists! Do you want to continue saving the text under this filename: %1 ?").arg(path),
            QStringLiteral("File Exists!"), Buttons::YesNo, Icon::Exclamation);
        if (reply != Reply::Yes) {
            mnuSaveAs_Click();
            return;
        }
    }
    if (!write(path)) {
        m_state.GoCancel = true;
        return;
    }
    m_controls.lblFilename.setCaption(path);
    m_state.FileSaved = true;
    m_state.GoCancel = false;
    m_controls.window.setTitle(m_state.FormName);
    m_state.currFilename = path;
    m_isSource = true;
    setReadOnly(false);
    m_services.sourceLink.documentSaved(path);
    confirmSaved();
}
