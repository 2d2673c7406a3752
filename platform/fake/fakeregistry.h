#pragma once

#include "platform/registry.h"

#include <QMap>
#include <QStringList>

// An in-memory key store that records every call. Keys can be made to
// refuse creation, opening or a new value, as a store without write rights
// would. Paths compare without regard to case, as in the real store.
class FakeRegistry : public Registry
{
public:
    struct Call
    {
        QString operation; // "create", "open" or "set"
        QString path;
        QString value;
    };

    bool createKey(RegistryRoot, const QString &path) override
    {
        calls.append({QStringLiteral("create"), path, {}});
        if (!isKeyPath(path) || m_failCreate.contains(path.toLower()))
            return false;
        QString above;
        for (const QString &part : path.split(QLatin1Char('\\'))) {
            above = above.isEmpty() ? part : above + QLatin1Char('\\') + part;
            if (!m_keys.contains(above.toLower()))
                m_keys.insert(above.toLower(), {above, {}});
        }
        return true;
    }

    bool openKey(RegistryRoot, const QString &path) override
    {
        calls.append({QStringLiteral("open"), path, {}});
        return m_keys.contains(path.toLower()) && !m_failOpen.contains(path.toLower());
    }

    bool setDefaultValue(RegistryRoot, const QString &path, const QString &value) override
    {
        calls.append({QStringLiteral("set"), path, value});
        auto key = m_keys.find(path.toLower());
        if (key == m_keys.end() || m_failSet.contains(path.toLower()))
            return false;
        key->value = value;
        return true;
    }

    std::optional<QString> defaultValue(RegistryRoot, const QString &path) const override
    {
        return m_keys.value(path.toLower()).value;
    }

    void failCreateOf(const QString &path) { m_failCreate.append(path.toLower()); }
    void failOpenOf(const QString &path) { m_failOpen.append(path.toLower()); }
    void failSetOf(const QString &path) { m_failSet.append(path.toLower()); }

    // Every key with its path as first created, in order of the lower-case path.
    QStringList keys() const
    {
        QStringList result;
        for (const Key &key : m_keys)
            result.append(key.path);
        return result;
    }

    // The keys that hold a value, each with it.
    QMap<QString, QString> values() const
    {
        QMap<QString, QString> result;
        for (const Key &key : m_keys) {
            if (key.value)
                result.insert(key.path, *key.value);
        }
        return result;
    }

    QList<Call> calls;

private:
    struct Key
    {
        QString path;
        std::optional<QString> value;
    };
    QMap<QString, Key> m_keys;
    QStringList m_failCreate;
    QStringList m_failOpen;
    QStringList m_failSet;
};
