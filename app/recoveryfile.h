#pragma once

#include "platform/filesystem.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The recovery file's name and format. A file is a header of "key: value"
// lines after a first line that names it, then an empty line, then the text
// in UTF-8 with the document's line ends:
//
//   KVN recovery file
//   version: 2
//   path: /home/ann/prog.cpp
//   date: 2026-03-14T09:26:00Z
//   disk: 1234 1773480360000000000 5678901
//   (empty line)
//   the text
//
// The first files had no version line (version 1) and no disk line; they
// are read as before. "disk" is the file on disk the text was edited from
// (size, modification time in nanoseconds, inode), or "none".
class RecoveryFile
{
public:
    static constexpr int version = 2;

    // The file of the document at path kept by the running copy instance;
    // an empty path is a document never saved. The name begins with a key
    // that only the path decides, so the files of one document are found by
    // name alone.
    static QString name(const QString &path, const QString &instance);
    static QString key(const QString &path);

    struct Name
    {
        QString key;
        QString instance; // empty for the one name per document of the first versions
    };
    // What a file name says; nothing for a name that is not a recovery file's.
    static std::optional<Name> parseName(const QString &name);

    struct Content
    {
        int version = 1;
        QString path;    // empty for a document never saved
        QDateTime date;  // when the text was kept
        bool diskKnown = false; // version 1 files did not record the file on disk
        std::optional<FileSystem::Stamp> disk; // nothing when there was no file
        QByteArray text; // UTF-8, with the document's line ends
    };
    static QByteArray header(const QString &path, const QDateTime &date, const std::optional<FileSystem::Stamp> &disk);
    // Nothing for bytes that are not a recovery file of a version this
    // program knows.
    static std::optional<Content> unpack(const QByteArray &bytes);

    // Whether the file on disk (now, nothing when missing) is another than
    // the one the kept text was edited from.
    static bool diskChangedSince(const Content &content, const std::optional<FileSystem::Stamp> &now);

    // "14 March 2026, 09:26", in local time.
    static QString readableDate(const QDateTime &date);
};
