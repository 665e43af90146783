#pragma once

#include <QString>
#include <QVariant>

// Text work on the SQL the program writes in the SQL Server dialect, done before it reaches a
// server: quoting values, the statements of the single-value lookups, the confidentiality
// synonyms and the Oracle dialect. Nothing here touches a database.
namespace data {

// The text with every single quote doubled, ready to stand between single quotes in a
// statement: "WHERE NOMBRE = '" + escapeSqlQuotes(name) + "'". Every value that goes between
// single quotes passes through here, so a quote in a value can never end the literal early.
inline QString escapeSqlQuotes(QString text)
{
    return text.replace(QLatin1Char('\''), QLatin1String("''"));
}

// ---- Lookup statements -------------------------------------------------------------------------
// Callers and stored queries rely on these texts as they stand, blanks included.

// How a searched value is written, by its ADO type code: 8 text, 7 date, 3, 4 and 5 number;
// any other code, or none, as given.
enum class SearchKind { Text, Date, Number, Other };
SearchKind searchKindOf(const QVariant &typeCode);

// The existence test of a table: ExisteEnTabla takes the first row and compares texts trimmed,
// ExisteEnTablaST takes every row and compares texts as they are. A non-empty condition takes
// the place of the value test, after " WHERE " unless it already holds one.
enum class ExistenceForm { FirstRowTrimmed, AllRowsExact };
QString existenceStatement(ExistenceForm form, const QString &tabla, const QString &valorBuscado,
                           const QString &campo, const QVariant &tipodato,
                           const QString &condicion);

// The first row whose field holds the value; a non-empty condition is added with " AND ".
// Raises 13 when a date value is not a date.
QString fieldLookupStatement(const QString &tabla, const QString &valorBuscado,
                             const QString &campo, const QVariant &tipodato,
                             const QString &condicion, bool usaTrim);

// The largest or smallest value of a column, read as MAYOR or MENOR.
enum class ColumnAggregate { Maximum, Minimum, LastCode };
QString columnLookupStatement(ColumnAggregate aggregate, const QString &queTabla,
                              const QString &queCampo, const QString &condicion);

// ---- Confidentiality synonyms -------------------------------------------------------------------

// Removes every "@Admin_" marker, in any letter case: a name written with it always reaches
// the server as the plain, unrestricted name.
QString removeAdminMarker(const QString &sql);

// Who runs the statement, as far as the confidentiality scheme cares.
struct SynonymPolicy
{
    bool isAdministrator = false;
    bool confidentiality = false; // the configuration's "SS_CONFIDENCIALIDAD" is "SI"
    QString programName; // the executable's name; some siblings keep unrestricted views
};

// For a user who is not an administrator, points the restricted tables and views at their
// "SS_" synonyms; for everyone, resolves the "@Admin_" marker.
QString applyRestrictedSynonyms(const QString &sql, const SynonymPolicy &policy);

// Whether applyRestrictedSynonyms points the journal (MV_ASIENTOS) at its restricted synonym.
bool restrictsJournal(const SynonymPolicy &policy);

// ---- Oracle dialect ----------------------------------------------------------------------------

// The statement rewritten from the SQL Server dialect into Oracle's. Raises 5 (invalid
// argument) for a text with an unpaired apostrophe.
QString toOracleDialect(const QString &sql);

} // namespace data
