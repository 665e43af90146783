#include "data/sql_rewriting.h"

#include "platform/db/ado.h"
#include "platform/error.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/variant.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>
#include <array>
#include <optional>

namespace data {

using platform::containsIgnoringCase;
using platform::indexOfIgnoringCase;
using platform::replaceIgnoringCase;

namespace {

const QString kAdminMarker = QStringLiteral("@Admin_");

// ---- Lookup statements ---------------------------------------------------------------------

// The searched value's leading number, written with "." as the decimal point: the server reads
// SQL numbers that way whatever the user's regional settings.
QString searchedNumberText(const QString &value)
{
    platform::RegionalSettings pointDecimal = platform::regionalSettings();
    pointDecimal.decimalSeparator = QLatin1Char('.');
    return platform::regionalNumberText(platform::leadingNumber(value), pointDecimal).trimmed();
}

QString quotedText(const QString &value)
{
    return QLatin1Char('\'') + escapeSqlQuotes(value) + QLatin1Char('\'');
}

// The test of the searched value, after " WHERE ". A date stands as the ready literal given.
QString valueTest(SearchKind kind, const QString &campo, const QString &valor, bool trimmedText)
{
    switch (kind) {
    case SearchKind::Text:
        if (trimmedText)
            return QStringLiteral("LTRIM(RTRIM(") + campo + QStringLiteral(")) =")
                + quotedText(valor.trimmed());
        return campo + QStringLiteral(" =") + quotedText(valor);
    case SearchKind::Date:
        return campo + QStringLiteral(" = ") + valor.trimmed() + QLatin1Char(' ');
    case SearchKind::Number:
        return campo + QStringLiteral(" = ") + searchedNumberText(valor);
    case SearchKind::Other:
        break;
    }
    return campo + QStringLiteral(" = ") + valor;
}

// What differs between the two existence statements.
struct ExistenceText
{
    QString select; // "SELECT TOP 1 " or "SELECT "
    QString afterTable; // the blanks between " with(nolock)" and the value test's "WHERE "
    QString beforeFilter; // what stands between the table and a caller's condition
    bool trimmedText; // a text compares the trimmed column with the trimmed value
};

const ExistenceText &existenceText(ExistenceForm form)
{
    static const ExistenceText firstRow{QStringLiteral("SELECT TOP 1 "), QStringLiteral("  "),
                                        QStringLiteral(" with(nolock) "), true};
    static const ExistenceText allRows{QStringLiteral("SELECT "), QStringLiteral("   "),
                                       QStringLiteral(" with(nolock)  "), false};
    return form == ExistenceForm::FirstRowTrimmed ? firstRow : allRows;
}

struct ColumnText
{
    QString function; // "MAX" or "MIN"
    QString alias; // "MAYOR" or "MENOR"
    QString afterTable; // the hint that follows the table name
    bool trimsCondition;
};

const ColumnText &columnText(ColumnAggregate aggregate)
{
    static const ColumnText maximum{QStringLiteral("MAX"), QStringLiteral("MAYOR"), QString(),
                                    true};
    static const ColumnText minimum{QStringLiteral("MIN"), QStringLiteral("MENOR"),
                                    QStringLiteral("  with(nolock) "), true};
    static const ColumnText lastCode{QStringLiteral("MAX"), QStringLiteral("MAYOR"), QString(),
                                     false};
    switch (aggregate) {
    case ColumnAggregate::Maximum:
        return maximum;
    case ColumnAggregate::Minimum:
        return minimum;
    case ColumnAggregate::LastCode:
        break;
    }
    return lastCode;
}

// ---- Restricted synonyms ----------------------------------------------------------------------

// Sibling programs of the suite that work on the unrestricted depot or family views.
const QStringList kStockPrograms = {QStringLiteral("ST_MOVSTOCK"), QStringLiteral("ST_INVENTARIO")};
const QStringList kFamilyPrograms
    = {QStringLiteral("VT_PRECIOS"), QStringLiteral("VT_LISTAPRECIOS")};

struct RestrictedName
{
    QString name;
    QString synonym;
    const QStringList *exemptPrograms = nullptr;
};

const std::array<RestrictedName, 7> &restrictedNames()
{
    static const std::array<RestrictedName, 7> names = {{
        {QStringLiteral("MA_CUENTAS"), QStringLiteral("SS_MA_CUENTAS")},
        {QStringLiteral("V_TA_DEPOSITO"), QStringLiteral("SS_V_TA_DEPOSITO"), &kStockPrograms},
        {QStringLiteral("MV_ASIENTOS"), QStringLiteral("SS_MV_ASIENTOS")},
        {QStringLiteral("V_TA_FAMILIAS"), QStringLiteral("SS_V_TA_FAMILIAS"), &kFamilyPrograms},
        {QStringLiteral("V_TA_CAJAS"), QStringLiteral("SS_V_TA_CAJAS")},
        {QStringLiteral("AC_CUENTASDIARIO"), QStringLiteral("SS_AC_CUENTASDIARIO")},
        // The database's synonym really is spelt with the extra underscore.
        {QStringLiteral("AC_CUENTASDIARIO_CCOSTO"), QStringLiteral("SS_AC_CUENTAS_DIARIO_CCOSTO")},
    }};
    return names;
}

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@')
        || c == QLatin1Char('#') || c == QLatin1Char('$');
}

std::optional<QString> synonymFor(QStringView identifier, const QString &programName)
{
    for (const RestrictedName &restricted : restrictedNames()) {
        if (identifier.compare(restricted.name, Qt::CaseInsensitive) != 0)
            continue;
        if (restricted.exemptPrograms
            && restricted.exemptPrograms->contains(programName, Qt::CaseInsensitive))
            return std::nullopt;
        return restricted.synonym;
    }
    return std::nullopt;
}

// Where the comment starting at i ends (past its closing mark or line break), or -1 when no
// comment starts there.
qsizetype commentEnd(const QString &sql, qsizetype i)
{
    const QStringView rest = QStringView(sql).mid(i);
    if (rest.startsWith(QLatin1String("--"))) {
        const qsizetype lineEnd = sql.indexOf(QLatin1Char('\n'), i);
        return lineEnd < 0 ? sql.size() : lineEnd + 1;
    }
    if (rest.startsWith(QLatin1String("/*"))) {
        const qsizetype close = sql.indexOf(QLatin1String("*/"), i + 2);
        return close < 0 ? sql.size() : close + 2;
    }
    return -1;
}

// Whole identifiers only, and never inside a quoted text: a restricted name must not slip
// through because of the character next to it, and a value that happens to spell a table name
// must reach the server unchanged. Comments are passed over whole, so a quote in one cannot
// hide the names after it. "@Admin_" glues to the name, so a marked name is never matched here
// and keeps its unrestricted table.
QString replaceRestrictedNames(const QString &sql, const QString &programName)
{
    QString out;
    out.reserve(sql.size() + 16);
    bool inQuotedText = false;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (const qsizetype end = inQuotedText ? -1 : commentEnd(sql, i); end >= 0) {
            out += QStringView(sql).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char('\'')) {
            inQuotedText = !inQuotedText;
            out += c;
            ++i;
            continue;
        }
        if (inQuotedText || !isIdentifierChar(c)) {
            out += c;
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < sql.size() && isIdentifierChar(sql.at(end)))
            ++end;
        const QStringView identifier = QStringView(sql).mid(i, end - i);
        if (const auto synonym = synonymFor(identifier, programName))
            out += *synonym;
        else
            out += identifier;
        i = end;
    }
    return out;
}

