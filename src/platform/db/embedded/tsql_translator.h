#pragma once

#include "platform/regional_settings.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <functional>
#include <optional>

// Translation of the SQL Server dialect the program writes into statements the embedded
// engine runs on SQLite. Pure text work: nothing here touches a database.
namespace platform::db::embedded {

// One statement of a translated batch.
struct EngineStatement
{
    enum class Kind {
        Sql, // `sql` runs on SQLite
        NoOp, // accepted and does nothing (SET NOCOUNT, grants, role changes)
        UseDatabase, // arguments: database name
        CreateDatabase, // arguments: database name, collation ("" when none)
        AddLogin, // arguments: login, password, default database
        SetDateFormat, // dateOrder
        BeginTransaction,
        CommitTransaction,
        RollbackTransaction,
        ConditionalSql, // IF [NOT] EXISTS (condition) statement: see condition, negated
        Fail, // raises `error` when reached (a bad date literal, for one)
    };

    Kind kind = Kind::Sql;
    QString sql; // Kind::Sql and ConditionalSql: the SQLite text to run
    QString condition; // ConditionalSql: a SQLite query whose first row, if any, means "exists"
    bool negated = false;
    QStringList arguments;
    DateOrder dateOrder = DateOrder::DayMonthYear;
    std::int32_t nativeError = 0; // Kind::Fail
    QString message; // Kind::Fail
    QString original; // the statement's own T-SQL text, for messages
    QVector<int> moneyColumns; // Kind::Sql: result columns that are money whatever they hold
};

// Why a batch cannot run at all: SQL Server compiles a batch before running any of it.
struct TranslationError
{
    std::int32_t nativeError = 102; // 102 syntax, 50000 unsupported construct
    QString message;
};

struct TranslatedBatch
{
    QVector<EngineStatement> statements;
    std::optional<TranslationError> error;
};

// What the translator needs to know of the current database.
struct TranslationContext
{
    // True for the name of any date or date-time column of the current database (compared
    // without regard to case). Columns a CREATE TABLE of the same batch declares count too.
    std::function<bool(const QString &column)> isDateColumn;
    // True for the name of a column that is text in every table that has it.
    std::function<bool(const QString &column)> isTextColumn;
    // True for the name of a column that is money in every table that has it.
    std::function<bool(const QString &column)> isMoneyColumn;
    // True when an index of the table begins with the column under the collation (names
    // compared without regard to case).
    std::function<bool(const QString &table, const QString &column, const QString &collation)>
        leadsIndex;
    // The column's declared type where every table having it declares the same, else "".
    std::function<QString(const QString &column)> declaredType;
    // True for the IDENTITY column of the table (names compared without regard to case).
    std::function<bool(const QString &table, const QString &column)> isIdentityColumn;
    DateOrder dateOrder = DateOrder::DayMonthYear; // how d/m/y literals are read
    QString textCollation = QStringLiteral("TSQL_CI_AS"); // for new text columns and literals
};

TranslatedBatch translateBatch(const QString &tsql, const TranslationContext &context);

// A date literal as the engine stores it, "YYYY-MM-DD HH:MM:SS"; nullopt when the text is not
// a valid date in one of the accepted forms (d/m/yyyy, d/m/yy, with an optional time,
// YYYYMMDD, YYYY-MM-DD[ hh:mm[:ss]]; the empty text is 1900-01-01).
std::optional<QString> canonicalDateTime(const QString &literal, DateOrder order);

} // namespace platform::db::embedded
