#include "../core/core_database_test.h"
#include "../platform/platform_test_helpers.h"
#include "breakdown/frm_detallado.h"
#include "child_controls.h"
#include "core/mod_global.h"
#include "data/db_dll.h"
#include "data/services.h"
#include "data/sql_rewriting.h"
#include "demo/suite_database.h"
#include "escape_after_first_work_rows.h"
#include "platform/browser/web_browser.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/legacy_files.h"
#include "platform/regional_settings.h"
#include "platform/suite/progreso.h"
#include "platform/suite/utilidades.h"
#include "platform/variant.h"
#include "recorded_saves.h"
#include "services_test_support.h"
#include "statistics/statistic_definition.h"
#include "statistics/statistic_run.h"
#include "workbook_reader.h"

#include <QFile>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <sqlite3.h>

namespace {

using testing_support::child;

const QString Key = QStringLiteral("PC7|ANA");

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + data::escapeSqlQuotes(text) + QLatin1Char('\'');
}

QString iso(const QDate &date)
{
    return quoted(date.toString(Qt::ISODate));
}

double amount(const QVariant &value)
{
    if (platform::isCurrency(value))
        return value.value<platform::Currency>().toDouble();
    return platform::isNullOrEmpty(value) ? 0.0 : value.toDouble();
}

QDate dateOf(const QVariant &value)
{
    return value.metaType().id() == QMetaType::QDateTime ? value.toDateTime().date()
                                                         : value.toDate();
}

struct WorkRow
{
    QString grupo;
    QDate from;
    QDate to;
    QString code; // unit or cost centre
    double importe = 0;

    bool operator==(const WorkRow &) const = default;
};

void PrintTo(const WorkRow &row, std::ostream *out)
{
    *out << '{' << row.grupo.toStdString() << ' ' << row.from.toString(Qt::ISODate).toStdString()
         << ".." << row.to.toString(Qt::ISODate).toStdString() << " [" << row.code.toStdString()
         << "] " << row.importe << '}';
}

using statistics::Grouping;

class BreakdownComputationTest : public core_testing::CoreDatabaseTest
{
protected:
    void SetUp() override
    {
        CoreDatabaseTest::SetUp();
        platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
        m_journal = platform::db::Connection::create();
        m_journal->open(demo::connectionString(QStringLiteral("PRINCIPAL")));
        demo::SampleOptions sample;
        sample.journalLines = 800;
        demo::insertSampleData(*m_journal, sample);
        runOnMain(QStringLiteral("DELETE FROM MA_PANELCTA"));
        core::gEstacionUsuario = Key;
        prepareDefinition();
    }

    void TearDown() override
    {
        m_journal->close();
        CoreDatabaseTest::TearDown();
    }

    // The definition as the main window hands it over: a year, half-yearly, by date, nothing
    // selected in the lists.
    void prepareDefinition()
    {
        definition = {};
        definition.header = {{QStringLiteral("NOMBRE"), QString()},
                             {QStringLiteral("FechaD"), QString()},
                             {QStringLiteral("FechaH"), QString()}};
        setRange(QDate(2023, 1, 1), QDate(2023, 12, 31), 6, Grouping::Date);
    }

    // The stored form of a selection of the codes.
    static statistics::CodeSelection selection(const QStringList &codes)
    {
        if (codes.isEmpty())
            return {};
        return {QLatin1Char('\'') + codes.join(QStringLiteral("','")) + QLatin1Char('\'')};
    }

    void setRange(const QDate &from, const QDate &to, int periodicidad, Grouping grouping)
    {
        definition.header[1].text = from.toString(QStringLiteral("dd/MM/yyyy"));
        definition.header[2].text = to.toString(QStringLiteral("dd/MM/yyyy"));
        definition.periodicidad = periodicidad;
        definition.grouping = grouping;
    }

    void defineLine(const QString &nombre, const QString &grupo, const QString &cuenta,
                    bool debe = true, bool haber = true)
    {
        runOnMain(QStringLiteral("INSERT INTO MA_PANELCTA (NOMBRE, Grupo, Cuenta, DEBE, Haber, "
                                 "EsRanking) VALUES (%1, %2, %3, %4, %5, 0)")
                      .arg(quoted(nombre), quoted(grupo), quoted(cuenta), debe ? "1" : "0",
                           haber ? "1" : "0"));
    }

    void journalLine(const QString &cuenta, const QDate &fecha, const char *side, int importe,
                     const QString &unit = QStringLiteral("   1"))
    {
        journalLine(cuenta, fecha, side, QString::number(importe), unit);
    }

    // An amount in the statement's own notation, for the amounts no double holds exactly.
    void journalLine(const QString &cuenta, const QDate &fecha, const char *side,
                     const QString &importe, const QString &unit = QStringLiteral("   1"))
    {
        runOnMain(
            QStringLiteral("INSERT INTO MV_ASIENTOS (CUENTA, FECHA, [DEBE-HABER], IMPORTE, "
                           "TC, UNEGOCIO, EsResumen) VALUES (%1, %2, '%3', %4, 'FA', "
                           "%5, 0)")
                .arg(quoted(cuenta), iso(fecha), QString::fromLatin1(side), importe, quoted(unit)));
    }