// ---- Oracle dialect ---------------------------------------------------------------------------

const QString kDateStyle = QStringLiteral("'DD/MM/YYYY'");

// The columns the suite stores as dates; a condition on one of them compares day precision.
const QStringList &dateColumns()
{
    static const QStringList columns = {
        QStringLiteral("FECHA"),
        QStringLiteral("FECHAD"),
        QStringLiteral("FECHAH"),
        QStringLiteral("VENCIMIENTO"),
        QStringLiteral("FECHASUBDIARIO"),
        QStringLiteral("FECHAENTREGA"),
        QStringLiteral("FECHA_A_VENCER"),
        QStringLiteral("FECHA_DMR"),
        QStringLiteral("INGRESO"),
        QStringLiteral("EGRESO"),
        QStringLiteral("FECHAHORA_GRABACION"),
        QStringLiteral("FECHAHORA_MODIFICACION"),
        QStringLiteral("FECHA_COMPRA"),
        QStringLiteral("FECHA_REVALUACION"),
        QStringLiteral("VENCIMIENTO_REGISTRO"),
        QStringLiteral("VENCIMIENTO_SEGURO"),
        QStringLiteral("VTO_VTV"),
        QStringLiteral("VTO_C_VERDE"),
        QStringLiteral("VTO_SEGURO"),
        QStringLiteral("FECHAAVISO"),
        QStringLiteral("FECHAALARMA"),
        QStringLiteral("FECHALEIDO"),
        QStringLiteral("FECHAPRESENTACION"),
        QStringLiteral("FECHAVTOPRESENTACION"),
        QStringLiteral("FECHA_CIERRE"),
        QStringLiteral("FECHAMOV"),
        QStringLiteral("FECHA_DESDE"),
        QStringLiteral("FECHA_HASTA"),
        QStringLiteral("FECHA_ALTA"),
        QStringLiteral("FECHA_MODIFICACION"),
        QStringLiteral("\"FECHA DESDE\""),
        QStringLiteral("\"FECHA HASTA\""),
        QStringLiteral("FECHA_INICIO"),
        QStringLiteral("FECHA_FINALIZACION"),
        QStringLiteral("FECHA_RENDICION"),
        QStringLiteral("ACARGODESDE"),
        QStringLiteral("FECHACASAMIENTO"),
        QStringLiteral("FECHAINGRESO"),
        QStringLiteral("FECHANACIMIENTO"),
        QStringLiteral("FECHAINGRESOANTERIOR"),
        QStringLiteral("FECHAEGRESO"),
        QStringLiteral("VENCECONTRATO"),
        QStringLiteral("FECHAALTA"),
        QStringLiteral("PDESDE"),
        QStringLiteral("PHASTA"),
        QStringLiteral("FECHAPROCESO"),
        QStringLiteral("FECHAHORAENTREVISTA"),
        QStringLiteral("FECHAOPERATIVA"),
        QStringLiteral("FECHAPAGO"),
        QStringLiteral("FECHAHORA"),
        QStringLiteral("FECHASOLICITUD"),
        QStringLiteral("FECHACARGA"),
        QStringLiteral("FECHACOMPROMETIDO"),
        QStringLiteral("FECHAORDENCPRA"),
        QStringLiteral("VENCEM"),
        QStringLiteral("VENCER"),
        QStringLiteral("FECHA_GRABACION"),
        QStringLiteral("FHOFERTADESDE"),
        QStringLiteral("FHOFERTAHASTA"),
        QStringLiteral("FHOPERATIVA"),
        QStringLiteral("FHALTA"),
        QStringLiteral("FHCIERRE"),
        QStringLiteral("COT_FECHA"),
        QStringLiteral("FECHAESTINCIO"),
        QStringLiteral("FECHAESTFIN"),
        QStringLiteral("FECHAFINALIZACION"),
        QStringLiteral("FECHAENTREGA"),
        QStringLiteral("FECHAENCPTE"),
        QStringLiteral("FECHAINCIO"),
        QStringLiteral("FECHAFIN"),
        QStringLiteral("FECHAREALINICIO"),
        QStringLiteral("FECHAREALFIN"),
        QStringLiteral("FECHAINVIADO"),
        QStringLiteral("FECHARECIBIDO"),
        QStringLiteral("ACTUALIZADO"),
        QStringLiteral("FECHA_ANULACION"),
        QStringLiteral("DIAMOLIENDA"),
        QStringLiteral("DIAMEZCLA"),
        QStringLiteral("FECHAEMISION"),
        QStringLiteral("FINALIZADO"),
        QStringLiteral("SINCRONIZADO"),
        QStringLiteral("VENCEA"),
        QStringLiteral("VENCEB"),
        QStringLiteral("VENCEC"),
        QStringLiteral("VENCEE"),
        QStringLiteral("VENCEX"),
    };
    return columns;
}

