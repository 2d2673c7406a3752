#include "xdgassociation.h"

#include "desktopentrytemplate.h"

#include "platform/paths.h"

namespace {

const QString defaultsSection = QStringLiteral("[Default Applications]");
const QString addedSection = QStringLiteral("[Added Associations]");
const QString removedSection = QStringLiteral("[Removed Associations]");

bool isSectionHeader(const QString &line)
{
    const QString trimmed = line.trimmed();
    return trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'));
}

// The key of a "key=value" line, or an empty string for any other line.
QString keyOf(const QString &line)
{
    if (line.trimmed().startsWith(QLatin1Char('#')))
        return {};
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : line.left(equals).trimmed();
}

QStringList listOf(const QString &line)
{
    QStringList items;
    for (const QString &item : line.mid(line.indexOf(QLatin1Char('=')) + 1).split(QLatin1Char(';'))) {
        if (!item.trimmed().isEmpty())
            items.append(item.trimmed());
    }
    return items;
}

// The lines of a mimeapps.list and the sections in them.
class MimeApps
{
public:
    explicit MimeApps(const QString &text) : m_lines(text.split(QLatin1Char('\n')))
    {
        // A final line end leaves an empty last part, which is no line.
        if (m_lines.last().isEmpty())
            m_lines.removeLast();
    }

    // The lines, each ended by a line feed.
    QString text() const
    {
        QString text = m_lines.join(QLatin1Char('\n'));
        if (!m_lines.isEmpty())
            text += QLatin1Char('\n');
        return text;
    }

    // Sets the key's line in the section, adding the section or the line
    // when missing; an empty list removes the line.
    void set(const QString &section, const QString &key, const QStringList &items)
    {
        const QString line = key + QLatin1Char('=') + items.join(QLatin1Char(';')) + QLatin1Char(';');
        qsizetype begin = sectionBegin(section);
        if (begin < 0) {
            if (items.isEmpty())
                return;
            if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
                m_lines.append(QString());
            m_lines.append(section);
            m_lines.append(line);
            return;
        }
        const qsizetype end = sectionEnd(begin);
        for (qsizetype i = begin + 1; i < end; ++i) {
            if (keyOf(m_lines[i]) == key) {
                if (items.isEmpty())
                    m_lines.removeAt(i);
                else
                    m_lines[i] = line;
                return;
            }
        }
        if (items.isEmpty())
            return;
        // After the section's last line that is not blank.
        qsizetype at = end;
        while (at > begin + 1 && m_lines[at - 1].trimmed().isEmpty())
            --at;
        m_lines.insert(at, line);
    }

    QStringList items(const QString &section, const QString &key) const
    {
        const qsizetype begin = sectionBegin(section);
        if (begin < 0)
            return {};
        const qsizetype end = sectionEnd(begin);
        for (qsizetype i = begin + 1; i < end; ++i) {
            if (keyOf(m_lines[i]) == key)
                return listOf(m_lines[i]);
        }
        return {};
    }

private:
    qsizetype sectionBegin(const QString &section) const
    {
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].trimmed() == section)
                return i;
        }
        return -1;
    }

    qsizetype sectionEnd(qsizetype begin) const
    {
        qsizetype end = begin + 1;
        while (end < m_lines.size() && !isSectionHeader(m_lines[end]))
            ++end;
        return end;
    }

    QStringList m_lines;
};

} // namespace

QStringList XdgAssociation::mimeTypesOf(const QString &extension)
{
    // text/x-c is an alias of text/x-csrc that xdg-open looks up by itself.
    if (extension == QLatin1String(".c"))
        return {QStringLiteral("text/x-csrc"), QStringLiteral("text/x-c")};
    if (extension == QLatin1String(".cpp"))
        return {QStringLiteral("text/x-c++src")};
    if (extension == QLatin1String(".h"))
        return {QStringLiteral("text/x-chdr")};
    return {};
}

QString XdgAssociation::execArgument(const QString &programPath)
{
    static const QString reserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (const QChar c : programPath)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString argument;
    if (needsQuotes) {
        argument = QLatin1Char('"');
        for (const QChar c : programPath) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                argument += QLatin1Char('\\');
            argument += c;
        }
        argument += QLatin1Char('"');
    } else {
        argument = programPath;
    }
    // Then the escapes of any string value of an entry, and "%%" for a
    // percent sign, which would otherwise start a field code.
    argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return argument;
}

std::optional<QByteArray> XdgAssociation::desktopEntry(const QString &programPath, const QString &icon)
{
    for (const QString &value : {programPath, icon}) {
        if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
            return std::nullopt;
    }
    QString iconValue = icon.isEmpty() ? QStringLiteral("kvn") : icon;
    iconValue.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    QString text = QString::fromUtf8(DesktopEntryTemplate::text);
    text.replace(QStringLiteral("@KVN_EXEC@"), execArgument(programPath));
    text.replace(QStringLiteral("@KVN_ICON@"), iconValue);
    return text.toUtf8();
}

QByteArray XdgAssociation::withDefaults(const QByteArray &mimeapps, const QString &desktopId, const QStringList &mimeTypes)
{
    MimeApps file(QString::fromUtf8(mimeapps));
    for (const QString &type : mimeTypes) {
        file.set(defaultsSection, type, {desktopId});
        QStringList added = file.items(addedSection, type);
        added.removeAll(desktopId);
        added.prepend(desktopId);
        file.set(addedSection, type, added);
        QStringList removed = file.items(removedSection, type);
        if (removed.removeAll(desktopId) > 0)
            file.set(removedSection, type, removed);
    }
    return file.text().toUtf8();
}

QString XdgAssociation::desktopEntryPath() const
{
    return m_places.dataHome + QStringLiteral("/applications/") + desktopId();
}

QString XdgAssociation::mimeappsPath() const
{
    return m_places.configHome + QStringLiteral("/mimeapps.list");
}

XdgAssociation::Result XdgAssociation::associate(const QStringList &mimeTypes)
{
    const std::optional<QByteArray> entry = desktopEntry(m_places.programPath, m_places.iconFile);
    if (!entry)
        return {false, QStringLiteral("The program's path %1 cannot be written into a desktop entry.").arg(m_places.programPath)};

    const QString entryPath = desktopEntryPath();
    if (!m_services.folders.makePath(folderOf(entryPath)))
        return {false, QStringLiteral("The folder %1 could not be created.").arg(folderOf(entryPath))};
    const FileSystem::WriteResult entryWritten = m_services.files.write(entryPath, *entry);
    if (!entryWritten.ok)
        return {false, QStringLiteral("%1 could not be written: %2.").arg(entryPath, entryWritten.error)};

    const QString listPath = mimeappsPath();
    QByteArray list;
    if (m_services.files.exists(listPath)) {
        // An existing list that cannot be read is left alone, never replaced
        // by one that knows only KVN.
        const std::optional<QByteArray> existing = m_services.files.read(listPath);
        if (!existing)
            return {false, QStringLiteral("%1 could not be read.").arg(listPath)};
        list = *existing;
    } else if (!m_services.folders.makePath(folderOf(listPath))) {
        return {false, QStringLiteral("The folder %1 could not be created.").arg(folderOf(listPath))};
    }
    const FileSystem::WriteResult listWritten = m_services.files.write(listPath, withDefaults(list, desktopId(), mimeTypes));
    if (!listWritten.ok)
        return {false, QStringLiteral("%1 could not be written: %2.").arg(listPath, listWritten.error)};
    return {};
}
