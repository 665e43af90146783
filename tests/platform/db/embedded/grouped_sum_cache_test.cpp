// The kept sums without the engine around them: a statement answered from kept range rows gives
// what the engine would answer alone, so only a direct look tells the kept rows are used.

#include "platform/db/embedded/grouped_sum_cache.h"
#include "platform/variant.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace platform::db;
using namespace platform::db::embedded;

namespace {

// A run's sum by business unit, its account test and side test filled in.
QString unitSum(const QString &grouped, const QString &having)
{
    return u"Select " + grouped
        + u", [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, UNEGOCIO  From MV_ASIENTOS  WHERE "
          u"(EsResumen = 0)   and  UNEGOCIO = '   1' AND FECHA >='01/03/2026' AND Fecha "
          u"<='21/03/2026' GROUP BY "
        + grouped + u", [DEBE-HABER], UNEGOCIO  HAVING (" + having + u" )";
}

QString titleSum(const char *title, const char *side = "")
{
    const QString prefix = QStringLiteral("substring(CUENTA,1,%1)").arg(std::strlen(title));
    return unitSum(prefix, prefix + u" = '" + QLatin1String(title) + u'\'' + QLatin1String(side));
}

QString exactSum(const char *account, const char *side = "")
{
    return unitSum(QStringLiteral("CUENTA"),
                   u"CUENTA = '" + QLatin1String(account) + u'\'' + QLatin1String(side));
}

GroupedSumShape shapeOf(const QString &statement)
{
    const std::optional<GroupedSumShape> shape = groupedSumShapeOf(statement);
    EXPECT_TRUE(shape) << statement.toStdString();
    return shape.value_or(GroupedSumShape{});
}

struct RangeRow
{
    const char *account;
    const char *side;
    double amount;
    const char *lastSide = nullptr; // of a group of two side texts, the greatest
};

Column column(const char *name, DataType type)
{
    Column column;
    column.name = QString::fromLatin1(name);
    column.type = type;
    return column;
}

// The statement's own columns, as the engine types them.
FetchedRows sumColumns()
{
    FetchedRows columns;
    columns.columns = {column("CUENTA", adVarChar), column("DEBE-HABER", adVarChar),
                       column("IMPORTE", adCurrency), column("UNEGOCIO", adVarChar)};
    columns.typedByDeclaration = QVector<bool>(columns.columns.size(), true);
    return columns;
}

// The range rows of the unit '   1', in the range's order, with the least and greatest text of
// the account, side and unit of each group.
FetchedRows unitRange(std::initializer_list<RangeRow> rows)
{
    FetchedRows range = sumColumns();
    for (const char *bound : {"MIN1", "MAX1", "MIN2", "MAX2", "MIN3", "MAX3"})
        range.columns.append(column(bound, adVarChar));
    range.typedByDeclaration = QVector<bool>(range.columns.size(), true);
    for (const RangeRow &row : rows) {
        const QString account = QString::fromLatin1(row.account);
        const QString side = QString::fromLatin1(row.side);
        const QString unit = QStringLiteral("   1");
        range.rows.append({account, side,
                           platform::currencyVariant(platform::Currency::fromDouble(row.amount)),
                           unit, account, account, side,
                           row.lastSide ? QString::fromLatin1(row.lastSide) : side, unit, unit});
    }
    return range;
}

// Account, side, amount and unit of every row.
QStringList shown(const RowSet &rows)
{
    QStringList shown;
    for (const QVector<QVariant> &row : rows.rows) {
        shown.append(row[0].toString() + u'|' + row[1].toString() + u'|'
                     + QString::number(row[2].value<platform::Currency>().toDouble()) + u'|'
                     + row[3].toString());
    }
    return shown;
}

std::optional<RowSet> answerOf(const KeptRange &range, const QString &statement)
{
    return range.answer(shapeOf(statement), true, [] { return std::optional(sumColumns()); });
}

// Rows of one merged group that the range keeps apart, and a title whose accounts come in
// between the rows of another.
TEST(KeptRangeTest, EveryAccountOfTheRangeIsAnsweredFromTheKeptRows)
{
    const QString first = titleSum("11");
    GroupedSumCache cache;
    cache.keep(shapeOf(first).rangeStatement,
               std::make_unique<KeptRange>(unitRange({{"1101", "D", 100},
                                                      {"1101", "H", 5},
                                                      {"1102", "D", 30},
                                                      {"1103", "D", 7},
                                                      {"1103", "H", 0.5},
                                                      {"2101", "H", 40}}),
                                           shapeOf(first)));
    const struct
    {
        QString statement;
        QStringList rows;
    } cases[] = {
        {first, {"11|D|137|   1", "11|H|5.5|   1"}},
        {titleSum("11", " AND [DEBE-HABER] = 'D'"), {"11|D|137|   1"}},
        {titleSum("110"), {"110|D|137|   1", "110|H|5.5|   1"}},
        {titleSum("21", "AND [DEBE-HABER] = 'H'"), {"21|H|40|   1"}},
        {exactSum("1101", " AND [DEBE-HABER] = 'D'"), {"1101|D|100|   1"}},
        {exactSum("2101"), {"2101|H|40|   1"}},
        {titleSum("3"), {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.statement.toStdString());
        bool found = false;
        const KeptRange *range = cache.find(shapeOf(c.statement).rangeStatement, found);
        ASSERT_TRUE(found && range) << "the statement shares the first one's range";
        const std::optional<RowSet> rows = answerOf(*range, c.statement);
        ASSERT_TRUE(rows) << "answered from the kept rows";
        EXPECT_EQ(shown(*rows), c.rows);
    }
}

// Texts the collation takes for one, which a merged group would show as only one of them: the
// statement runs alone.
TEST(KeptRangeTest, AMergeTheKeptRowsCannotTellIsLeftToTheStatement)
{
    const QString statement = titleSum("11");
    const struct
    {
        const char *name;
        FetchedRows range;
    } cases[] = {
        {"sides of one group in two cases, apart in the range",
         unitRange({{"1101", "D", 1}, {"1102", "d", 2}, {"1103", "D", 4}})},
        {"a group of two side texts", unitRange({{"1101", "D", 1, "d"}, {"1102", "D", 2}})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const KeptRange range(c.range, shapeOf(statement));
        EXPECT_FALSE(answerOf(range, statement));
        EXPECT_TRUE(answerOf(range, exactSum("1102"))) << "an exact account is still answered";
    }
}

TEST(GroupedSumCacheTest, RangesAreKeptWithinTheirRowBudgetAndNumber)
{
    const GroupedSumShape shape;
    const auto rangeOf = [&](int rowCount) {
        FetchedRows rows;
        rows.rows.resize(rowCount);
        return std::make_unique<KeptRange>(std::move(rows), shape);
    };
    const auto kept = [](const GroupedSumCache &cache, const QString &statement) {
        bool found = false;
        const KeptRange *range = cache.find(statement, found);
        return !found ? "unknown" : range ? "kept" : "run alone";
    };

    GroupedSumCache budget(3, 10);
    budget.keep(QStringLiteral("a"), rangeOf(2));
    budget.keep(QStringLiteral("b"), rangeOf(2));
    budget.keep(QStringLiteral("c"), rangeOf(1));
    budget.keep(QStringLiteral("d"), nullptr);
    EXPECT_STREQ(kept(budget, QStringLiteral("a")), "kept");
    EXPECT_STREQ(kept(budget, QStringLiteral("b")), "run alone") << "past the budget";
    EXPECT_STREQ(kept(budget, QStringLiteral("c")), "kept") << "within the budget still";
    EXPECT_STREQ(kept(budget, QStringLiteral("d")), "run alone") << "a range that failed";

    GroupedSumCache limit(100, 2);
    limit.keep(QStringLiteral("a"), rangeOf(1));
    limit.keep(QStringLiteral("b"), rangeOf(1));
    EXPECT_STREQ(kept(limit, QStringLiteral("a")), "kept");
    limit.keep(QStringLiteral("c"), rangeOf(1));
    EXPECT_STREQ(kept(limit, QStringLiteral("a")), "unknown") << "past the number, starts over";
    EXPECT_STREQ(kept(limit, QStringLiteral("b")), "unknown");
    EXPECT_STREQ(kept(limit, QStringLiteral("c")), "kept");
}

} // namespace