const QString kTokenSeparators = QStringLiteral(" <>\"=()");

QString withRowLimit(const QString &sql)
{
    const qsizetype top = indexOfIgnoringCase(sql, QStringLiteral("top"));
    const QString before = sql.left(top);
    const QString afterTop = sql.mid(top + 3).trimmed();
    const qsizetype blank = afterTop.indexOf(QLatin1Char(' '));
    const QString rowCount = blank < 0 ? afterTop : afterTop.left(blank);
    QString body = blank < 0 ? QString() : afterTop.mid(blank + 1);

    QString groupTail;
    QString orderTail;
    if (const qsizetype at = indexOfIgnoringCase(sql, QStringLiteral(" GROUP BY ")); at >= 0)
        groupTail = sql.mid(at);
    else if (const qsizetype at = indexOfIgnoringCase(sql, QStringLiteral("ORDER BY ")); at >= 0)
        orderTail = sql.mid(at);
    if (const QString tail = QString(groupTail + orderTail).trimmed(); !tail.isEmpty())
        body = replaceIgnoringCase(body, tail, QStringLiteral(" "));

    const QString limit = (containsIgnoringCase(sql, QStringLiteral(" WHERE "))
                               ? QStringLiteral(" AND ROWNUM <= ")
                               : QStringLiteral(" WHERE ROWNUM <= "))
        + rowCount;
    return before + QLatin1Char(' ') + body + QLatin1Char(' ') + limit + QLatin1Char(' ')
        + groupTail + QLatin1Char(' ') + orderTail;
}

