#pragma once

#include "fileassociation.h"
#include "xdgassociation.h"

#include <QList>

// The command "Associate Extensions" (Ctrl+F8): asks, for .c, .cpp and .h
// in turn, whether KVN is to open such files, and records the answer Yes
// both in the key store and on the Linux desktop, so that opening such a
// file from a file manager starts this program with its path.
class AssociateExtensions
{
public:
    struct Services
    {
        Messages &messages;
        FileAssociation &association;
        XdgAssociation &desktop;
    };
    struct Row
    {
        QString Extension;
        QString FileType;
        QString FileTypeName;
        QString question;
        QString failure;
    };

    // appPath is the running program's own file, so the association holds
    // wherever KVN is installed and whatever its file is called.
    AssociateExtensions(Services services, QString appPath) : m_services(services), m_appPath(std::move(appPath)) {}

    void mnuAssExt_Click();

    Reply reply = Reply::Ok; // the last answer

    static const QList<Row> &rows();
    static QString action() { return QStringLiteral("Open with KVN"); }

private:
    void failed(const Row &row, const QString &reason);

    Services m_services;
    QString m_appPath;
};
