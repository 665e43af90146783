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

// The rows as fetched, before the expression columns are typed by their values: a part of
// them, typed then, is what the same statement with fewer rows would give.
struct FetchedRows
{
    QVector<Column> columns;
    QVector<bool> typedByDeclaration;
    QVector<QVector<QVariant>> rows;
};
FetchedRows fetchRows(sqlite3_stmt *statement, int &resultCode,
                      const QVector<int> &moneyColumns = {});
// The columns fetchRows gives, without stepping the statement.
FetchedRows fetchedColumns(sqlite3_stmt *statement, const QVector<int> &moneyColumns = {});
// The columns typed by declaration as fetched; the others typed by the values of `rows`.
RowSet typedRowSet(const FetchedRows &fetched, QVector<QVector<QVariant>> rows);

} // namespace platform::db::embedded
