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
        QString startFolder;
    };

    // The next dialog picks path; a save dialog with the filter at
    // filterIndex chosen, or the one it offered when that is 0.
    void pickNext(const QString &path, int filterIndex = 0)
    {
        m_paths.append(path);
        m_filterIndexes.append(filterIndex);
    }
    void cancelNext()
    {
        m_paths.append(std::nullopt);
        m_filterIndexes.append(0);
    }
    void pickColourNext(std::optional<Colour> colour) { m_colours.append(colour); }

    std::optional<QString> openFile(const QString &filter, int filterIndex, const QString &startFolder = {}) override
    {
        calls.append({Call::Kind::Open, filter, filterIndex, 0, startFolder});
        if (m_paths.isEmpty())
            return std::nullopt;
        m_filterIndexes.takeFirst();
        return m_paths.takeFirst();
    }
    std::optional<SavePick> saveFile(const QString &filter, int filterIndex) override
    {
        calls.append({Call::Kind::Save, filter, filterIndex, 0, {}});
        if (m_paths.isEmpty())
            return std::nullopt;
        const int chosen = m_filterIndexes.takeFirst();
        const std::optional<QString> path = m_paths.takeFirst();
        if (!path)
            return std::nullopt;
        return SavePick{*path, chosen > 0 ? chosen : filterIndex};
    }
    std::optional<Colour> chooseColour(Colour initial) override
    {
        calls.append({Call::Kind::Colour, {}, 0, initial, {}});
        return m_colours.isEmpty() ? std::nullopt : m_colours.takeFirst();
    }

    QList<Call> calls;

private:
    QList<std::optional<QString>> m_paths;
    QList<int> m_filterIndexes;
    QList<std::optional<Colour>> m_colours;
};
