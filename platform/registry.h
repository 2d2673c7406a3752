#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The roots of the key store. KVN only writes under the classes root, where
// the file types and the programs that open them are recorded.
enum class RegistryRoot { ClassesRoot };

// A hierarchical store of keys, each with a default (unnamed) string value,
// laid out as the system registry of KVN's first platform: key paths are
// separated by '\' and compared without regard to case. Paths that are
// empty, start or end with '\', hold an empty part ("a\\b") or a line break
// name no key, and every operation on them fails.
class Registry
{
public:
    virtual ~Registry() = default;

    // Creates the key and any missing keys above it. True when the key
    // exists afterwards, also when it existed before.
    virtual bool createKey(RegistryRoot root, const QString &path) = 0;

    // Opens an existing key for writing. False when it does not exist or the
    // store cannot be reached.
    virtual bool openKey(RegistryRoot root, const QString &path) = 0;

    // Sets the default value of an existing key to a string (REG_SZ). False
    // when the key does not exist or the value could not be stored.
    virtual bool setDefaultValue(RegistryRoot root, const QString &path, const QString &value) = 0;

    // The key's default value, or nothing when the key is missing or has no
    // value.
    virtual std::optional<QString> defaultValue(RegistryRoot root, const QString &path) const = 0;

    // The root's name as the store writes it, such as "HKEY_CLASSES_ROOT".
    static QString rootName(RegistryRoot root)
    {
        switch (root) {
        case RegistryRoot::ClassesRoot: break;
        }
        return QStringLiteral("HKEY_CLASSES_ROOT");
    }

    // Whether path names a key: see the class comment.
    static bool isKeyPath(const QString &path)
    {
        if (path.isEmpty() || path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r')))
            return false;
        const QStringList parts = path.split(QLatin1Char('\\'));
        for (const QString &part : parts) {
            if (part.isEmpty())
                return false;
        }
        return true;
    }
};
