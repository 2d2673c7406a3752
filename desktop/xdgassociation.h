#pragma once

#include "platform/filesystem.h"
#include "platform/folders.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Makes KVN the user's default application for file types on the Linux
// desktop, the freedesktop.org way: a desktop entry "kvn.desktop" that
// starts this very program file with the opened file's path, in
// $XDG_DATA_HOME/applications, and the defaults for the types in
// $XDG_CONFIG_HOME/mimeapps.list. File managers, xdg-open and xdg-mime all
// read these. Everything else in mimeapps.list is kept as it was.
class XdgAssociation
{
public:
    struct Services
    {
        FileSystem &files;
        Folders &folders;
    };
    struct Places
    {
        QString programPath; // the program the entry starts
        QString iconFile;    // the icon the entry shows; empty: the theme's "kvn"
        QString dataHome;    // $XDG_DATA_HOME, without '/' at the end
        QString configHome;  // $XDG_CONFIG_HOME, without '/' at the end
    };
    struct Result
    {
        bool ok = true;
        QString error; // a sentence for the user when !ok
    };

    XdgAssociation(Services services, Places places) : m_services(services), m_places(std::move(places)) {}

    // Writes the desktop entry and makes it the default for mimeTypes.
    Result associate(const QStringList &mimeTypes);

    QString desktopEntryPath() const;
    QString mimeappsPath() const;

    static QString desktopId() { return QStringLiteral("kvn.desktop"); }

    // The types KVN opens for an extension of the association command.
    static QStringList mimeTypesOf(const QString &extension);

    // The desktop entry for the program: the installed entry's text with
    // the program and icon put in. Nothing when the path cannot be written
    // into an entry (a line break in it).
    static std::optional<QByteArray> desktopEntry(const QString &programPath, const QString &icon);

    // The program path as one argument of an Exec line, quoted and escaped
    // as the desktop entry format requires.
    static QString execArgument(const QString &programPath);

    // mimeapps.list with desktopId the default and the first application
    // for each type, no longer among the removed ones, and every other line
    // as it was.
    static QByteArray withDefaults(const QByteArray &mimeapps, const QString &desktopId, const QStringList &mimeTypes);

private:
    Services m_services;
    Places m_places;
};
