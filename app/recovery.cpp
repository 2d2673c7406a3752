#include "recovery.h"

#include "editor/textformat.h"

#include <QCoreApplication>
#include <QRandomGenerator>

namespace {

const QString offerTitle = QStringLiteral("Unsaved changes found");
const QString offerChoices = QStringLiteral("\rNo deletes the kept copy; Cancel keeps it for later.");

} // namespace

Recovery::Recovery(EditorState &state, TextBox &Text1, CaretStatus &caretStatus, Document &document, Services services)
    : m_state(state)
    , m_Text1(Text1)
    , m_caretStatus(caretStatus)
    , m_document(document)
    , m_services(std::move(services))
{
    m_services.timer.setEnabled(false);
    m_services.timer.setInterval(pauseMs);
    m_services.timer.onTimeout([this] { tick(); });
}

QString Recovery::newInstance()
{
    return QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-')
           + QString::number(QRandomGenerator::global()->generate(), 36);
}

void Recovery::edited()
{
    const QDateTime now = m_services.now();
    if (!m_pending) {
        m_pending = true;
        m_pendingSince = now;
    }
    // Each edit puts the write back until typing pauses, but not for ever.
    if (!m_services.timer.isEnabled() || m_pendingSince.msecsTo(now) < longestWaitMs)
        m_services.timer.setEnabled(true);
}

void Recovery::dropStale()
{
    if (m_written && (*m_written != currentName() || m_state.FileSaved))
        drop(*m_written);
    if (m_adopted && m_state.FileSaved)
        drop(*m_adopted);
}

void Recovery::drop(const QString &name)
{
    m_services.files.remove(name);
    m_services.files.release(name);
    if (m_written == name)
        m_written.reset();
    if (m_adopted == name)
        m_adopted.reset();
}

void Recovery::markShown()
{
    std::optional<QString> wanted;
    if (!m_state.currFilename.isEmpty())
        wanted = RecoveryFile::key(m_state.currFilename) + QLatin1Char('.') + m_services.instance + QStringLiteral(".shown");
    if (wanted == m_shownMark)
        return;
    if (m_shownMark)
        m_services.files.release(*m_shownMark);
    if (wanted)
        m_services.files.claim(*wanted);
    m_shownMark = wanted;
}

void Recovery::tick()
{
    m_services.timer.setEnabled(false);
    markShown();
    tellWriteError();
    dropStale();
    if (m_pending && !m_state.FileSaved)
        write(currentName());
    m_pending = false;
    // While a file is kept, the tick goes on watching for the save or the
    // new document that makes it stale.
    if (m_written || m_adopted)
        m_services.timer.setEnabled(true);
}

void Recovery::tellWriteError()
{
    const std::optional<QString> error = m_services.files.writeError();
    if (!error) {
        m_toldWriteError = false;
        return;
    }
    // Once for each run of failed writes, not on every tick.
    if (m_toldWriteError)
        return;
    m_toldWriteError = true;
    m_services.messages.show(QStringLiteral("KVN cannot keep a copy of your unsaved text in %1:\r%2.\r"
                                            "Your text is still here; save it to keep it.")
                                 .arg(m_services.files.folder(), *error),
                             QStringLiteral("Unsaved text not kept"), Buttons::Ok, Icon::Exclamation);
}

void Recovery::write(const QString &name)
{
    // The box gives up its text as a copy; the worker converts it to the
    // document's line ends (the box holds CR LF) and writes it.
    QByteArray text = m_Text1.textUtf8();
    TextFormat format = m_document.format();
    format.encoding = TextFormat::Encoding::Utf8;
    format.byteOrderMark = false;
    format.finalLineEnd = false; // the text exactly as it stands
    // The file the text was edited from, so that an offer can tell when
    // the file was changed since.
    QByteArray head = RecoveryFile::header(m_state.currFilename, m_services.now(), m_document.diskStamp());
    m_services.files.write(name, [head = std::move(head), text = std::move(text), format] {
        QByteArray bytes = TextCodec::encodeUtf8(text, format).bytes;
        bytes.prepend(head);
        return bytes;
    });
    m_services.files.claim(name);
    m_written = name;
}

void Recovery::keepNow()
{
    m_services.timer.setEnabled(false);
    dropStale();
    if (!m_state.FileSaved && (m_pending || m_written != currentName() || m_services.files.writeError()))
        write(currentName());
    m_pending = false;
    m_services.files.finish();
}

void Recovery::discard()
{
    m_services.timer.setEnabled(false);
    m_pending = false;
    if (m_written)
        drop(*m_written);
    if (m_adopted)
        drop(*m_adopted);
    m_services.files.finish();
}

QStringList Recovery::offerable(bool atStart) const
{
    const QString key = RecoveryFile::key(m_state.currFilename);
    QStringList result;
    for (const QString &name : m_services.files.names()) {
        const std::optional<RecoveryFile::Name> parsed = RecoveryFile::parseName(name);
        if (!parsed || parsed->instance == m_services.instance || name == m_written || name == m_adopted
            || m_ignored.contains(name) || (atStart && m_later.contains(name)) || (!atStart && parsed->key != key))
            continue;
        result.append(name);
    }
    return result;
}

