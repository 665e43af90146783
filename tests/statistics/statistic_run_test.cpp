// A statistic run of a definition value on a fresh embedded database: the user's work rows per
// group and bucket, the journal sums in them, the sign rules, the cancel step and the error path.

#include "core/mod_global.h"
#include "data/db_dll.h"
#include "data/services.h"
#include "data/sql_batch.h"
#include "demo/suite_database.h"
#include "escape_after_first_work_rows.h"
#include "platform/db/embedded/grouped_sum_shape.h"
#include "platform/regional_settings.h"
#include "platform/suite/progreso.h"
#include "platform/variant.h"
#include "recorded_saves.h"
#include "report_pdf.h"
#include "statistics/definition_reader.h"
#include "statistics/statistic_buckets.h"
#include "statistics/statistic_computation.h"
#include "statistics/statistic_definition.h"
#include "statistics/statistic_run.h"
#include "statistics_database_test.h"

#include <QDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <utility>

namespace {

using statistics::Grouping;
using statistics::StatisticDefinition;
namespace msgbox = platform::msgbox;

const QString Key = QStringLiteral("PC|TESTER");

// A journal amount as the statement writes it: a whole number, or a decimal text for the amounts
// no double holds exactly.
struct JournalAmount
{
    JournalAmount(int whole) : text(QString::number(whole)) { }
    JournalAmount(const char *decimal) : text(QString::fromLatin1(decimal)) { }
    QString text;
};

struct Line
{
    QString account;
    QDate date;
    QString side;
    JournalAmount amount;
    QString voucher = QStringLiteral("FA");
    QString unit = QStringLiteral("   1");
    bool summary = false;
    QList<std::pair<QString, int>> centres = {};
};

struct DefinitionLine
{
    QString group;
    QString account;
    bool debe = true;
    bool haber = true;
};

struct Row
{
    QString group;
    QDate from;
    QDate to;
    QString code; // unit or cost centre, trimmed
    double amount;

    bool operator==(const Row &) const = default;
};

void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.group.toStdString() << ' ' << row.from.toString(Qt::ISODate).toStdString() << ".."
         << row.to.toString(Qt::ISODate).toStdString() << " [" << row.code.toStdString() << "] "
         << row.amount;
}

QDate march(int day)
{
    return QDate(2026, 3, day);
}

QString sqlText(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''"))
        + QLatin1Char('\'');
}

QString sqlDate(const QDate &date)
{
    return sqlText(date.toString(Qt::ISODate));
}

class StatisticRunTest : public statistics_testing::StatisticsDatabaseTest
{
protected:
    void SetUp() override
    {
        StatisticsDatabaseTest::SetUp();
        insertSampleRows(8);
        clearJournal();
        runOnMain(QStringLiteral("DELETE FROM MA_PANELCTA"));
        m_previousKey = std::exchange(core::gEstacionUsuario, Key);

        definition.header = {{QStringLiteral("NOMBRE"), QString()},
                             {QStringLiteral("FechaD"), QString()},
                             {QStringLiteral("FechaH"), QString()}};
        definition.tipoGrafico = 6;
    }

    // A key with a quote in it, left for a later test, would break its statements.
    void TearDown() override
    {
        core::gEstacionUsuario = m_previousKey;
        StatisticsDatabaseTest::TearDown();
    }

    void clearJournal()
    {
        runOnMain(QStringLiteral("DELETE FROM MV_ASIENTOS_CCOSTO"));
        runOnMain(QStringLiteral("DELETE FROM MV_ASIENTOS"));
    }

    void post(const QList<Line> &lines)
    {
        for (const Line &line : lines) {
            runOnMain(u"INSERT INTO MV_ASIENTOS (CUENTA,FECHA,[DEBE-HABER],IMPORTE,TC,UNEGOCIO,"
                      u"EsResumen) VALUES ("
                      + sqlText(line.account) + u',' + sqlDate(line.date) + u','
                      + sqlText(line.side) + u',' + line.amount.text + u',' + sqlText(line.voucher)
                      + u',' + sqlText(line.unit) + u',' + (line.summary ? u"1" : u"0") + u')');
            const QString id
                = valueOnMain(QStringLiteral("SELECT MAX(ID) FROM MV_ASIENTOS")).toString();
            for (const auto &[centre, amount] : line.centres)
                runOnMain(u"INSERT INTO MV_ASIENTOS_CCOSTO (IdAsiento,CCOSTO,IMPORTECC) VALUES ("
                          + id + u',' + sqlText(centre) + u',' + QString::number(amount) + u')');
        }
    }

    void define(const QString &name, const QList<DefinitionLine> &lines)
    {
        for (const DefinitionLine &line : lines)
            runOnMain(u"INSERT INTO MA_PANELCTA (NOMBRE,Grupo,Cuenta,DEBE,Haber,EsRanking) "
                      u"VALUES ("
                      + sqlText(name) + u',' + sqlText(line.group) + u',' + sqlText(line.account)
                      + u',' + (line.debe ? u"1" : u"0") + u',' + (line.haber ? u"1" : u"0")
                      + u",0)");
    }

    void setRun(const QString &name, const QDate &from, const QDate &to, int periodicidad)
    {
        definition.header[0].text = name;
        definition.header[1].text = from.toString(QStringLiteral("dd/MM/yyyy"));
        definition.header[2].text = to.toString(QStringLiteral("dd/MM/yyyy"));
        definition.periodicidad = periodicidad;
    }

    // The stored form of a selection of the codes.
    static statistics::CodeSelection selection(const QStringList &codes)
    {
        return {u'\'' + codes.join(QStringLiteral("','")) + u'\''};
    }

    // Runs the statistic; the report preview, when one is expected, is closed as it shows.
    void generate(bool printed = true)
    {
        if (printed)
            dialogs.onDialog([this](QDialog &) {
                ++previews;
                return int(QDialog::Rejected);
            });
        statistics::generateStatistic(definition, core::gEstacionUsuario,
                                      QStringLiteral("MA_PANELCTA"),
                                      statistics::computationHooks());
    }

