#include "nameuses.h"

#include <QRegularExpression>
#include <QSet>

namespace {
using Use = NameUses::Use;

bool isIdentifierStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool isIdentifierPart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// Words after which a name is read as a value, not declared.
bool isExpressionWord(QStringView word)
{
    static const QSet<QString> words = {
        QStringLiteral("return"), QStringLiteral("case"),     QStringLiteral("else"),   QStringLiteral("do"),
        QStringLiteral("throw"),  QStringLiteral("new"),      QStringLiteral("delete"), QStringLiteral("sizeof"),
        QStringLiteral("not"),    QStringLiteral("and"),      QStringLiteral("or"),     QStringLiteral("co_return"),
        QStringLiteral("co_await"), QStringLiteral("co_yield"), QStringLiteral("goto"),   QStringLiteral("typeid"),
    };
    return words.contains(word.toString());
}

struct Token
{
    enum class Type { Word, Punctuation };
    Type type = Type::Punctuation;
    QStringView text; // into the text read, which outlives its tokens
    int line = 1;
    int offset = 0; // in its line
};

// The text as words and punctuation, without comments, literals and line
// ends; each #include line is dropped as a whole.
class Lexer
{
public:
    explicit Lexer(const QString &text) : m_text(text) {}

    QList<Token> tokens()
    {
        QList<Token> out;
        while (m_at < m_text.size()) {
            const QChar c = m_text[m_at];
            if (c == u'\n') {
                advance();
                m_lineStart = m_at;
                ++m_line;
                m_atLineStart = true;
                continue;
            }
            if (c.isSpace()) {
                advance();
                continue;
            }
            const bool lineStart = std::exchange(m_atLineStart, false);
            if (c == u'/' && peek(1) == u'/') {
                skipToLineEnd();
            } else if (c == u'/' && peek(1) == u'*') {
                skipBlockComment();
            } else if (c == u'"' || c == u'\'') {
                skipLiteral(c);
            } else if (c == u'R' && peek(1) == u'"') {
                skipRawString();
            } else if (lineStart && c == u'#' && isInclude()) {
                skipToLineEnd();
            } else if (isIdentifierStart(c)) {
                Token t{Token::Type::Word, {}, m_line, int(m_at - m_lineStart)};
                const qsizetype start = m_at;
                while (m_at < m_text.size() && isIdentifierPart(m_text[m_at]))
                    ++m_at;
                t.text = QStringView(m_text).mid(start, m_at - start);
                // A prefixed literal: L"..", u8'..', and the raw u8R"(..)".
                if (m_at < m_text.size() && (m_text[m_at] == u'"' || m_text[m_at] == u'\'')
                    && (t.text == u"L" || t.text == u"u" || t.text == u"U" || t.text == u"u8")) {
                    skipLiteral(m_text[m_at]);
                    continue;
                }
                if (m_at < m_text.size() && m_text[m_at] == u'"'
                    && (t.text == u"LR" || t.text == u"uR" || t.text == u"UR" || t.text == u"u8R")) {
                    --m_at; // back to the R
                    skipRawString();
                    continue;
                }
                out.append(t);
            } else if (c.isDigit()) {
                // 1.5e3, 0x1F, 1'000'000
                while (m_at < m_text.size()
                       && (isIdentifierPart(m_text[m_at]) || m_text[m_at] == u'.'
                           || (m_text[m_at] == u'\'' && peek(1).isLetterOrNumber())))
                    ++m_at;
            } else {
                Token t{Token::Type::Punctuation, QStringView(m_text).mid(m_at, 1), m_line, int(m_at - m_lineStart)};
                // "::" and "->" each count as one.
                if ((c == u':' && peek(1) == u':') || (c == u'-' && peek(1) == u'>')) {
                    t.text = QStringView(m_text).mid(m_at, 2);
                    ++m_at;
                }
                ++m_at;
                out.append(t);
            }
        }
        return out;
    }

private:
    QChar peek(int ahead) const
    {
        return m_at + ahead < m_text.size() ? m_text[m_at + ahead] : QChar();
    }

    void advance() { ++m_at; }

    void skipToLineEnd()
    {
        while (m_at < m_text.size() && m_text[m_at] != u'\n') {
            // A backslash at the line's end (LF or CR LF) carries a comment or
            // directive on.
            if (const int end = continuationAt(); end > 0) {
                m_at += end;
                m_lineStart = m_at;
                ++m_line;
                continue;
            }
            ++m_at;
        }
    }

    void skipBlockComment()
    {
        m_at += 2;
        while (m_at < m_text.size() && !(m_text[m_at] == u'*' && peek(1) == u'/'))
            countLineEnd();
        m_at = std::min(m_at + 2, m_text.size());
    }

