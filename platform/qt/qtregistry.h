#pragma once

#include "platform/registry.h"

#include <QByteArray>
#include <QList>

// The key store in one text file, by default kvn/registry.txt under the
// user's configuration folder ($XDG_CONFIG_HOME, else ~/.config). Every
// operation reads the file afresh and every change replaces it atomically,
// so two KVN windows never lose each other's keys and a failed write leaves
// the old file. The file reads like an export of the system registry:
//
//     KVN key store 1
//
//     [HKEY_CLASSES_ROOT\.c]
//     @="c"
//
// with '\' and '"' in a value written as \\ and \", and line breaks as \n
// and \r. Lines it does not understand are skipped.
class QtRegistry : public Registry
{
public:
    explicit QtRegistry(QString file = defaultFile());

    static QString defaultFile();
    QString file() const { return m_file; }

    bool createKey(RegistryRoot root, const QString &path) override;
    bool openKey(RegistryRoot root, const QString &path) override;
    bool setDefaultValue(RegistryRoot root, const QString &path, const QString &value) override;
    std::optional<QString> defaultValue(RegistryRoot root, const QString &path) const override;

    struct Key
    {
        QString path; // with the root's name in front
        std::optional<QString> value;
        friend bool operator==(const Key &, const Key &) = default;
    };
    static QList<Key> parse(const QByteArray &text);
    static QByteArray format(const QList<Key> &keys);

private:
    // The keys in the file, none when there is no file; nothing when the
    // file exists but cannot be read.
    std::optional<QList<Key>> load() const;
    bool save(const QList<Key> &keys) const;

    QString m_file;
};
