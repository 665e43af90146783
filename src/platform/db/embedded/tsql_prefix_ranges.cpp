#include "platform/db/embedded/tsql_prefix_ranges.h"

#include "platform/db/embedded/sql_server_functions.h"
#include "platform/db/embedded/tsql_sql_rewriter.h"

#include <optional>

namespace platform::db::embedded::tsql {

namespace {

// The first comma of the argument list that opens at `open`, or -1.
qsizetype firstArgumentComma(const StatementText &text, qsizetype open)
{
    const qsizetype close = text.partner(open);
    for (qsizetype i = text.next(open); i < close; i = text.next(i)) {
        if (text.at(i).isSymbol(u",") && text.enclosingOpen(i) == open)
            return i;
    }
    return -1;
}

bool isNumber(const StatementText &text, qsizetype index, QStringView value = {})
{
    return text.isKind(index, TokenKind::Number)
        && (value.isEmpty() || text.at(index).text == value);
}

// A column name, possibly qualified, filling [from, to).
bool isColumn(const StatementText &text, qsizetype from, qsizetype to)
{
    bool expectName = true;
    for (qsizetype i = from; i < to; i = text.next(i)) {
        if (expectName ? !text.at(i).isName() : !text.at(i).isSymbol(u"."))
            return false;
        expectName = !expectName;
    }
    return from < to && !expectName;
}

// Where the comparison may start: nothing that binds tighter than "=" comes before it.
bool startsCondition(const StatementText &text, qsizetype index)
{
    const qsizetype before = text.previous(index);
    return before < text.begin() || text.at(before).isSymbol(u"(")
        || text.at(before).isAnyWord({u"AND", u"OR", u"NOT", u"WHERE", u"HAVING", u"ON", u"WHEN"});
}

bool endsCondition(const StatementText &text, qsizetype index)
{
    const qsizetype after = text.next(index);
    return after >= text.end() || text.at(after).isSymbol(u")") || text.at(after).isSymbol(u";")
        || text.at(after).isAnyWord({u"AND", u"OR", u"THEN", u"GROUP", u"ORDER", u"HAVING",
                                     u"UNION", u"EXCEPT", u"INTERSECT"});
}

// The collations compare without regard to case and trailing blanks, so every text whose
// first characters match the literal lies between the literal and its folded form with the
// last character raised by one. Only plain ASCII literals: folding other characters can move
// them anywhere in the order.
struct PrefixBounds
{
    QString low;
    QString high;
};

std::optional<PrefixBounds> boundsOf(QString literal)
{
    while (literal.endsWith(QLatin1Char(' ')))
        literal.chop(1);
    if (literal.isEmpty())
        return std::nullopt;
    for (const QChar c : std::as_const(literal)) {
        if (c.unicode() >= 0x80)
            return std::nullopt;
    }
    QString high = literal.toLower();
    const char16_t last = high.back().unicode();
    if (last >= 0x7F)
        return std::nullopt;
    high.back() = QChar(char16_t(last + 1));
    return PrefixBounds{literal, high};
}

QString quoted(QString value)
{
    return u'\'' + value.replace(u'\'', QStringLiteral("''")) + u'\'';
}

struct PrefixTest
{
    qsizetype function = -1;
    qsizetype columnFrom = -1;
    qsizetype columnTo = -1;
    qsizetype length = -1;
    qsizetype literal = -1;
    qsizetype last = -1; // the literal, or the name of its own collation
};

// substring(col, 1, n) = 'literal' or LEFT(col, n) = 'literal'.
std::optional<PrefixTest> prefixTestAt(const StatementText &text, qsizetype index)
{
    if (!text.at(index).isAnyWord({u"SUBSTRING", u"LEFT"}) || !text.nextIsSymbol(index, u"(")
        || !startsCondition(text, index))
        return std::nullopt;
    const qsizetype open = text.next(index);
    const qsizetype comma = firstArgumentComma(text, open);
    if (comma < 0 || !isColumn(text, text.next(open), comma))
        return std::nullopt;
    qsizetype length = text.next(comma);
    if (!text.at(index).isWord(u"LEFT")) {
        const qsizetype secondComma = text.next(length);
        if (!isNumber(text, length, u"1") || !text.contains(secondComma)
            || !text.at(secondComma).isSymbol(u","))
            return std::nullopt;
        length = text.next(secondComma);
    }
    const qsizetype close = text.partner(open);
    if (!isNumber(text, length) || text.next(length) != close)
        return std::nullopt;
    const qsizetype equals = text.next(close);
    const qsizetype literal = text.next(equals);
    if (!text.contains(literal) || !text.at(equals).isSymbol(u"=")
        || !text.isKind(literal, TokenKind::String))
        return std::nullopt;
    qsizetype last = literal;
    if (text.nextIsWord(literal, u"COLLATE"))
        last = text.next(text.next(literal));
    if (!text.contains(last) || !endsCondition(text, last))
        return std::nullopt;
    return PrefixTest{index, text.next(open), comma, length, literal, last};
}

// The table a SELECT reads when it reads one table by a plain name, else empty.
QString singleTableOf(const StatementText &text, qsizetype index)
{
    qsizetype scope = text.enclosingOpen(index);
    while (scope >= 0 && !text.nextIsWord(scope, u"SELECT"))
        scope = text.enclosingOpen(scope);
    const qsizetype select = text.next(scope < 0 ? text.begin() - 1 : scope);
    if (!text.contains(select) || !text.at(select).isWord(u"SELECT"))
        return {};
    qsizetype from = text.next(select);
    while (from < text.end()
           && !(text.at(from).isWord(u"FROM") && text.enclosingOpen(from) == scope))
        from = text.next(from);
    const qsizetype table = text.next(from);
    const qsizetype after = text.next(table);
    if (!text.contains(table) || !text.at(table).isName())
        return {};
    const bool clauseFollows = after >= text.end() || text.at(after).isSymbol(u")")
        || text.at(after).isSymbol(u";")
        || text.at(after).isAnyWord({u"WHERE", u"GROUP", u"HAVING", u"ORDER"});
    return clauseFollows ? text.render(table, after) : QString();
}

// The distinct values of the column between the bounds, one index search each: a walk from
// the lowest to the next higher value, whatever statistics the database keeps.
QString distinctValues(const QString &table, const QString &column, const QString &low,
                       const QString &high)
{
    const QString values = QStringLiteral("prefix_range_values");
    return u"(WITH RECURSIVE " + values + u"(v) AS (SELECT MIN(" + column + u") FROM " + table
        + u" WHERE " + column + u" >= " + low + u" AND " + column + u" < " + high
        + u" UNION ALL SELECT (SELECT MIN(" + column + u") FROM " + table + u" WHERE " + column
        + u" > " + values + u".v AND " + column + u" < " + high + u") FROM " + values + u" WHERE "
        + values + u".v IS NOT NULL) SELECT v FROM " + values + u" WHERE v IS NOT NULL)";
}

// The test as one call of the engine's prefix_equals, which gives the same result without
// building the substring of every row; nullopt for a collation it does not know.
std::optional<QString> prefixEqualsCall(const StatementText &text, const PrefixTest &test,
                                        const QString &column, const QString &collation)
{
    QString accentSensitive;
    if (collation == QLatin1String(accentSensitiveCollation))
        accentSensitive = QStringLiteral("1");
    else if (collation == QLatin1String(accentInsensitiveCollation))
        accentSensitive = QStringLiteral("0");
    else
        return std::nullopt;
    return QLatin1String(prefixEqualsFunction) + u'(' + column + u", " + text.at(test.length).text
        + u", " + quoted(text.at(test.literal).stringValue()) + u", " + accentSensitive + u')';
}

} // namespace

void translateLeftCalls(StatementText &text)
{
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        if (!text.at(i).isWord(u"LEFT") || !text.nextIsSymbol(i, u"("))
            continue;
        const qsizetype comma = firstArgumentComma(text, text.next(i));
        if (comma < 0)
            continue;
        text.replace(i, QStringLiteral("substr"));
        text.replace(comma, QStringLiteral(", 1,"));
    }
}