    // The engine takes no triggers: a test that needs one puts it into the database file itself.
    void runOnTheFile(const char *sql)
    {
        sqlite3 *file = nullptr;
        ASSERT_EQ(
            sqlite3_open_v2(
                (qEnvironmentVariable("RP_PANELCTA_DATOS") + "/PRINCIPAL.db").toUtf8().constData(),
                &file, SQLITE_OPEN_READWRITE, nullptr),
            SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(file, sql, nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(file);
        sqlite3_close(file);
    }

    void run(QString nombre)
    {
        definition.header[0].text = nombre;
        breakdown::frmDetallado().GeneraAuxiliar(nombre, definition);
    }

    // The user's work rows in column order.
    QList<WorkRow> workRows(const QString &where = QStringLiteral("1 = 1"))
    {
        QList<WorkRow> rows;
        platform::db::Recordset result = m_journal->execute(
            QStringLiteral("SELECT Grupo, FechaD, FechaH, Unegocio, CCOSTO, ImporteG1 FROM "
                           "AUX_PANELCTA WHERE USUARIO = %1 AND %2 ORDER BY FechaD, FechaH, "
                           "Unegocio, CCOSTO")
                .arg(quoted(Key), where));
        for (; !result.eof(); result.moveNext())
            rows.append({result.field(0).value().toString(), dateOf(result.field(1).value()),
                         dateOf(result.field(2).value()),
                         result.field(3).value().toString() + result.field(4).value().toString(),
                         amount(result.field(5).value())});
        return rows;
    }

    // The user's work rows in the order they were written.
    QList<WorkRow> workRowsAsWritten()
    {
        QList<WorkRow> rows;
        platform::db::Recordset result = m_journal->execute(
            QStringLiteral("SELECT Grupo, FechaD, FechaH, Unegocio, CCOSTO, ImporteG1 FROM "
                           "AUX_PANELCTA WHERE USUARIO = %1 ORDER BY ID")
                .arg(quoted(Key)));
        for (; !result.eof(); result.moveNext())
            rows.append({result.field(0).value().toString(), dateOf(result.field(1).value()),
                         dateOf(result.field(2).value()),
                         result.field(3).value().toString().trimmed()
                             + result.field(4).value().toString().trimmed(),
                         amount(result.field(5).value())});
        return rows;
    }

    // The work-row INSERTs of each statement sent that holds any, by statement.
    static QList<int> insertBatches(const RecordedSaves &recorded)
    {
        QList<int> batches;
        for (const QString &statement : recorded.statements()) {
            if (const qsizetype inserts
                = statement.count(QStringLiteral("INSERT INTO AUX_PANELCTA"));
                inserts > 0)
                batches.append(int(inserts));
        }
        return batches;
    }

    // Credits minus debits of the journal, worked out here on its own.
    double journalSum(const QString &filter, const char *table = "MV_ASIENTOS",
                      const char *column = "IMPORTE")
    {
        return amount(valueOnMain(
            QStringLiteral("SELECT SUM(CASE WHEN [DEBE-HABER] = 'D' THEN -%1 ELSE %1 END) FROM %2 "
                           "WHERE EsResumen = 0 AND %3")
                .arg(QString::fromLatin1(column), QString::fromLatin1(table), filter)));
    }

    static QString period(const QDate &from, const QDate &to, bool lastDayCounts)
    {
        return QStringLiteral("FECHA >= %1 AND FECHA %2 %3")
            .arg(iso(from), lastDayCounts ? "<=" : "<", iso(to));
    }

    statistics::StatisticDefinition definition;
    std::shared_ptr<platform::db::Connection> m_journal;
    QTemporaryDir m_runtimeFolder; // the user's runtime folder, where the pages go
    ScopedEnvironment m_runtime{"XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeFolder.path())};
};

struct PeriodCase
{
    const char *name;
    int periodicidad;
    QDate from;
    QDate to;
    QList<QPair<QDate, QDate>> spans;
};

TEST_F(BreakdownComputationTest, PeriodsSumExactAndTitleAccountsWithSharedDaysInTheLaterPeriod)
{
    const PeriodCase cases[] = {
        {"daily",
         0,
         QDate(2023, 3, 1),
         QDate(2023, 3, 3),
         {{QDate(2023, 3, 1), QDate(2023, 3, 1)},
          {QDate(2023, 3, 2), QDate(2023, 3, 2)},
          {QDate(2023, 3, 3), QDate(2023, 3, 3)}}},
        {"monthly",
         3,
         QDate(2023, 1, 15),
         QDate(2023, 3, 20),
         {{QDate(2023, 1, 15), QDate(2023, 2, 15)},
          {QDate(2023, 2, 15), QDate(2023, 3, 15)},
          {QDate(2023, 3, 15), QDate(2023, 3, 20)}}},
        {"weekly",
         1,
         QDate(2023, 5, 1),
         QDate(2023, 5, 20),
         {{QDate(2023, 5, 1), QDate(2023, 5, 8)},
          {QDate(2023, 5, 8), QDate(2023, 5, 15)},
          {QDate(2023, 5, 15), QDate(2023, 5, 20)}}},
        // Month-end starts: each period end is counted from the start, so it keeps the day
        // where the month has it.
        {"monthly from 31 January",
         3,
         QDate(2024, 1, 31),
         QDate(2024, 4, 30),
         {{QDate(2024, 1, 31), QDate(2024, 2, 29)},
          {QDate(2024, 2, 29), QDate(2024, 3, 31)},
          {QDate(2024, 3, 31), QDate(2024, 4, 30)}}},
        {"quarterly from 30 November",
         4,
         QDate(2023, 11, 30),
         QDate(2024, 8, 30),
         {{QDate(2023, 11, 30), QDate(2024, 2, 29)},
          {QDate(2024, 2, 29), QDate(2024, 5, 30)},
          {QDate(2024, 5, 30), QDate(2024, 8, 30)}}},
        {"half-yearly from a leap day",
         5,
         QDate(2024, 2, 29),
         QDate(2025, 3, 31),
         {{QDate(2024, 2, 29), QDate(2024, 8, 29)},
          {QDate(2024, 8, 29), QDate(2025, 2, 28)},
          {QDate(2025, 2, 28), QDate(2025, 3, 31)}}},
        {"reversed", 3, QDate(2023, 3, 10), QDate(2023, 3, 1), {}},
    };
    // Lines on the days that decide which column they fall in.
    journalLine(QStringLiteral("1101"), QDate(2023, 3, 2), "H", 70);
    journalLine(QStringLiteral("1102"), QDate(2023, 3, 2), "D", 9);
    journalLine(QStringLiteral("1101"), QDate(2023, 2, 15), "H", 1000);
    journalLine(QStringLiteral("1101"), QDate(2023, 3, 20), "D", 50);
    journalLine(QStringLiteral("1101"), QDate(2024, 3, 30), "D", 40);
    journalLine(QStringLiteral("1101"), QDate(2024, 3, 31), "H", 25);
    journalLine(QStringLiteral("1102"), QDate(2024, 2, 29), "H", 8);
    defineLine(QStringLiteral("Periodos"), QStringLiteral("Caja"), QStringLiteral("1101"));
    defineLine(QStringLiteral("Periodos"), QStringLiteral("Corriente"), QStringLiteral("11"));

    for (const PeriodCase &c : cases) {
        SCOPED_TRACE(c.name);
        setRange(c.from, c.to, c.periodicidad, Grouping::Date);
        run(QStringLiteral("Periodos"));
        EXPECT_EQ(dialogs.count(), 0);
        const struct
        {
            QString group;
            QString account;
            QString accountTest;
        } lines[] = {{"Caja", "1101", "CUENTA = '1101'"},
                     {"Corriente", "11", "SUBSTRING(CUENTA,1,2) = '11'"}};
        for (const auto &line : lines) {
            SCOPED_TRACE(line.account.toStdString());
            const QList<WorkRow> rows = workRows(
                QStringLiteral("Grupo IN (%1, %2)").arg(quoted(line.group), quoted(line.account)));
            ASSERT_EQ(rows.size(), c.spans.size());
            for (int i = 0; i < rows.size(); ++i) {
                EXPECT_EQ(rows[i].from, c.spans[i].first);
                EXPECT_EQ(rows[i].to, c.spans[i].second);
                const bool lastDayCounts = c.periodicidad == 0 || i == rows.size() - 1;
                const double expected
                    = journalSum(line.accountTest + QStringLiteral(" AND ")
                                 + period(rows[i].from, rows[i].to, lastDayCounts));
                EXPECT_NEAR(rows[i].importe, expected, 0.005) << i;
                // Rows that received journal amounts carry the group, the others the account.
                const bool hasLines
                    = valueOnMain(QStringLiteral("SELECT COUNT(*) FROM MV_ASIENTOS WHERE %1 AND %2")
                                      .arg(line.accountTest,
                                           period(rows[i].from, rows[i].to, lastDayCounts)))
                          .toInt()
                    > 0;
                EXPECT_EQ(rows[i].grupo, hasLines ? line.group : line.account) << i;
            }
        }
    }
    EXPECT_TRUE(QFile::exists(breakdown::frmDetallado().pagePath()));
}

TEST_F(BreakdownComputationTest, UnitAndCostCentreColumnsSumTheirOwnJournalLines)
{
    defineLine(QStringLiteral("Unidades"), QStringLiteral("Ventas"), QStringLiteral("4101"));
    defineLine(QStringLiteral("Unidades"), QStringLiteral("Egresos"), QStringLiteral("5"));
    const QDate from(2023, 2, 1);
    const QDate to(2023, 9, 30);
    const QString range = period(from, to, true);

    struct
    {
        const char *name;
        Grouping grouping;
        QStringList units;
        QStringList centres;
        QStringList vouchers;
    } const cases[] = {
        {"every unit", Grouping::BusinessUnit, {}, {}, {}},
        {"two units, one voucher type", Grouping::BusinessUnit, {"1", "3"}, {}, {"FA"}},
        {"every cost centre", Grouping::CostCentre, {}, {}, {}},
        {"two cost centres of one unit", Grouping::CostCentre, {"2"}, {"1", "2"}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        definition.unegocios = selection(c.units);
        definition.ccostos = selection(c.centres);
        definition.comprobantes = selection(c.vouchers);
        setRange(from, to, 3, c.grouping);
        run(QStringLiteral("Unidades"));
        EXPECT_EQ(dialogs.count(), 0);

        const bool units = c.grouping == Grouping::BusinessUnit;
        QStringList codes;
        const QString master = units ? "SELECT CODIGO FROM V_TA_UNIDADNEGOCIO ORDER BY CODIGO"
                                     : "SELECT CODIGO FROM TA_CCOSTO WHERE Titulo = 0 OR Titulo IS "
                                       "NULL ORDER BY CODIGO";
        for (platform::db::Recordset r = m_journal->execute(master); !r.eof(); r.moveNext()) {
            const QString code = r.field(0).value().toString();
            const QStringList &chosen = units ? c.units : c.centres;
            if (chosen.isEmpty() || chosen.contains(code.trimmed()))
                codes << code;
        }
        const QString vouchers = c.vouchers.isEmpty()
            ? QString()
            : QStringLiteral(" AND TC IN (%1)")
                  .arg(quoted(c.vouchers.join("','")).replace("''", "'"));
        const QString unitFilter = units || c.units.isEmpty()
            ? QString()
            : QStringLiteral(" AND UNEGOCIO IN (%1)")
                  .arg(quoted(platform::gUtil().FormatoCodigo(c.units.first(), 4)));
        for (const auto &[group, test] : {std::pair<QString, QString>{"Ventas", "CUENTA = '4101'"},
                                          {"Egresos", "SUBSTRING(CUENTA,1,1) = '5'"}}) {
            const QList<WorkRow> rows
                = workRows(QStringLiteral("Grupo IN (%1, %2)")
                               .arg(quoted(group), quoted(group == "Ventas" ? "4101" : "5")));
            ASSERT_EQ(rows.size(), codes.size());
            for (int i = 0; i < rows.size(); ++i) {
                EXPECT_EQ(rows[i].code, codes[i]);
                EXPECT_EQ(rows[i].from, from);
                EXPECT_EQ(rows[i].to, to);
                const QString filter = test + QStringLiteral(" AND ") + range + vouchers
                    + unitFilter
                    + (units ? QStringLiteral(" AND UNEGOCIO = ")
                             : QStringLiteral(" AND CCOSTO = "))
                    + quoted(codes[i]);
                const double expected = units
                    ? journalSum(filter)
                    : journalSum(filter, "Vt_ASIENTOS_Ccosto", "IMPORTECC");
                EXPECT_NEAR(rows[i].importe, expected, 0.005) << codes[i].toStdString();
                if (c.vouchers.isEmpty()) {
                    EXPECT_NE(expected, 0.0) << codes[i].toStdString();
                }
            }
        }
    }
}

// A user who may not see the salaries, nor the costs title and its account, gets by date, by
// business unit and by cost centre the sums of the journal without those accounts' lines; an
// administrator gets them all.
TEST_F(BreakdownComputationTest, ColumnsOfARestrictedUserSumOnlyTheirAccountsInEveryGrouping)
{
    runOnMain(QStringLiteral("DROP VIEW SS_MA_CUENTAS"));
    runOnMain(QStringLiteral("CREATE VIEW SS_MA_CUENTAS AS SELECT * FROM MA_CUENTAS WHERE CODIGO "
                             "NOT IN ('51', '5101', '5201')"));
    runOnMain(QStringLiteral("CREATE VIEW SS_MV_ASIENTOS AS SELECT * FROM MV_ASIENTOS WHERE "
                             "CUENTA IN (SELECT CODIGO FROM SS_MA_CUENTAS)"));
    defineLine(QStringLiteral("Reservada"), QStringLiteral("Costos"), QStringLiteral("51"));
    defineLine(QStringLiteral("Reservada"), QStringLiteral("Sueldos"), QStringLiteral("5201"));
    defineLine(QStringLiteral("Reservada"), QStringLiteral("Gastos"), QStringLiteral("52"));
    const QDate from(2023, 1, 1);
    const QDate to(2023, 12, 31);
    const struct
    {
        QString group;
        QString account;
        QString journalTest; // the lines a restricted user may see
        QString wholeJournalTest; // every line of the account
    } lines[] = {
        {"Costos", "51", "0 = 1", "SUBSTRING(CUENTA,1,2) = '51'"},
        {"Sueldos", "5201", "0 = 1", "CUENTA = '5201'"},
        {"Gastos", "52", "SUBSTRING(CUENTA,1,2) = '52' AND CUENTA <> '5201'",
         "SUBSTRING(CUENTA,1,2) = '52'"},
    };
    const struct
    {
        const char *name;
        Grouping grouping;
        int columns;
        const char *codeColumn; // of the journal, compared with the work row's code
        const char *table;
        const char *amount;
    } groupings[] = {
        {"by date", Grouping::Date, 1, nullptr, "MV_ASIENTOS", "IMPORTE"},
        {"by business unit", Grouping::BusinessUnit, 3, "UNEGOCIO", "MV_ASIENTOS", "IMPORTE"},
        {"by cost centre", Grouping::CostCentre, 4, "CCOSTO", "Vt_ASIENTOS_Ccosto", "IMPORTECC"},
    };

    const bool wasAdministrator = data::gDB().gEsAdmin;
    data::setConfidentialityReader([] { return true; });
    for (const auto &grouping : groupings) {
        SCOPED_TRACE(grouping.name);
        setRange(from, to, 6, grouping.grouping);
        for (const bool administrator : {false, true}) {
            SCOPED_TRACE(administrator ? "administrator" : "restricted user");
            data::gDB().gEsAdmin = administrator;
            run(QStringLiteral("Reservada"));
            EXPECT_EQ(dialogs.count(), 0);
            for (const auto &line : lines) {
                SCOPED_TRACE(line.group.toStdString());
                const QList<WorkRow> rows = workRows(u"Grupo IN (" + quoted(line.group) + u", "
                                                     + quoted(line.account) + u")");
                ASSERT_EQ(rows.size(), grouping.columns);
                for (const WorkRow &row : rows) {
                    const QString code = grouping.codeColumn
                        ? u" AND " + QLatin1String(grouping.codeColumn) + u" = " + quoted(row.code)
                        : QString();
                    const double expected
                        = journalSum((administrator ? line.wholeJournalTest : line.journalTest)
                                         + u" AND " + period(from, to, true) + code,
                                     grouping.table, grouping.amount);
                    EXPECT_NEAR(row.importe, expected, 0.005) << row.code.toStdString();
                    if (administrator || line.group == QLatin1String("Gastos")) {
                        EXPECT_NE(expected, 0.0) << row.code.toStdString();
                    }
                }
            }
        }
    }
    data::gDB().gEsAdmin = wasAdministrator;
    data::setConfidentialityReader(nullptr);
}

TEST_F(BreakdownComputationTest, DebitAndCreditFlagsChooseTheSidesWithDebitsNegative)
{
    const QString range = period(QDate(2023, 1, 1), QDate(2023, 12, 31), true);
    const struct
    {
        bool debe;
        bool haber;
        const char *side;
    } cases[] = {{true, false, " AND [DEBE-HABER] = 'D'"},
                 {false, true, " AND [DEBE-HABER] = 'H'"},
                 {true, true, ""},
                 {false, false, ""}};
    for (const auto &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.debe).arg(c.haber).toStdString());
        runOnMain(QStringLiteral("DELETE FROM MA_PANELCTA"));
        defineLine(QStringLiteral("Lados"), QStringLiteral("Bancos"), QStringLiteral("1102"),
                   c.debe, c.haber);
        run(QStringLiteral("Lados"));
        const QList<WorkRow> rows = workRows();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_NEAR(rows[0].importe,
                    journalSum(QStringLiteral("CUENTA = '1102' AND ") + range + c.side), 0.005);
        EXPECT_NE(rows[0].importe, 0.0);
    }
}

TEST_F(BreakdownComputationTest, QuotesInTheNameGroupAndAccountStayInsideTheirLiterals)
{
    journalLine(QStringLiteral("11'01"), QDate(2023, 4, 4), "H", 25);
    runOnMain(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, Titulo) VALUES "
                             "('11''01', 'Caja d''Ana', 0)"));
    defineLine(QStringLiteral("Caja d'Ana"), QStringLiteral("Grupo 'A'"), QStringLiteral("11'01"));
    run(QStringLiteral(" Caja d'Ana  ")); // blanks typed around the name find it

