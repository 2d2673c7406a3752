#include "settingsfile.h"

SettingsFile::SettingsFile(FileSystem &files, Messages &messages)
    : m_files(files)
    , m_messages(messages)
{
}

QString SettingsFile::noticeText()
{
    return QStringLiteral("Since you have changed an option for KVN, KVN has created a textfile "
                          "kvn.txt which stores the options for KVN so that it can refer to the next time. "
                          "This file is not necessary required for KVN to start up though, so if you are "
                          "copying kvn.exe to another computer to use, you can choose to either copy this file as well "
                          "so that copy of KVN can retain the same settings, or not, in which that copy of KVN will use "
                          "the default options.");
}

std::optional<Settings> SettingsFile::read(const Settings &defaults) const
{
    if (!exists())
        return std::nullopt;
    const std::optional<QByteArray> bytes = m_files.read(m_path, largestBytes);
    if (!bytes) {
        QString why = m_files.whyNotAFile(m_path);
        if (why.isEmpty()) {
            const std::optional<qint64> size = m_files.size(m_path);
            why = size && *size > largestBytes ? QStringLiteral("it is far larger than a settings file can be")
                                               : QStringLiteral("it cannot be read");
        }
        m_messages.show(QStringLiteral("KVN cannot read its settings from %1: %2. It starts with the default settings.")
                            .arg(m_path, why),
                        QStringLiteral("KVN"), Buttons::Ok, Icon::Exclamation);
        return defaults;
    }
    return SettingsFormat::read(*bytes, defaults);
}

void SettingsFile::write(const Settings &settings)
{
    GotSave = exists();
    m_files.write(m_path, SettingsFormat::write(settings));
    if (!GotSave) {
        m_messages.show(noticeText(), noticeTitle(), Buttons::Ok, Icon::Information);
        GotSave = true;
    }
}
