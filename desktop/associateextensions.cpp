#include "associateextensions.h"

const QList<AssociateExtensions::Row> &AssociateExtensions::rows()
{
    static const QList<Row> rows = {
        {QStringLiteral(".c"), QStringLiteral("c"), QStringLiteral("C Source Files"),
         QStringLiteral("Associate *.c files with KVN?"),
         QStringLiteral("Error found! *.c files are NOT associated with KVN.")},
        {QStringLiteral(".cpp"), QStringLiteral("cpp"), QStringLiteral("C++ Source Files"),
         QStringLiteral("Associate *.cpp files with KVN?"),
         QStringLiteral("Error found! *.cpp files are NOT associated with KVN.")},
        {QStringLiteral(".h"), QStringLiteral("h"), QStringLiteral("C/C++ Header Files"),
         QStringLiteral("Associate *.h files with KVN?"),
         QStringLiteral("Error found! *.h files are NOT associated with KVN.")},
    };
    return rows;
}

void AssociateExtensions::mnuAssExt_Click()
{
    for (const Row &row : rows()) {
        // The program is registered by its own path, so what matters is that
        // it stays where it is.
        reply = m_services.messages.show(row.question + QLatin1Char('\r') + QStringLiteral("Please make sure that KVN stays at ")
                                             + m_appPath + QStringLiteral(" !"),
                                         QStringLiteral("Associate Profiles?"), Buttons::YesNoCancel, Icon::Information);
        if (reply == Reply::Cancel)
            return;
        if (reply != Reply::Yes)
            continue;
        FileAssociationRequest request{row.Extension, row.FileType, row.FileTypeName, action(), m_appPath, QString(),
                                       false, QString(), false};
        if (!m_services.association.CreateFileAss(request)) {
            failed(row, QString());
            continue;
        }
        const XdgAssociation::Result desktop = m_services.desktop.associate(XdgAssociation::mimeTypesOf(row.Extension));
        if (!desktop.ok)
            failed(row, desktop.error);
    }
}

void AssociateExtensions::failed(const Row &row, const QString &reason)
{
    const QChar cr = QLatin1Char('\r');
    m_services.messages.show(row.failure + cr + (reason.isEmpty() ? QString() : reason + cr)
                                 + QStringLiteral("You may want to try again."),
                             QStringLiteral("Error found!"), Buttons::Ok, Icon::Exclamation);
}
