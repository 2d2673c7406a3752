#include "linkersymbol.h"

#include <QRegularExpression>

namespace {
// The part of a demangled symbol that names it in the source: the last
// component of "ns::Box<int>::area(int) const", without its parameters,
// qualifiers and template arguments.
QString nameOf(QString symbol)
{
    symbol = symbol.trimmed();
    static const QRegularExpression special(QStringLiteral("^(?:vtable|typeinfo|typeinfo name|VTT|construction vtable) for (.+)$"));
    if (const auto m = special.match(symbol); m.hasMatch())
        symbol = m.captured(1);
    // Drops a bracketed group that ends the text, with what nests in it.
    const auto dropTrailing = [&symbol](QChar open, QChar close) {
        if (!symbol.endsWith(close))
            return;
        int depth = 0;
        for (qsizetype i = symbol.size() - 1; i >= 0; --i) {
            if (symbol[i] == close)
                ++depth;
            else if (symbol[i] == open && --depth == 0) {
                symbol.truncate(i);
                return;
            }
        }
    };
    static const QRegularExpression qualifiers(QStringLiteral("(?:\\s*(?:const|volatile|&&|&|noexcept))+$"));
    symbol.remove(qualifiers);
    dropTrailing(u'(', u')');
    symbol = symbol.trimmed();
    dropTrailing(u'<', u'>');
    // The last component, and the last word, at the outermost level of
    // template arguments. An operator ("operator<<", "operator int") has
    // no identifier of its own to look for.
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i + 1 < symbol.size(); ++i) {
        if (QStringView(symbol).mid(i).startsWith(u"operator") && (i == 0 || !symbol[i - 1].isLetterOrNumber())
            && (i + 8 >= symbol.size() || !(symbol[i + 8].isLetterOrNumber() || symbol[i + 8] == u'_')))
            return {};
        if (symbol[i] == u'<')
            ++depth;
        else if (symbol[i] == u'>')
            --depth;
        else if (depth == 0 && symbol[i] == u':' && symbol[i + 1] == u':')
            start = i + 2;
        else if (depth == 0 && symbol[i] == u' ') // after a function template's return type
            start = i + 1;
    }
    symbol = symbol.mid(start);
    static const QRegularExpression identifier(QStringLiteral("^~?[A-Za-z_]\\w*$"));
    if (!identifier.match(symbol).hasMatch() || symbol.startsWith(QLatin1String("operator")))
        return {};
    return symbol;
}
} // namespace

std::optional<LinkerSymbol> LinkerSymbol::read(const QString &message)
{
    // GNU ld quotes the symbol as `name' ("undefined reference to `f()'");
    // lld names it after a colon.
    static const QRegularExpression undefined(
        QStringLiteral("^(?:undefined reference to `(.+)'|undefined symbol: (.+))$"));
    static const QRegularExpression twice(
        QStringLiteral("^(?:multiple definition of `(.+?)'(?:;.*)?|duplicate symbol: (.+))$"));
    LinkerSymbol found;
    if (const auto m = undefined.match(message); m.hasMatch()) {
        found.symbol = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
        found.problem = found.symbol == QLatin1String("main") ? Problem::NoMain : Problem::Undefined;
    } else if (const auto m = twice.match(message); m.hasMatch()) {
        found.symbol = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
        found.problem = Problem::DefinedTwice;
    } else {
        return std::nullopt;
    }
    // GCC's ABI tags ("label[abi:cxx11](int)", for a function returning a
    // std::string) are no part of the name the user wrote.
    static const QRegularExpression abiTag(QStringLiteral("\\[abi:[^\\]]*\\]"));
    found.symbol = found.symbol.remove(abiTag).trimmed();
    found.name = nameOf(found.symbol);
    return found;
}

QString LinkerSymbol::wording(const QString &sourceName) const
{
    static const QRegularExpression special(QStringLiteral("^(?:vtable|typeinfo|typeinfo name|VTT) for (.+)$"));
    switch (problem) {
    case Problem::NoMain:
        return QStringLiteral("%1 has no main function: a program starts at main, so it needs one")
            .arg(sourceName.isEmpty() ? QStringLiteral("the compiled file") : sourceName);
    case Problem::DefinedTwice:
        return QStringLiteral("defined more than once: %1").arg(symbol);
    case Problem::Undefined:
        break;
    }
    if (const auto m = special.match(symbol); m.hasMatch())
        return QStringLiteral("a virtual function of %1 is declared but never defined").arg(m.captured(1));
    return QStringLiteral("declared but never defined: %1").arg(symbol);
}