QString withLengthFunction(QString sql)
{
    for (const QString &call :
         {QStringLiteral(" LEN("), QStringLiteral(" LEN ("), QStringLiteral(" LEN  ("),
          QStringLiteral(" LEN   ("), QStringLiteral(" LEN    (")})
        sql = replaceIgnoringCase(sql, call, QStringLiteral(" LENGTH("));
    return sql;
}

// Where the quoted text opened at open ends: just past its closing apostrophe, a doubled one
// standing for a quote inside the value; the whole rest when it is never closed.
qsizetype quotedTextEnd(QStringView rest, qsizetype open)
{
    for (qsizetype i = open + 1; i < rest.size(); ++i) {
        if (rest.at(i) != QLatin1Char('\''))
            continue;
        if (i + 1 < rest.size() && rest.at(i + 1) == QLatin1Char('\''))
            ++i;
        else
            return i + 1;
    }
    return rest.size();
}

// The front token of a condition: a quoted identifier or text whole, anything else up to and
// including the nearest separator after its first character. A quoted text is never cut, even
// where it follows a comparison without a blank: its blanks and signs belong to the value.
qsizetype tokenLength(QStringView rest)
{
    const QChar first = rest.front();
    if (first == QLatin1Char('"')) {
        const qsizetype close = rest.indexOf(first, 1);
        return close < 0 ? rest.size() : close + 1;
    }
    if (first == QLatin1Char('\''))
        return quotedTextEnd(rest, 0);
    for (qsizetype i = 1; i < rest.size(); ++i) {
        if (rest.at(i) == QLatin1Char('\''))
            i = quotedTextEnd(rest, i) - 1;
        else if (kTokenSeparators.contains(rest.at(i)))
            return i + 1;
    }
    return rest.size();
}

QString wrappedDateColumn(const QString &column)
{
    return QStringLiteral("TO_DATE(TO_CHAR(") + column + QLatin1Char(',') + kDateStyle
        + QStringLiteral("),") + kDateStyle + QLatin1Char(')');
}

// Oracle keeps a time in its dates; comparing at day precision matches what the SQL Server
// side stores and compares.
QString withDateColumnsCompared(const QString &sql)
{
    const qsizetype where = indexOfIgnoringCase(sql, QStringLiteral(" WHERE "));
    if (where < 0)
        return sql;
    const QString head = sql.left(where).trimmed();
    QString rest = sql.mid(where).trimmed();
    QString out;
    while (!rest.trimmed().isEmpty()) {
        // Blanks before a token are trimmed from it anyway; skipping them first keeps a quoted
        // text that follows a blank whole, inner blanks included.
        qsizetype start = 0;
        while (rest.at(start) == QLatin1Char(' '))
            ++start;
        const qsizetype length = tokenLength(QStringView(rest).mid(start));
        QString token = rest.mid(start, length).trimmed();
        rest = rest.mid(start + length);
        if (dateColumns().contains(token, Qt::CaseInsensitive))
            token = wrappedDateColumn(token);
        out += QLatin1Char(' ') + token;
    }
    return head + out;
}