    QList<Row> workRows(const QString &key = Key)
    {
        QList<Row> rows;
        auto recordset = data::gDB().gCnn->execute(
            u"SELECT Grupo, FechaD, FechaH, Unegocio, CCOSTO, ImporteG1 FROM AUX_PANELCTA WHERE "
            u"USUARIO = "
            + sqlText(key) + u" ORDER BY Grupo, FechaD, FechaH, Unegocio, CCOSTO");
        for (; !recordset.eof(); recordset.moveNext()) {
            const QVariant amount = recordset.field(5).value();
            const QString unit = recordset.field(3).value().toString().trimmed();
            rows << Row{recordset.field(0).value().toString(), recordset.field(1).value().toDate(),
                        recordset.field(2).value().toDate(),
                        unit.isEmpty() ? recordset.field(4).value().toString().trimmed() : unit,
                        platform::isCurrency(amount) ? amount.value<platform::Currency>().toDouble()
                                                     : amount.toDouble()};
        }
        return rows;
    }

    // The keys of the rows of workRows(), in its order.
    QList<QString> workRowIds(const QString &key = Key)
    {
        QList<QString> ids;
        auto recordset = data::gDB().gCnn->execute(
            u"SELECT ID FROM AUX_PANELCTA WHERE USUARIO = " + sqlText(key)
            + u" ORDER BY Grupo, FechaD, FechaH, Unegocio, CCOSTO");
        for (; !recordset.eof(); recordset.moveNext())
            ids << recordset.field(0).value().toString();
        return ids;
    }

    StatisticDefinition definition;
    int previews = 0;

private:
    QString m_previousKey;
};

// Exact account 1101 and title account 11 (which heads 110, 1101, 1105, not 211) in every date
// periodicity. Periods share their boundary day, which counts in the later bucket; the last
// bucket takes its end day.
TEST_F(StatisticRunTest, DateBucketsOfEveryPeriodicityReceiveTheirLines)
{
    const QDate jan15(2026, 1, 15), feb15(2026, 2, 15);
    const struct
    {
        const char *label;
        int periodicidad;
        QDate from, to;
        QList<Line> lines;
        QList<Row> expected;
    } cases[] = {
        {"monthly, 15 Jan to 10 Mar",
         3,
         jan15,
         march(10),
         {{"1101", QDate(2026, 1, 20), "D", 100},
          {"1101", feb15, "D", 10},
          {"1103", QDate(2026, 2, 20), "H", 30},
          {"110", march(10), "D", 5},
          {"211", QDate(2026, 2, 1), "D", 1000},
          {"1101", QDate(2026, 1, 14), "D", 7},
          {"1101", march(11), "D", 9},
          {"1101", QDate(2026, 2, 1), "D", 50, "FA", "   1", true}},
         {{"Activo", jan15, feb15, "", 100},
          {"Activo", feb15, march(10), "", -15},
          {"Caja", jan15, feb15, "", 100},
          {"Caja", feb15, march(10), "", 10}}},
        {"weekly, 1 to 15 Mar",
         1,
         march(1),
         march(15),
         {{"1101", march(1), "D", 1},
          {"1101", march(8), "D", 2},
          {"1101", march(14), "H", 8},
          {"1101", march(15), "D", 4}},
         {{"Activo", march(1), march(8), "", 1},
          {"Activo", march(8), march(15), "", -2},
          {"Caja", march(1), march(8), "", 1},
          {"Caja", march(8), march(15), "", -2}}},
        {"daily, 1 to 3 Mar",
         0,
         march(1),
         march(3),
         {{"1101", march(1), "D", 1},
          {"1101", march(2), "D", 2},
          {"1105", march(2), "D", 10},
          {"1101", march(3), "H", 4}},
         {{"Activo", march(1), march(1), "", 1},
          {"Activo", march(2), march(2), "", 12},
          {"Activo", march(3), march(3), "", -4},
          {"Caja", march(1), march(1), "", 1},
          {"Caja", march(2), march(2), "", 2},
          {"Caja", march(3), march(3), "", -4}}},
        {"no periodicity, 1 to 3 Mar",
         -1,
         march(1),
         march(3),
         {{"1101", march(1), "D", 1}, {"1101", march(2), "D", 2}, {"1101", march(3), "D", 4}},
         {{"Activo", march(1), march(1), "", 0},
          {"Activo", march(1), march(2), "", 1},
          {"Activo", march(2), march(3), "", 6},
          {"Caja", march(1), march(1), "", 0},
          {"Caja", march(1), march(2), "", 1},
          {"Caja", march(2), march(3), "", 6}}},
        {"one day, yearly",
         6,
         march(5),
         march(5),
         {{"1101", march(5), "D", 3}},
         {{"Activo", march(5), march(5), "", 3}, {"Caja", march(5), march(5), "", 3}}},
        {"start after end", 3, march(5), march(4), {{"1101", march(5), "D", 3}}, {}},
        // A month-end start keeps its day: 31/01, 28/02, 31/03, never 28/03.
        {"monthly from 31 Jan",
         3,
         QDate(2026, 1, 31),
         march(31),
         {{"1101", QDate(2026, 2, 28), "D", 1},
          {"1101", march(28), "D", 2},
          {"1101", march(30), "D", 4},
          {"1101", march(31), "D", 8}},
         {{"Activo", QDate(2026, 1, 31), QDate(2026, 2, 28), "", 0},
          {"Activo", QDate(2026, 2, 28), march(31), "", 15},
          {"Caja", QDate(2026, 1, 31), QDate(2026, 2, 28), "", 0},
          {"Caja", QDate(2026, 2, 28), march(31), "", 15}}},
    };
    define(QStringLiteral("Tesoreria"), {{"Caja", "1101"}, {"Activo", "11"}, {"Activo", ""}});
    for (const auto &c : cases) {
        clearJournal();
        post(c.lines);
        setRun(QStringLiteral("Tesoreria"), c.from, c.to, c.periodicidad);
        generate();
        EXPECT_EQ(workRows(), c.expected) << c.label;
    }
    EXPECT_TRUE(dialogs.allAnswered());
}

