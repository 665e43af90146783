#pragma once

#include "platform/db/odbc/odbc_handles.h"
#include "platform/db/provider.h"

#include <cstdint>

// How the diagnostics of an ODBC driver become the Errors the program reads: the server's
// native number and SQL state as given, and the OLE DB result code the program branches on.
namespace platform::db::odbc {

// The server behind a connection, as far as error numbers and statement texts differ.
enum class Dialect { SqlServer, Oracle, Other };

// From the driver's SQL_DBMS_NAME.
Dialect dialectFromDbmsName(const QString &dbmsName);

std::int32_t resultCodeFor(Dialect dialect, const QString &sqlState, std::int32_t nativeError);

// Collects the errors of the calls of one operation, in order. Informational messages stay
// out; SQL Server's notice that a statement was ended stays with the error that ended it.
class ErrorCollector
{
public:
    explicit ErrorCollector(Dialect dialect) : m_dialect(dialect) { }

    // The diagnostics of a call that returned rc.
    void add(SQLRETURN rc, const QVector<DiagnosticRecord> &records);
    void add(SQLRETURN rc, const Handle &handle) { add(rc, diagnostics(handle)); }
    void add(const ProviderError &error) { m_errors.append(error); }

    bool hasErrors() const { return !m_errors.isEmpty(); }
    QVector<ProviderError> take() { return std::exchange(m_errors, {}); }

private:
    ProviderError toError(const DiagnosticRecord &record) const;

    Dialect m_dialect;
    QVector<ProviderError> m_errors;
};

} // namespace platform::db::odbc
