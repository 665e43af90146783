// The texts a statistic run sends: filter lists, work-row and journal-sum statements, and the
// formulas and selection handed to the report engine.

#include "platform/regional_settings.h"
#include "statistics/statistic_filters.h"
#include "statistics/statistic_report.h"
#include "statistics/statistic_run.h"
#include "statistics/statistic_statements.h"

#include <gtest/gtest.h>

namespace {

using namespace statistics;

class StatisticTextsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
    }
};

// ---- Filter lists -----------------------------------------------------------------------------

struct FilterCase
{
    const char *label;
    QList<ListItem> items;
    CodeForm form;
    QString codes;
    QString display;
};

TEST_F(StatisticTextsTest, FilterListsQuoteTheSelectedCodesInListOrder)
{
    const ListItem fa{QStringLiteral("Factura (FA)"), true};
    const ListItem nc{QStringLiteral("Nota de crédito (NC)"), true};
    const ListItem rcOff{QStringLiteral("Recibo (RC)"), false};
    const FilterCase cases[] = {
        {"nothing selected", {{fa.text, false}, rcOff}, CodeForm::AsCut, "", "Todos"},
        {"every item selected", {fa, nc}, CodeForm::AsCut, "'FA','NC'", "Todos"},
        {"some selected", {fa, rcOff, nc}, CodeForm::AsCut, "'FA','NC'", "'FA','NC'"},
        {"empty list", {}, CodeForm::AsCut, "", "Todos"},
        {"units padded to four",
         {{QStringLiteral("Casa central (1)"), true}, {QStringLiteral("Sur (3)"), false}},
         CodeForm::FixedWidth4,
         "'   1'",
         "'   1'"},
        {"a quote in a code stays inside its literal",
         {{QStringLiteral("Raro (O'K)"), true}, rcOff},
         CodeForm::AsCut,
         "'O''K'",
         "'O''K'"},
    };
    for (const FilterCase &c : cases) {
        const FilterList list = buildFilterList(c.items, c.form, QStringLiteral("Todos"));
        EXPECT_EQ(list.codes, c.codes) << c.label;
        EXPECT_EQ(list.display, c.display) << c.label;
    }
}

// ---- Buckets ----------------------------------------------------------------------------------

