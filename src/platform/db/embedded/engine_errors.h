#pragma once

#include "platform/db/provider.h"

#include <cstdint>

struct sqlite3;

// How the embedded engine reports failures: as SQL Server would, with the OLE DB result code
// the program branches on, the server's native number and the SQL state.
namespace platform::db::embedded {

// The name shown as the source of every error the engine reports.
QString engineSource();

// An error with a SQL Server native number; the result code and SQL state follow from it.
ProviderError engineError(std::int32_t nativeError, const QString &description);

// The error SQLite reported for its last call on db, as SQL Server would have reported it.
ProviderError sqliteError(sqlite3 *db, int resultCode);

// The notice SQL Server adds after an error that ended only its statement.
ProviderError statementTerminated(const ProviderError &error);

// Errors that end their statement but let the rest of the batch run.
bool endsOnlyTheStatement(const ProviderError &error);

// The error as the Errors collection shows it: followed by the notice when it ended only
// its statement.
QVector<ProviderError> withNotice(const ProviderError &error);

// A database that vanished or cannot be read: the one case reported as E_FAIL.
ProviderError lostLink(const QString &description);

ProviderError commandTimedOut();

} // namespace platform::db::embedded
