#include "messageplacement.h"

#include "linkersymbol.h"
#include "nameuses.h"

#include <QDir>
#include <QRegularExpression>

namespace {
using Kind = NameUses::Use::Kind;

QString fileName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

class Placer
{
public:
    Placer(const QList<Diagnostic> &diagnostics, const MessagePlacement::Sources &sources)
        : m_diagnostics(diagnostics)
        , m_sources(sources)
    {
    }

    Placement place(qsizetype index)
    {
        const Diagnostic &d = m_diagnostics.at(index);
        Placement p;
        p.named = d.file;
        p.path = d.file.isEmpty() ? QString() : m_sources.find(d.file);
        p.line = d.line;
        p.column = d.column;
        p.message = d.message;
        if (!d.isError() && d.severity != Diagnostic::Severity::Warning)
            return p;
        if (const std::optional<LinkerSymbol> symbol = LinkerSymbol::read(d.message))
            return placeSymbol(p, *symbol);
        if (d.hasLocation() && isSystem(p.path.isEmpty() ? d.file : p.path))
            placeInUsersLine(p, index);
        return p;
    }

private:
    bool isSystem(const QString &path) const
    {
        return !path.isEmpty() && m_sources.isSystem(path);
    }

    // A file of the user's, as found on disk; empty for another.
    QString usersFile(const QString &named) const
    {
        if (named.isEmpty())
            return {};
        const QString path = m_sources.find(named);
        return path.isEmpty() || isSystem(path) ? QString() : path;
    }

    void moveTo(Placement &p, const QString &path, int line, int column, int offset = -1) const
    {
        p.path = path;
        p.named = path;
        p.line = line;
        p.column = column;
        p.offset = offset;
        p.moved = true;
    }

    // The chain that led into the system header, innermost first: GCC's
    // "required from" notes before the message, Clang's "requested here"
    // notes after it, then the includes that brought the header in.
    void placeInUsersLine(Placement &p, qsizetype index) const
    {
        static const QRegularExpression required(QStringLiteral("^(?:recursively )?required (?:from|by) "));
        static const QRegularExpression requested(QStringLiteral("\\brequested here$"));
        QList<Diagnostic::Place> chain;
        qsizetype first = index;
        while (first > 0 && m_diagnostics.at(first - 1).severity == Diagnostic::Severity::Note
               && !m_diagnostics.at(first - 1).summary)
            --first;
        for (qsizetype i = first; i < index; ++i) {
            const Diagnostic &note = m_diagnostics.at(i);
            if (required.match(note.message).hasMatch())
                chain.append({note.file, note.line, note.column});
        }
        for (qsizetype i = index + 1;
             i < m_diagnostics.size() && m_diagnostics.at(i).severity == Diagnostic::Severity::Note; ++i) {
            const Diagnostic &note = m_diagnostics.at(i);
            if (requested.match(note.message).hasMatch())
                chain.append({note.file, note.line, note.column});
        }
        // GCC names the includes only when the file changes: a later message
        // in the same header was brought in the same way.
        for (qsizetype i = index; i >= 0; --i) {
            const Diagnostic &earlier = m_diagnostics.at(i);
            if (!earlier.includedFrom.isEmpty()) {
                if (earlier.file == m_diagnostics.at(index).file)
                    chain += earlier.includedFrom;
                break;
            }
        }
        for (const Diagnostic::Place &place : chain) {
            const QString path = usersFile(place.file);
            if (path.isEmpty() || place.line <= 0)
                continue;
            const Diagnostic &d = m_diagnostics.at(index);
            moveTo(p, path, place.line, place.column);
            p.message = QStringLiteral("%1 (in %2:%3)").arg(d.message, d.file).arg(d.line);
            return;
        }
    }

