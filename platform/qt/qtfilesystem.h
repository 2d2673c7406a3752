#pragma once

#include "platform/filesystem.h"

class QtFileSystem : public FileSystem
{
public:
    QtFileSystem() = default;
    QtFileSystem(const QtFileSystem &) = delete;
    QtFileSystem &operator=(const QtFileSystem &) = delete;
    ~QtFileSystem() override;

    QString currentFolder() const override;
    bool exists(const QString &path) const override;
    bool remove(const QString &path) override;
    bool isExecutable(const QString &path) const override;
    std::optional<qint64> size(const QString &path) const override;
    QString whyNotAFile(const QString &path) const override;
    QString whyNotYoursAlone(const QString &path) const override;
    std::optional<QByteArray> read(const QString &path, qint64 limit = noLimit) const override;
    std::optional<Stamp> stamp(const QString &path) const override;
    WriteResult write(const QString &path, const QByteArray &bytes) override;
    WriteResult replace(const QString &path, const QByteArray &bytes) override;
    QString scratchFolder() override;

private:
    QString m_scratch;
};
