#include "platform/db/embedded/grouped_sum_shape.h"

#include "platform/db/embedded/tsql_lexer.h"

#include <QStringList>
#include <algorithm>

namespace platform::db::embedded {

namespace {

using tsql::Token;
using tsql::TokenKind;

// Longer than any account code: the exact text, compared byte by byte as a function's
// result is.
constexpr int wholeTextLength = 4000;

// The statement's significant tokens, each with its parenthesis depth.
class SignificantTokens
{
public:
    explicit SignificantTokens(const QString &sql) : m_tokens(tsql::tokenize(sql))
    {
        int depth = 0;
        for (qsizetype i = 0; i < m_tokens.size(); ++i) {
            const Token &token = m_tokens[i];
            if (!token.isSignificant())
                continue;
            if (token.isSymbol(u")"))
                --depth;
            m_indexes.append(i);
            m_depths.append(depth);
            if (token.isSymbol(u"("))
                ++depth;
        }
    }

    qsizetype size() const { return m_indexes.size(); }
    const Token &at(qsizetype i) const { return m_tokens[m_indexes[i]]; }
    int depth(qsizetype i) const { return m_depths[i]; }

    // The text of the significant tokens [from, to), with the blanks between them.
    QString original(qsizetype from, qsizetype to) const
    {
        QString text;
        if (from >= to)
            return text;
        for (qsizetype i = m_indexes[from]; i <= m_indexes[to - 1]; ++i)
            text += m_tokens[i].text;
        return text;
    }

    // [from, to) compared regardless of case and blanks.
    QString normalized(qsizetype from, qsizetype to) const
    {
        QStringList parts;
        for (qsizetype i = from; i < to; ++i) {
            const Token &token = at(i);
            if (token.isName())
                parts.append(u'[' + token.nameValue().toUpper() + u']');
            else
                parts.append(token.text);
        }
        return parts.join(u' ');
    }