    Placement placeSymbol(Placement p, const LinkerSymbol &symbol)
    {
        const QString source = m_sources.compiledSource;
        if (symbol.problem == LinkerSymbol::Problem::NoMain) {
            p.message = symbol.wording(fileName(source));
            if (!source.isEmpty())
                moveTo(p, source, 1, 0);
            return p;
        }
        p.message = symbol.wording(fileName(source));
        p.moved = true;
        if (symbol.name.isEmpty())
            return p;
        // Without debug information the linker names the object's source by
        // its file name alone: that is the compiled source, not a file of the
        // same name in the folder KVN runs the compiler in.
        const QString stated = !source.isEmpty() && !QDir::isAbsolutePath(p.named) && !p.named.contains(QLatin1Char('/'))
                                       && p.named == fileName(source)
                                   ? source
                                   : usersFile(p.named);
        const QStringList files = filesToSearch(stated);
        if (symbol.problem == LinkerSymbol::Problem::Undefined && !declaredIn(files, symbol.name))
            p.message = QStringLiteral("used but defined nowhere: %1 (is the name misspelt, or its library not linked?)")
                            .arg(symbol.symbol);
        // With debug information the linker names the line itself: the name
        // is looked for on it. GNU ld names code a header's inline function
        // holds with the compiled file and the header's line, so the same
        // line of the headers is tried next.
        if (!stated.isEmpty() && p.line > 0) {
            for (const QString &file : files) {
                for (const NameUses::Use &use : uses(file, symbol.name)) {
                    if (use.line == p.line) {
                        moveTo(p, file, use.line, 0, use.offset);
                        return p;
                    }
                }
            }
            moveTo(p, stated, p.line, 0);
            return p;
        }
        // A call first (it is what needs the definition), then any other use,
        // then a declaration; a name defined twice at its definition.
        const QList<Kind> preference = symbol.problem == LinkerSymbol::Problem::DefinedTwice
                                           ? QList<Kind>{Kind::Definition, Kind::Declaration, Kind::Call, Kind::Use}
                                           : QList<Kind>{Kind::Call, Kind::Use, Kind::Declaration, Kind::Definition};
        for (const Kind kind : preference) {
            for (const QString &file : files) {
                for (const NameUses::Use &use : uses(file, symbol.name)) {
                    if (use.kind == kind) {
                        moveTo(p, file, use.line, 0, use.offset);
                        return p;
                    }
                }
            }
        }
        return p;
    }

    // Whether any of files declares or defines name: a name the user's
    // files only use is misspelt or belongs to a library.
    bool declaredIn(const QStringList &files, const QString &name)
    {
        for (const QString &file : files) {
            for (const NameUses::Use &use : uses(file, name)) {
                if (use.kind == Kind::Declaration || use.kind == Kind::Definition)
                    return true;
            }
        }
        return false;
    }

    // The file the linker names, the compiled source, then the user's own
    // headers they include, nearest first.
    QStringList filesToSearch(const QString &stated)
    {
        QStringList files;
        for (const QString &file : {stated, m_sources.compiledSource}) {
            if (!file.isEmpty() && !files.contains(file))
                files.append(file);
        }
        for (qsizetype i = 0; i < files.size() && files.size() < MessagePlacement::headerLimit; ++i) {
            const std::optional<QString> text = textOf(files.at(i));
            if (!text)
                continue;
            for (const QString &include : NameUses::quotedIncludes(*text)) {
                const QString path = QDir::isAbsolutePath(include)
                                         ? QDir::cleanPath(include)
                                         : QDir::cleanPath(folderOf(files.at(i)) + QLatin1Char('/') + include);
                if (!files.contains(path) && !isSystem(path) && textOf(path) && files.size() < MessagePlacement::headerLimit)
                    files.append(path);
            }
        }
        return files;
    }

    std::optional<QString> textOf(const QString &path)
    {
        auto it = m_texts.find(path);
        if (it == m_texts.end())
            it = m_texts.insert(path, m_sources.text(path));
        return *it;
    }

    QList<NameUses::Use> uses(const QString &path, const QString &name)
    {
        const std::optional<QString> text = textOf(path);
        return text ? NameUses::find(*text, name) : QList<NameUses::Use>();
    }

    const QList<Diagnostic> &m_diagnostics;
    const MessagePlacement::Sources &m_sources;
    QHash<QString, std::optional<QString>> m_texts; // each file read once
};
} // namespace

QList<Placement> MessagePlacement::place(const QList<Diagnostic> &diagnostics, const Sources &sources)
{
    Placer placer(diagnostics, sources);
    QList<Placement> placed;
    placed.reserve(diagnostics.size());
    for (qsizetype i = 0; i < diagnostics.size(); ++i)
        placed.append(placer.place(i));
    return placed;
}