void Recovery::opened()
{
    // The text the load replaced was saved or given up.
    dropStale();
    markShown();
    if (m_opening)
        return;
    for (const QString &name : offerable(false))
        offer(name, false);
}

void Recovery::offerAtStart()
{
    m_services.files.removeLeftovers();
    markShown();
    for (const QString &name : offerable(true)) {
        // An earlier offer may have taken this one's document.
        if (name != m_written && name != m_adopted)
            offer(name, true);
    }
}

void Recovery::keepForLater(const QString &name)
{
    m_services.files.release(name);
    m_later.insert(name);
}

void Recovery::offer(const QString &name, bool atStart)
{
    StateFiles &files = m_services.files;
    // The file of a copy of the program still running is that copy's to
    // keep, not this one's to offer; nor is, at start, the text of a file
    // a running copy shows, where the user works on it now.
    const QString key = RecoveryFile::parseName(name)->key;
    if ((atStart && key != RecoveryFile::key(QString()) && files.claimedByAnother(key + QLatin1Char('.')))
        || !files.claim(name))
        return;
    if (const std::optional<qint64> size = files.size(name); size && *size > largestFileBytes) {
        files.release(name);
        m_ignored.insert(name);
        m_services.messages.show(QStringLiteral("KVN found unsaved changes kept in %1/%2, but at %3 MB they are too "
                                                "large to offer.\rThe file has been left as it is.")
                                     .arg(files.folder(), name)
                                     .arg(*size / (1024 * 1024)),
                                 offerTitle, Buttons::Ok, Icon::Exclamation);
        return;
    }
    std::optional<QByteArray> bytes = files.read(name, largestFileBytes);
    std::optional<RecoveryFile::Content> kept = bytes ? RecoveryFile::unpack(*bytes) : std::nullopt;
    bytes.reset(); // a large text need not be held twice
    // A file that cannot be read as one of ours, or whose name is not its
    // path's, is left alone.
    if (!kept || RecoveryFile::key(kept->path) != key) {
        files.release(name);
        m_ignored.insert(name);
        return;
    }
    const QString text = TextCodec::decode(kept->text).text;
    kept->text.clear();
    const bool shown = !kept->path.isEmpty() && kept->path == m_state.currFilename;
    // Text that was saved after all (the program ended between the save
    // and the next tick) is nothing to recover.
    if (shown && m_state.FileSaved && text == m_Text1.text()) {
        drop(name);
        return;
    }
    const QString date = RecoveryFile::readableDate(kept->date);
    QString question;
    if (kept->path.isEmpty())
        question = QStringLiteral("KVN found unsaved changes to a new document from %1. Recover them?").arg(date);
    else if (shown)
        question = QStringLiteral("KVN found unsaved changes to %1 from %2. Recover them?").arg(kept->path, date);
    else if (m_services.disk.exists(kept->path))
        question = QStringLiteral("KVN found unsaved changes to %1 from %2. Open it and recover them?").arg(kept->path, date);
    else
        question = QStringLiteral("KVN found unsaved changes to %1 from %2, but that file is no longer there. "
                                  "Recover them as a new document?")
                       .arg(kept->path, date);
    switch (m_services.messages.show(question + offerChoices, offerTitle, Buttons::YesNoCancel, Icon::Question)) {
    case Reply::Yes:
        break;
    case Reply::No:
        drop(name);
        return;
    default:
        keepForLater(name);
        return;
    }
    if (!take(*kept, text)) {
        keepForLater(name);
        return;
    }
    markShown();
    // This run's own copy replaces the one taken; the one taken goes only
    // once the own copy is on disk.
    write(currentName());
    m_pending = false;
    files.finish();
    if (files.writeError()) {
        m_adopted = name;
    } else {
        drop(name);
    }
    m_services.timer.setEnabled(true);
}

bool Recovery::take(const RecoveryFile::Content &kept, const QString &text)
{
    if (!kept.path.isEmpty() && m_services.disk.exists(kept.path)) {
        // The file is opened as Open does, with the save question for the
        // text shown, unless it is shown as it is on disk.
        if (kept.path != m_state.currFilename || !m_state.FileSaved) {
            m_opening = true;
            const bool loaded = m_document.openFile(kept.path);
            m_opening = false;
            if (!loaded)
                return false;
        }
        if (RecoveryFile::diskChangedSince(kept, m_document.diskStamp())
            && m_services.messages.show(QStringLiteral("%1 was changed on disk after KVN kept your unsaved changes to it.\r"
                                                       "Recover them anyway? Saving them then replaces the newer file; "
                                                       "No keeps the kept copy for later.")
                                            .arg(kept.path),
                                        QStringLiteral("File changed on disk"), Buttons::YesNo, Icon::Exclamation)
                   != Reply::Yes) {
            return false;
        }
    } else {
        // Text of a new document, or of a file no longer there, becomes a
        // new document.
        m_document.mnuNew_Click();
        if (!m_state.FileSaved || !m_state.currFilename.isEmpty())
            return false;
    }
    m_Text1.setText(text);
    m_caretStatus.Text1_Change();
    return true;
}
