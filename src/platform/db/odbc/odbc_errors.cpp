#include "platform/db/odbc/odbc_errors.h"

#include <QRegularExpression>
#include <algorithm>

namespace platform::db::odbc {

namespace {

bool isInformational(const DiagnosticRecord &record)
{
    return record.sqlState.startsWith(QLatin1String("01"));
}

std::int32_t sqlServerResultCode(std::int32_t nativeError)
{
    switch (nativeError) {
    case native::DuplicateKey:
    case native::DuplicateIndexKey:
    case native::ReferenceConflict:
    case native::NullNotAllowed:
        return hresult::IntegrityViolation;
    case native::InvalidObject:
        return hresult::NoTable;
    case native::StringTruncated:
        return hresult::DataOverflow;
    case 241: // conversion of a text to a date failed
    case native::DateOutOfRange:
    case native::ConversionFailed:
    case 8114: // conversion to a numeric type failed
    case 8115: // arithmetic overflow
        return hresult::CantConvertValue;
    case native::CannotOpenDatabase:
        return hresult::E_Fail;
    case native::LoginFailed:
        return hresult::AuthenticationFailed;
    default:
        return hresult::ErrorsInCommand;
    }
}

std::int32_t resultCodeByState(const QString &sqlState)
{
    if (sqlState.startsWith(QLatin1String("23")))
        return hresult::IntegrityViolation;
    if (sqlState == QLatin1String("42S02"))
        return hresult::NoTable;
    return hresult::ErrorsInCommand;
}

// "[unixODBC][FreeTDS][SQL Server]text": the bracketed names say who reported the message.
std::pair<QString, QString> splitReporter(const QString &message)
{
    static const QRegularExpression reporters(QStringLiteral("^(?:\\[[^\\]]*\\])+"));
    const QRegularExpressionMatch match = reporters.match(message);
    if (!match.hasMatch())
        return {QStringLiteral("ODBC"), message};
    return {match.captured(), message.mid(match.capturedLength()).trimmed()};
}

} // namespace

Dialect dialectFromDbmsName(const QString &dbmsName)
{
    if (dbmsName.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive))
        return Dialect::SqlServer;
    if (dbmsName.contains(QLatin1String("Oracle"), Qt::CaseInsensitive))
        return Dialect::Oracle;
    return Dialect::Other;
}

std::int32_t resultCodeFor(Dialect dialect, const QString &sqlState, std::int32_t nativeError)
{
    if (sqlState.startsWith(QLatin1String("08")))
        return hresult::E_Fail;
    if (sqlState == QLatin1String("HYT00") || sqlState == QLatin1String("HYT01"))
        return hresult::AbortLimitReached;
    if (sqlState == QLatin1String("28000"))
        return hresult::AuthenticationFailed;
    if (dialect == Dialect::SqlServer)
        return sqlServerResultCode(nativeError);
    return resultCodeByState(sqlState);
}

ProviderError ErrorCollector::toError(const DiagnosticRecord &record) const
{
    ProviderError error;
    error.number = resultCodeFor(m_dialect, record.sqlState, record.nativeError);
    error.sqlState = record.sqlState;
    error.nativeError = record.nativeError;
    std::tie(error.source, error.description) = splitReporter(record.message);
    return error;
}

void ErrorCollector::add(SQLRETURN rc, const QVector<DiagnosticRecord> &records)
{
    const bool failed = rc == SQL_ERROR || rc == SQL_INVALID_HANDLE;
    const bool namesAnError = std::any_of(records.cbegin(), records.cend(), [](const auto &record) {
        return !isInformational(record);
    });
    for (const DiagnosticRecord &record : records) {
        if (!isInformational(record)) {
            m_errors.append(toError(record));
        } else if (record.nativeError == native::StatementTerminated && !m_errors.isEmpty()) {
            ProviderError notice = toError(record);
            notice.number = m_errors.constLast().number;
            m_errors.append(notice);
        } else if (failed && !namesAnError) {
            // The driver manager reports some failures, a driver library it cannot load among
            // them, with a warning state only; the call failed all the same.
            m_errors.append(toError(record));
        }
    }
    if (failed && records.isEmpty()) {
        ProviderError error;
        error.number = hresult::ErrorsInCommand;
        error.sqlState = QStringLiteral("HY000");
        error.description = QStringLiteral("El controlador ODBC informó un error sin detalle.");
        error.source = QStringLiteral("ODBC");
        m_errors.append(error);
    }
}

} // namespace platform::db::odbc
