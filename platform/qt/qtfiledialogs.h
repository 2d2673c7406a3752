#pragma once

#include "platform/filedialogs.h"

class QWidget;

class QtFileDialogs : public FileDialogs
{
public:
    explicit QtFileDialogs(QWidget *parent = nullptr) : m_parent(parent) {}

    std::optional<QString> openFile(const QString &filter, int filterIndex, const QString &startFolder = {}) override;
    std::optional<SavePick> saveFile(const QString &filter, int filterIndex) override;
    std::optional<Colour> chooseColour(Colour initial) override;

    // "C++ Source files|*.cpp|All files|*.*" becomes Qt's
    // "C++ Source files (*.cpp);;All files (*)".
    static QStringList qtFilters(const QString &filter);

private:
    QWidget *m_parent;
};