    void skipLiteral(QChar quote)
    {
        ++m_at;
        while (m_at < m_text.size() && m_text[m_at] != quote && m_text[m_at] != u'\n') {
            if (const int end = continuationAt(); end > 0) {
                m_at += end;
                m_lineStart = m_at;
                ++m_line;
                continue;
            }
            if (m_text[m_at] == u'\\' && m_at + 1 < m_text.size())
                ++m_at;
            countLineEnd();
        }
        if (m_at < m_text.size() && m_text[m_at] == quote)
            ++m_at;
    }

    void skipRawString()
    {
        // R"delim( ... )delim"
        const qsizetype open = m_text.indexOf(u'(', m_at + 2);
        if (open < 0 || open - (m_at + 2) > 16) {
            m_at += 1;
            return;
        }
        const QString end = QLatin1Char(')') + m_text.mid(m_at + 2, open - (m_at + 2)) + QLatin1Char('"');
        m_at = open + 1;
        while (m_at < m_text.size() && !QStringView(m_text).mid(m_at).startsWith(end))
            countLineEnd();
        m_at = std::min(m_at + end.size(), m_text.size());
    }

    // The length of a backslash and the line end after it at the current
    // place; 0 when there is none.
    int continuationAt() const
    {
        if (m_text[m_at] != u'\\')
            return 0;
        if (peek(1) == u'\n')
            return 2;
        return peek(1) == u'\r' && peek(2) == u'\n' ? 3 : 0;
    }

    void countLineEnd()
    {
        if (m_text[m_at] == u'\n') {
            m_lineStart = m_at + 1;
            ++m_line;
        }
        ++m_at;
    }

    bool isInclude() const
    {
        static const QRegularExpression include(QStringLiteral("^#\\s*include\\b"));
        return include.match(m_text.mid(m_at, 64)).hasMatch();
    }

    const QString &m_text;
    qsizetype m_at = 0;
    qsizetype m_lineStart = 0;
    int m_line = 1;
    bool m_atLineStart = true;
};

bool isWord(const Token &t)
{
    return t.type == Token::Type::Word;
}

bool is(const Token &t, const char *punctuation)
{
    return t.type == Token::Type::Punctuation && t.text == QLatin1String(punctuation);
}

// Whether a declaration or definition has a body or a value: after the
// name comes "= ..." or "{", or a parameter list followed by "{", ":" or
// a qualifier and then one of them.
bool isDefinition(const QList<Token> &tokens, qsizetype after)
{
    if (after >= tokens.size())
        return false;
    if (is(tokens[after], "=") || is(tokens[after], "{"))
        return true;
    if (!is(tokens[after], "("))
        return false;
    int depth = 0;
    qsizetype i = after;
    for (; i < tokens.size(); ++i) {
        if (is(tokens[i], "("))
            ++depth;
        else if (is(tokens[i], ")") && --depth == 0)
            break;
    }
    for (++i; i < tokens.size() && isWord(tokens[i]); ++i) {
        // const, noexcept, override, final
    }
    return i < tokens.size() && (is(tokens[i], "{") || is(tokens[i], ":"));
}
} // namespace

QList<Use> NameUses::find(const QString &text, const QString &name)
{
    const bool destructor = name.startsWith(QLatin1Char('~'));
    const QString word = destructor ? name.mid(1) : name;
    QList<Use> uses;
    if (word.isEmpty())
        return uses;
    const QList<Token> tokens = Lexer(text).tokens();
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens[i];
        if (!isWord(t) || t.text != word)
            continue;
        qsizetype before = i - 1;
        Token shown = t;
        if (destructor) {
            if (before < 0 || !is(tokens[before], "~"))
                continue;
            shown = tokens[before];
            --before;
        }
        // Back over the qualification: ns::Box::area, obj.area, p->area.
        bool member = false;
        while (before >= 1 && is(tokens[before], "::") && isWord(tokens[before - 1]))
            before -= 2;
        if (before >= 0 && (is(tokens[before], ".") || is(tokens[before], "->")))
            member = true;
        const bool typeBefore = before >= 0 && !member
                                && ((isWord(tokens[before]) && !isExpressionWord(tokens[before].text))
                                    || is(tokens[before], ">"));
        Use use;
        use.line = shown.line;
        use.offset = shown.offset;
        const bool call = i + 1 < tokens.size() && is(tokens[i + 1], "(");
        if (typeBefore)
            use.kind = isDefinition(tokens, i + 1) ? Use::Kind::Definition : Use::Kind::Declaration;
        else
            use.kind = call ? Use::Kind::Call : Use::Kind::Use;
        uses.append(use);
    }
    return uses;
}

QStringList NameUses::quotedIncludes(const QString &text)
{
    static const QRegularExpression include(QStringLiteral("^[ \\t]*#[ \\t]*include[ \\t]*\"([^\"\\r\\n]+)\""),
                                            QRegularExpression::MultilineOption);
    QStringList files;
    for (auto it = include.globalMatch(text); it.hasNext();)
        files.append(it.next().captured(1));
    return files;
}