    EXPECT_EQ(dialogs.count(), 0);
    const QList<WorkRow> rows = workRows(QStringLiteral("Nombre = 'Caja d''Ana'"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].grupo, QStringLiteral("Grupo 'A'"));
    EXPECT_NEAR(rows[0].importe, 25.0, 0.005);
}

TEST_F(BreakdownComputationTest, AnAccountInTwoGroupsGetsItsFullSumInEach)
{
    defineLine(QStringLiteral("Doble"), QStringLiteral("Primero"), QStringLiteral("1101"));
    defineLine(QStringLiteral("Doble"), QStringLiteral("Segundo"), QStringLiteral("1101"));
    setRange(QDate(2023, 1, 1), QDate(2023, 6, 30), 3, Grouping::Date);
    run(QStringLiteral("Doble"));

    const QList<WorkRow> first = workRows(QStringLiteral("Grupo = 'Primero'"));
    const QList<WorkRow> second = workRows(QStringLiteral("Grupo = 'Segundo'"));
    ASSERT_EQ(first.size(), 6);
    ASSERT_EQ(second.size(), 6);
    for (int i = 0; i < 6; ++i) {
        const double expected = journalSum(QStringLiteral("CUENTA = '1101' AND ")
                                           + period(first[i].from, first[i].to, i == 5));
        EXPECT_NEAR(first[i].importe, expected, 0.005) << i;
        EXPECT_NEAR(second[i].importe, expected, 0.005) << i;
        EXPECT_EQ(first[i].from, second[i].from);
    }
}

