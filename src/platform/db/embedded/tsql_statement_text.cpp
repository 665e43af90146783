#include "platform/db/embedded/tsql_statement_text.h"

namespace platform::db::embedded::tsql {

StatementText::StatementText(const QVector<Token> &tokens, StatementSpan span)
    : m_tokens(tokens), m_span(span)
{
    const qsizetype size = span.end - span.begin;
    m_text.reserve(size);
    m_suffix.resize(size);
    m_prefix.resize(size);
    m_partner.fill(-1, size);
    m_enclosing.fill(-1, size);

    // The splitter only cuts at depth 0, so every statement's parentheses balance.
    QVector<qsizetype> open;
    for (qsizetype i = span.begin; i < span.end; ++i) {
        const Token &token = tokens[i];
        // A comment becomes a blank: a "--" comment must not swallow text added after it.
        m_text.append(token.kind == TokenKind::Comment ? QStringLiteral(" ") : token.text);
        m_enclosing[i - begin()] = open.isEmpty() ? -1 : open.last();
        if (token.isSymbol(u"(")) {
            open.append(i);
        } else if (token.isSymbol(u")") && !open.isEmpty()) {
            const qsizetype opening = open.takeLast();
            m_partner[i - begin()] = opening;
            m_partner[opening - begin()] = i;
            m_enclosing[i - begin()] = open.isEmpty() ? -1 : open.last();
        }
    }
}

qsizetype StatementText::next(qsizetype index) const
{
    do {
        ++index;
    } while (index < end() && !m_tokens[index].isSignificant());
    return index;
}

qsizetype StatementText::previous(qsizetype index) const
{
    do {
        --index;
    } while (index >= begin() && !m_tokens[index].isSignificant());
    return index;
}

bool StatementText::nextIsWord(qsizetype index, QStringView keyword) const
{
    const qsizetype following = next(index);
    return following < end() && m_tokens[following].isWord(keyword);
}

bool StatementText::nextIsSymbol(qsizetype index, QStringView symbol) const
{
    const qsizetype following = next(index);
    return following < end() && m_tokens[following].isSymbol(symbol);
}

bool StatementText::previousIsWord(qsizetype index, QStringView keyword) const
{
    const qsizetype preceding = previous(index);
    return preceding >= begin() && m_tokens[preceding].isWord(keyword);
}

bool StatementText::previousIsSymbol(qsizetype index, QStringView symbol) const
{
    const qsizetype preceding = previous(index);
    return preceding >= begin() && m_tokens[preceding].isSymbol(symbol);
}

int StatementText::depth(qsizetype index) const
{
    int depth = 0;
    for (qsizetype open = enclosingOpen(index); open >= 0; open = enclosingOpen(open))
        ++depth;
    return depth;
}

QString StatementText::nameEndingAt(qsizetype index) const
{
    if (!contains(index) || !m_tokens[index].isName())
        return {};
    return m_tokens[index].nameValue();
}

QString StatementText::nameStartingAt(qsizetype index) const
{
    if (!contains(index) || !m_tokens[index].isName())
        return {};
    qsizetype last = index;
    for (qsizetype dot = next(last); dot < end() && m_tokens[dot].isSymbol(u".");
         dot = next(last)) {
        const qsizetype part = next(dot);
        if (part >= end() || !m_tokens[part].isName())
            break;
        last = part;
    }
    return m_tokens[last].nameValue();
}

void StatementText::erase(qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i <= to; ++i) {
        m_text[i - begin()].clear();
        m_suffix[i - begin()].clear();
        m_prefix[i - begin()].clear();
    }
}

bool StatementText::isErased(qsizetype index) const
{
    return m_text[index - begin()].isEmpty() && m_suffix[index - begin()].isEmpty()
        && m_prefix[index - begin()].isEmpty();
}

namespace {

// Characters that would run into the next token's: SQL Server reads '52'AND as a literal and
// a keyword, but '52' COLLATE x followed by AND reads as the collation xAND.
bool joinsNextToken(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$' || c == u'\''
        || c == u'"' || c == u'[' || c == u']';
}

} // namespace

bool StatementText::isEdited(qsizetype index) const
{
    return m_text[index - begin()] != m_tokens[index].text || !m_suffix[index - begin()].isEmpty()
        || !m_prefix[index - begin()].isEmpty();
}

// An edit may leave a piece ending or starting differently from its token, so where an edit
// meets the next token a blank keeps them apart.
QString StatementText::render(qsizetype from, qsizetype to) const
{
    QString text;
    bool editedBoundary = false;
    for (qsizetype i = from; i < to; ++i) {
        const QString piece = m_prefix[i - begin()] + m_text[i - begin()] + m_suffix[i - begin()];
        const bool edited = isEdited(i);
        if (piece.isEmpty()) {
            editedBoundary = editedBoundary || edited;
            continue;
        }
        if ((editedBoundary || edited) && !text.isEmpty() && joinsNextToken(text.back())
            && joinsNextToken(piece.front()))
            text += u' ';
        text += piece;
        editedBoundary = edited;
    }
    return text.trimmed();
}

QString StatementText::original(qsizetype from, qsizetype to) const
{
    QString text;
    for (qsizetype i = from; i < to; ++i)
        text += m_tokens[i].text;
    return text.trimmed();
}

} // namespace platform::db::embedded::tsql
