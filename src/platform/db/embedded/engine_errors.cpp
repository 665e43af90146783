#include "platform/db/embedded/engine_errors.h"

#include "platform/db/embedded/sql_server_functions.h"
#include "platform/db/embedded/stored_money.h"

#include <sqlite3.h>

namespace platform::db::embedded {

namespace {

constexpr std::int32_t numericConversionFailed = 8114;
constexpr std::int32_t moneyConversionFailed = 235;

struct NativeClass
{
    std::int32_t nativeError;
    std::int32_t result;
    const char *sqlState;
};

constexpr NativeClass nativeClasses[] = {
    {native::DuplicateKey, hresult::IntegrityViolation, "23000"},
    {native::DuplicateIndexKey, hresult::IntegrityViolation, "23000"},
    {native::NullNotAllowed, hresult::IntegrityViolation, "23000"},
    {native::ReferenceConflict, hresult::IntegrityViolation, "23000"},
    {native::ExplicitIdentityValue, hresult::IntegrityViolation, "23000"},
    {native::StringTruncated, hresult::DataOverflow, "22001"},
    {native::InvalidObject, hresult::NoTable, "42S02"},
    {native::InvalidColumn, hresult::ErrorsInCommand, "42S22"},
    {native::ObjectExists, hresult::ErrorsInCommand, "42S01"},
    {native::IndexExists, hresult::ErrorsInCommand, "42S11"},
    {native::NoTransactionToCommit, hresult::ErrorsInCommand, "25000"},
    {native::NoTransactionToRollback, hresult::ErrorsInCommand, "25000"},
    {native::DateOutOfRange, hresult::CantConvertValue, "22007"},
    {native::ConversionFailed, hresult::CantConvertValue, "22018"},
    {numericConversionFailed, hresult::CantConvertValue, "22018"},
    {moneyConversionFailed, hresult::CantConvertValue, "22018"},
    {native::DivideByZero, hresult::ErrorsInCommand, "22012"},
    {native::MoneyOverflow, hresult::DataOverflow, "22003"},
    {native::LockTimeout, hresult::AbortLimitReached, "HYT00"},
    {native::CannotOpenDatabase, hresult::E_Fail, "42000"},
    {native::LoginFailed, hresult::AuthenticationFailed, "28000"},
    {native::Unsupported, hresult::NotSupported, "42000"},
};

bool isStatementLevel(std::int32_t nativeError)
{
    switch (nativeError) {
    case native::DuplicateKey:
    case native::DuplicateIndexKey:
    case native::NullNotAllowed:
    case native::ReferenceConflict:
    case native::StringTruncated:
        return true;
    default:
        return false;
    }
}

// The checks the DDL translation adds carry the kind of check in their name.
std::int32_t checkFailure(const QString &message)
{
    if (message.contains(QLatin1String("ck_len_"), Qt::CaseInsensitive))
        return native::StringTruncated;
    if (message.contains(QLatin1String("ck_type_"), Qt::CaseInsensitive))
        return native::ConversionFailed;
    return native::ReferenceConflict;
}

std::int32_t constraintFailure(int extendedCode, const QString &message)
{
    switch (extendedCode) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
        return native::DuplicateKey;
    case SQLITE_CONSTRAINT_NOTNULL:
        return native::NullNotAllowed;
    case SQLITE_CONSTRAINT_CHECK:
        return checkFailure(message);
    default:
        return native::ReferenceConflict;
    }
}

std::int32_t commandFailure(const QString &message)
{
    if (message == QLatin1String(divideByZeroMessage))
        return native::DivideByZero;
    if (message == QLatin1String(moneyOverflowMessage))
        return native::MoneyOverflow;
    if (message.startsWith(QLatin1String("Conversion failed when converting")))
        return native::ConversionFailed;
    if (message.startsWith(QLatin1String("Operand data type")))
        return native::InvalidOperand;
    if (message.startsWith(QString::fromUtf8(inexactNumberMessage)))
        return native::Unsupported;
    if (message == QLatin1String(moneySyntaxMessage))
        return moneyConversionFailed;
    if (message == QLatin1String(numericConversionMessage))
        return numericConversionFailed;
    if (message.startsWith(QLatin1String("no such table"))
        || message.startsWith(QLatin1String("no such view")))
        return native::InvalidObject;
    if (message.startsWith(QLatin1String("no such column"))
        || message.contains(QLatin1String("has no column named")))
        return native::InvalidColumn;
    if (message.contains(QLatin1String("already exists")))
        return message.startsWith(QLatin1String("index")) ? native::IndexExists
                                                          : native::ObjectExists;
    if (message.contains(QLatin1String("syntax error"))
        || message.startsWith(QLatin1String("incomplete input"))
        || message.startsWith(QLatin1String("no such function"))
        || message.startsWith(QLatin1String("wrong number of arguments")))
        return native::SyntaxError;
    return 0;
}

} // namespace

QString engineSource()
{
    return QStringLiteral("Motor embebido");
}

ProviderError engineError(std::int32_t nativeError, const QString &description)
{
    ProviderError error;
    error.number = hresult::ErrorsInCommand;
    error.sqlState = QStringLiteral("42000");
    for (const NativeClass &known : nativeClasses) {
        if (known.nativeError == nativeError) {
            error.number = known.result;
            error.sqlState = QLatin1String(known.sqlState);
        }
    }
    if (nativeError == 0)
        error.sqlState = QStringLiteral("HY000");
    error.nativeError = nativeError;
    error.description = description;
    error.source = engineSource();
    return error;
}

ProviderError sqliteError(sqlite3 *db, int resultCode)
{
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    switch (resultCode & 0xff) {
    case SQLITE_CONSTRAINT:
        return engineError(constraintFailure(resultCode, message), message);
    case SQLITE_MISMATCH:
        return engineError(native::ConversionFailed, message);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return engineError(
            native::LockTimeout,
            QStringLiteral("Lock request time out period exceeded (%1)").arg(message));
    case SQLITE_INTERRUPT:
        return commandTimedOut();
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
        return lostLink(message);
    default:
        return engineError(commandFailure(message), message);
    }
}

ProviderError statementTerminated(const ProviderError &error)
{
    ProviderError notice = error;
    notice.nativeError = native::StatementTerminated;
    notice.sqlState = QStringLiteral("01000");
    notice.description = QStringLiteral("The statement has been terminated.");
    return notice;
}

bool endsOnlyTheStatement(const ProviderError &error)
{
    return isStatementLevel(error.nativeError);
}

QVector<ProviderError> withNotice(const ProviderError &error)
{
    if (endsOnlyTheStatement(error))
        return {error, statementTerminated(error)};
    return {error};
}

ProviderError lostLink(const QString &description)
{
    ProviderError error = engineError(0, description);
    error.number = hresult::E_Fail;
    error.sqlState = QStringLiteral("08S01");
    return error;
}

ProviderError commandTimedOut()
{
    ProviderError error = engineError(0, QStringLiteral("Query timeout expired"));
    error.number = hresult::AbortLimitReached;
    error.sqlState = QStringLiteral("HYT00");
    return error;
}

} // namespace platform::db::embedded
