#include "platform/error.h"
#include "platform/report/cross_table.h"
#include "platform/report/report_formula.h"
#include "work_table_fixture.h"

#include <QDateTime>
#include <limits>

namespace {

using platform::Currency;
using platform::report::CrossTable;
using platform::report::CrossTableBuilder;
using platform::report::loadCrossTable;

Currency amount(double value)
{
    return Currency::fromDouble(value);
}

QStringList labels(const QVector<QString> &texts)
{
    return QStringList(texts.begin(), texts.end());
}

// The cells as rows of texts, "-" for an absent cell, so a table reads at a glance.
QStringList cellsOf(const CrossTable &table)
{
    QStringList rows;
    for (int row = 0; row < table.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table.columnCount(); ++column)
            cells << (table.hasCell(row, column) ? table.cell(row, column).toString()
                                                 : QStringLiteral("-"));
        rows << cells.join(u' ');
    }
    return rows;
}

TEST(CrossTableBuilder, OrdersKeysByValueAndAddsEqualKeys)
{
    CrossTableBuilder builder;
    builder.add(QStringLiteral("gastos (-)"), QDateTime(QDate(2024, 10, 1), {}), amount(5));
    builder.add(QStringLiteral("Ventas (+)"), QDateTime(QDate(2024, 2, 1), {}), amount(100.25));
    builder.add(QStringLiteral("Ventas (+)"), QDateTime(QDate(2024, 2, 1), {}), amount(0.5));
    builder.add(QStringLiteral("Caja"), QDateTime(QDate(2024, 10, 1), {}), amount(-3));
    const CrossTable table = builder.build();

    EXPECT_EQ(labels(table.rowLabels()),
              QStringList({QStringLiteral("Caja"), QStringLiteral("gastos (-)"),
                           QStringLiteral("Ventas (+)")}));
    // In time, not as the texts would sort.
    EXPECT_EQ(labels(table.columnLabels()),
              QStringList({QStringLiteral("01/02/2024"), QStringLiteral("01/10/2024")}));
    EXPECT_EQ(
        cellsOf(table),
        QStringList({QStringLiteral("- -3"), QStringLiteral("- 5"), QStringLiteral("100.75 -")}));
}

TEST(CrossTableBuilder, TotalsByRowColumnAndWholeTableCountAbsentCellsAsZero)
{
    CrossTableBuilder builder;
    builder.add(QStringLiteral("A"), QStringLiteral("X"), amount(1.1));
    builder.add(QStringLiteral("A"), QStringLiteral("Y"), amount(2.2));
    builder.add(QStringLiteral("B"), QStringLiteral("Y"), amount(-10));
    const CrossTable table = builder.build();

    EXPECT_EQ(table.rowTotal(0), amount(3.3));
    EXPECT_EQ(table.rowTotal(1), amount(-10));
    EXPECT_EQ(table.columnTotal(0), amount(1.1));
    EXPECT_EQ(table.columnTotal(1), amount(-7.8));
    EXPECT_EQ(table.grandTotal(), amount(-6.7));
}

TEST(CrossTableBuilder, NullKeysComeFirstWithAnEmptyLabel)
{
    CrossTableBuilder builder;
    builder.add(QStringLiteral("A"), QStringLiteral("U2"), amount(1));
    builder.add(QStringLiteral("A"), platform::nullVariant(), amount(2));
    const CrossTable table = builder.build();
    EXPECT_EQ(labels(table.columnLabels()), QStringList({QString(), QStringLiteral("U2")}));
}

TEST(CrossTableBuilder, NothingAddedGivesAnEmptyTable)
{
    const CrossTable table = CrossTableBuilder().build();
    EXPECT_TRUE(table.isEmpty());
    EXPECT_EQ(table.columnCount(), 0);
    EXPECT_EQ(table.grandTotal(), Currency());
}

TEST(CrossTableBuilder, ACellOrTotalBeyondTheCurrencyRangeRaisesTheOverflowError)
{
    // Each half of the largest amount fits; two of them in one sum do not.
    const Currency half = Currency::fromScaled(std::numeric_limits<std::int64_t>::max() / 2 + 1);
    const struct
    {
        const char *where;
        const char *secondRow;
        const char *secondColumn;
    } cases[] = {
        {"a cell", "A", "X"},
        {"a row total", "A", "Y"},
        {"a column total", "B", "X"},
        {"the grand total", "B", "Y"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.where);
        CrossTableBuilder builder;
        builder.add(QStringLiteral("A"), QStringLiteral("X"), half);
        builder.add(QString::fromLatin1(c.secondRow), QString::fromLatin1(c.secondColumn), half);
        try {
            builder.build();
            ADD_FAILURE() << "no overflow";
        } catch (const platform::Error &error) {
            EXPECT_EQ(error.number(), platform::errors::Overflow);
        }
    }
}