TEST_F(StatisticRunTest, SidesOfADefinitionLineAndSeveralLinesOfOneGroup)
{
    define(QStringLiteral("Lados"),
           {{"Debe", "1101", true, false},
            {"Haber", "1101", false, true},
            {"Ambos", "1101", true, true},
            {"Ninguno", "1101", false, false},
            {"Caja y bancos", "1101"},
            {"Caja y bancos", "1102"}});
    post({{"1101", march(2), "D", 100}, {"1101", march(3), "H", 30}, {"1102", march(3), "D", 5}});
    setRun(QStringLiteral("Lados"), march(1), march(31), 6);
    generate();
    EXPECT_EQ(workRows(),
              (QList<Row>{{"Ambos", march(1), march(31), "", 70},
                          {"Caja y bancos", march(1), march(31), "", 75},
                          {"Debe", march(1), march(31), "", 100},
                          {"Haber", march(1), march(31), "", -30},
                          {"Ninguno", march(1), march(31), "", 70}}));
}

// Accounts stored with blanks around them, as an old save or another program may have left
// them, sum their trimmed codes, exact and title accounts alike.
TEST_F(StatisticRunTest, AnAccountStoredWithBlanksSumsItsTrimmedCode)
{
    define(QStringLiteral("Blancos"), {{"Exacta", " 1103"}, {"Titulo", "11 "}});
    post({{"1103", march(2), "D", 100}, {"1101", march(3), "H", 30}});
    for (const Grouping grouping : {Grouping::Date, Grouping::BusinessUnit}) {
        definition.grouping = grouping;
        setRun(QStringLiteral("Blancos"), march(1), march(31), 6);
        generate();
        QList<Row> rows = workRows();
        rows.removeIf([](const Row &row) { return row.amount == 0; });
        EXPECT_EQ(rows,
                  (QList<Row>{
                      {"Exacta", march(1), march(31), grouping == Grouping::Date ? "" : "1", 100},
                      {"Titulo", march(1), march(31), grouping == Grouping::Date ? "" : "1", 70}}));
    }
}

TEST_F(StatisticRunTest, VoucherAndBusinessUnitListsFilterDateBuckets)
{
    define(QStringLiteral("Filtros"), {{"Caja", "1101"}});
    post({{"1101", march(2), "D", 100, "FA", "   1"},
          {"1101", march(2), "H", 30, "NC", "   1"},
          {"1101", march(2), "D", 7, "FA", "   2"}});
    setRun(QStringLiteral("Filtros"), march(1), march(31), 3);
    definition.comprobantes = selection({"FA", "RC"});
    definition.unegocios = selection({"2"});
    generate();
    EXPECT_EQ(workRows(), (QList<Row>{{"Caja", march(1), march(31), "", 7}}));
}

// The opening balance is a date bucket: a stored tick under the unit grouping adds no row,
// which would print as a column without a unit to head it.
TEST_F(StatisticRunTest, BusinessUnitRowsTakeOnlyTheirUnitAndNoOpeningBalance)
{
    define(QStringLiteral("Sucursales"), {{"Caja", "1101"}, {"Activo", "11"}});
    post({{"1101", march(2), "D", 100, "FA", "   1"},
          {"1101", march(3), "H", 30, "FA", "   2"},
          {"1105", march(4), "D", 1, "FA", "   3"},
          {"1101", QDate(2026, 2, 10), "D", 50, "FA", "   2"},
          {"1105", QDate(2026, 2, 28), "H", 8, "FA", "   3"}});
    setRun(QStringLiteral("Sucursales"), march(1), march(31), 3);
    definition.grouping = Grouping::BusinessUnit;
    definition.calculaSI = true;
    generate();
    EXPECT_EQ(workRows(),
              (QList<Row>{{"Activo", march(1), march(31), "1", 100},
                          {"Activo", march(1), march(31), "2", -30},
                          {"Activo", march(1), march(31), "3", 1},
                          {"Caja", march(1), march(31), "1", 100},
                          {"Caja", march(1), march(31), "2", -30},
                          {"Caja", march(1), march(31), "3", 0}}));

    // A unit list takes only its units, and reversed dates stay reversed.
    definition.calculaSI = false;
    setRun(QStringLiteral("Sucursales"), march(31), march(1), 3);
    definition.unegocios = selection({"1", "3"});
    generate();
    EXPECT_EQ(workRows(),
              (QList<Row>{{"Activo", march(31), march(1), "1", 0},
                          {"Activo", march(31), march(1), "3", 0},
                          {"Caja", march(31), march(1), "1", 0},
                          {"Caja", march(31), march(1), "3", 0}}));
}

// Centre 4 has no title flag: the list offers it, so its row and amounts are there too; the
// title centre 9 takes no row.
TEST_F(StatisticRunTest, CostCentreRowsTakeTheirSplitAmounts)
{
    define(QStringLiteral("Centros"), {{"Sueldos", "5201"}, {"Gastos", "52"}});
    post({{"5201", march(2), "D", 100, "OP", "   1", false, {{"   1", 60}, {"   4", 40}}},
          {"5202", march(3), "H", 10, "OP", "   1", false, {{"   2", 10}}}});
    setRun(QStringLiteral("Centros"), march(1), march(31), 6);
    definition.grouping = Grouping::CostCentre;
    generate();
    EXPECT_EQ(workRows(),
              (QList<Row>{{"Gastos", march(1), march(31), "1", 60},
                          {"Gastos", march(1), march(31), "2", -10},
                          {"Gastos", march(1), march(31), "3", 0},
                          {"Gastos", march(1), march(31), "4", 40},
                          {"Sueldos", march(1), march(31), "1", 60},
                          {"Sueldos", march(1), march(31), "2", 0},
                          {"Sueldos", march(1), march(31), "3", 0},
                          {"Sueldos", march(1), march(31), "4", 40}}));

    definition.ccostos = selection({"4"});
    generate();
    EXPECT_EQ(workRows(),
              (QList<Row>{{"Gastos", march(1), march(31), "4", 40},
                          {"Sueldos", march(1), march(31), "4", 40}}));
}

