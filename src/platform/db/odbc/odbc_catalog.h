#pragma once

#include "platform/db/odbc/odbc_errors.h"
#include "platform/db/odbc/odbc_handles.h"
#include "platform/db/odbc/updatable_query.h"
#include "platform/db/provider.h"

// The server's catalog through ODBC's catalog functions.
namespace platform::db::odbc {

// The tables (20) or columns (4) rowset in the shape ADO gives it, restricted by catalog,
// schema, table name and then table type or column name; an unset restriction lets every
// row through.
ExecutionResult schemaRowset(const Handle &connection, Dialect dialect, Schema schema,
                             const QVariantList &restrictions);

// The names of a table's columns, in their order.
QStringList tableColumns(const Handle &connection, const TableName &table, ErrorCollector &errors);

// The columns of a table's primary key, in key order; empty when it has none.
QStringList primaryKeyColumns(const Handle &connection, const TableName &table,
                              ErrorCollector &errors);

} // namespace platform::db::odbc
