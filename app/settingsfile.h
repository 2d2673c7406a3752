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
    std::optional<Settings> read(const Settings &defaults) const;

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
