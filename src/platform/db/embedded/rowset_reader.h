#pragma once

#include "platform/db/provider.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform::db::embedded {

// Fetches every row of a statement that was just prepared: the client cursor's rowset, its
// columns typed by their declared SQL Server types (by their values for expressions). With
// updatable set, a rowset whose columns all come from one table gets that table as its update
// target. moneyColumns are read as money, as SQL Server types them, whatever their values.
// resultCode receives SQLITE_DONE or the error that stopped the fetch.
RowSet readRowSet(sqlite3 *db, sqlite3_stmt *statement, bool updatable, int &resultCode,
                  const QVector<int> &moneyColumns = {});

} // namespace platform::db::embedded