class CrossTableFromWorkTable : public WorkTableTest
{
protected:
    void SetUp() override
    {
        WorkTableTest::SetUp();
        addRow(Station, QStringLiteral("Ventas (+)"), QDate(2024, 1, 1), QStringLiteral("1500.5"),
               QStringLiteral("U1"));
        addRow(Station, QStringLiteral("Ventas (+)"), QDate(2024, 2, 1), QStringLiteral("0"),
               QStringLiteral("U2"));
        addRow(Station, QStringLiteral("Gastos (-)"), QDate(2024, 1, 1), QStringLiteral("-200"),
               QStringLiteral("U1"));
        addRow(Station, QStringLiteral("Gastos (-)"), QDate(2024, 2, 1), QStringLiteral("-75.25"),
               QStringLiteral("U2"));
        // Another station's rows never reach this station's report.
        addRow(QStringLiteral("OTRA|PC"), QStringLiteral("Ventas (+)"), QDate(2024, 1, 1),
               QStringLiteral("999"), QStringLiteral("U1"));
    }

    CrossTable load(const QString &selection, const QString &rows, const QString &columns)
    {
        const auto condition
            = platform::report::translateSelection(selection, QStringLiteral("AUX_PANELCTA"));
        EXPECT_EQ(condition.error, QString());
        return loadCrossTable(connection, QStringLiteral("AUX_PANELCTA"), condition.sql, rows,
                              columns, QStringLiteral("ImporteG1"));
    }

    static QString stationSelection()
    {
        return QStringLiteral("uppercase({Aux_PanelCta.USUARIO}) = '") + Station
            + QStringLiteral("'");
    }
};

TEST_F(CrossTableFromWorkTable, GroupsByRowsAndBucketsAsTheFormulasSay)
{
    struct Case
    {
        const char *rows;
        const char *columns;
        QStringList rowLabels;
        QStringList columnLabels;
        QStringList cells;
    };
    const Case cases[] = {
        {"GRUPO",
         "FechaD",
         {QStringLiteral("Gastos (-)"), QStringLiteral("Ventas (+)")},
         {QStringLiteral("01/01/2024"), QStringLiteral("01/02/2024")},
         {QStringLiteral("-200 -75.25"), QStringLiteral("1500.5 0")}},
        // Rows and columns swapped.
        {"FechaD",
         "GRUPO",
         {QStringLiteral("01/01/2024"), QStringLiteral("01/02/2024")},
         {QStringLiteral("Gastos (-)"), QStringLiteral("Ventas (+)")},
         {QStringLiteral("-200 1500.5"), QStringLiteral("-75.25 0")}},
        {"GRUPO",
         "UNegocio",
         {QStringLiteral("Gastos (-)"), QStringLiteral("Ventas (+)")},
         {QStringLiteral("U1"), QStringLiteral("U2")},
         {QStringLiteral("-200 -75.25"), QStringLiteral("1500.5 0")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.rows) + " by " + c.columns);
        const CrossTable table
            = load(stationSelection(), QString::fromLatin1(c.rows), QString::fromLatin1(c.columns));
        EXPECT_EQ(labels(table.rowLabels()), c.rowLabels);
        EXPECT_EQ(labels(table.columnLabels()), c.columnLabels);
        EXPECT_EQ(cellsOf(table), c.cells);
    }
}

TEST_F(CrossTableFromWorkTable, IgnoringZeroRowsLeavesTheirCellsBlank)
{
    const CrossTable table
        = load(stationSelection() + QStringLiteral(" AND {AUX_PANELCTA.IMPORTEG1}<>0 "),
               QStringLiteral("GRUPO"), QStringLiteral("FechaD"));
    EXPECT_EQ(cellsOf(table),
              QStringList({QStringLiteral("-200 -75.25"), QStringLiteral("1500.5 -")}));
    EXPECT_EQ(table.grandTotal(), amount(1225.25));
}

TEST_F(CrossTableFromWorkTable, AStationKeyWithAQuoteIsReadAsAValue)
{
    addRow(QStringLiteral("PC|O'BRIEN"), QStringLiteral("Caja"), QDate(2024, 3, 1),
           QStringLiteral("42"));
    const CrossTable table
        = load(QStringLiteral("uppercase({Aux_PanelCta.USUARIO}) = 'PC|O'BRIEN'"),
               QStringLiteral("GRUPO"), QStringLiteral("FechaD"));
    EXPECT_EQ(labels(table.rowLabels()), QStringList({QStringLiteral("Caja")}));
    EXPECT_EQ(cellsOf(table), QStringList({QStringLiteral("42")}));
}

TEST_F(CrossTableFromWorkTable, AStationWithoutRowsGivesAnEmptyTable)
{
    const CrossTable table
        = load(QStringLiteral("uppercase({Aux_PanelCta.USUARIO}) = 'NADIE|NADIE'"),
               QStringLiteral("GRUPO"), QStringLiteral("FechaD"));
    EXPECT_TRUE(table.isEmpty());
}

} // namespace
