#include "platform/db/embedded/tsql_batch_splitter.h"

#include "platform/db/embedded/tsql_errors.h"

namespace platform::db::embedded::tsql {

namespace {

const QStringView statementKeywords[] = {
    u"SELECT", u"INSERT", u"UPDATE", u"DELETE",  u"BEGIN",    u"COMMIT",  u"ROLLBACK",
    u"SAVE",   u"CREATE", u"ALTER",  u"DROP",    u"TRUNCATE", u"EXEC",    u"EXECUTE",
    u"USE",    u"GRANT",  u"REVOKE", u"DENY",    u"SET",      u"DECLARE", u"IF",
    u"WHILE",  u"PRINT",  u"BACKUP", u"RESTORE", u"DBCC",
};

bool holdsLineBreak(const Token &token)
{
    return token.kind == TokenKind::Space
        && (token.text.contains(u'\n') || token.text.contains(u'\r'));
}

class BatchSplitter
{
public:
    explicit BatchSplitter(const QVector<Token> &tokens) : m_tokens(tokens) { }

    QVector<StatementSpan> run()
    {
        for (qsizetype i = 0; i < m_tokens.size(); ++i) {
            if (m_tokens[i].isSignificant())
                take(i);
        }
        if (m_depth != 0)
            throwSyntaxError(m_tokens[m_lastSignificant].text);
        closeStatement();
        return std::move(m_spans);
    }

private:
    enum class IfStage { None, Condition, Subquery, Body };

    void take(qsizetype index)
    {
        const Token &token = m_tokens[index];
        if (m_depth == 0 && token.isSymbol(u";")) {
            closeStatement();
            return;
        }
        if (m_depth == 0 && token.kind == TokenKind::Word)
            takeWord(index);
        if (m_begin < 0)
            openStatement(index);
        track(token);
        m_lastSignificant = index;
        if (m_depth == 0)
            m_words.append(index);
    }

    void takeWord(qsizetype index)
    {
        const Token &token = m_tokens[index];
        if (token.isWord(u"GO") && standsAlone(index))
            throwSyntaxError(token.text);
        if (!token.isAnyWord(statementKeywords) || m_begin < 0)
            return;
        if (m_if == IfStage::Body) {
            startBody(token);
            return;
        }
        if (splitsBefore(token))
            closeStatement();
    }

    bool standsAlone(qsizetype index) const
    {
        const bool lineStart = index == 0 || holdsLineBreak(m_tokens[index - 1]);
        const bool lineEnd = index + 1 == m_tokens.size() || holdsLineBreak(m_tokens[index + 1])
            || m_tokens[index + 1].kind == TokenKind::Comment;
        return lineStart && lineEnd;
    }

    const Token *previousWord(qsizetype back = 1) const
    {
        return m_words.size() >= back ? &m_tokens[m_words[m_words.size() - back]] : nullptr;
    }

    bool previousIs(QStringView keyword, qsizetype back = 1) const
    {
        const Token *token = previousWord(back);
        return token && token->isWord(keyword);
    }

    // A keyword that continues the statement rather than starting the next one.
    bool splitsBefore(const Token &token) const
    {
        // GRANT SELECT, INSERT ON t TO u: the permissions are keywords too.
        if (isPermissionStatement() && !m_permissionHasGrantee)
            return false;
        if (token.isWord(u"SELECT")) {
            return !(previousIs(u"UNION") || previousIs(u"EXCEPT") || previousIs(u"INTERSECT")
                     || previousIs(u"ALL") || (m_lead == u"INSERT" && !m_insertHasSource)
                     || (m_lead == u"CREATE" && previousIs(u"AS")));
        }
        if (token.isWord(u"SET")) {
            const bool referentialAction
                = (previousIs(u"DELETE") || previousIs(u"UPDATE")) && previousIs(u"ON", 2);
            return !((m_lead == u"UPDATE" && !m_updateHasSet) || referentialAction);
        }
        if (token.isWord(u"DELETE") || token.isWord(u"UPDATE"))
            return !previousIs(u"ON");
        if (token.isWord(u"DROP") || token.isWord(u"ALTER"))
            return !followsAlterTableName();
        if (token.isWord(u"GRANT"))
            return !previousIs(u"WITH");
        if (token.isWord(u"EXEC") || token.isWord(u"EXECUTE"))
            return !(m_lead == u"INSERT" && !m_insertHasSource);
        return true;
    }

