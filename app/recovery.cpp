#include "recovery.h"

#include "editor/textformat.h"

#include <QCryptographicHash>

namespace {

const QByteArray magic = QByteArrayLiteral("KVN recovery file");
const QByteArray pathField = QByteArrayLiteral("path: ");
const QByteArray dateField = QByteArrayLiteral("date: ");

} // namespace

Recovery::Recovery(EditorState &state, TextBox &Text1, CaretStatus &caretStatus, const Document &document,
                   Services services)
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

QString Recovery::fileName(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("new-document.recovery");
    // The path itself may be long and hold any character; its hash names
    // the file, and the path inside tells which document it is.
    return QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex())
           + QStringLiteral(".recovery");
}

QByteArray Recovery::header(const QString &path, const QDateTime &date)
{
    // A path may hold a line break; control characters and '%' are
    // percent-encoded to keep it on its line, the rest stays readable.
    QByteArray encodedPath;
    for (const char c : path.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '%')
            encodedPath += '%' + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
        else
            encodedPath += c;
    }
    return magic + '\n' + pathField + encodedPath + '\n' + dateField
           + date.toUTC().toString(Qt::ISODate).toLatin1() + "\n\n";
}

std::optional<Recovery::Content> Recovery::unpack(const QByteArray &bytes)
{
    qsizetype at = 0;
    const auto line = [&bytes, &at]() -> std::optional<QByteArray> {
        const qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            return std::nullopt;
        QByteArray result = bytes.mid(at, end - at);
        at = end + 1;
        return result;
    };
    const std::optional<QByteArray> first = line();
    const std::optional<QByteArray> path = line();
    const std::optional<QByteArray> date = line();
    const std::optional<QByteArray> blank = line();
    if (!first || *first != magic || !path || !path->startsWith(pathField) || !date || !date->startsWith(dateField)
        || !blank || !blank->isEmpty())
        return std::nullopt;
    Content content;
    content.path = QString::fromUtf8(QByteArray::fromPercentEncoding(path->mid(pathField.size())));
    content.date = QDateTime::fromString(QString::fromLatin1(date->mid(dateField.size())), Qt::ISODate);
    if (!content.date.isValid())
        return std::nullopt;
    content.text = bytes.mid(at);
    return content;
}

QString Recovery::readableDate(const QDateTime &date)
{
    return date.toLocalTime().toString(QStringLiteral("d MMMM yyyy, HH:mm"));
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
}

void Recovery::drop(const QString &name)
{
    m_services.files.remove(name);
    m_services.files.release(name);
    if (m_written == name)
        m_written.reset();
}

void Recovery::tick()
{
    m_services.timer.setEnabled(false);
    dropStale();
    if (m_pending && !m_state.FileSaved)
        write(currentName());
    m_pending = false;
    // While a file is kept, the tick goes on watching for the save or the
    // new document that makes it stale.
    if (m_written)
        m_services.timer.setEnabled(true);
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
    QByteArray head = header(m_state.currFilename, m_services.now());
    m_services.files.write(name, [head = std::move(head), text = std::move(text), format] {
        QByteArray bytes = TextCodec::encodeUtf8(text, format).bytes;
        bytes.prepend(head);
        return bytes;
    });
    // Another copy of the program working on the same document holds it
    // too; the file then keeps the text of whichever wrote last.
    m_services.files.claim(name);
    m_written = name;
}

void Recovery::keepNow()
{
    m_services.timer.setEnabled(false);
    dropStale();
    if (!m_state.FileSaved && (m_pending || m_written != currentName()))
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
    m_services.files.finish();
}

void Recovery::offerAtStart()
{
    const QString name = currentName();
    std::optional<QByteArray> bytes = m_services.files.read(name);
    // The file of a copy of the program still running is that copy's to
    // keep, not this one's to offer.
    if (!bytes || !m_services.files.claim(name))
        return;
    // A file that cannot be read as one of ours, or that belongs to another
    // path with the same hash, is left alone.
    std::optional<Content> kept = unpack(*bytes);
    bytes.reset();
    if (!kept || kept->path != m_state.currFilename) {
        m_services.files.release(name);
        return;
    }
    const QString text = TextCodec::decode(kept->text).text;
    const QDateTime date = kept->date;
    kept.reset(); // a large text need not be held twice
    // Text that was saved after all (the program ended between the save
    // and the next tick) is nothing to recover.
    if (text == m_Text1.text()) {
        drop(name);
        return;
    }
    const QString document = m_state.currFilename.isEmpty() ? QStringLiteral("a new document") : m_state.currFilename;
    const Reply reply = m_services.messages.show(
        QStringLiteral("KVN found unsaved changes to %1 from %2. Recover them?")
            .arg(document, readableDate(date)),
        QStringLiteral("Unsaved changes found"), Buttons::YesNo, Icon::Question);
    if (reply != Reply::Yes) {
        drop(name);
        return;
    }
    m_Text1.setText(text);
    m_caretStatus.Text1_Change();
    // The file holds this very text; it stays until the text is saved.
    m_pending = false;
    m_written = name;
    m_services.timer.setEnabled(true);
}
