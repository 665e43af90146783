#include "statistics/statistic_statements.h"

#include "data/sql_rewriting.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"

#include <QStringList>

namespace statistics {

namespace {

QString quoted(const QString &value)
{
    return QLatin1Char('\'') + data::escapeSqlQuotes(value) + QLatin1Char('\'');
}

// The short-date text the work rows are written with and their bounds compared against.
QString dateText(const QDate &date)
{
    return platform::formatShortDate(date);
}

QString voucherClause(const QString &codes)
{
    return codes.isEmpty() ? QStringLiteral(" ") : u" and TC IN (" + codes + u") ";
}

QString unitClause(const QString &codes)
{
    return codes.isEmpty() ? QStringLiteral(" ") : u" and  UNEGOCIO IN (" + codes + u") ";
}

QString prefixLength(const JournalSum &sum)
{
    return QString::number(sum.account.trimmed().size());
}

// substring(CUENTA,1,n) for a title account, CUENTA for an exact one.
QString accountColumn(const JournalSum &sum)
{
    return sum.titleAccount ? u"substring(CUENTA,1," + prefixLength(sum) + u")"
                            : QStringLiteral("CUENTA");
}

// Exact accounts are compared trimmed too: a definition line stored as " 1103" sums 1103.
QString accountTest(const JournalSum &sum)
{
    return accountColumn(sum) + u" = " + quoted(sum.account.trimmed());
}

QString dateBaseQuery(const JournalSum &sum)
{
    return u"Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS "
           u" WHERE (EsResumen = 0) "
        + voucherClause(sum.voucherCodes) + unitClause(sum.unitCodes)
        + u" GROUP BY CUENTA, FECHA, [DEBE-HABER] ";
}

QString spanClause(const DateSpan &span)
{
    return u" AND FECHA >=" + quoted(dateText(span.from)) + u" AND Fecha <="
        + quoted(dateText(span.to));
}

QString businessUnitQuery(const JournalSum &sum)
{
    const QString column = accountColumn(sum);
    return u"Select " + column
        + u", [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, UNEGOCIO  From MV_ASIENTOS "
          u" WHERE (EsResumen = 0) "
        + voucherClause(sum.voucherCodes) + u" and  UNEGOCIO = " + quoted(sum.unit)
        + spanClause(sum.bucket) + u" GROUP BY " + column + u", [DEBE-HABER], UNEGOCIO ";
}

QString userAccountsClause(const JournalSum &sum)
{
    return sum.userAccountsOnly
        ? QStringLiteral(" and CUENTA IN (SELECT CODIGO FROM SS_MA_CUENTAS) ")
        : QString();
}

QString costCentreQuery(const JournalSum &sum)
{
    const QString column = accountColumn(sum);
    return u"Select " + column
        + u", [DEBE-HABER], SUM(IMPORTECC) AS IMPORTE, CCOSTO  From Vt_ASIENTOS_Ccosto "
          u" WHERE (EsResumen = 0) "
        + userAccountsClause(sum) + voucherClause(sum.voucherCodes) + unitClause(sum.unitCodes)
        + u" and  CCOSTO = " + quoted(sum.costCentre) + spanClause(sum.bucket) + u" GROUP BY "
        + column + u", [DEBE-HABER], CCOSTO ";
}

QString accountHaving(const JournalSum &sum)
{
    if (sum.titleAccount)
        return u" HAVING (" + accountTest(sum) + sum.side + u" )";
    return u" HAVING (" + accountTest(sum) + u" " + sum.side + u" )";
}

QString dailyHaving(const JournalSum &sum)
{
    const platform::Utilidades &util = platform::gUtil();
    const QString bounds = u" AND FECHA >=" + util.FechaSQL(sum.bucket.from) + u" AND Fecha <="
        + util.FechaSQL(sum.bucket.to);
    if (sum.titleAccount)
        return u" HAVING ( " + accountTest(sum) + bounds + sum.side + u" )";
    return u" HAVING (" + accountTest(sum) + bounds + u" " + sum.side + u" )";
}

// Periods share their boundary day, so every bucket but the last leaves its end day to the
// next one.
QString periodHaving(const JournalSum &sum)
{
    const QString endTest
        = sum.lastBucket ? QStringLiteral(" AND Fecha <=") : QStringLiteral(" AND Fecha <");
    return u" HAVING (" + accountTest(sum) + u" AND FECHA >=" + quoted(dateText(sum.bucket.from))
        + endTest + quoted(dateText(sum.bucket.to)) + sum.side + u" )";
}

// Every line up to the opening-balance day. A title account takes the lines of all the
// accounts it heads, as every other sum of a title account does.
QString openingBalanceHaving(const JournalSum &sum)
{
    return u" HAVING (" + accountTest(sum) + u" AND FECHA <=" + quoted(dateText(sum.bucket.from))
        + u" " + sum.side + u" )";
}

} // namespace

QString deleteWorkRowsStatement(const QString &key)
{
    return u"DELETE FROM AUX_PANELCTA WHERE USUARIO = " + quoted(key);
}

QString definitionRowsStatement(const QString &table, const QString &name)
{
    return u"select * from " + table + u" where nombre = " + quoted(name)
        + u" and EsRanking = 0 order by grupo,cuenta";
}

QString definitionGroupsStatement(const QString &name)
{
    return u"SELECT NOMBRE, GRUPO  From MA_PANELCTA  WHERE EsRanking = 0  GROUP BY NOMBRE, GRUPO "
           u"HAVING (NOMBRE = "
        + quoted(name) + u")";
}

QString businessUnitsStatement(const QString &unitCodes)
{
    const QString filter
        = unitCodes.isEmpty() ? QStringLiteral(" ") : u" where CODIGO IN (" + unitCodes + u") ";
    return u"select * from v_ta_unidadnegocio " + filter + u" order by codigo";
}

QString costCentresStatement(const QString &costCentreCodes)
{
    const QString filter = costCentreCodes.isEmpty()
        ? QStringLiteral(" ")
        : u" and CODIGO IN (" + costCentreCodes + u") ";
    // A cost centre without a title flag is a leaf, as the window's list shows it; leaving it
    // out would drop a selected centre from the report without a word.
    return u"select * from ta_CCOSTO Where (Titulo = 0 or Titulo is null) " + filter
        + u" order by codigo";
}

QString insertWorkRowStatement(const WorkRow &row)
{
    const QString values = quoted(row.key) + u',' + quoted(row.name) + u',' + quoted(row.group)
        + u',' + quoted(dateText(row.span.from)) + u',' + quoted(dateText(row.span.to)) + u",0";
    switch (row.kind) {
    case WorkRowKind::BusinessUnit:
        return u"INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1,Unegocio)"
               u"   Values  ("
            + values + u',' + quoted(row.code) + u')';
    case WorkRowKind::CostCentre:
        return u"INSERT INTO AUX_PANELCTA  (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1,CCOSTO)"
               u"   Values   ("
            + values + u',' + quoted(row.code) + u')';
    case WorkRowKind::Bucket:
        break;
    }
    return u"INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1)   Values  ("
        + values + u')';
}

QString insertWorkRowsStatement(const QList<WorkRow> &rows)
{
    QStringList statements;
    statements.reserve(rows.size());
    for (const WorkRow &row : rows)
        statements.append(insertWorkRowStatement(row));
    return statements.join(u'\n');
}

QString groupWorkRowsStatement(const QString &name, const QString &group, const QString &key)
{
    return u"Select * from Aux_PanelCta where Nombre = " + quoted(name) + u" and Grupo = "
        + quoted(group) + u" and usuario = " + quoted(key);
}

QString sideClause(bool debe, bool haber)
{
    if (debe && !haber)
        return QStringLiteral("AND [DEBE-HABER] = 'D'");
    if (haber && !debe)
        return QStringLiteral("AND [DEBE-HABER] = 'H'");
    return {};
}

QString journalSumStatement(const JournalSum &sum)
{
    if (sum.openingBalance)
        return dateBaseQuery(sum) + openingBalanceHaving(sum);
    switch (sum.grouping) {
    case Grouping::BusinessUnit:
        return businessUnitQuery(sum) + accountHaving(sum);
    case Grouping::CostCentre:
        return costCentreQuery(sum) + accountHaving(sum);
    case Grouping::Date:
        break;
    }
    return dateBaseQuery(sum) + (sum.periodicidad == Diario ? dailyHaving(sum) : periodHaving(sum));
}

QString positiveGroupsStatement(const QString &key)
{
    return u"Update AUX_PanelCta set ImporteG1 = Abs(ImporteG1), ImporteG2 = Abs(ImporteG2) "
           u"where Grupo LIKE '%(+)' and USUARIO = "
        + quoted(key);
}

QString negativeGroupsStatement(const QString &key)
{
    return u"Update AUX_PanelCta set ImporteG1 = ImporteG1 * -1, ImporteG2 = ImporteG2 * -1 "
           u"where Grupo like '%(-)' and usuario = "
        + quoted(key);
}

} // namespace statistics
