#pragma once

#include "platform/filesystem.h"

class QtFileSystem : public FileSystem
{
public:
    QString currentFolder() const override;
    bool exists(const QString &path) const override;
    bool remove(const QString &path) override;
    bool isExecutable(const QString &path) const override;
    std::optional<qint64> size(const QString &path) const override;
    std::optional<QByteArray> read(const QString &path) const override;
    WriteResult write(const QString &path, const QByteArray &bytes) override;
};