    // The parts of [from, to) between the separators at the given depth.
    QVector<std::pair<qsizetype, qsizetype>> split(qsizetype from, qsizetype to, int depth,
                                                   bool (*isSeparator)(const Token &)) const
    {
        QVector<std::pair<qsizetype, qsizetype>> parts;
        qsizetype start = from;
        for (qsizetype i = from; i < to; ++i) {
            if (m_depths[i] == depth && isSeparator(at(i))) {
                parts.append({start, i});
                start = i + 1;
            }
        }
        parts.append({start, to});
        return parts;
    }

private:
    QVector<Token> m_tokens;
    QVector<qsizetype> m_indexes;
    QVector<int> m_depths;
};

bool isComma(const Token &token)
{
    return token.isSymbol(u",");
}

bool isAnd(const Token &token)
{
    return token.isWord(u"AND");
}

struct Clauses
{
    qsizetype from = -1;
    qsizetype groupBy = -1;
    qsizetype having = -1;
};

// The depth-0 clauses of a single plain SELECT ... FROM ... GROUP BY ... HAVING.
std::optional<Clauses> clausesOf(const SignificantTokens &tokens)
{
    if (tokens.size() == 0 || !tokens.at(0).isWord(u"SELECT"))
        return std::nullopt;
    Clauses clauses;
    for (qsizetype i = 1; i < tokens.size(); ++i) {
        if (tokens.depth(i) != 0)
            continue;
        const Token &token = tokens.at(i);
        // A table hint such as WITH (NOLOCK) changes no row.
        const bool tableHint = token.isWord(u"WITH") && clauses.from >= 0 && clauses.groupBy < 0
            && i + 1 < tokens.size() && tokens.at(i + 1).isSymbol(u"(");
        if (!tableHint
            && (token.isSymbol(u";")
                || token.isAnyWord({u"SELECT", u"TOP", u"DISTINCT", u"INTO", u"ORDER", u"UNION",
                                    u"EXCEPT", u"INTERSECT", u"WITH"})))
            return std::nullopt;
        if (token.isWord(u"FROM") && clauses.from < 0)
            clauses.from = i;
        else if (token.isWord(u"GROUP") && i + 1 < tokens.size() && tokens.at(i + 1).isWord(u"BY"))
            clauses.groupBy = i;
        else if (token.isWord(u"HAVING"))
            clauses.having = i;
    }
    if (clauses.from < 0 || clauses.groupBy < clauses.from || clauses.having < clauses.groupBy)
        return std::nullopt;
    return clauses;
}

struct AccountTest
{
    QString expression; // normalized
    QString column; // normalized
    QString columnText; // as written
    int prefixLength = 0;
    QString account;
};

// `col = 'x'` or `substring(col,1,n) = 'x'` filling [from, to).
std::optional<AccountTest> accountTestOf(const SignificantTokens &tokens, qsizetype from,
                                         qsizetype to)
{
    const qsizetype length = to - from;
    const auto at = [&](qsizetype i) -> const Token & { return tokens.at(from + i); };
    AccountTest test;
    if (length == 3 && at(0).isName() && at(1).isSymbol(u"=") && at(2).kind == TokenKind::String) {
        test.column = tokens.normalized(from, from + 1);
        test.columnText = at(0).text;
    } else if (length == 10 && at(0).isWord(u"SUBSTRING") && at(1).isSymbol(u"(") && at(2).isName()
               && at(3).isSymbol(u",") && at(4).kind == TokenKind::Number && at(4).text == u"1"
               && at(5).isSymbol(u",") && at(6).kind == TokenKind::Number && at(7).isSymbol(u")")
               && at(8).isSymbol(u"=") && at(9).kind == TokenKind::String) {
        bool ok = false;
        test.prefixLength = at(6).text.toInt(&ok);
        if (!ok || test.prefixLength <= 0)
            return std::nullopt;
        test.column = tokens.normalized(from + 2, from + 3);
        test.columnText = at(2).text;
    } else {
        return std::nullopt;
    }
    test.expression = tokens.normalized(from, to - 2);
    test.account = at(length - 1).stringValue();
    return test;
}

// The side test `[DEBE-HABER] = 'D'`; its column, normalized, and its value.
std::optional<std::pair<QString, QString>> sideTestOf(const SignificantTokens &tokens,
                                                      qsizetype from, qsizetype to)
{
    if (to - from != 3 || !tokens.at(from).isName()
        || tokens.at(from).nameValue().compare(u"DEBE-HABER", Qt::CaseInsensitive) != 0
        || !tokens.at(from + 1).isSymbol(u"=") || tokens.at(from + 2).kind != TokenKind::String)
        return std::nullopt;
    return std::pair{tokens.normalized(from, from + 1), tokens.at(from + 2).stringValue()};
}

struct SelectItem
{
    qsizetype from;
    qsizetype expressionEnd; // where its alias begins
    qsizetype to;
};

QVector<SelectItem> selectItems(const SignificantTokens &tokens, qsizetype from)
{
    QVector<SelectItem> items;
    for (auto [start, end] : tokens.split(1, from, 0, isComma)) {
        SelectItem item{start, end, end};
        for (qsizetype i = start; i < end; ++i) {
            if (tokens.depth(i) == 0 && tokens.at(i).isWord(u"AS")) {
                item.expressionEnd = i;
                break;
            }
        }
        items.append(item);
    }
    return items;
}

// The select list's expressions, normalized, without their aliases.
QStringList selectedExpressions(const SignificantTokens &tokens, const QVector<SelectItem> &items)
{
    QStringList expressions;
    for (const SelectItem &item : items)
        expressions.append(tokens.normalized(item.from, item.expressionEnd));
    return expressions;
}

bool isSum(const QString &expression)
{
    return expression.startsWith(u"[SUM] (");
}

QString textBounds(const QString &expression)
{
    const QString text
        = u"substring(" + expression + u",1," + QString::number(wholeTextLength) + u')';
    return u", MIN(" + text + u"), MAX(" + text + u')';
}

// The range of a statement whose groups may be added up: grouped by the bare account column
// and written alike for the exact accounts and every prefix length, so that they share it.
void mergeableRange(const SignificantTokens &tokens, const Clauses &clauses,
                    const QVector<SelectItem> &items, const QStringList &selected,
                    const QStringList &grouped,
                    const QVector<std::pair<qsizetype, qsizetype>> &groupItems,
                    const AccountTest &account, GroupedSumShape &shape)
{
    shape.mergesByPrefix = shape.prefixLength > 0 && grouped.contains(account.expression);
    const auto bare = [&](const QString &expression, qsizetype from, qsizetype to) {
        return expression == account.column
                || (shape.mergesByPrefix && expression == account.expression)
            ? account.columnText
            : tokens.original(from, to).trimmed();
    };
    QStringList columns;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const SelectItem &item = items[i];
        const QString alias = tokens.original(item.expressionEnd, item.to).trimmed();
        columns.append(bare(selected[i], item.from, item.expressionEnd)
                       + (alias.isEmpty() ? QString() : u' ' + alias));
        if (isSum(selected[i]))
            shape.sumColumns.append(int(i));
    }
    QString bounds = textBounds(account.columnText);
    QStringList groups;
    shape.boundedColumns = {shape.accountColumn};
    for (qsizetype i = 0; i < groupItems.size(); ++i) {
        const auto [from, to] = groupItems[i];
        groups.append(bare(grouped[i], from, to));
        const int column = int(selected.indexOf(grouped[i]));
        if (column == shape.accountColumn)
            continue;
        shape.otherGroupedColumns.append(column);
        shape.boundedColumns.append(column);
        bounds += textBounds(tokens.original(from, to).trimmed());
    }
    shape.readsTextBounds = true;
    shape.rangeStatement = u"Select " + columns.join(u", ") + bounds + u' '
        + tokens.original(clauses.from, clauses.groupBy).trimmed() + u" GROUP BY "
        + groups.join(u", ");
}

// Every column grouped or a sum, every grouped column shown, the account grouped by itself or
// by the prefix it is tested with, and no condition on the groups but the account and side.
bool mergeable(const QStringList &selected, const QStringList &grouped, const AccountTest &account,
               bool otherConditions)
{
    if (otherConditions)
        return false;
    const bool byPrefix = grouped.contains(account.expression) && account.prefixLength > 0;
    if (byPrefix && (grouped.contains(account.column) || selected.contains(account.column)))
        return false;
    if (!byPrefix && !grouped.contains(account.column))
        return false;
    return std::all_of(grouped.begin(), grouped.end(),
                       [&](const QString &expression) { return selected.count(expression) == 1; })
        && std::all_of(selected.begin(), selected.end(), [&](const QString &expression) {
               return isSum(expression) || grouped.contains(expression);
           });
}

bool boundsBothWays(const SignificantTokens &tokens, qsizetype from, qsizetype to)
{
    bool lower = false;
    bool upper = false;
    for (qsizetype i = from; i < to; ++i) {
        lower = lower || tokens.at(i).isSymbol(u">=") || tokens.at(i).isSymbol(u">");
        upper = upper || tokens.at(i).isSymbol(u"<=") || tokens.at(i).isSymbol(u"<");
    }
    return lower && upper;
}

} // namespace