    // ALTER TABLE name DROP ... and ALTER TABLE name ALTER COLUMN ... are one statement.
    bool followsAlterTableName() const
    {
        if (m_words.size() < 3 || !m_tokens[m_words[0]].isWord(u"ALTER")
            || !m_tokens[m_words[1]].isWord(u"TABLE")) {
            return false;
        }
        for (qsizetype i = 2; i < m_words.size(); ++i) {
            const Token &part = m_tokens[m_words[i]];
            const bool expected = (i % 2 == 0) ? (part.isName() || part.kind == TokenKind::TempName)
                                               : part.isSymbol(u".");
            if (!expected)
                return false;
        }
        return m_words.size() % 2 == 1;
    }

    void openStatement(qsizetype index)
    {
        m_begin = index;
        m_words.clear();
        m_if = IfStage::None;
        const Token &token = m_tokens[index];
        startBody(token);
        if (token.isWord(u"IF"))
            m_if = IfStage::Condition;
    }

    // The keyword that decides how the rest of the statement splits: the statement's own,
    // or that of the statement an IF runs.
    void startBody(const Token &token)
    {
        m_lead = token.kind == TokenKind::Word ? token.text.toUpper() : QString();
        m_if = IfStage::None;
        m_updateHasSet = false;
        m_insertHasSource = false;
        m_permissionHasGrantee = false;
    }

    bool isPermissionStatement() const
    {
        return m_lead == u"GRANT" || m_lead == u"REVOKE" || m_lead == u"DENY";
    }

    void track(const Token &token)
    {
        if (token.isSymbol(u"(")) {
            if (m_depth == 0 && m_if == IfStage::Condition)
                m_if = IfStage::Subquery;
            ++m_depth;
            return;
        }
        if (token.isSymbol(u")")) {
            if (--m_depth < 0)
                throwSyntaxError(token.text);
            if (m_depth == 0 && m_if == IfStage::Subquery)
                m_if = IfStage::Body;
            return;
        }
        if (m_depth != 0 || token.kind != TokenKind::Word)
            return;
        if (isPermissionStatement() && (token.isWord(u"TO") || token.isWord(u"FROM")))
            m_permissionHasGrantee = true;
        if (m_lead == u"UPDATE" && token.isWord(u"SET"))
            m_updateHasSet = true;
        if (m_lead == u"INSERT"
            && (token.isWord(u"VALUES") || token.isWord(u"SELECT") || token.isWord(u"DEFAULT")
                || token.isWord(u"EXEC") || token.isWord(u"EXECUTE"))) {
            m_insertHasSource = true;
        }
    }

    void closeStatement()
    {
        if (m_begin >= 0)
            m_spans.append({m_begin, m_lastSignificant + 1});
        m_begin = -1;
    }

    const QVector<Token> &m_tokens;
    QVector<StatementSpan> m_spans;
    QVector<qsizetype> m_words; // significant tokens of the statement at depth 0
    qsizetype m_begin = -1;
    qsizetype m_lastSignificant = -1;
    int m_depth = 0;
    QString m_lead;
    IfStage m_if = IfStage::None;
    bool m_updateHasSet = false;
    bool m_insertHasSource = false;
    bool m_permissionHasGrantee = false;
};

} // namespace

QVector<StatementSpan> splitStatements(const QVector<Token> &tokens)
{
    return BatchSplitter(tokens).run();
}

} // namespace platform::db::embedded::tsql