TEST_F(StatisticRunTest, OpeningBalanceOfExactAndTitleAccountsUnderDateGrouping)
{
    define(QStringLiteral("Saldo"), {{"Caja", "1101"}, {"Activo", "11"}});
    post({{"1101", QDate(2025, 12, 10), "D", 100},
          {"1101", QDate(2026, 2, 28), "H", 30},
          {"1105", QDate(2026, 2, 1), "D", 7},
          {"1101", march(1), "D", 5}});
    setRun(QStringLiteral("Saldo"), march(1), march(31), 3);
    definition.calculaSI = true;
    generate();
    const QDate feb28(2026, 2, 28);
    EXPECT_EQ(workRows(),
              (QList<Row>{{"Activo", feb28, feb28, "", 77},
                          {"Activo", march(1), march(31), "", 5},
                          {"Caja", feb28, feb28, "", 70},
                          {"Caja", march(1), march(31), "", 5}}));
}

// For a user who is not an administrator, under confidentiality, the journal is read through
// its restricted synonym as every other read of the program is; an administrator reads it all.
TEST_F(StatisticRunTest, JournalSumsReadTheRestrictedSynonymUnderConfidentiality)
{
    runOnMain(QStringLiteral(
        "CREATE VIEW SS_MV_ASIENTOS AS SELECT * FROM MV_ASIENTOS WHERE CUENTA <> '1102'"));
    define(QStringLiteral("Reservada"), {{"Disponible", "11"}, {"Banco", "1102"}});
    post({{"1101", march(2), "D", 100}, {"1102", march(3), "D", 30}});
    data::setConfidentialityReader([] { return true; });
    const bool wasAdministrator = data::gDB().gEsAdmin;
    for (const bool administrator : {false, true}) {
        data::gDB().gEsAdmin = administrator;
        setRun(QStringLiteral("Reservada"), march(1), march(31), 6);
        generate();
        EXPECT_EQ(
            workRows(),
            (QList<Row>{{"Banco", march(1), march(31), "", administrator ? 30. : 0.},
                        {"Disponible", march(1), march(31), "", administrator ? 130. : 100.}}))
            << administrator;
    }
    data::gDB().gEsAdmin = wasAdministrator;
    data::setConfidentialityReader(nullptr);
}

// A user who may not see every account sums, by date, by business unit and by cost centre, what
// an administrator sums over the journal without the hidden accounts' lines: a hidden title
// account sums nothing, a visible title account leaves out its hidden leaf. The cost-centre view
// has no restricted synonym of its own, so its sums once took every account.
TEST_F(StatisticRunTest, ARestrictedUserSumsTheJournalOfTheirOwnAccountsInEveryGrouping)
{
    runOnMain(QStringLiteral("DROP VIEW SS_MA_CUENTAS"));
    runOnMain(QStringLiteral("CREATE VIEW SS_MA_CUENTAS AS SELECT * FROM MA_CUENTAS WHERE CODIGO "
                             "NOT IN ('51', '5101', '5201')"));
    runOnMain(QStringLiteral("CREATE VIEW SS_MV_ASIENTOS AS SELECT * FROM MV_ASIENTOS WHERE "
                             "CUENTA IN (SELECT CODIGO FROM SS_MA_CUENTAS)"));
    define(QStringLiteral("Reservada"),
           {{"Costos", "51"}, {"Sueldos", "5201"}, {"Gastos", "52"}, {"Alquiler", "5202"}});
    const QList<Line> visibleLines = {
        {"5202", march(4), "D", 30, "OP", "   2", false, {{"   2", 30}}},
        {"5203", march(5), "H", 5, "AS", "   1", false, {{"   1", 5}}},
    };
    const QList<Line> hiddenLines = {
        {"5101", march(2), "D", 70, "AS", "   1", false, {{"   1", 70}}},
        {"5201", march(3), "D", 100, "OP", "   1", false, {{"   1", 60}, {"   2", 40}}},
    };
    const struct
    {
        const char *name;
        Grouping grouping;
        Row aVisibleSum; // what the restricted user must see in one row, hidden lines left out
    } cases[] = {
        {"by date", Grouping::Date, {"Gastos", march(1), march(31), "", 25}},
        {"by business unit", Grouping::BusinessUnit, {"Gastos", march(1), march(31), "1", -5}},
        {"by cost centre", Grouping::CostCentre, {"Gastos", march(1), march(31), "2", 30}},
    };
    const bool wasAdministrator = data::gDB().gEsAdmin;
    data::setConfidentialityReader([] { return true; });
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        definition.grouping = c.grouping;
        definition.unegocios = selection({"1", "2"});
        definition.ccostos = selection({"1", "2"});
        const auto runAs = [&](bool administrator, const QList<Line> &journal) {
            clearJournal();
            post(journal);
            data::gDB().gEsAdmin = administrator;
            setRun(QStringLiteral("Reservada"), march(1), march(31), 6);
            generate();
            return workRows();
        };
        const QList<Row> restricted = runAs(false, visibleLines + hiddenLines);
        const QList<Row> visibleJournal = runAs(true, visibleLines);
        const QList<Row> wholeJournal = runAs(true, visibleLines + hiddenLines);

        EXPECT_EQ(restricted, visibleJournal);
        EXPECT_NE(restricted, wholeJournal) << "the hidden lines reach some sum";
        EXPECT_TRUE(restricted.contains(c.aVisibleSum));
        for (const Row &row : restricted) {
            if (row.group == QLatin1String("Costos") || row.group == QLatin1String("Sueldos")) {
                EXPECT_EQ(row.amount, 0) << testing::PrintToString(row);
            }
        }
    }
    data::gDB().gEsAdmin = wasAdministrator;
    data::setConfidentialityReader(nullptr);
}