TEST_F(BreakdownComputationTest, ARunReplacesOnlyItsUsersRowsAndAnUnknownNameWritesNone)
{
    runOnMain(QStringLiteral("INSERT INTO AUX_PANELCTA (USUARIO, Nombre, Grupo, FechaD, FechaH, "
                             "ImporteG1) VALUES ('PC7|ANA', 'Vieja', 'G', '2023-01-01', "
                             "'2023-01-31', 5), ('PC8|LUIS', 'Otra', 'G', '2023-01-01', "
                             "'2023-01-31', 7)"));
    run(QStringLiteral("No existe"));

    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_TRUE(workRows().isEmpty());
    EXPECT_EQ(valueOnMain(QStringLiteral("SELECT COUNT(*) FROM AUX_PANELCTA")).toInt(), 1);
    EXPECT_TRUE(QFile::exists(breakdown::frmDetallado().pagePath()));
}

// Escape on the progress window as the breakdown starts: it stops while it writes the empty work
// rows, before the first of them, and leaves the page unfinished.
TEST_F(BreakdownComputationTest, CancelWhileTheWorkRowsAreWrittenStopsTheBreakdown)
{
    defineLine(QStringLiteral("Caja"), QStringLiteral("Caja"), QStringLiteral("1101"));
    QObject thisTest; // an Escape the run never waited for is not pressed in a later test
    QTimer::singleShot(0, &thisTest,
                       [] { QTest::keyClick(&platform::gProgreso().window(), Qt::Key_Escape); });
    dialogs.answer(platform::msgbox::Yes).answer(platform::msgbox::Ok);
    run(QStringLiteral("Caja"));

    ASSERT_EQ(dialogs.count(), 2);
    EXPECT_EQ(dialogs.shown().at(0).text, QStringLiteral("Desea Cancelar el Proceso?"));
    EXPECT_TRUE(workRows().isEmpty());
}

