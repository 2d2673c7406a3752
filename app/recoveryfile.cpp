#include "recoveryfile.h"

#include <QCryptographicHash>
#include <QSet>

namespace {

const QByteArray magic = QByteArrayLiteral("KVN recovery file");
const QString suffix = QStringLiteral(".recovery");
const QString newDocumentKey = QStringLiteral("new-document");
// A header longer than this is not one this program wrote.
constexpr qsizetype longestHeader = 64 * 1024;

QByteArray encodePath(const QString &path)
{
    // A path may hold a line break; control characters and '%' are
    // percent-encoded to keep it on its line, the rest stays readable.
    QByteArray encoded;
    for (const char c : path.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '%')
            encoded += '%' + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
        else
            encoded += c;
    }
    return encoded;
}

std::optional<std::optional<FileSystem::Stamp>> parseDisk(const QByteArray &value)
{
    if (value == "none")
        return std::optional<FileSystem::Stamp>();
    const QList<QByteArray> parts = value.split(' ');
    if (parts.size() != 3)
        return std::nullopt;
    bool sizeOk = false;
    bool timeOk = false;
    bool inodeOk = false;
    FileSystem::Stamp stamp{parts[0].toLongLong(&sizeOk), parts[1].toLongLong(&timeOk), parts[2].toULongLong(&inodeOk)};
    if (!sizeOk || !timeOk || !inodeOk)
        return std::nullopt;
    return std::optional<FileSystem::Stamp>(stamp);
}

bool isInstance(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!(c.isDigit() || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('-')))
            return false;
    }
    return true;
}

bool isKey(const QString &text)
{
    if (text == newDocumentKey)
        return true;
    if (text.size() != 40)
        return false;
    for (const QChar c : text) {
        if (!(c.isDigit() || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    }
    return true;
}

} // namespace

QString RecoveryFile::key(const QString &path)
{
    if (path.isEmpty())
        return newDocumentKey;
    // The path itself may be long and hold any character; its hash names
    // the file, and the path inside tells which document it is.
    return QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString RecoveryFile::name(const QString &path, const QString &instance)
{
    if (instance.isEmpty())
        return key(path) + suffix;
    return key(path) + QLatin1Char('.') + instance + suffix;
}

std::optional<RecoveryFile::Name> RecoveryFile::parseName(const QString &name)
{
    if (!name.endsWith(suffix))
        return std::nullopt;
    const QString stem = name.chopped(suffix.size());
    const qsizetype dot = stem.indexOf(QLatin1Char('.'));
    Name parsed{dot < 0 ? stem : stem.left(dot), dot < 0 ? QString() : stem.mid(dot + 1)};
    if (!isKey(parsed.key) || (dot >= 0 && !isInstance(parsed.instance)))
        return std::nullopt;
    return parsed;
}

QByteArray RecoveryFile::header(const QString &path, const QDateTime &date, const std::optional<FileSystem::Stamp> &disk)
{
    const QByteArray diskValue = disk ? QByteArray::number(disk->size) + ' ' + QByteArray::number(disk->modifiedNs) + ' '
                                            + QByteArray::number(disk->inode)
                                      : QByteArrayLiteral("none");
    return magic + "\nversion: " + QByteArray::number(version) + "\npath: " + encodePath(path)
           + "\ndate: " + date.toUTC().toString(Qt::ISODate).toLatin1() + "\ndisk: " + diskValue + "\n\n";
}

std::optional<RecoveryFile::Content> RecoveryFile::unpack(const QByteArray &bytes)
{
    const qsizetype end = bytes.indexOf("\n\n");
    if (end < 0 || end > longestHeader)
        return std::nullopt;
    const QList<QByteArray> lines = bytes.left(end).split('\n');
    if (lines.first() != magic)
        return std::nullopt;
    Content content;
    QSet<QByteArray> seen;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        const qsizetype colon = line.indexOf(": ");
        if (colon <= 0)
            return std::nullopt;
        const QByteArray field = line.left(colon);
        const QByteArray value = line.mid(colon + 2);
        if (seen.contains(field))
            return std::nullopt;
        seen.insert(field);
        if (field == "version") {
            bool ok = false;
            content.version = value.toInt(&ok);
            // A later program's file may mean something this one cannot
            // tell; it is left for that program.
            if (!ok || content.version < 1 || content.version > version)
                return std::nullopt;
        } else if (field == "path") {
            content.path = QString::fromUtf8(QByteArray::fromPercentEncoding(value));
        } else if (field == "date") {
            content.date = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODate);
        } else if (field == "disk") {
            const std::optional<std::optional<FileSystem::Stamp>> disk = parseDisk(value);
            if (!disk)
                return std::nullopt;
            content.diskKnown = true;
            content.disk = *disk;
        }
    }
    if (!seen.contains("path") || !content.date.isValid())
        return std::nullopt;
    content.text = bytes.mid(end + 2);
    return content;
}

bool RecoveryFile::diskChangedSince(const Content &content, const std::optional<FileSystem::Stamp> &now)
{
    if (content.diskKnown) {
        // Only what the file records counts: a change of mode alone leaves
        // the text as it was.
        if (!content.disk || !now)
            return content.disk.has_value() != now.has_value();
        return content.disk->size != now->size || content.disk->modifiedNs != now->modifiedNs
               || content.disk->inode != now->inode;
    }
    // The first files did not say which file the text came from; a file
    // written after the text was kept is another.
    return now && now->modifiedNs > content.date.toMSecsSinceEpoch() * 1000000;
}

QString RecoveryFile::readableDate(const QDateTime &date)
{
    return date.toLocalTime().toString(QStringLiteral("d MMMM yyyy, HH:mm"));
}
