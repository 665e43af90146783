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
// Money an expression works out with + - * or /, which SQLite does in binary doubles.
inline constexpr char computedMoneyFunction[] = "computed_money";
inline constexpr char moneyOverflowMessage[]
    = "Arithmetic overflow error converting expression to data type money.";
inline constexpr char moneySyntaxMessage[]
    = "Cannot convert a char value to money. The char value has incorrect syntax.";

// SQL Server's "+" joins texts and converts a text met by a number to that number's type, where
// SQLite would add both as numbers: plus(a, b) does what the server does with the values'
// types, raising the server's conversion errors.
inline constexpr char plusFunction[] = "plus";
inline constexpr char intConversionMessage[]
    = "Conversion failed when converting the varchar value '%1' to data type int.";
inline constexpr char numericConversionMessage[] = "Error converting data type varchar to numeric.";

// text_operand(value, other, 'subtract'): the value of one operand of "-", "*", "/" or "%",
// a text read as the other operand's type; two texts fail as the server refuses them.
inline constexpr char textOperandFunction[] = "text_operand";
inline constexpr char invalidOperandMessage[] = "Operand data type %1 is invalid for %2 operator.";

// The server averages whole numbers as whole numbers and money as money; SQLite's avg always
// gives a binary fraction.
inline constexpr char averageFunction[] = "average";
inline constexpr char moneyAverageFunction[] = "money_average";

// data_length(value, bytesPerCharacter, fixedLength): DATALENGTH of a value whose declared
// type the translation knows; a fixed length counts instead of the value's own.
inline constexpr char dataLengthFunction[] = "data_length";

// padded(value, n): a char(n) value as the server holds it, blank-padded to its length; the
// engine stores it without the blanks.
inline constexpr char paddedFunction[] = "padded";

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
// The first characters of UTF-8 text, as substring counts them.
QByteArrayView utf8Prefix(QByteArrayView text, qint64 characters);

} // namespace platform::db::embedded
