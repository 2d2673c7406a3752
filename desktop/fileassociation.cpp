#include "fileassociation.h"

namespace {
const QString registerTitle = QStringLiteral("DLL/OCX Register");

// Spaces only, as the switch and icon texts have always been trimmed; a tab
// is part of the text.
QString trimSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}
} // namespace

bool FileAssociation::isIllegal(QChar c)
{
    return QStringLiteral("\\/:*?<>|\"").contains(c);
}

bool FileAssociation::CreateFileAss(FileAssociationRequest &r)
{
    PromptOnError = r.PromptOnError;

    if (!m_services.files.exists(r.AppPath)) {
        if (PromptOnError) {
            m_services.messages.show(QStringLiteral("The application path '") + r.AppPath
                                         + QStringLiteral("' cannot be found."),
                                     registerTitle, Buttons::Ok, Icon::Critical);
        }
        return false;
    }

    if (r.Extension.isEmpty()) {
        // An extension without a first character cannot be checked: the
        // routine's general failure, before anything is written.
        if (PromptOnError) {
            m_services.messages.show(QStringLiteral("Error associating files! Please try again."),
                                     QStringLiteral("Error found!"), Buttons::Ok, Icon::Information);
        }
        return false;
    }
    if (r.Extension[0] != QLatin1Char('.'))
        r.Extension.prepend(QLatin1Char('.'));
    for (const QChar c : std::as_const(r.Extension)) {
        if (isIllegal(c)) {
            if (PromptOnError) {
                m_services.messages.show(QStringLiteral("The file extension '") + r.Extension
                                             + QStringLiteral("' contains an illegal char (\\/:*?<>|\")."),
                                         registerTitle, Buttons::Ok, Icon::Critical);
            }
            return false;
        }
    }

    if (!r.Switch.isEmpty())
        r.Switch = QLatin1Char(' ') + trimSpaces(r.Switch);
    r.Action = r.FileType + QStringLiteral("\\shell\\") + r.Action + QStringLiteral("\\command");

    // Every step is taken even after one has failed, so that as much of the
    // association as can be written is.
    const RegistryRoot root = RegistryRoot::ClassesRoot;
    bool ok = CreateRegKey(root, r.Extension);
    ok = CreateRegKey(root, r.Action) && ok;
    if (r.SetIcon) {
        const QString iconKey = r.FileType + QStringLiteral("\\DefaultIcon");
        ok = CreateRegKey(root, iconKey) && ok;
        const QString icon = r.DefaultIcon.isEmpty() ? r.AppPath + QStringLiteral(",0") : r.DefaultIcon;
        ok = SetRegValue(root, iconKey, trimSpaces(icon)) && ok;
    }
    ok = SetRegValue(root, r.Extension, r.FileType) && ok;
    ok = SetRegValue(root, r.FileType, r.FileTypeName) && ok;
    ok = SetRegValue(root, r.Action, r.AppPath + r.Switch + QStringLiteral(" %1")) && ok;
    return ok;
}

bool FileAssociation::CreateRegKey(RegistryRoot root, const QString &path)
{
    if (m_services.registry.createKey(root, path))
        return true;
    if (PromptOnError)
        m_services.messages.show(QStringLiteral("error!"), QString(), Buttons::Ok, Icon::Information);
    return false;
}

bool FileAssociation::SetRegValue(RegistryRoot root, const QString &path, const QString &value)
{
    if (!m_services.registry.openKey(root, path)) {
        if (PromptOnError)
            m_services.messages.show(QStringLiteral("error!"), registerTitle, Buttons::Ok, Icon::Critical);
        return false;
    }
    if (m_services.registry.setDefaultValue(root, path, value))
        return true;
    if (PromptOnError)
        m_services.messages.show(QStringLiteral("error!"), QString(), Buttons::Ok, Icon::Information);
    return false;
}
