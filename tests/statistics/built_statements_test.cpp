// Every statement shape a statistic run builds, run on the engine over the demo's rows: no
// combination of grouping, periodicity, account kind, side, bucket and filter may fail to parse,
// and the sums of one side and the other make the sum of both.

#include "data/db_dll.h"
#include "platform/db/recordset.h"
#include "platform/error.h"
#include "platform/variant.h"
#include "statistics/statistic_statements.h"
#include "statistics_database_test.h"

namespace {

using namespace statistics;
using platform::Currency;

class BuiltStatementsTest : public statistics_testing::StatisticsDatabaseTest
{
protected:
    void SetUp() override
    {
        StatisticsDatabaseTest::SetUp();
        insertSampleRows(600);
    }

    // Runs the statement and returns the sum of its IMPORTE column, or fails the test with
    // the engine's message.
    std::optional<std::int64_t> totalOf(const QString &sql)
    {
        try {
            platform::db::Recordset rows = data::gDB().gCnn->execute(sql);
            std::int64_t total = 0;
            for (; rows.state() == platform::db::adStateOpen && !rows.eof(); rows.moveNext()) {
                const QVariant value = rows.field(QStringLiteral("IMPORTE")).value();
                total += platform::isCurrency(value)
                    ? value.value<Currency>().scaled
                    : Currency::fromDouble(value.toDouble()).scaled;
            }
            return total;
        } catch (const platform::Error &error) {
            ADD_FAILURE() << error.what() << "\n" << sql.toStdString();
            return std::nullopt;
        }
    }

    void runs(const QString &sql)
    {
        try {
            data::gDB().gCnn->execute(sql);
        } catch (const platform::Error &error) {
            ADD_FAILURE() << error.what() << "\n" << sql.toStdString();
        }
    }

    QString firstValue(const QString &sql) { return rowsOf(sql).value(0).section(u'|', 0, 0); }
};

TEST_F(BuiltStatementsTest, EveryJournalSumShapeRunsAndItsSidesAddUp)
{
    const QString unit = firstValue(QStringLiteral("SELECT CODIGO FROM V_TA_UNIDADNEGOCIO"));
    const QString centre
        = firstValue(QStringLiteral("SELECT CODIGO FROM TA_CCOSTO WHERE Titulo = 0"));
    const QString unitList = u'\'' + unit + u'\'';
    const QString voucherList = QStringLiteral("'FA','OP','AS'");
    const struct
    {
        const char *account;
        bool title;
    } accounts[] = {{"52", true}, {"5201", false}, {"1101", false}, {"11", true}};

    int shapes = 0;
    std::int64_t everything = 0;
    for (const Grouping grouping : {Grouping::Date, Grouping::BusinessUnit, Grouping::CostCentre}) {
        for (const int periodicidad : {int(Diario), int(Mensual), -1}) {
            for (const auto &account : accounts) {
                for (const bool lastBucket : {false, true}) {
                    for (const bool openingBalance : {false, true}) {
                        for (const bool filtered : {false, true}) {
                            JournalSum sum;
                            sum.grouping = grouping;
                            sum.periodicidad = periodicidad;
                            sum.account = QString::fromUtf8(account.account);
                            sum.titleAccount = account.title;
                            sum.voucherCodes = filtered ? voucherList : QString();
                            sum.unitCodes = filtered ? unitList : QString();
                            sum.bucket = openingBalance
                                ? DateSpan{QDate(2023, 2, 28), QDate(2023, 2, 28)}
                                : DateSpan{QDate(2023, 3, 1), QDate(2023, 5, 31)};
                            sum.lastBucket = lastBucket;
                            sum.openingBalance = openingBalance;
                            sum.unit = unit;
                            sum.costCentre = centre;
                            SCOPED_TRACE(journalSumStatement(sum).toStdString());

                            sum.side = sideClause(true, true);
                            const auto both = totalOf(journalSumStatement(sum));
                            sum.side = sideClause(true, false);
                            const auto debits = totalOf(journalSumStatement(sum));
                            sum.side = sideClause(false, true);
                            const auto credits = totalOf(journalSumStatement(sum));
                            ++shapes;
                            if (both && debits && credits) {
                                EXPECT_EQ(*both, *debits + *credits);
                                everything += *both;
                            }
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(shapes, 3 * 3 * 4 * 2 * 2 * 2);
    EXPECT_GT(everything, 0); // the shapes met the demo's lines, not only empty results
}

TEST_F(BuiltStatementsTest, EveryWorkRowAndSignStatementRuns)
{
    const QString key = QStringLiteral("PC|O'BRIEN");
    const QString name = QStringLiteral("Gastos por centro de costo");
    const QString unit = firstValue(QStringLiteral("SELECT CODIGO FROM V_TA_UNIDADNEGOCIO"));
    const QString centre
        = firstValue(QStringLiteral("SELECT CODIGO FROM TA_CCOSTO WHERE Titulo = 0"));
    const DateSpan span{QDate(2023, 1, 31), QDate(2023, 2, 28)};
    for (const auto &[kind, code] :
         {std::pair{WorkRowKind::Bucket, QString()}, std::pair{WorkRowKind::BusinessUnit, unit},
          std::pair{WorkRowKind::CostCentre, centre}}) {
        for (const QString &group : {QStringLiteral("Estructura (-)"), QStringLiteral("Ventas (+)"),
                                     QStringLiteral("Año 'viejo'")})
            runs(insertWorkRowStatement(WorkRow{key, name, group, span, kind, code}));
    }
    EXPECT_EQ(rowsOf(u"SELECT COUNT(*) FROM AUX_PANELCTA WHERE USUARIO = 'PC|O''BRIEN'"_qs),
              QStringList{QStringLiteral("9")});

    for (const QString &statement : {
             definitionRowsStatement(QStringLiteral("MA_PANELCTA"), name),
             definitionGroupsStatement(name),
             businessUnitsStatement({}),
             businessUnitsStatement(u'\'' + unit + u'\''),
             costCentresStatement({}),
             costCentresStatement(u'\'' + centre + u'\''),
             groupWorkRowsStatement(name, QStringLiteral("Año 'viejo'"), key),
             positiveGroupsStatement(key),
             negativeGroupsStatement(key),
         })
        runs(statement);
    EXPECT_EQ(rowsOf(definitionGroupsStatement(name)).size(), 2);

    runs(deleteWorkRowsStatement(key));
    EXPECT_EQ(rowsOf(u"SELECT COUNT(*) FROM AUX_PANELCTA WHERE USUARIO = 'PC|O''BRIEN'"_qs),
              QStringList{QStringLiteral("0")});
}

} // namespace