QString dateLiteral(const QDate &date)
{
    return QStringLiteral("TO_DATE('") + date.toString(QStringLiteral("dd/MM/yyyy"))
        + QStringLiteral("',") + kDateStyle + QLatin1Char(')');
}

// Each quoted text is converted where it stands, so a literal is never wrapped twice; a
// literal the statement already hands to TO_DATE is unwrapped back to one call.
QString withDateLiterals(const QString &sql)
{
    QString out;
    qsizetype copied = 0;
    for (qsizetype open = sql.indexOf(QLatin1Char('\'')); open >= 0;) {
        const qsizetype close = sql.indexOf(QLatin1Char('\''), open + 1);
        if (close < 0)
            throw platform::Error(platform::errors::InvalidProcedureCall,
                                  QStringLiteral("Llamada a procedimiento o argumento no válido"));
        if (const auto date = platform::parseRegionalDate(sql.mid(open + 1, close - open - 1))) {
            out += QStringView(sql).mid(copied, open - copied);
            out += dateLiteral(*date);
            copied = close + 1;
        }
        open = sql.indexOf(QLatin1Char('\''), close + 1);
    }
    out += QStringView(sql).mid(copied);

    static const QRegularExpression nested(
        QStringLiteral(R"(TO_DATE\(TO_DATE\(('[^']*','DD/MM/YYYY')\),'DD/MM/YYYY'\))"),
        QRegularExpression::CaseInsensitiveOption);
    while (out.contains(nested))
        out.replace(nested, QStringLiteral("TO_DATE(\\1)"));
    return out;
}

// Oracle stores the empty text as NULL, so "= ''" would never match.
QString withEmptyTextsAsNull(const QString &sql)
{
    const qsizetype where = indexOfIgnoringCase(sql, QStringLiteral("WHERE "));
    if (where < 0)
        return sql;
    QString condition
        = replaceIgnoringCase(sql.mid(where), QStringLiteral("= ''"), QStringLiteral(" IS NULL "));
    condition = replaceIgnoringCase(condition, QStringLiteral("=''"), QStringLiteral(" IS NULL "));
    return sql.left(where) + condition;
}

// SQL Server's CONVERT style 103 (dd/mm/yyyy) becomes the TO_CHAR format it stands for.
QString withDateStyle103(QString sql)
{
    static const QString toChar = QStringLiteral("TO_CHAR(");
    for (qsizetype at = sql.indexOf(QLatin1String("103")); at >= 0;
         at = sql.indexOf(QLatin1String("103"), at + 1)) {
        const qsizetype paren = sql.lastIndexOf(QLatin1Char('('), at);
        const qsizetype callStart = paren + 1 - toChar.size();
        if (paren >= 0 && callStart >= 0
            && QStringView(sql).mid(callStart, toChar.size()).compare(toChar, Qt::CaseInsensitive)
                == 0)
            sql.replace(at, 3, kDateStyle);
    }
    return sql;
}

} // namespace

SearchKind searchKindOf(const QVariant &typeCode)
{
    bool isNumber = false;
    const int code = platform::isNullOrEmpty(typeCode) ? 0 : typeCode.toInt(&isNumber);
    if (!isNumber)
        return SearchKind::Other;
    switch (code) {
    case platform::db::adBSTR:
        return SearchKind::Text;
    case platform::db::adDate:
        return SearchKind::Date;
    case platform::db::adInteger:
    case platform::db::adDouble:
    case platform::db::adSingle:
        return SearchKind::Number;
    default:
        return SearchKind::Other;
    }
}