TEST_F(StatisticRunTest, SignRulesOfGroupNames)
{
    define(QStringLiteral("Resultado"),
           {{"Ingresos (+)", "4101", false, true},
            {"Costos (-)", "5101", true, false},
            {"Devoluciones (-)", "4101", false, true},
            {"Retenciones (-) ", "4101", false, true}, // a trailing blank keeps the rule
            {"Neto", "4101"}});
    post({{"4101", march(2), "H", 100}, {"5101", march(2), "D", 40}});
    setRun(QStringLiteral("Resultado"), march(1), march(31), 3);
    generate();
    EXPECT_EQ(workRows(),
              (QList<Row>{{"Costos (-)", march(1), march(31), "", -40},
                          {"Devoluciones (-)", march(1), march(31), "", 100},
                          {"Ingresos (+)", march(1), march(31), "", 100},
                          {"Neto", march(1), march(31), "", -100},
                          {"Retenciones (-) ", march(1), march(31), "", 100}}));
    EXPECT_EQ(previews, 1);
}

TEST_F(StatisticRunTest, QuotesInNamesGroupsAndKeysStayInsideTheirLiterals)
{
    core::gEstacionUsuario = QStringLiteral("PC|O'NEIL");
    define(QStringLiteral("Plan d'Or"), {{"Caja 'A'", "1101"}});
    post({{"1101", march(2), "D", 100}});
    // Blanks typed around the name find the stored definition, whose name every row carries.
    setRun(QStringLiteral("  Plan d'Or "), march(1), march(31), 3);
    generate();
    EXPECT_EQ(workRows(QStringLiteral("PC|O'NEIL")),
              (QList<Row>{{"Caja 'A'", march(1), march(31), "", 100}}));
    EXPECT_EQ(valueOnMain("SELECT Nombre FROM AUX_PANELCTA").toString(), "Plan d'Or");
}

TEST_F(StatisticRunTest, ARunReplacesOnlyItsOwnUsersRows)
{
    for (const char *key : {"PC|TESTER", "OTRA|PC"})
        runOnMain(QStringLiteral("INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo,FechaD,FechaH,"
                                 "ImporteG1) VALUES ('%1','Vieja','Viejo','2026-01-01',"
                                 "'2026-01-01',9)")
                      .arg(QString::fromLatin1(key)));
    define(QStringLiteral("Caja"), {{"Caja", "1101"}});
    setRun(QStringLiteral("Caja"), march(1), march(31), 3);
    generate();
    EXPECT_EQ(workRows(), (QList<Row>{{"Caja", march(1), march(31), "", 0}}));
    EXPECT_EQ(workRows(QStringLiteral("OTRA|PC")).size(), 1);

    // A statistic without definition rows writes nothing and is still printed.
    setRun(QStringLiteral("Ninguna"), march(1), march(31), 3);
    generate();
    EXPECT_TRUE(workRows().isEmpty());
    EXPECT_EQ(previews, 2);
}

// Escape on the progress window as the run starts: the run stops at its first cancel point, while
// it writes the empty bucket rows, and prints nothing; answered No, it goes on to the end.
TEST_F(StatisticRunTest, CancelAnsweredYesStopsWhileTheBucketRowsAreWrittenAndNoGoesOn)
{
    define(QStringLiteral("Caja"), {{"Caja", "1101"}});
    post({{"1101", march(2), "D", 100}});
    setRun(QStringLiteral("Caja"), march(1), march(31), 1);
    QObject thisTest; // an Escape the run never waited for is not pressed in a later test
    const auto pressEscape = [&thisTest] {
        QTimer::singleShot(
            0, &thisTest, [] { QTest::keyClick(&platform::gProgreso().window(), Qt::Key_Escape); });
    };

    pressEscape();
    dialogs.answer(msgbox::Yes).answer(msgbox::Ok);
    generate(false);
    EXPECT_EQ(dialogs.shown().at(0).text, "Desea Cancelar el Proceso?");
    EXPECT_EQ(dialogs.shown().at(1).text, "Grabacion Abortada!");
    EXPECT_EQ(previews, 0);
    EXPECT_TRUE(workRows().isEmpty());

    pressEscape();
    dialogs.answer(msgbox::No);
    generate();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(workRows().size(), 5);
    EXPECT_EQ(workRows().first().amount, 100);
    EXPECT_TRUE(dialogs.allAnswered());
}

// A request the progress window reports where the run may not stop is kept for the next place
// where it may, and asked about once.
TEST(RunGuardTest, ACancelRequestWaitsForTheNextCancelPoint)
{
    int asked = 0;
    const statistics::RunGuard guard(statistics::RunHooks{
        [](const platform::Error &) { return platform::Resume::Leave; },
        [&asked] {
            ++asked;
            return false;
        },
    });
    platform::gProgreso().Mostrar(QStringLiteral("Actualizando Estadistica"));
    QTest::keyClick(&platform::gProgreso().window(), Qt::Key_Escape);

    guard.advance(QStringLiteral("Caja 1101"), false);
    EXPECT_EQ(asked, 0);
    guard.advance(QStringLiteral("Caja"), true);
    EXPECT_EQ(asked, 1);
    guard.advance(QStringLiteral("Caja"), true);
    EXPECT_EQ(asked, 1);
    platform::gProgreso().Ocultar();
}

// The journal's cost-centre view is gone: every sum fails. Ignore goes on and prints, Abort ends
// the run with the rows written so far.
TEST_F(StatisticRunTest, ErrorPathGoesOnOrLeavesAsAnswered)
{
    runOnMain(QStringLiteral("DROP VIEW Vt_ASIENTOS_Ccosto"));
    define(QStringLiteral("Centros"), {{"Sueldos", "5201"}});
    setRun(QStringLiteral("Centros"), march(1), march(31), 6);
    definition.grouping = Grouping::CostCentre;
    definition.ccostos = selection({"1", "2"});

    dialogs.answer(msgbox::Ignore).answer(msgbox::Ignore);
    generate();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(workRows().size(), 2);

    dialogs.clearShown();
    dialogs.answer(msgbox::Abort);
    generate(false);
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(dialogs.count(), 1);
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("GeneraAuxiliar")))
        << dialogs.last().text.toStdString();
    EXPECT_EQ(workRows().size(), 2);
    EXPECT_TRUE(dialogs.allAnswered());
}

