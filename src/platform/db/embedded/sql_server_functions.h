#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

struct sqlite3;

// What SQL Server gives the program's SQL and SQLite lacks: its default collations and the
// few built-in functions the program and its scripts call.
namespace platform::db::embedded {

inline constexpr char accentSensitiveCollation[] = "TSQL_CI_AS";
inline constexpr char accentInsensitiveCollation[] = "TSQL_CI_AI";

// The statements' divisors pass through this function, which raises SQL Server's error where
// SQLite would divide by zero into a Null.
inline constexpr char divisorFunction[] = "nonzero_divisor";
inline constexpr char divideByZeroMessage[] = "Divide by zero error encountered.";

// SQL Server's money is a decimal of four places; SQLite keeps it as a binary fraction. Sums of
// money go through money_sum, which adds in units of 1/10,000 exactly, and money expressions
// stored or shown through money, which rounds to those units.
inline constexpr char moneySumFunction[] = "money_sum";
inline constexpr char moneyFunction[] = "money";
inline constexpr char moneyOverflowMessage[]
    = "Arithmetic overflow error converting expression to data type money.";

// prefix_equals(value, n, 'literal', accentSensitive) stands for a prefix test
// substring(value, 1, n) = 'literal' under TSQL_CI_AS (1) or TSQL_CI_AI (0), with the same result.
inline constexpr char prefixEqualsFunction[] = "prefix_equals";

// What the functions need to know of the session they run in; it must outlive the database
// handle they are registered on.
struct FunctionContext
{
    QString login; // system_user()
    bool accentInsensitive = false; // LIKE and CHARINDEX in a database created CI_AI
};

// Registers the collations TSQL_CI_AS and TSQL_CI_AI and the functions len, like (replacing
// SQLite's ASCII-only one), upper, lower, getdate, charindex, system_user and the divisor check.
// ISNULL is a keyword of SQLite's grammar and cannot be a function name there: SQLite's IFNULL is
// the same.
void registerSqlServerFunctions(sqlite3 *db, FunctionContext *context);

// The collations' order: case never counts, trailing blanks never count, accents count only
// when accentSensitive (and then only between texts that are otherwise equal).
int compareText(QStringView left, QStringView right, bool accentSensitive);

// The collations' own order of UTF-8 texts, as the engine's statements compare them, and the
// prefix test prefix_equals stands for.
int compareUtf8(QByteArrayView left, QByteArrayView right, bool accentSensitive);
bool prefixEqualsUtf8(QByteArrayView value, qint64 characters, QByteArrayView literal,
                      bool accentSensitive);

} // namespace platform::db::embedded