TEST_F(BreakdownComputationTest, OpeningBalanceRowCarriesTheGroupAndMakesNoColumn)
{
    defineLine(QStringLiteral("Saldo"), QStringLiteral("Caja"), QStringLiteral("1101"));
    definition.calculaSI = true;
    setRange(QDate(2023, 3, 1), QDate(2023, 4, 30), 3, Grouping::Date);
    run(QStringLiteral("Saldo"));

    const QList<WorkRow> rows = workRows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].from, QDate(2023, 2, 28));
    EXPECT_EQ(rows[0].to, QDate(2023, 2, 28));
    EXPECT_EQ(rows[0].grupo, QStringLiteral("Caja"));
    EXPECT_EQ(rows[0].importe, 0.0);
}

TEST_F(BreakdownComputationTest, AFailingSumShowsTheErrorAndLeavingEndsTheRunWithoutAPage)
{
    defineLine(QStringLiteral("Rota"), QStringLiteral("Caja"), QStringLiteral("1101"));
    runOnMain(QStringLiteral("DROP VIEW Vt_ASIENTOS_Ccosto"));
    setRange(QDate(2023, 1, 1), QDate(2023, 3, 31), 3, Grouping::CostCentre);
    dialogs.answer(3); // Abort

    run(QStringLiteral("Rota"));

    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_TRUE(dialogs.last().title.contains(QStringLiteral("GeneraAuxiliar"))
                || dialogs.last().text.contains(QStringLiteral("GeneraAuxiliar")));
    EXPECT_FALSE(QFile::exists(breakdown::frmDetallado().pagePath()));
    EXPECT_FALSE(workRows().isEmpty()); // the rows written before the failure stay
}

TEST_F(BreakdownComputationTest, AnInvalidDateEndsTheRunWithoutAPageWhateverTheAnswer)
{
    defineLine(QStringLiteral("Fechas"), QStringLiteral("Caja"), QStringLiteral("1101"));
    setRange(QDate(2023, 1, 1), QDate(2023, 3, 31), 3, Grouping::Date);
    run(QStringLiteral("Fechas"));
    const QList<WorkRow> earlierRows = workRows();
    ASSERT_FALSE(earlierRows.isEmpty());
    ASSERT_TRUE(QFile::remove(breakdown::frmDetallado().pagePath()));

    for (const char *typed : {"32/13/2023", "", "31/02/2023"}) {
        SCOPED_TRACE(typed);
        definition.header[2].text = QString::fromLatin1(typed);
        dialogs.clearShown();
        dialogs.answer(5); // Ignore: go on without the failing step

        run(QStringLiteral("Fechas"));

        ASSERT_EQ(dialogs.count(), 1);
        EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("no es una fecha")));
        const breakdown::FrmDetallado &form = breakdown::frmDetallado();
        EXPECT_EQ(child<platform::WebBrowser>(form, "WebBrowser1")->LocationURL(),
                  QStringLiteral("about:blank"));
        EXPECT_FALSE(QFile::exists(form.pagePath()));
        EXPECT_EQ(workRows().size(), earlierRows.size()) << "the earlier rows are not deleted";
    }
}

