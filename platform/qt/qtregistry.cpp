#include "qtregistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
const QByteArray header = QByteArrayLiteral("KVN key store 1");

QString fullPath(RegistryRoot root, const QString &path)
{
    return Registry::rootName(root) + QLatin1Char('\\') + path;
}

qsizetype indexOf(const QList<QtRegistry::Key> &keys, const QString &path)
{
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (keys[i].path.compare(path, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString escaped(const QString &value)
{
    QString result;
    result.reserve(value.size() + 2);
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\': result += QStringLiteral("\\\\"); break;
        case '"': result += QStringLiteral("\\\""); break;
        case '\n': result += QStringLiteral("\\n"); break;
        case '\r': result += QStringLiteral("\\r"); break;
        default: result += c;
        }
    }
    return result;
}

// The value of a line @="...", or nothing when the line is not one.
std::optional<QString> unescaped(const QString &line)
{
    if (!line.startsWith(QStringLiteral("@=\"")) || !line.endsWith(QLatin1Char('"')) || line.size() < 4)
        return std::nullopt;
    const QString body = line.mid(3, line.size() - 4);
    QString result;
    for (qsizetype i = 0; i < body.size(); ++i) {
        QChar c = body[i];
        if (c == QLatin1Char('"'))
            return std::nullopt; // a bare quote ends the value early: not ours
        if (c == QLatin1Char('\\')) {
            if (++i == body.size())
                return std::nullopt;
            switch (body[i].unicode()) {
            case 'n': c = QLatin1Char('\n'); break;
            case 'r': c = QLatin1Char('\r'); break;
            default: c = body[i];
            }
        }
        result += c;
    }
    return result;
}
} // namespace

QtRegistry::QtRegistry(QString file)
    : m_file(std::move(file))
{
}

QString QtRegistry::defaultFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/kvn/registry.txt");
}

QList<QtRegistry::Key> QtRegistry::parse(const QByteArray &text)
{
    QList<Key> keys;
    qsizetype current = -1;
    for (const QByteArray &rawLine : text.split('\n')) {
        QString line = QString::fromUtf8(rawLine);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString path = line.mid(1, line.size() - 2);
            current = indexOf(keys, path);
            if (current < 0) {
                keys.append({path, {}});
                current = keys.size() - 1;
            }
        } else if (current >= 0) {
            if (std::optional<QString> value = unescaped(line))
                keys[current].value = std::move(value);
        }
    }
    return keys;
}

QByteArray QtRegistry::format(const QList<Key> &keys)
{
    QString text = QString::fromLatin1(header) + QLatin1Char('\n');
    for (const Key &key : keys) {
        text += QStringLiteral("\n[") + key.path + QStringLiteral("]\n");
        if (key.value)
            text += QStringLiteral("@=\"") + escaped(*key.value) + QStringLiteral("\"\n");
    }
    return text.toUtf8();
}

std::optional<QList<QtRegistry::Key>> QtRegistry::load() const
{
    QFile file(m_file);
    if (!file.exists())
        return QList<Key>();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return parse(text);
}

bool QtRegistry::save(const QList<Key> &keys) const
{
    if (!QDir().mkpath(QFileInfo(m_file).absolutePath()))
        return false;
    QSaveFile file(m_file);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = format(keys);
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool QtRegistry::createKey(RegistryRoot root, const QString &path)
{
    if (!isKeyPath(path))
        return false;
    std::optional<QList<Key>> keys = load();
    if (!keys)
        return false;
    bool added = false;
    QString above = rootName(root);
    for (const QString &part : path.split(QLatin1Char('\\'))) {
        above += QLatin1Char('\\') + part;
        if (indexOf(*keys, above) < 0) {
            keys->append({above, {}});
            added = true;
        }
    }
    return !added || save(*keys);
}

bool QtRegistry::openKey(RegistryRoot root, const QString &path)
{
    if (!isKeyPath(path))
        return false;
    const std::optional<QList<Key>> keys = load();
    return keys && indexOf(*keys, fullPath(root, path)) >= 0;
}

bool QtRegistry::setDefaultValue(RegistryRoot root, const QString &path, const QString &value)
{
    if (!isKeyPath(path))
        return false;
    std::optional<QList<Key>> keys = load();
    if (!keys)
        return false;
    const qsizetype index = indexOf(*keys, fullPath(root, path));
    if (index < 0)
        return false;
    (*keys)[index].value = value;
    return save(*keys);
}

std::optional<QString> QtRegistry::defaultValue(RegistryRoot root, const QString &path) const
{
    if (!isKeyPath(path))
        return std::nullopt;
    const std::optional<QList<Key>> keys = load();
    if (!keys)
        return std::nullopt;
    const qsizetype index = indexOf(*keys, fullPath(root, path));
    return index < 0 ? std::nullopt : (*keys)[index].value;
}