std::optional<GroupedSumShape> groupedSumShapeOf(const QString &sql)
{
    std::optional<SignificantTokens> parsed;
    try {
        parsed.emplace(sql);
    } catch (...) {
        return std::nullopt; // the translation reports it
    }
    const SignificantTokens &tokens = *parsed;
    const std::optional<Clauses> clauses = clausesOf(tokens);
    if (!clauses)
        return std::nullopt;
    const qsizetype open = clauses->having + 1;
    const qsizetype close = tokens.size() - 1;
    if (open >= close || !tokens.at(open).isSymbol(u"(") || !tokens.at(close).isSymbol(u")")
        || tokens.depth(close) != 0)
        return std::nullopt;
    for (qsizetype i = open + 1; i < close; ++i) {
        if (tokens.depth(i) == 1 && tokens.at(i).isAnyWord({u"OR", u"NOT"}))
            return std::nullopt;
    }
    const auto conjuncts = tokens.split(open + 1, close, 1, isAnd);
    const std::optional<AccountTest> account
        = accountTestOf(tokens, conjuncts.front().first, conjuncts.front().second);
    if (!account)
        return std::nullopt;
    qsizetype kept = conjuncts.size();
    std::optional<std::pair<QString, QString>> side;
    if (conjuncts.size() > 1)
        side = sideTestOf(tokens, conjuncts.back().first, conjuncts.back().second);
    if (side)
        --kept;

    const QVector<SelectItem> items = selectItems(tokens, clauses->from);
    const QStringList selected = selectedExpressions(tokens, items);
    if (std::none_of(selected.begin(), selected.end(), isSum))
        return std::nullopt;
    const auto groupItems = tokens.split(clauses->groupBy + 2, clauses->having, 0, isComma);
    QStringList grouped;
    for (auto [start, end] : groupItems)
        grouped.append(tokens.normalized(start, end));

    GroupedSumShape shape;
    shape.prefixLength = account->prefixLength;
    shape.account = account->account;
    if (grouped.contains(account->column)) {
        shape.readsTextBounds = true;
        shape.accountColumn = int(selected.indexOf(account->column));
    } else if (grouped.contains(account->expression)) {
        shape.accountColumn = int(selected.indexOf(account->expression));
    }
    if (shape.accountColumn < 0)
        return std::nullopt;
    if (side) {
        shape.side = side->second;
        shape.sideColumn = grouped.contains(side->first) ? int(selected.indexOf(side->first)) : -1;
        if (shape.sideColumn < 0)
            return std::nullopt;
    }
    const qsizetype keptFrom = kept > 1 ? conjuncts[1].first : close;
    const qsizetype keptTo = kept > 1 ? conjuncts[kept - 1].second : close;
    // Kept by day, a range without both bounds would hold every line of the journal.
    if (grouped.contains(QStringLiteral("[FECHA]")) && !boundsBothWays(tokens, keptFrom, keptTo))
        return std::nullopt;

    if (mergeable(selected, grouped, *account, keptFrom < keptTo)) {
        mergeableRange(tokens, *clauses, items, selected, grouped, groupItems, *account, shape);
        return shape;
    }
    shape.rangeStatement = tokens.original(0, clauses->from).trimmed();
    if (shape.readsTextBounds) {
        shape.boundedColumns = {shape.accountColumn};
        shape.rangeStatement += textBounds(account->columnText);
    }
    shape.rangeStatement += u' ' + tokens.original(clauses->from, clauses->having).trimmed();
    if (keptFrom < keptTo)
        shape.rangeStatement += u" HAVING (" + tokens.original(keptFrom, keptTo) + u" )";
    return shape;
}

} // namespace platform::db::embedded
