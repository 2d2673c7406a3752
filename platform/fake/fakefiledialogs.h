#pragma once

#include "platform/filedialogs.h"

#include <QList>
#include <QStringList>

// Dialogs that answer from a script; an unscripted dialog is cancelled.
class FakeFileDialogs : public FileDialogs
{
public:
    struct Call
    {
        enum class Kind { Open, Save, Colour } kind;
        QString filter;
        int filterIndex = 0;
        Colour initial = 0;
    };

    void pickNext(const QString &path) { m_paths.append(path); }
    void cancelNext() { m_paths.append(std::nullopt); }
    void pickColourNext(std::optional<Colour> colour) { m_colours.append(colour); }

    std::optional<QString> openFile(const QString &filter, int filterIndex) override
    {
        calls.append({Call::Kind::Open, filter, filterIndex, 0});
        return m_paths.isEmpty() ? std::nullopt : m_paths.takeFirst();
    }
    std::optional<QString> saveFile(const QString &filter, int filterIndex) override
    {
        calls.append({Call::Kind::Save, filter, filterIndex, 0});
        return m_paths.isEmpty() ? std::nullopt : m_paths.takeFirst();
    }
    std::optional<Colour> chooseColour(Colour initial) override
    {
        calls.append({Call::Kind::Colour, {}, 0, initial});
        return m_colours.isEmpty() ? std::nullopt : m_colours.takeFirst();
    }

    QList<Call> calls;

private:
    QList<std::optional<QString>> m_paths;
    QList<std::optional<Colour>> m_colours;
};