TEST_F(BreakdownComputationTest, AWorkRowSaveThatFailsAndIsRetriedAddsItsAmountOnce)
{
    defineLine(QStringLiteral("Reintento"), QStringLiteral("Caja"), QStringLiteral("1101"));
    // The first save of a work row is refused; RAISE(FAIL) keeps the count it has taken down.
    runOnTheFile("CREATE TABLE refusals (n INTEGER); INSERT INTO refusals VALUES (1); "
                 "CREATE TRIGGER refuse_once BEFORE UPDATE ON AUX_PANELCTA WHEN "
                 "(SELECT n FROM refusals) > 0 BEGIN UPDATE refusals SET n = n - 1; "
                 "SELECT RAISE(FAIL, 'bloqueado'); END");
    dialogs.answer(4); // Retry

    run(QStringLiteral("Reintento"));

    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(valueOnMain(QStringLiteral("SELECT n FROM refusals")).toInt(), 0);
    const QList<WorkRow> rows = workRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_NEAR(rows[0].importe,
                journalSum(QStringLiteral("CUENTA = '1101' AND ")
                           + period(QDate(2023, 1, 1), QDate(2023, 12, 31), true)),
                0.005);
}

// A column's sum is added up before its work row is saved: once, however many journal rows the
// sum returned, and not at all when it found none.
TEST_F(BreakdownComputationTest, AWorkRowIsSavedOnceForASumWithJournalLines)
{
    defineLine(QStringLiteral("Guardados"), QStringLiteral("Titulos"), QStringLiteral("11"));
    defineLine(QStringLiteral("Guardados"), QStringLiteral("Caja"), QStringLiteral("1101"), true,
               false);
    setRange(QDate(2023, 1, 1), QDate(2023, 12, 31), 3, Grouping::Date);
    RecordedSaves &saves = RecordedSaves::install(*data::gDB().gCnn);
    run(QStringLiteral("Guardados"));

    // A saved row carries its line's group, an unsaved one its account.
    const struct
    {
        const char *group;
        const char *account;
        const char *filter;
    } lines[] = {{"Titulos", "11", "CUENTA LIKE '11%'"},
                 {"Caja", "1101", "CUENTA = '1101' AND [DEBE-HABER] = 'D'"}};
    int expectedSaves = 0;
    int severalRows = 0;
    for (const auto &line : lines) {
        SCOPED_TRACE(line.account);
        platform::db::Recordset rows = m_journal->execute(
            QStringLiteral("SELECT ID, FechaD, FechaH, ImporteG1 FROM AUX_PANELCTA WHERE USUARIO "
                           "= %1 AND Grupo IN (%2, %3) ORDER BY FechaD")
                .arg(quoted(Key), quoted(QString::fromLatin1(line.group)),
                     quoted(QString::fromLatin1(line.account))));
        ASSERT_EQ(rows.recordCount(), 12);
        for (; !rows.eof(); rows.moveNext()) {
            const QDate from = dateOf(rows.field(1).value());
            const QDate to = dateOf(rows.field(2).value());
            const QString filter = QString::fromLatin1(line.filter) + QStringLiteral(" AND ")
                + period(from, to, to == QDate(2023, 12, 31));
            const int sumRows
                = valueOnMain(QStringLiteral("SELECT COUNT(*) FROM (SELECT 1 FROM MV_ASIENTOS "
                                             "WHERE EsResumen = 0 AND %1 GROUP BY CUENTA, "
                                             "FECHA, [DEBE-HABER])")
                                  .arg(filter))
                      .toInt();
            SCOPED_TRACE(from.toString(Qt::ISODate).toStdString());
            EXPECT_EQ(saves.byKey().value(rows.field(0).value().toString()), sumRows > 0);
            EXPECT_NEAR(amount(rows.field(3).value()), journalSum(filter), 0.005);
            expectedSaves += sumRows > 0;
            severalRows += sumRows > 1;
        }
    }
    EXPECT_GT(severalRows, 0); // sums of several rows, each once saved on its own
    EXPECT_EQ(saves.total(), expectedSaves);
}

// The chart of accounts tells an account's kind once per account and run, however many lines
// name the account.
TEST_F(BreakdownComputationTest, TheChartOfAccountsIsReadOncePerAccountAndRun)
{
    defineLine(QStringLiteral("Titulos"), QStringLiteral("Caja"), QStringLiteral("1101"));
    defineLine(QStringLiteral("Titulos"), QStringLiteral("Corriente"), QStringLiteral("11"));
    defineLine(QStringLiteral("Titulos"), QStringLiteral("Otra"), QStringLiteral("1101"), true,
               false);
    setRange(QDate(2023, 1, 1), QDate(2023, 3, 31), 3, Grouping::Date);
    RecordedSaves &recorded = RecordedSaves::install(*data::gDB().gCnn);
    for (const char *pass : {"first run", "second run"}) {
        SCOPED_TRACE(pass);
        recorded.clear();
        run(QStringLiteral("Titulos"));
        EXPECT_EQ(recorded.lookupsOf(QStringLiteral("ma_cuentas")),
                  (QHash<QString, int>{{"11", 1}, {"1101", 1}}));
    }
    EXPECT_EQ(workRows().size(), 9);
}