// Consecutive periods share their boundary day; each period end is counted from the start, so a
// month-end start keeps its day where the month has one; the last period stops on the end date.
// The table lists the period ends of starts on 31/01, 30/11 and 29/02 of a leap year.
TEST_F(StatisticTextsTest, PeriodsOfMonthEndStartsAreAnchoredToTheStart)
{
    const auto d = [](int day, int month, int year) { return QDate(year, month, day); };
    const struct
    {
        int periodicidad;
        QDate from, to;
        QList<QDate> ends;
    } cases[] = {
        {Diario, d(31, 1, 2024), d(2, 2, 2024), {d(31, 1, 2024), d(1, 2, 2024), d(2, 2, 2024)}},
        {Semanal, d(31, 1, 2024), d(15, 2, 2024), {d(7, 2, 2024), d(14, 2, 2024), d(15, 2, 2024)}},
        {Quincenal, d(31, 1, 2024), d(1, 3, 2024), {d(14, 2, 2024), d(28, 2, 2024), d(1, 3, 2024)}},
        {Mensual,
         d(31, 1, 2024),
         d(31, 5, 2024),
         {d(29, 2, 2024), d(31, 3, 2024), d(30, 4, 2024), d(31, 5, 2024)}},
        {Trimestral,
         d(31, 1, 2024),
         d(31, 1, 2025),
         {d(30, 4, 2024), d(31, 7, 2024), d(31, 10, 2024), d(31, 1, 2025)}},
        {Semestral,
         d(31, 1, 2024),
         d(31, 1, 2026),
         {d(31, 7, 2024), d(31, 1, 2025), d(31, 7, 2025), d(31, 1, 2026)}},
        {Anual, d(31, 1, 2024), d(31, 1, 2027), {d(31, 1, 2025), d(31, 1, 2026), d(31, 1, 2027)}},

        {Diario,
         d(30, 11, 2023),
         d(2, 12, 2023),
         {d(30, 11, 2023), d(1, 12, 2023), d(2, 12, 2023)}},
        {Semanal, d(30, 11, 2023), d(14, 12, 2023), {d(7, 12, 2023), d(14, 12, 2023)}},
        {Quincenal,
         d(30, 11, 2023),
         d(31, 12, 2023),
         {d(14, 12, 2023), d(28, 12, 2023), d(31, 12, 2023)}},
        {Mensual,
         d(30, 11, 2023),
         d(31, 3, 2024),
         {d(30, 12, 2023), d(30, 1, 2024), d(29, 2, 2024), d(30, 3, 2024), d(31, 3, 2024)}},
        {Trimestral,
         d(30, 11, 2023),
         d(30, 11, 2024),
         {d(29, 2, 2024), d(30, 5, 2024), d(30, 8, 2024), d(30, 11, 2024)}},
        {Semestral,
         d(30, 11, 2023),
         d(30, 11, 2025),
         {d(30, 5, 2024), d(30, 11, 2024), d(30, 5, 2025), d(30, 11, 2025)}},
        {Anual,
         d(30, 11, 2023),
         d(1, 12, 2025),
         {d(30, 11, 2024), d(30, 11, 2025), d(1, 12, 2025)}},

        {Diario, d(29, 2, 2024), d(2, 3, 2024), {d(29, 2, 2024), d(1, 3, 2024), d(2, 3, 2024)}},
        {Semanal, d(29, 2, 2024), d(14, 3, 2024), {d(7, 3, 2024), d(14, 3, 2024)}},
        {Quincenal,
         d(29, 2, 2024),
         d(31, 3, 2024),
         {d(14, 3, 2024), d(28, 3, 2024), d(31, 3, 2024)}},
        {Mensual,
         d(29, 2, 2024),
         d(30, 6, 2024),
         {d(29, 3, 2024), d(29, 4, 2024), d(29, 5, 2024), d(29, 6, 2024), d(30, 6, 2024)}},
        {Trimestral,
         d(29, 2, 2024),
         d(28, 2, 2025),
         {d(29, 5, 2024), d(29, 8, 2024), d(29, 11, 2024), d(28, 2, 2025)}},
        {Semestral,
         d(29, 2, 2024),
         d(31, 3, 2025),
         {d(29, 8, 2024), d(28, 2, 2025), d(31, 3, 2025)}},
        {Anual,
         d(29, 2, 2024),
         d(29, 2, 2028),
         {d(28, 2, 2025), d(28, 2, 2026), d(28, 2, 2027), d(29, 2, 2028)}},

        // No periodicity selected: day steps, each period starting on the previous one's end.
        {-1, d(31, 1, 2024), d(2, 2, 2024), {d(31, 1, 2024), d(1, 2, 2024), d(2, 2, 2024)}},
    };
    for (const auto &c : cases) {
        QList<DateSpan> spans;
        QDate start = c.from;
        for (const QDate &end : c.ends) {
            spans.append({start, end});
            start = c.periodicidad == Diario ? end.addDays(1) : end;
        }
        EXPECT_EQ(bucketSpans(c.from, c.to, c.periodicidad, Grouping::Date), spans)
            << c.periodicidad << " from " << c.from.toString(Qt::ISODate).toStdString();
    }
}

TEST_F(StatisticTextsTest, PeriodsOfAnEmptyRangeAndOfUnitOrCostCentreGroupings)
{
    const QDate fifth(2026, 3, 5);
    const QDate fourth(2026, 3, 4);
    EXPECT_TRUE(bucketSpans(fifth, fourth, Mensual, Grouping::Date).isEmpty());
    EXPECT_EQ(bucketSpans(fifth, fifth, Anual, Grouping::Date), (QList<DateSpan>{{fifth, fifth}}));
    EXPECT_EQ(bucketSpans(QDate(2026, 1, 1), QDate(2026, 3, 31), Semanal, Grouping::BusinessUnit),
              (QList<DateSpan>{{QDate(2026, 1, 1), QDate(2026, 3, 31)}}));
    // Reversed dates stay reversed: one span per unit or cost centre whatever the range.
    EXPECT_EQ(bucketSpans(fifth, fourth, Diario, Grouping::CostCentre),
              (QList<DateSpan>{{fifth, fourth}}));
}

// ---- Work rows --------------------------------------------------------------------------------

