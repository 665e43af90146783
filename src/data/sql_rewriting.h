#pragma once

#include <QString>

// Text work on the SQL the program writes in the SQL Server dialect, done before it reaches a
// server: quoting values, the confidentiality synonyms and the Oracle dialect. Nothing here
// touches a database.
namespace data {

// The text with every single quote doubled, ready to stand between single quotes in a
// statement: "WHERE NOMBRE = '" + escapeSqlQuotes(name) + "'". Every value that goes between
// single quotes passes through here, so a quote in a value can never end the literal early.
inline QString escapeSqlQuotes(QString text)
{
    return text.replace(QLatin1Char('\''), QLatin1String("''"));
}

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

// The statement rewritten from the SQL Server dialect into Oracle's. Raises 5 (invalid
// argument) for a text with an unpaired apostrophe.
QString toOracleDialect(const QString &sql);

} // namespace data
