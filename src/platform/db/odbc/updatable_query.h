#pragma once

#include <QString>
#include <optional>

// Which base table the rows of a query come from, so that edits can be written back to it.
namespace platform::db::odbc {

// The table a query reads when each of its rows is one row of that table: a SELECT from a
// single table (with an alias or a table hint), no join, union, grouping or DISTINCT. The
// name is returned as the query writes it.
std::optional<QString> singleSourceTable(const QString &query);

// Whether a statement text may change what the catalog says of a table: it holds a CREATE,
// ALTER or DROP.
bool mayChangeSchema(const QString &text);

// "catalog.schema.name" with its parts unquoted; missing parts are empty.
struct TableName
{
    QString catalog;
    QString schema;
    QString name;
};
TableName splitTableName(const QString &table);

} // namespace platform::db::odbc
