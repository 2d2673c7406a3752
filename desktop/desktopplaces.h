#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <functional>

// Where KVN and its files are on this computer. KVN finds its data
// relative to its own program file, as kvncc finds its headers: in
// "share/kvn" beside the program (the build folder is laid out so) or in
// the data folder of the installation the program is in (by default
// "../share/kvn" from the program's folder, e.g. /usr/share/kvn for
// /usr/bin/kvn). The first of the two that holds the web pages counts.
struct DesktopPlaces
{
    QString programPath; // the running program's file
    QString dataFolder;  // KVN's data folder, empty when neither place has it
    QString iconFile;    // kvn.svg in the hicolor theme beside the data, empty when missing
    QString dataHome;    // $XDG_DATA_HOME, else ~/.local/share
    QString configHome;  // $XDG_CONFIG_HOME, else ~/.config

    // The address of KVN's own web pages, "file:///.../web/", or an empty
    // string without a data folder.
    QString siteUrl() const;

    using Exists = std::function<bool(const QString &path)>;

    // The places for the program at programPath; exists tells whether a
    // file is there.
    static DesktopPlaces find(const QString &programPath, const QProcessEnvironment &environment, const Exists &exists);

    // The data folders to look in, in order, for a program in programFolder.
    static QStringList dataFolderCandidates(const QString &programFolder);

    // The value of an XDG base-directory variable: used when it is an
    // absolute path, otherwise home + "/" + fallback.
    static QString xdgHome(const QString &value, const QString &home, const QString &fallback);

    // The file that marks a data folder as KVN's, relative to it.
    static QString marker() { return QStringLiteral("web/index.html"); }
};