QString existenceStatement(ExistenceForm form, const QString &tabla, const QString &valorBuscado,
                           const QString &campo, const QVariant &tipodato, const QString &condicion)
{
    const ExistenceText &text = existenceText(form);
    if (!condicion.isEmpty()) {
        const bool hasWhere = containsIgnoringCase(condicion, QStringLiteral(" WHERE "));
        return text.select + QStringLiteral("* FROM ") + tabla + text.beforeFilter
            + (hasWhere ? QStringLiteral(" ") : QStringLiteral(" WHERE ")) + condicion;
    }
    const SearchKind kind = searchKindOf(tipodato);
    const bool trimmedText = kind == SearchKind::Text && text.trimmedText;
    return text.select + (trimmedText ? QStringLiteral(" * FROM ") : QStringLiteral("* FROM "))
        + tabla + QStringLiteral(" with(nolock)") + text.afterTable + QStringLiteral("WHERE ")
        + valueTest(kind, campo, valorBuscado, trimmedText);
}

QString fieldLookupStatement(const QString &tabla, const QString &valorBuscado,
                             const QString &campo, const QVariant &tipodato,
                             const QString &condicion, bool usaTrim)
{
    const SearchKind kind = searchKindOf(tipodato);
    // The program's one date literal, which every server reads the same way.
    const QString value = kind == SearchKind::Date
        ? platform::gUtil().FechaSQL(valorBuscado.trimmed())
        : valorBuscado;
    QString statement = QStringLiteral("SELECT TOP 1 * FROM ") + tabla
        + QStringLiteral(" with(nolock)  WHERE ") + valueTest(kind, campo, value, usaTrim)
        + (kind == SearchKind::Text ? QStringLiteral(" ") : QString());
    if (!condicion.trimmed().isEmpty())
        statement += QStringLiteral(" AND ") + condicion;
    return statement;
}

// " WHERE " only for a condition with something in it, so an empty one never leaves a
// dangling WHERE.
QString columnLookupStatement(ColumnAggregate aggregate, const QString &queTabla,
                              const QString &queCampo, const QString &condicion)
{
    const ColumnText &text = columnText(aggregate);
    QString statement = QStringLiteral("SELECT ") + text.function + QLatin1Char('(') + queCampo
        + QStringLiteral(") AS ") + text.alias + QStringLiteral(" FROM ") + queTabla
        + text.afterTable;
    if (!condicion.trimmed().isEmpty())
        statement
            += QStringLiteral(" WHERE ") + (text.trimsCondition ? condicion.trimmed() : condicion);
    return statement;
}

QString removeAdminMarker(const QString &sql)
{
    return replaceIgnoringCase(sql, kAdminMarker, QString());
}

QString applyRestrictedSynonyms(const QString &sql, const SynonymPolicy &policy)
{
    if (policy.isAdministrator)
        return removeAdminMarker(sql);
    if (containsIgnoringCase(sql, QStringLiteral("MV_ASIENTOS")) && !restrictsJournal(policy))
        return removeAdminMarker(sql);
    return removeAdminMarker(replaceRestrictedNames(sql, policy.programName));
}

bool restrictsJournal(const SynonymPolicy &policy)
{
    return !policy.isAdministrator && policy.confidentiality;
}

QString toOracleDialect(const QString &sql)
{
    if (platform::gUtil().CantidadPalabras(sql) <= 1)
        return platform::equalsIgnoringCase(sql, QStringLiteral("LEN")) ? QStringLiteral("LENGTH")
                                                                        : sql;
    QString out = sql;
    if (containsIgnoringCase(sql, QStringLiteral("top ")))
        out = withRowLimit(sql);
    out = withLengthFunction(out);
    out.replace(QLatin1Char('['), QLatin1Char('"')).replace(QLatin1Char(']'), QLatin1Char('"'));
    out = withDateColumnsCompared(out);
    out = withDateLiterals(out);
    out = replaceIgnoringCase(out, QStringLiteral("Charindex"), QStringLiteral("InStr"));
    out = replaceIgnoringCase(out, QStringLiteral("CONVERT(NVARCHAR,"), QStringLiteral("TO_CHAR("));
    out = replaceIgnoringCase(out, QStringLiteral("CONVERT(INT,"), QStringLiteral("TO_NUMBER("));
    out = withEmptyTextsAsNull(out);
    out = withDateStyle103(out);
    out = replaceIgnoringCase(out, QStringLiteral("SUBSTRING("), QStringLiteral("SUBSTR("));
    return replaceIgnoringCase(out, QStringLiteral("ISNULL("), QStringLiteral("NVL("));
}

} // namespace data
