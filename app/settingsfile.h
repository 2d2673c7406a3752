#pragma once

#include "settings.h"

#include "platform/filesystem.h"
#include "platform/messages.h"

#include <optional>

// "kvn.txt" in the working folder. It is created only when a preference
// first leaves its default, with a notice that says so, and rewritten whole
// on every later change.
class SettingsFile
{
public:
    SettingsFile(FileSystem &files, Messages &messages);

    void setFolder(const QString &workDir) { m_path = workDir + QStringLiteral("kvn.txt"); }
    QString path() const { return m_path; }

    bool exists() const { return m_files.exists(m_path); }

    // The stored settings over the defaults; nothing when there is no file.
    // A file that cannot be read, or is far larger than nine lines can be,
    // gives the defaults, and the user is told why.
    std::optional<Settings> read(const Settings &defaults) const;

    // Empty when the file is the user's alone; otherwise why someone else
    // may have written it. The working folder may be anyone's, so the
    // compiler the file names is not run on its word alone.
    QString whyNotYours() const { return m_files.whyNotYoursAlone(m_path); }

    // Nine lines of two paths and a few numbers; more than this is not a
    // settings file, and reading it whole would stall the start.
    static constexpr qint64 largestBytes = 64 * 1024;

    // Writes every value. The old file is replaced atomically, so a failed
    // write keeps it; failures are otherwise silent and the settings stay in
    // force for this run. Shows the first-creation notice when there was no
    // file before.
    void write(const Settings &settings);

    // Whether the file is known to exist.
    bool GotSave = false;

    static QString noticeTitle() { return QStringLiteral("Some information..."); }
    static QString noticeText();

private:
    FileSystem &m_files;
    Messages &m_messages;
    QString m_path;
};