// Each sum is added up before it is saved: a work row is written once for every definition line
// whose sum found journal lines in it, however many rows the sum returned, and ends with the
// amounts it had when every row was saved on its own.
TEST_F(StatisticRunTest, AWorkRowIsSavedOncePerDefinitionLineWithJournalLines)
{
    define(QStringLiteral("Guardados"),
           {{"Activo", "11"},
            {"Activo", "1101", true, false},
            {"Pasivo (-)", "2101"},
            {"Pasivo (-)", "21", false, true}});
    post({{"1101", QDate(2026, 2, 20), "D", 50},
          {"1101", march(2), "D", 100},
          {"1101", march(2), "H", 30},
          {"1105", march(3), "D", 7},
          {"1101", march(8), "D", 5},
          {"110", march(21), "D", 1},
          {"2101", march(10), "H", 40},
          {"2102", march(10), "H", 3},
          {"2102", march(11), "D", 2},
          {"211", march(15), "H", 9}});
    setRun(QStringLiteral("Guardados"), march(1), march(21), 1);
    definition.calculaSI = true;
    RecordedSaves &saves = RecordedSaves::install(*data::gDB().gCnn);
    generate();

    struct SavedRow
    {
        Row row;
        int saves;
    };
    const QDate feb28(2026, 2, 28);
    const QList<SavedRow> expected = {
        {{"Activo", feb28, feb28, "", 100}, 2},
        {{"Activo", march(1), march(8), "", 177}, 2},
        {{"Activo", march(8), march(15), "", 10}, 2},
        {{"Activo", march(15), march(21), "", 1}, 1},
        {{"Pasivo (-)", feb28, feb28, "", 0}, 0},
        {{"Pasivo (-)", march(1), march(8), "", 0}, 0},
        {{"Pasivo (-)", march(8), march(15), "", 83}, 2},
        {{"Pasivo (-)", march(15), march(21), "", 9}, 1},
    };
    const QList<Row> rows = workRows();
    const QList<QString> ids = workRowIds();
    ASSERT_EQ(rows.size(), expected.size());
    int total = 0;
    for (int index = 0; index < rows.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(rows[index], expected[index].row);
        EXPECT_EQ(saves.byKey().value(ids[index]), expected[index].saves);
        total += expected[index].saves;
    }
    EXPECT_EQ(saves.total(), total);
}

// The chart of accounts tells an account's kind once per account and run, however many lines
// and buckets name the account.
TEST_F(StatisticRunTest, TheChartOfAccountsIsReadOncePerAccountAndRun)
{
    define(QStringLiteral("Titulos"), {{"Activo", "11"}, {"Activo", "1101"}, {"Caja", "1101"}});
    post({{"1101", march(2), "D", 100}, {"1105", march(9), "D", 7}});
    setRun(QStringLiteral("Titulos"), march(1), march(21), 1);
    RecordedSaves &recorded = RecordedSaves::install(*data::gDB().gCnn);
    for (const char *run : {"first run", "second run"}) {
        SCOPED_TRACE(run);
        recorded.clear();
        generate();
        EXPECT_EQ(recorded.lookupsOf(QStringLiteral("ma_cuentas")),
                  (QHash<QString, int>{{"11", 1}, {"1101", 1}}));
    }
    EXPECT_EQ(workRows().size(), 6);
}

// The engine answers a run's sums from one read of each bucket's rows for every account: each
// sum of a bucket, whatever its account and side, has the same range statement.
TEST_F(StatisticRunTest, TheSumsOfOneBucketShareTheirRangeWhateverTheAccount)
{
    define(QStringLiteral("Rangos"),
           {{"Activo", "11"},
            {"Caja", "1101", true, false},
            {"Pasivo", "21", false, true},
            {"Proveedores", "2101"}});
    post({{"1101", march(2), "D", 100}, {"2101", march(9), "H", 7}});
    RecordedSaves &recorded = RecordedSaves::install(*data::gDB().gCnn);
    for (const Grouping grouping : {Grouping::Date, Grouping::BusinessUnit, Grouping::CostCentre}) {
        SCOPED_TRACE(int(grouping));
        definition.grouping = grouping;
        setRun(QStringLiteral("Rangos"), march(1), march(21), 1);
        recorded.clear();
        generate();
        QHash<QString, int> sumsOfRange;
        for (const QString &statement : recorded.statements()) {
            if (!statement.contains(QStringLiteral("SUM(")))
                continue;
            const std::optional<platform::db::embedded::GroupedSumShape> shape
                = platform::db::embedded::groupedSumShapeOf(statement);
            ASSERT_TRUE(shape) << statement.toStdString();
            ++sumsOfRange[shape->rangeStatement];
        }
        EXPECT_GE(sumsOfRange.size(), 3);
        for (const int sums : std::as_const(sumsOfRange))
            EXPECT_EQ(sums, 4) << "one sum per definition line";
    }
}