void addPrefixRanges(StatementText &text, const QString &collation,
                     const IndexLeaderTest &leadsIndex)
{
    for (qsizetype i = text.begin(); i < text.end(); i = text.next(i)) {
        const std::optional<PrefixTest> test = prefixTestAt(text, i);
        if (!test)
            continue;
        const std::optional<PrefixBounds> bounds = boundsOf(text.at(test->literal).stringValue());
        if (!bounds)
            continue;
        const QString rangeCollation = test->last == test->literal
            ? collation
            : engineCollation(text.at(test->last).nameValue());
        const QString column = text.render(test->columnFrom, test->columnTo);
        const QString suffix = u" COLLATE " + rangeCollation;
        const QString low = quoted(bounds->low) + suffix;
        const QString high = quoted(bounds->high) + suffix;
        // The values alone, not the range beside them: given a range, SQLite searches by it
        // and no further column of the index.
        const QString table = singleTableOf(text, i);
        const bool walk = !table.isEmpty() && text.next(test->columnFrom) == test->columnTo
            && leadsIndex
            && leadsIndex(table, text.at(test->columnFrom).nameValue(), rangeCollation);
        const QString range = walk
            ? QString(u" AND " + column + u" IN " + distinctValues(table, column, low, high))
            : QString(u" AND " + column + u" >= " + low + u" AND " + column + u" < " + high);
        const std::optional<QString> call = prefixEqualsCall(text, *test, column, rangeCollation);
        if (call) {
            text.erase(text.next(test->function), test->last);
            text.replace(test->function, u'(' + *call + range + u") ");
        } else {
            text.replace(test->function,
                         u'(' + text.render(test->function, text.next(test->function)));
            text.append(test->last, range + u") ");
        }
    }
}

} // namespace platform::db::embedded::tsql