// The empty work rows of an account line go to the server in one batch, and the rows the
// breakdown leaves are the ones it left when every row was written on its own: the same
// values, in the same order, with the same sums in them.
TEST_F(BreakdownComputationTest, EachLineWritesItsEmptyWorkRowsInOneBatchWithTheSameRows)
{
    runOnMain(QStringLiteral("DELETE FROM MV_ASIENTOS_CCOSTO"));
    runOnMain(QStringLiteral("DELETE FROM MV_ASIENTOS"));
    journalLine(QStringLiteral("1101"), QDate(2022, 12, 15), "H", 5);
    journalLine(QStringLiteral("1101"), QDate(2023, 1, 10), "H", 100);
    runOnMain(QStringLiteral("INSERT INTO MV_ASIENTOS_CCOSTO (IdAsiento, CCOSTO, IMPORTECC) "
                             "SELECT MAX(ID), '   2', 40 FROM MV_ASIENTOS"));
    journalLine(QStringLiteral("1101"), QDate(2023, 2, 1), "D", 30, QStringLiteral("   2"));
    journalLine(QStringLiteral("1102"), QDate(2023, 2, 20), "H", 7, QStringLiteral("   3"));
    defineLine(QStringLiteral("Lotes"), QStringLiteral("Caja"), QStringLiteral("1101"));
    defineLine(QStringLiteral("Lotes"), QStringLiteral("Corriente"), QStringLiteral("11"));
    defineLine(QStringLiteral("Lotes"), QStringLiteral("Otra"), QStringLiteral("1101"), true,
               false);
    const QDate from(2023, 1, 1);
    const QDate to(2023, 3, 31);
    const QDate feb(2023, 2, 1);
    const QDate mar(2023, 3, 1);
    const QDate dec31(2022, 12, 31);

    struct
    {
        const char *name;
        Grouping grouping;
        int periodicidad;
        bool calculaSI;
        QStringList centres;
        int rowsPerLine;
        QList<WorkRow> rows;
    } const cases[] = {
        {"by date with the opening balance",
         Grouping::Date,
         3,
         true,
         {},
         4,
         {{"Caja", dec31, dec31, "", 0},
          {"Caja", from, feb, "", 100},
          {"Caja", feb, mar, "", -30},
          {"1101", mar, to, "", 0},
          {"Corriente", dec31, dec31, "", 0},
          {"Corriente", from, feb, "", 100},
          {"Corriente", feb, mar, "", -23},
          {"11", mar, to, "", 0},
          {"Otra", dec31, dec31, "", 0},
          {"1101", from, feb, "", 0},
          {"Otra", feb, mar, "", -30},
          {"1101", mar, to, "", 0}}},
        {"by business unit",
         Grouping::BusinessUnit,
         3,
         false,
         {},
         3,
         {{"Caja", from, to, "1", 100},
          {"Caja", from, to, "2", -30},
          {"1101", from, to, "3", 0},
          {"Corriente", from, to, "1", 100},
          {"Corriente", from, to, "2", -30},
          {"Corriente", from, to, "3", 7},
          {"1101", from, to, "1", 0},
          {"Otra", from, to, "2", -30},
          {"1101", from, to, "3", 0}}},
        {"by cost centre",
         Grouping::CostCentre,
         3,
         false,
         {"1", "2"},
         2,
         {{"1101", from, to, "1", 0},
          {"Caja", from, to, "2", 40},
          {"11", from, to, "1", 0},
          {"Corriente", from, to, "2", 40},
          {"1101", from, to, "1", 0},
          {"1101", from, to, "2", 0}}},
    };
    RecordedSaves &recorded = RecordedSaves::install(*data::gDB().gCnn);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        setRange(from, to, c.periodicidad, c.grouping);
        definition.calculaSI = c.calculaSI;
        definition.ccostos = selection(c.centres);
        recorded.clear();
        run(QStringLiteral("Lotes"));
        EXPECT_EQ(dialogs.count(), 0);
        EXPECT_EQ(workRowsAsWritten(), c.rows);
        EXPECT_EQ(insertBatches(recorded), QList<int>(3, c.rowsPerLine));
    }
}

// Escape once the first line's rows are written: the breakdown stops before the next line and
// leaves every row of the first.
TEST_F(BreakdownComputationTest, CancelBetweenLinesLeavesTheWrittenLinesWhole)
{
    defineLine(QStringLiteral("Cortes"), QStringLiteral("Caja"), QStringLiteral("1101"));
    defineLine(QStringLiteral("Cortes"), QStringLiteral("Corriente"), QStringLiteral("11"));
    setRange(QDate(2023, 1, 1), QDate(2023, 12, 31), 3, Grouping::Date);
    pressEscapeAfterTheFirstWorkRows(RecordedSaves::install(*data::gDB().gCnn));
    dialogs.answer(platform::msgbox::Yes).answer(platform::msgbox::Ok);
    run(QStringLiteral("Cortes"));

    ASSERT_EQ(dialogs.count(), 2);
    EXPECT_EQ(dialogs.shown().at(0).text, QStringLiteral("Desea Cancelar el Proceso?"));
    const QList<WorkRow> rows = workRowsAsWritten();
    ASSERT_EQ(rows.size(), 12);
    for (const WorkRow &row : rows)
        EXPECT_EQ(row.grupo, QStringLiteral("1101"));
    EXPECT_EQ(rows.first().from, QDate(2023, 1, 1));
    EXPECT_EQ(rows.last().to, QDate(2023, 12, 31));
}

// The server refuses one row of a line: the other rows of its batch are still written, as they
// were when each went on its own, and the line's sums go into them.
TEST_F(BreakdownComputationTest, ARefusedRowOfALineLeavesTheOtherRowsOfItsBatch)
{
    defineLine(QStringLiteral("Rechazo"), QStringLiteral("Caja"), QStringLiteral("1101"));
    setRange(QDate(2023, 1, 1), QDate(2023, 12, 31), 4, Grouping::Date);
    runOnTheFile("CREATE TRIGGER refuse_april BEFORE INSERT ON AUX_PANELCTA WHEN "
                 "date(NEW.FechaD) = '2023-04-01' BEGIN SELECT RAISE(ABORT, "
                 "'rechazada'); END");

    run(QStringLiteral("Rechazo"));

    EXPECT_EQ(dialogs.count(), 0); // a refused row is one of the failures shown in no box
    const QList<WorkRow> rows = workRowsAsWritten();
    ASSERT_EQ(rows.size(), 3);
    const QDate bounds[][2] = {{QDate(2023, 1, 1), QDate(2023, 4, 1)},
                               {QDate(2023, 7, 1), QDate(2023, 10, 1)},
                               {QDate(2023, 10, 1), QDate(2023, 12, 31)}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].from, bounds[i][0]);
        EXPECT_EQ(rows[i].to, bounds[i][1]);
        EXPECT_NEAR(rows[i].importe,
                    journalSum(QStringLiteral("CUENTA = '1101' AND ")
                               + period(bounds[i][0], bounds[i][1], i == 2)),
                    0.005);
    }
}

