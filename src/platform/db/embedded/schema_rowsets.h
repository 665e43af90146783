#pragma once

#include "platform/db/provider.h"

namespace platform::db::embedded {

class SqliteDatabase;

// The schema rowsets of the current database, as a server's catalog describes it: tables
// and views (20) and their columns (4), filtered by the restrictions CATALOG, SCHEMA, then
// TABLE_NAME and, for tables, TABLE_TYPE or, for columns, COLUMN_NAME.
ExecutionResult schemaRowset(SqliteDatabase &database, const QString &catalog, Schema schema,
                             const QVariantList &restrictions);

} // namespace platform::db::embedded