TEST_F(StatisticTextsTest, WorkRowStatementsKeepTheirBlanksAndQuoteEveryValue)
{
    const DateSpan march{QDate(2026, 3, 1), QDate(2026, 3, 8)};
    const struct
    {
        WorkRow row;
        QString statement;
    } cases[] = {
        {{"PC|ANA", "Ventas", "Caja (+)", march, WorkRowKind::Bucket, {}},
         "INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1)   Values  "
         "('PC|ANA','Ventas','Caja (+)','01/03/2026','08/03/2026',0)"},
        {{"PC|ANA", "Ventas", "Caja", march, WorkRowKind::BusinessUnit, "   1"},
         "INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1,Unegocio)   "
         "Values  ('PC|ANA','Ventas','Caja','01/03/2026','08/03/2026',0,'   1')"},
        {{"PC|ANA", "Ventas", "Caja", march, WorkRowKind::CostCentre, "   2"},
         "INSERT INTO AUX_PANELCTA  (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1,CCOSTO)   "
         "Values   ('PC|ANA','Ventas','Caja','01/03/2026','08/03/2026',0,'   2')"},
        {{"PC|O'NEIL", "Plan d'été", "Caja 'A'", march, WorkRowKind::Bucket, {}},
         "INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1)   Values  "
         "('PC|O''NEIL','Plan d''été','Caja ''A''','01/03/2026','08/03/2026',0)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(insertWorkRowStatement(c.row), c.statement);
}

TEST_F(StatisticTextsTest, RunStatementsAroundTheWorkRows)
{
    const QString name = QStringLiteral("D'Or");
    const QString key = QStringLiteral("PC|ANA");
    const std::pair<QString, QString> cases[] = {
        {deleteWorkRowsStatement(key), "DELETE FROM AUX_PANELCTA WHERE USUARIO = 'PC|ANA'"},
        {definitionRowsStatement(QStringLiteral("MA_PANELCTA"), name),
         "select * from MA_PANELCTA where nombre = 'D''Or' and EsRanking = 0 order by "
         "grupo,cuenta"},
        {definitionGroupsStatement(name),
         "SELECT NOMBRE, GRUPO  From MA_PANELCTA  WHERE EsRanking = 0  GROUP BY NOMBRE, GRUPO "
         "HAVING (NOMBRE = 'D''Or')"},
        {businessUnitsStatement({}), "select * from v_ta_unidadnegocio   order by codigo"},
        {businessUnitsStatement(QStringLiteral("'   1','   2'")),
         "select * from v_ta_unidadnegocio  where CODIGO IN ('   1','   2')  order by codigo"},
        {costCentresStatement({}),
         "select * from ta_CCOSTO Where (Titulo = 0 or Titulo is null)   order by codigo"},
        {costCentresStatement(QStringLiteral("'   4'")),
         "select * from ta_CCOSTO Where (Titulo = 0 or Titulo is null)  and CODIGO IN ('   4')  "
         "order by codigo"},
        {groupWorkRowsStatement(name, QStringLiteral("Caja"), key),
         "Select * from Aux_PanelCta where Nombre = 'D''Or' and Grupo = 'Caja' and usuario = "
         "'PC|ANA'"},
        {positiveGroupsStatement(key),
         "Update AUX_PanelCta set ImporteG1 = Abs(ImporteG1), ImporteG2 = Abs(ImporteG2) where "
         "Grupo LIKE '%(+)' and USUARIO = 'PC|ANA'"},
        {negativeGroupsStatement(key),
         "Update AUX_PanelCta set ImporteG1 = ImporteG1 * -1, ImporteG2 = ImporteG2 * -1 where "
         "Grupo like '%(-)' and usuario = 'PC|ANA'"},
    };
    for (const auto &[statement, expected] : cases)
        EXPECT_EQ(statement, expected);
}

// ---- Journal sums -----------------------------------------------------------------------------

TEST_F(StatisticTextsTest, SideClauseByTheTwoFlags)
{
    EXPECT_EQ(sideClause(true, false), "AND [DEBE-HABER] = 'D'");
    EXPECT_EQ(sideClause(false, true), "AND [DEBE-HABER] = 'H'");
    EXPECT_EQ(sideClause(true, true), "");
    EXPECT_EQ(sideClause(false, false), "");
}

JournalSum sumOf(Grouping grouping, int periodicidad, const QString &account, bool title)
{
    JournalSum sum;
    sum.grouping = grouping;
    sum.periodicidad = periodicidad;
    sum.account = account;
    sum.titleAccount = title;
    sum.bucket = DateSpan{QDate(2026, 3, 1), QDate(2026, 3, 8)};
    return sum;
}

TEST_F(StatisticTextsTest, JournalSumStatementForEveryGroupingAndAccountKind)
{
    const QString dateBase = QStringLiteral(
        "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
        "(EsResumen = 0)    GROUP BY CUENTA, FECHA, [DEBE-HABER] ");

    JournalSum dailyTitle = sumOf(Grouping::Date, Diario, QStringLiteral(" 11 "), true);
    dailyTitle.side = sideClause(true, false);
    JournalSum dailyExact = sumOf(Grouping::Date, Diario, QStringLiteral("1101"), false);
    JournalSum weeklyTitle = sumOf(Grouping::Date, Semanal, QStringLiteral("11"), true);
    JournalSum weeklyExactLast = sumOf(Grouping::Date, Semanal, QStringLiteral("1101"), false);
    weeklyExactLast.lastBucket = true;
    weeklyExactLast.side = sideClause(false, true);
    JournalSum filtered = sumOf(Grouping::Date, -1, QStringLiteral("1101"), false);
    filtered.voucherCodes = QStringLiteral("'FA','RC'");
    filtered.unitCodes = QStringLiteral("'   1'");
    JournalSum unitTitle = sumOf(Grouping::BusinessUnit, Anual, QStringLiteral("11"), true);
    unitTitle.unit = QStringLiteral("   2");
    unitTitle.voucherCodes = QStringLiteral("'FA'");
    unitTitle.unitCodes = QStringLiteral("'   1'"); // not used: the row's own unit filters
    unitTitle.side = sideClause(true, false);
    JournalSum unitExact = sumOf(Grouping::BusinessUnit, Anual, QStringLiteral("1101"), false);
    unitExact.unit = QStringLiteral("   2");
    JournalSum centreTitle = sumOf(Grouping::CostCentre, Anual, QStringLiteral("52"), true);
    centreTitle.costCentre = QStringLiteral("   3");
    centreTitle.unitCodes = QStringLiteral("'   1'");
    JournalSum centreExact = sumOf(Grouping::CostCentre, Anual, QStringLiteral("O'1"), false);
    centreExact.costCentre = QStringLiteral("   3");
    // Under confidentiality the cost-centre view takes the user's accounts only; the journal
    // statements stay as they are, their synonym restricts them.
    JournalSum centreOfUser = centreTitle;
    centreOfUser.userAccountsOnly = true;
    JournalSum unitOfUser = unitExact;
    unitOfUser.userAccountsOnly = true;
    JournalSum openingExact = sumOf(Grouping::CostCentre, Anual, QStringLiteral("1101"), false);
    openingExact.openingBalance = true;
    openingExact.bucket = DateSpan{QDate(2026, 2, 28), QDate(2026, 2, 28)};
    JournalSum openingTitle = sumOf(Grouping::Date, Mensual, QStringLiteral("11"), true);
    openingTitle.openingBalance = true;
    openingTitle.bucket = DateSpan{QDate(2026, 2, 28), QDate(2026, 2, 28)};

    const std::pair<JournalSum, QString> cases[] = {
        {dailyTitle,
         dateBase
             + " HAVING ( substring(CUENTA,1,2) = '11' AND FECHA >='01/03/2026' AND Fecha "
               "<='08/03/2026'AND [DEBE-HABER] = 'D' )"},
        {dailyExact,
         dateBase
             + " HAVING (CUENTA = '1101' AND FECHA >='01/03/2026' AND Fecha <='08/03/2026'  )"},
        {weeklyTitle,
         dateBase
             + " HAVING (substring(CUENTA,1,2) = '11' AND FECHA >='01/03/2026' AND Fecha "
               "<'08/03/2026' )"},
        {weeklyExactLast,
         dateBase
             + " HAVING (CUENTA = '1101' AND FECHA >='01/03/2026' AND Fecha <='08/03/2026'AND "
               "[DEBE-HABER] = 'H' )"},
        {filtered,
         "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
         "(EsResumen = 0)  and TC IN ('FA','RC')  and  UNEGOCIO IN ('   1')  GROUP BY CUENTA, "
         "FECHA, [DEBE-HABER]  HAVING (CUENTA = '1101' AND FECHA >='01/03/2026' AND Fecha "
         "<'08/03/2026' )"},
        {unitTitle,
         "Select substring(CUENTA,1,2), [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, UNEGOCIO  From "
         "MV_ASIENTOS  WHERE (EsResumen = 0)  and TC IN ('FA')  and  UNEGOCIO = '   2' AND FECHA "
         ">='01/03/2026' AND Fecha <='08/03/2026' GROUP BY substring(CUENTA,1,2), [DEBE-HABER], "
         "UNEGOCIO  HAVING (substring(CUENTA,1,2) = '11'AND [DEBE-HABER] = 'D' )"},
        {unitExact,
         "Select CUENTA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, UNEGOCIO  From MV_ASIENTOS  "
         "WHERE (EsResumen = 0)   and  UNEGOCIO = '   2' AND FECHA >='01/03/2026' AND Fecha "
         "<='08/03/2026' GROUP BY CUENTA, [DEBE-HABER], UNEGOCIO  HAVING (CUENTA = '1101'  )"},
        {centreTitle,
         "Select substring(CUENTA,1,2), [DEBE-HABER], SUM(IMPORTECC) AS IMPORTE, CCOSTO  From "
         "Vt_ASIENTOS_Ccosto  WHERE (EsResumen = 0)   and  UNEGOCIO IN ('   1')  and  CCOSTO = "
         "'   3' AND FECHA >='01/03/2026' AND Fecha <='08/03/2026' GROUP BY "
         "substring(CUENTA,1,2), [DEBE-HABER], CCOSTO  HAVING (substring(CUENTA,1,2) = '52' )"},
        {centreExact,
         "Select CUENTA, [DEBE-HABER], SUM(IMPORTECC) AS IMPORTE, CCOSTO  From "
         "Vt_ASIENTOS_Ccosto  WHERE (EsResumen = 0)    and  CCOSTO = '   3' AND FECHA "
         ">='01/03/2026' AND Fecha <='08/03/2026' GROUP BY CUENTA, [DEBE-HABER], CCOSTO  HAVING "
         "(CUENTA = 'O''1'  )"},
        {centreOfUser,
         "Select substring(CUENTA,1,2), [DEBE-HABER], SUM(IMPORTECC) AS IMPORTE, CCOSTO  From "
         "Vt_ASIENTOS_Ccosto  WHERE (EsResumen = 0)  and CUENTA IN (SELECT CODIGO FROM "
         "SS_MA_CUENTAS)   and  UNEGOCIO IN ('   1')  and  CCOSTO = '   3' AND FECHA "
         ">='01/03/2026' AND Fecha <='08/03/2026' GROUP BY substring(CUENTA,1,2), [DEBE-HABER], "
         "CCOSTO  HAVING (substring(CUENTA,1,2) = '52' )"},
        {unitOfUser, journalSumStatement(unitExact)},
        {openingExact, dateBase + " HAVING (CUENTA = '1101' AND FECHA <='28/02/2026'  )"},
        {openingTitle,
         dateBase + " HAVING (substring(CUENTA,1,2) = '11' AND FECHA <='28/02/2026'  )"},
    };
    for (const auto &[sum, expected] : cases)
        EXPECT_EQ(journalSumStatement(sum).toStdString(), expected.toStdString());
}

// ---- Report -----------------------------------------------------------------------------------

TEST_F(StatisticTextsTest, TemplateByLayoutPosition)
{
    const QStringList expected{"",
                               "Rp_PanelCtaTGP2",
                               "Rp_PanelCtaTGP3",
                               "Rp_PanelCtaTG1",
                               "Rp_PanelCtaTG2",
                               "Rp_PanelCtaTG3",
                               "Rp_PanelCtaTGP1",
                               "Rp_PanelCtaSG1",
                               "Rp_PanelCtaSG2",
                               ""};
    for (int index = -1; index <= 8; ++index)
        EXPECT_EQ(reportTemplate(index), expected[index + 1]) << index;
}

TEST_F(StatisticTextsTest, RowAndColumnFormulasByGroupingAndSwap)
{
    const struct
    {
        Grouping grouping;
        bool swapped;
        QString columna;
        QString grupo;
    } cases[] = {
        {Grouping::Date, false, "Columna1 = {AUX_PanelCta.FechaD}", "Grupo = {AUX_PanelCta.GRUPO}"},
        {Grouping::Date, true, "Columna1 = {AUX_PanelCta.GRUPO}", "Grupo = {AUX_PanelCta.FechaD}"},
        {Grouping::BusinessUnit, false, "Columna1 = {AUX_PanelCta.UNegocio}",
         "Grupo = {AUX_PanelCta.GRUPO}"},
        {Grouping::BusinessUnit, true, "Columna1 = {AUX_PanelCta.GRUPO}",
         "Grupo = {AUX_PanelCta.UNegocio}"},
        {Grouping::CostCentre, false, "Columna1 = {AUX_PanelCta.CCosto}",
         "Grupo = {AUX_PanelCta.GRUPO}"},
        {Grouping::CostCentre, true, "Columna1 = {AUX_PanelCta.GRUPO}",
         "Grupo = {AUX_PanelCta.CCosto}"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(columnaFormula(c.grouping, c.swapped), c.columna);
        EXPECT_EQ(grupoFormula(c.grouping, c.swapped), c.grupo);
    }
}

TEST_F(StatisticTextsTest, TextFormulasAndSelection)
{
    EXPECT_EQ(empresaFormula(QStringLiteral("Breña S.A.")), "empresa = 'Breña S.A.'");
    EXPECT_EQ(empresaFormula(QStringLiteral(" ")), "empresa = ' '");
    EXPECT_EQ(nombreRepFormula({}), "NOMBREREP= ''");
    EXPECT_EQ(nombreRepFormula(QStringLiteral("D'Or")), "NOMBREREP= 'D''Or'");
    EXPECT_EQ(reportSelection(QStringLiteral("PC|ANA"), false),
              "uppercase({Aux_PanelCta.USUARIO}) = 'PC|ANA'");
    EXPECT_EQ(reportSelection(QStringLiteral("PC|O'NEIL"), true),
              "uppercase({Aux_PanelCta.USUARIO}) = 'PC|O''NEIL' AND {AUX_PANELCTA.IMPORTEG1}<>0 ");
}

TEST_F(StatisticTextsTest, ParametrosShowsTheCodesWithoutQuotesAndIsCutAfter250)
{
    ReportParameters p{"01/03/2026", "31/03/2026", "Mensual", "Todos", "'   1','   2'", "Todos"};
    EXPECT_EQ(parametrosFormula(p),
              "Parametros = ' Fecha Desde: 01/03/2026 Hasta: 31/03/2026 Periodo: Mensual "
              "Comprobantes: Todos UNegocio:    1,   2 CCostos: Todos '");

    // The vouchers fill the text to exactly 250 characters, then to 251.
    p.businessUnits = QStringLiteral("Todas");
    const auto uncut = [&]() -> QString {
        return "Parametros = ' Fecha Desde: 01/03/2026 Hasta: 31/03/2026 Periodo: Mensual "
               "Comprobantes: "
            + p.vouchers + " UNegocio: Todas CCostos: Todos '";
    };
    p.vouchers = QString(250 - (uncut().size() - p.vouchers.size()), QLatin1Char('A'));
    ASSERT_EQ(uncut().size(), 250);
    EXPECT_EQ(parametrosFormula(p), uncut());

    p.vouchers += QLatin1Char('A');
    EXPECT_EQ(parametrosFormula(p), uncut().left(250) + "...'");
}

// ---- Error path -------------------------------------------------------------------------------

TEST(RunGuardTest, TheAnswerDecidesWhatHappensToTheFailingStatement)
{
    const struct
    {
        platform::Resume answer;
        int expectedTries;
        bool expectedDone;
        bool expectedLeft;
    } cases[] = {
        {platform::Resume::Retry, 2, true, false},
        {platform::Resume::Next, 1, false, false},
        {platform::Resume::Leave, 1, false, true},
    };
    for (const auto &c : cases) {
        int asked = 0;
        RunGuard guard(RunHooks{[&](const platform::Error &error) {
                                    ++asked;
                                    EXPECT_EQ(error.number(), 13);
                                    return c.answer;
                                },
                                [] { return false; }});
        int tries = 0;
        bool done = false;
        bool left = false;
        try {
            done = guard.attempt([&] {
                if (++tries == 1)
                    throw platform::Error(13, QStringLiteral("No coinciden los tipos"));
            });
        } catch (const RunLeft &) {
            left = true;
        }
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(tries, c.expectedTries);
        EXPECT_EQ(done, c.expectedDone);
        EXPECT_EQ(left, c.expectedLeft);
    }
}

} // namespace