// The empty rows of a group go to the server in one batch, in the order and with the values
// they had when each went on its own.
TEST_F(StatisticRunTest, EachGroupWritesItsEmptyRowsInOneBatchWithTheSameRows)
{
    define(QStringLiteral("Lotes"), {{"Caja", "1101"}, {"Activo", "11"}, {"Activo", "1105"}});
    post({{"1101", march(2), "D", 100, "FA", "   1"},
          {"1105", march(9), "H", 30, "FA", "   2"},
          {"1101", QDate(2026, 2, 10), "D", 50, "FA", "   2"}});
    const QDate feb28(2026, 2, 28);
    struct
    {
        const char *label;
        Grouping grouping;
        bool calculaSI;
        int rowsPerGroup;
        QList<Row> rows; // in the order written
    } const cases[] = {
        {"by date with the opening balance",
         Grouping::Date,
         true,
         4,
         {{"Activo", feb28, feb28, "", 50},
          {"Activo", march(1), march(8), "", 100},
          {"Activo", march(8), march(15), "", -60},
          {"Activo", march(15), march(20), "", 0},
          {"Caja", feb28, feb28, "", 50},
          {"Caja", march(1), march(8), "", 100},
          {"Caja", march(8), march(15), "", 0},
          {"Caja", march(15), march(20), "", 0}}},
        {"by business unit",
         Grouping::BusinessUnit,
         false,
         3,
         {{"Activo", march(1), march(20), "1", 100},
          {"Activo", march(1), march(20), "2", -60},
          {"Activo", march(1), march(20), "3", 0},
          {"Caja", march(1), march(20), "1", 100},
          {"Caja", march(1), march(20), "2", 0},
          {"Caja", march(1), march(20), "3", 0}}},
    };
    RecordedSaves &recorded = RecordedSaves::install(*data::gDB().gCnn);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        setRun(QStringLiteral("Lotes"), march(1), march(20), 1);
        definition.grouping = c.grouping;
        definition.calculaSI = c.calculaSI;
        recorded.clear();
        generate();
        QList<Row> rows;
        for (auto written = data::gDB().gCnn->execute(
                 u"SELECT Grupo, FechaD, FechaH, Unegocio, ImporteG1 FROM AUX_PANELCTA WHERE "
                 u"USUARIO = "
                 + sqlText(Key) + u" ORDER BY ID");
             !written.eof(); written.moveNext())
            rows << Row{written.field(0).value().toString(), written.field(1).value().toDate(),
                        written.field(2).value().toDate(),
                        written.field(3).value().toString().trimmed(),
                        written.field(4).value().value<platform::Currency>().toDouble()};
        EXPECT_EQ(rows, c.rows);
        QList<int> batches;
        for (const QString &statement : recorded.statements())
            if (statement.contains(QStringLiteral("INSERT INTO AUX_PANELCTA")))
                batches << int(statement.count(QStringLiteral("INSERT INTO AUX_PANELCTA")));
        EXPECT_EQ(batches, QList<int>(2, c.rowsPerGroup));
    }
}

// An Oracle connection cuts a batch into its statements and runs them one by one: the batch of
// empty rows gives back each row's own INSERT, whatever the quoted values hold.
TEST(WorkRowBatchTest, AnOracleConnectionRunsTheBatchRowByRow)
{
    const QList<statistics::WorkRow> rows = {
        {Key, "Plan d'Or; INSERT", "Caja", {march(1), march(8)}},
        {Key, "Plan d'Or; INSERT", "Caja", {march(8), march(15)}},
        {Key,
         "Plan d'Or; INSERT",
         "Caja",
         {march(1), march(15)},
         statistics::WorkRowKind::CostCentre,
         "   4"},
    };
    QStringList single;
    for (const statistics::WorkRow &row : rows)
        single << statistics::insertWorkRowStatement(row);
    EXPECT_EQ(data::oracleBatchStatements(statistics::insertWorkRowsStatement(rows)), single);
}

// Escape once the first group's rows are written: the run stops before the next group and
// leaves every row of the first.
TEST_F(StatisticRunTest, CancelBetweenGroupsLeavesTheWrittenGroupsWhole)
{
    define(QStringLiteral("Cortes"), {{"Activo", "11"}, {"Caja", "1101"}});
    setRun(QStringLiteral("Cortes"), march(1), march(31), 1);
    pressEscapeAfterTheFirstWorkRows(RecordedSaves::install(*data::gDB().gCnn));
    dialogs.answer(msgbox::Yes).answer(msgbox::Ok);
    generate(false);

    EXPECT_EQ(dialogs.shown().at(0).text, "Desea Cancelar el Proceso?");
    EXPECT_EQ(previews, 0);
    EXPECT_EQ(workRows(),
              (QList<Row>{{"Activo", march(1), march(8), "", 0},
                          {"Activo", march(8), march(15), "", 0},
                          {"Activo", march(15), march(22), "", 0},
                          {"Activo", march(22), march(29), "", 0},
                          {"Activo", march(29), march(31), "", 0}}));
}

} // namespace

namespace {

// The demo's own statistics, loaded from the store into a definition and run.
class DemoStatisticTest : public statistics_testing::StatisticsDatabaseTest
{
protected:
    void SetUp() override
    {
        StatisticsDatabaseTest::SetUp();
        insertSampleRows(3000);
    }