// The largest amounts of a journal: a sale in several lines and the cash that paid it. The page
// shows each group's total to the cent, the work rows keep it to the cent, exactly where the
// engine stores the amounts to the ten-thousandth, and the exported workbook holds and shows the
// page's amount.
TEST_F(BreakdownComputationTest, TheLargestJournalSumsReachThePageAndTheWorkbookToTheCent)
{
    const struct
    {
        const char *name;
        QList<const char *> lines;
        std::int64_t sale; // in ten-thousandths
        const char *shown; // on the page
        double number; // of the workbook's cell
        const char *shownInWorkbook;
    } cases[] = {
        // Sixteen digits, more than a double shows: the largest the engine stores to four places.
        {"sixteen digits",
         {"400000000000.1234", "100000000000.5000", "23.0762"},
         5000000000236996,
         "500.000.000.023,70",
         500000000023.70,
         "500000000023.70"},
        // A sum of more ten-thousandths than a double holds whole.
        {"a sum beyond 2^53 ten-thousandths",
         {"5856410562529.31", "8965863561969.12", "5518651429310.47"},
         203409255538089000,
         "20.340.925.553.808,90",
         20340925553808.90,
         "20340925553808.90"},
        // Sixteen digits to the cent: more than a spreadsheet shows of its number.
        {"a work row beyond 2^53 ten-thousandths",
         {"29343800165011.12"},
         293438001650111200,
         "29.343.800.165.011,12",
         29343800165011.12,
         "29.343.800.165.011,12"},
    };
    defineLine(QStringLiteral("Grandes"), QStringLiteral("Caja"), QStringLiteral("11"));
    defineLine(QStringLiteral("Grandes"), QStringLiteral("Ventas"), QStringLiteral("4101"));
    setRange(QDate(2026, 3, 1), QDate(2026, 3, 31), 6, Grouping::Date);
    core_testing::RecordingLauncher launcher;
    ScopedEnvironment home{"HOME", QFile::encodeName(m_runtimeFolder.path())};
    ScopedEnvironment configuration{"XDG_CONFIG_HOME", QFile::encodeName(m_runtimeFolder.path())};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        runOnMain(QStringLiteral("DELETE FROM MV_ASIENTOS WHERE FECHA >= '2026-01-01'"));
        for (const char *amount : c.lines) {
            journalLine(QStringLiteral("1101"), QDate(2026, 3, 2), "D",
                        QString::fromLatin1(amount));
            journalLine(QStringLiteral("4101"), QDate(2026, 3, 2), "H",
                        QString::fromLatin1(amount));
        }
        run(QStringLiteral("Grandes"));
        ASSERT_EQ(dialogs.count(), 0);

        for (const auto &[group, scaled] :
             {std::pair<QString, std::int64_t>{"Caja", -c.sale}, {"Ventas", c.sale}}) {
            SCOPED_TRACE(group.toStdString());
            const QVariant stored
                = valueOnMain(u"SELECT ImporteG1 FROM AUX_PANELCTA WHERE Grupo = " + quoted(group));
            ASSERT_TRUE(platform::isCurrency(stored)) << stored.typeName();
            EXPECT_EQ(stored.value<platform::Currency>().scaled, scaled);
        }
        const QString shown = QString::fromLatin1(c.shown);
        const QString page = platform::readTextFile(breakdown::frmDetallado().pagePath());
        EXPECT_TRUE(page.contains(u"<td>TOTAL Caja</td>\r\n<td>***</td>\r\n<td align=right>-"
                                  + shown + u"</td>"));
        EXPECT_TRUE(page.contains(u"<td>TOTAL Ventas</td>\r\n<td>***</td>\r\n<td align=right>"
                                  + shown + u"</td>"));

        breakdown::FrmDetallado &form = breakdown::frmDetallado();
        form.show();
        QToolButton *excel = nullptr;
        for (QToolButton *button : form.findChildren<QToolButton *>())
            excel = button->text() == QLatin1String("Excel") ? button : excel;
        ASSERT_NE(excel, nullptr);
        const qsizetype opened = launcher.opened.size();
        QTest::mouseClick(excel, Qt::LeftButton);
        form.close();
        ASSERT_EQ(launcher.opened.size(), opened + 1);

        // Rows: title, blank, header, then each account and its group's total, and the total.
        const QString workbook = launcher.opened.last();
        const auto cells = breakdown_testing::readFirstSheet(workbook);
        const QStringList formats = breakdown_testing::cellFormatCodes(workbook);
        const QString inWorkbook = QString::fromLatin1(c.shownInWorkbook);
        const struct
        {
            const char *row;
            const char *group;
            double number;
            QString shown;
        } expected[] = {
            {"4", "Caja", -c.number, u'-' + inWorkbook},
            {"5", "TOTAL Caja", -c.number, u'-' + inWorkbook},
            {"6", "Ventas", c.number, inWorkbook},
            {"7", "TOTAL Ventas", c.number, inWorkbook},
            {"8", "TOTAL", 0, QStringLiteral("0.00")},
        };
        for (const auto &e : expected) {
            SCOPED_TRACE(e.group);
            const QString row = QString::fromLatin1(e.row);
            EXPECT_EQ(cells.value(u'A' + row).text, QString::fromLatin1(e.group));
            const breakdown_testing::SheetCell cell = cells.value(u'C' + row);
            EXPECT_TRUE(cell.number);
            EXPECT_EQ(cell.value, e.number);
            EXPECT_EQ(breakdown_testing::shownText(cell, formats), e.shown);
        }
    }
}

} // namespace
