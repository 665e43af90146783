#pragma once

#include "platform/db/embedded/tsql_batch_splitter.h"

#include <QString>
#include <QVector>

namespace platform::db::embedded::tsql {

// One statement's tokens with the edits the translation makes to them. Edits never move
// tokens, so every index (into the batch's token list) stays valid while rules apply.
class StatementText
{
public:
    StatementText(const QVector<Token> &tokens, StatementSpan span);

    qsizetype begin() const { return m_span.begin; }
    qsizetype end() const { return m_span.end; }
    const Token &at(qsizetype index) const { return m_tokens[index]; }
    bool contains(qsizetype index) const { return index >= begin() && index < end(); }
    bool isKind(qsizetype index, TokenKind kind) const
    {
        return contains(index) && m_tokens[index].kind == kind;
    }

    // The next or previous significant token; end() or begin() - 1 when there is none.
    qsizetype next(qsizetype index) const;
    qsizetype previous(qsizetype index) const;
    bool nextIsWord(qsizetype index, QStringView keyword) const;
    bool nextIsSymbol(qsizetype index, QStringView symbol) const;
    bool previousIsWord(qsizetype index, QStringView keyword) const;
    bool previousIsSymbol(qsizetype index, QStringView symbol) const;

    // The parenthesis matching the one at `index`.
    qsizetype partner(qsizetype index) const { return m_partner[index - begin()]; }
    // The "(" whose group holds `index`, or -1 at depth 0.
    qsizetype enclosingOpen(qsizetype index) const { return m_enclosing[index - begin()]; }
    int depth(qsizetype index) const;

    // The last part of the (possibly qualified) name that ends or starts at `index`.
    QString nameEndingAt(qsizetype index) const;
    QString nameStartingAt(qsizetype index) const;

    void replace(qsizetype index, const QString &text) { m_text[index - begin()] = text; }
    void erase(qsizetype from, qsizetype to); // [from, to]
    void append(qsizetype index, const QString &text) { m_suffix[index - begin()] += text; }
    void prepend(qsizetype index, const QString &text) { m_prefix[index - begin()].prepend(text); }
    bool isErased(qsizetype index) const;
    bool isEdited(qsizetype index) const;

    QString render(qsizetype from, qsizetype to) const; // [from, to), edits applied
    QString render() const { return render(begin(), end()); }
    QString original(qsizetype from, qsizetype to) const;
    QString original() const { return original(begin(), end()); }

private:
    const QVector<Token> &m_tokens;
    StatementSpan m_span;
    QVector<QString> m_text;
    QVector<QString> m_suffix;
    QVector<QString> m_prefix;
    QVector<qsizetype> m_partner;
    QVector<qsizetype> m_enclosing;
};

} // namespace platform::db::embedded::tsql