    void runStored(const QString &name)
    {
        const statistics::LoadedDefinition loaded
            = statistics::DefinitionReader(data::gDB())
                  .read(name,
                        {{QStringLiteral("NOMBRE"), name},
                         {QStringLiteral("FechaD"), QString()},
                         {QStringLiteral("FechaH"), QString()}});
        ASSERT_FALSE(loaded.noRows);
        dialogs.onDialog([](QDialog &) { return int(QDialog::Rejected); });
        statistics::generateStatistic(loaded.definition, core::gEstacionUsuario,
                                      QStringLiteral("MA_PANELCTA"),
                                      statistics::computationHooks());
    }
};

// Its title account ticked for one side only once broke every cost-centre statement; each
// cost centre's "Estructura (-)" is the debits of the accounts under 52 less the credits of
// 5201, negated by the group's sign.
TEST_F(DemoStatisticTest, CostCentreExpensesComputeWithoutAnErrorAndMatchTheJournal)
{
    runStored(QStringLiteral("Gastos por centro de costo"));
    ASSERT_EQ(dialogs.count(), 1); // the report preview, and no error box
    EXPECT_TRUE(dialogs.last().text.startsWith(QStringLiteral("Vista previa")));

    auto rows = data::gDB().gCnn->execute(
        u"SELECT CCOSTO, ImporteG1 FROM AUX_PANELCTA WHERE USUARIO = '" + core::gEstacionUsuario
        + u"' AND Grupo = 'Estructura (-)' ORDER BY CCOSTO");
    QStringList centres;
    std::int64_t total = 0;
    for (; !rows.eof(); rows.moveNext()) {
        const QString centre = rows.field(0).value().toString();
        centres << centre.trimmed();
        SCOPED_TRACE(centre.toStdString());
        const QVariant journal = valueOnMain(
            u"SELECT SUM(CASE WHEN CUENTA LIKE '52%' AND [DEBE-HABER] = 'D' THEN IMPORTECC "
            u"WHEN CUENTA = '5201' AND [DEBE-HABER] = 'H' THEN -IMPORTECC ELSE 0 END) FROM "
            u"Vt_ASIENTOS_Ccosto WHERE EsResumen = 0 AND CCOSTO = '"
            + centre + u"' AND FECHA >= '2023-01-01' AND FECHA <= '2023-12-31'");
        const auto expected = platform::Currency::fromScaled(
            -platform::Currency::fromDouble(journal.toDouble()).scaled);
        EXPECT_EQ(rows.field(1).value().value<platform::Currency>(), expected);
        total += std::abs(expected.scaled);
    }
    EXPECT_EQ(centres, (QStringList{"1", "2", "3"})); // the definition's cost centres
    EXPECT_GT(total, 0); // the demo's journal reaches the group
}

} // namespace

namespace {

// The largest amounts of a journal: a sale in several lines and the cash that paid it. The cash
// title account and the sales account sum them into their work rows to the cent, exactly where
// the engine stores the amounts to the ten-thousandth, and the report prints them to the cent,
// by date and by business unit.
TEST_F(StatisticRunTest, TheLargestJournalSumsReachTheWorkRowsAndThePrintedReportToTheCent)
{
    const struct
    {
        const char *name;
        QList<const char *> lines;
        std::int64_t sale; // in ten-thousandths
        const char *printed;
    } cases[] = {
        // Sixteen digits, more than a double shows: the largest the engine stores to four places.
        {"sixteen digits",
         {"400000000000.1234", "100000000000.5000", "23.0762"},
         5000000000236996,
         "500.000.000.023,70"},
        // A sum of more ten-thousandths than a double holds whole.
        {"a sum beyond 2^53 ten-thousandths",
         {"5856410562529.31", "8965863561969.12", "5518651429310.47"},
         203409255538089000,
         "20.340.925.553.808,90"},
        // A work row of more ten-thousandths than a double holds whole, written and read back.
        {"a work row beyond 2^53 ten-thousandths",
         {"29343800165011.12"},
         293438001650111200,
         "29.343.800.165.011,12"},
    };
    const struct
    {
        const char *name;
        Grouping grouping;
    } groupings[] = {{"by date", Grouping::Date}, {"by business unit", Grouping::BusinessUnit}};
    define(QStringLiteral("Grandes"), {{"Caja", "11"}, {"Ventas", "4101"}});
    QTemporaryDir folder;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        clearJournal();
        for (const char *amount : c.lines)
            post({{"1101", march(2), "D", amount}, {"4101", march(2), "H", amount}});
        for (const auto &g : groupings) {
            SCOPED_TRACE(g.name);
            definition.grouping = g.grouping;
            setRun(QStringLiteral("Grandes"), march(1), march(31), 6);
            const QString pdf = folder.filePath(QStringLiteral("report.pdf"));
            QFile::remove(pdf);
            report_pdf::savePreviewAsPdf(dialogs, pdf);
            generate(false);
            EXPECT_TRUE(dialogs.allAnswered());

            platform::db::Recordset rows = data::gDB().gCnn->execute(
                u"SELECT Grupo, ImporteG1 FROM AUX_PANELCTA WHERE USUARIO = " + sqlText(Key)
                + u" AND ImporteG1 <> 0 ORDER BY Grupo");
            QStringList groups;
            for (; !rows.eof(); rows.moveNext()) {
                const QString group = rows.field(0).value().toString();
                groups << group;
                const QVariant amount = rows.field(1).value();
                ASSERT_TRUE(platform::isCurrency(amount)) << amount.typeName();
                const std::int64_t expected = group == QLatin1String("Caja") ? c.sale : -c.sale;
                EXPECT_EQ(amount.value<platform::Currency>().scaled, expected)
                    << group.toStdString();
            }
            EXPECT_EQ(groups, (QStringList{"Caja", "Ventas"}));

            const QString text = report_pdf::text(pdf).value_or(QString());
            if (text.isEmpty())
                GTEST_SKIP() << "pdftotext is not installed";
            const QString printed = QString::fromLatin1(c.printed);
            const QRegularExpression positive(u"(^|[^-\\d.])"
                                              + QRegularExpression::escape(printed));
            EXPECT_TRUE(text.contains(positive)) << text.toStdString();
            EXPECT_TRUE(text.contains(u'-' + printed)) << text.toStdString();
        }
    }
}

// A sum the engine cannot keep to its last digit stops the run with a message that names it,
// and no report opens with a neighbouring amount.
TEST_F(StatisticRunTest, ASumTheEngineCannotKeepStopsTheRunAndSaysWhich)
{
    define(QStringLiteral("Grandes"), {{"Caja", "11"}, {"Ventas", "4101"}});
    clearJournal();
    for (const char *amount : {"799999999999999", "24.6996"})
        post({{"1101", march(2), "D", amount}, {"4101", march(2), "H", amount}});
    setRun(QStringLiteral("Grandes"), march(1), march(31), 6);
    dialogs.answer(platform::msgbox::Ok);
    generate(false);
    ASSERT_EQ(dialogs.count(), 1); // the message, and no preview
    EXPECT_TRUE(dialogs.last().text.contains(u"800000000000023.6996"))
        << dialogs.last().text.toStdString();
}

} // namespace
