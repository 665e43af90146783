#include "platform/db/embedded/tsql_lexer.h"

#include "platform/db/ado.h"
#include "platform/db/embedded/tsql_translator.h"

namespace platform::db::embedded::tsql {

namespace {

bool startsWord(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool continuesWord(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$';
}

[[noreturn]] void throwUnclosed(const QString &what)
{
    throw TranslationError{native::SyntaxError, what};
}

class Lexer
{
public:
    explicit Lexer(const QString &sql) : m_sql(sql) { }

    QVector<Token> run()
    {
        while (m_pos < m_sql.size())
            m_tokens.append(next());
        return std::move(m_tokens);
    }

private:
    QChar at(qsizetype pos) const { return pos < m_sql.size() ? m_sql.at(pos) : QChar(); }

    Token take(TokenKind kind, qsizetype end)
    {
        Token token{kind, m_sql.mid(m_pos, end - m_pos)};
        m_pos = end;
        return token;
    }

    qsizetype skipWhile(qsizetype pos, bool (*accepts)(QChar)) const
    {
        while (pos < m_sql.size() && accepts(m_sql.at(pos)))
            ++pos;
        return pos;
    }

    // End of a text opened by `close` at m_pos where a doubled `close` stands for itself.
    qsizetype quotedEnd(qsizetype from, QChar close) const
    {
        for (qsizetype pos = from; pos < m_sql.size(); ++pos) {
            if (m_sql.at(pos) != close)
                continue;
            if (at(pos + 1) != close)
                return pos + 1;
            ++pos;
        }
        return -1;
    }

    Token quoted(TokenKind kind, qsizetype from, QChar close)
    {
        const qsizetype end = quotedEnd(from, close);
        if (end < 0) {
            throwUnclosed(kind == TokenKind::String
                              ? QStringLiteral("Unclosed quotation mark after the character "
                                               "string '%1'.")
                                    .arg(m_sql.mid(from))
                              : QStringLiteral("Unclosed quoted name '%1'.").arg(m_sql.mid(m_pos)));
        }
        return take(kind, end);
    }

    Token blockComment()
    {
        int depth = 0;
        for (qsizetype pos = m_pos; pos + 1 < m_sql.size(); ++pos) {
            if (m_sql.at(pos) == u'/' && m_sql.at(pos + 1) == u'*') {
                ++depth;
                ++pos;
            } else if (m_sql.at(pos) == u'*' && m_sql.at(pos + 1) == u'/') {
                ++pos;
                if (--depth == 0)
                    return take(TokenKind::Comment, pos + 1);
            }
        }
        throwUnclosed(QStringLiteral("Missing end comment mark '*/'."));
    }

    Token hash()
    {
        const QChar first = at(m_pos + 1);
        if (first.isDigit()) {
            for (qsizetype pos = m_pos + 1; pos < m_sql.size(); ++pos) {
                const QChar c = m_sql.at(pos);
                if (c == u'#')
                    return take(TokenKind::HashDate, pos + 1);
                if (c == u'\r' || c == u'\n')
                    break;
            }
        }
        if (first.isDigit() || startsWord(first) || first == u'#')
            return take(TokenKind::TempName, skipWhile(m_pos + 1, continuesWord));
        return take(TokenKind::Symbol, m_pos + 1);
    }

    Token number()
    {
        qsizetype pos = skipWhile(m_pos, [](QChar c) { return c.isDigit(); });
        if (at(pos) == u'.')
            pos = skipWhile(pos + 1, [](QChar c) { return c.isDigit(); });
        if ((at(pos) == u'e' || at(pos) == u'E')
            && (at(pos + 1).isDigit()
                || ((at(pos + 1) == u'+' || at(pos + 1) == u'-') && at(pos + 2).isDigit()))) {
            pos = skipWhile(pos + 2, [](QChar c) { return c.isDigit(); });
        }
        return take(TokenKind::Number, pos);
    }

    Token symbol()
    {
        static const QStringView pairs[] = {u"<>", u"!=", u"<=", u">=", u"!<", u"!>"};
        const QStringView two = QStringView(m_sql).mid(m_pos, 2);
        for (QStringView pair : pairs) {
            if (two == pair)
                return take(TokenKind::Symbol, m_pos + 2);
        }
        return take(TokenKind::Symbol, m_pos + 1);
    }

    Token next()
    {
        const QChar c = m_sql.at(m_pos);
        const QChar following = at(m_pos + 1);
        if (c.isSpace())
            return take(TokenKind::Space, skipWhile(m_pos, [](QChar s) { return s.isSpace(); }));
        if (c == u'-' && following == u'-') {
            return take(TokenKind::Comment,
                        skipWhile(m_pos, [](QChar s) { return s != u'\r' && s != u'\n'; }));
        }
        if (c == u'/' && following == u'*')
            return blockComment();
        if (c == u'\'')
            return quoted(TokenKind::String, m_pos + 1, u'\'');
        if ((c == u'N' || c == u'n') && following == u'\'')
            return quoted(TokenKind::String, m_pos + 2, u'\'');
        if (c == u'[')
            return quoted(TokenKind::QuotedName, m_pos + 1, u']');
        if (c == u'"')
            return quoted(TokenKind::QuotedName, m_pos + 1, u'"');
        if (c == u'#')
            return hash();
        if (c == u'@')
            return take(TokenKind::Variable, skipWhile(m_pos + 1, continuesWord));
        if (c.isDigit() || (c == u'.' && following.isDigit()))
            return number();
        if (startsWord(c))
            return take(TokenKind::Word, skipWhile(m_pos + 1, continuesWord));
        return symbol();
    }

    const QString &m_sql;
    qsizetype m_pos = 0;
    QVector<Token> m_tokens;
};

} // namespace

bool Token::isWord(QStringView keyword) const
{
    return kind == TokenKind::Word && text.compare(keyword, Qt::CaseInsensitive) == 0;
}

bool Token::isNationalString() const
{
    return kind == TokenKind::String && !text.startsWith(u'\'');
}

QString Token::stringValue() const
{
    const qsizetype open = isNationalString() ? 2 : 1;
    QString value = text.mid(open, text.size() - open - 1);
    value.replace(QStringLiteral("''"), QStringLiteral("'"));
    return value;
}

QString Token::nameValue() const
{
    if (kind != TokenKind::QuotedName)
        return text;
    const QChar close = text.front() == u'[' ? u']' : u'"';
    QString name = text.mid(1, text.size() - 2);
    name.replace(QString(2, close), QString(close));
    return name;
}

QVector<Token> tokenize(const QString &sql)
{
    return Lexer(sql).run();
}

} // namespace platform::db::embedded::tsql
