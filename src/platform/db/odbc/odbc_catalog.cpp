#include "platform/db/odbc/odbc_catalog.h"

#include "platform/db/odbc/odbc_values.h"
#include "platform/variant.h"

#include <algorithm>

namespace platform::db::odbc {

namespace {

// Result columns of the catalog functions (1-based, as ODBC numbers them).
constexpr int catalogColumn = 1;
constexpr int schemaColumn = 2;
constexpr int tableNameColumn = 3;
constexpr int tableTypeColumn = 4;
constexpr int columnNameColumn = 4;
constexpr int dataTypeColumn = 5;
constexpr int typeNameColumn = 6;
constexpr int columnSizeColumn = 7;
constexpr int decimalDigitsColumn = 9;
constexpr int nullableColumn = 11;
constexpr int ordinalColumn = 17;
constexpr int keySequenceColumn = 5;

// A catalog function's argument: a null pointer leaves it open; "" would mean "none".
SQLWCHAR *argument(const QString &value)
{
    return value.isEmpty() ? nullptr : wide(value);
}

SQLSMALLINT argumentLength(const QString &value)
{
    return value.isEmpty() ? 0 : SQLSMALLINT(SQL_NTS);
}

template<typename Call>
std::optional<RowSet> catalogRows(const Handle &connection, ErrorCollector &errors, Call call)
{
    const Handle statement(SQL_HANDLE_STMT, connection.get());
    if (!statement.isValid()) {
        errors.add(SQL_ERROR, connection);
        return std::nullopt;
    }
    const SQLRETURN rc = call(statement.get());
    errors.add(rc, statement);
    if (!SQL_SUCCEEDED(rc))
        return std::nullopt;
    SQLSMALLINT columnCount = 0;
    SQLNumResultCols(statement.get(), &columnCount);
    return fetchRowSet(statement, columnCount, errors);
}

// SQLTables and SQLColumns: catalog, schema and table, then a table type or a column name.
using CatalogFunction = SQLRETURN (*)(SQLHSTMT, SQLWCHAR *, SQLSMALLINT, SQLWCHAR *, SQLSMALLINT,
                                      SQLWCHAR *, SQLSMALLINT, SQLWCHAR *, SQLSMALLINT);

std::optional<RowSet> catalogRows(const Handle &connection, ErrorCollector &errors,
                                  CatalogFunction function, const TableName &table,
                                  const QString &last)
{
    return catalogRows(connection, errors, [&](SQLHSTMT statement) {
        return function(statement, argument(table.catalog), argumentLength(table.catalog),
                        argument(table.schema), argumentLength(table.schema), argument(table.name),
                        argumentLength(table.name), argument(last), argumentLength(last));
    });
}

QVariant cell(const QVector<QVariant> &row, int odbcColumn)
{
    return row.value(odbcColumn - 1);
}

QString restriction(const QVariantList &restrictions, int index)
{
    const QVariant value = restrictions.value(index);
    return isNullOrEmpty(value) ? QString() : value.toString();
}

// Drivers read table names as patterns ("_" matches any letter): rows are kept when each set
// restriction names their value exactly. A driver without catalogs or schemas leaves those
// empty, which contradicts no restriction.
bool matches(const QVariantList &restrictions, int index, const QVariant &value)
{
    const QString wanted = restriction(restrictions, index);
    if (wanted.isEmpty())
        return true;
    const QString actual = isNullOrEmpty(value) ? QString() : value.toString();
    if (actual.isEmpty() && index < 2)
        return true;
    return wanted.compare(actual, Qt::CaseInsensitive) == 0;
}

bool matchesAll(const QVariantList &restrictions, const QVector<QVariant> &row,
                std::initializer_list<int> odbcColumns)
{
    int index = 0;
    for (const int odbcColumn : odbcColumns) {
        if (!matches(restrictions, index++, cell(row, odbcColumn)))
            return false;
    }
    return true;
}

bool isTextType(DataType type)
{
    switch (type) {
    case adChar:
    case adVarChar:
    case adLongVarChar:
    case adWChar:
    case adVarWChar:
    case adLongVarWChar:
        return true;
    default:
        return false;
    }
}

RowSet tablesRowSet(const RowSet &odbcRows, const QVariantList &restrictions)
{
    RowSet rows;
    rows.columns = schemaRowsetColumns(adSchemaTables);
    for (const QVector<QVariant> &row : odbcRows.rows) {
        if (matchesAll(restrictions, row,
                       {catalogColumn, schemaColumn, tableNameColumn, tableTypeColumn}))
            rows.rows.append({cell(row, catalogColumn), cell(row, schemaColumn),
                              cell(row, tableNameColumn), cell(row, tableTypeColumn)});
    }
    return rows;
}

RowSet columnsRowSet(const RowSet &odbcRows, const QVariantList &restrictions)
{
    RowSet rows;
    rows.columns = schemaRowsetColumns(adSchemaColumns);
    for (const QVector<QVariant> &row : odbcRows.rows) {
        if (!matchesAll(restrictions, row,
                        {catalogColumn, schemaColumn, tableNameColumn, columnNameColumn}))
            continue;
        const bool nullable = cell(row, nullableColumn).toInt() != SQL_NO_NULLS;
        const Column column = columnFor(
            cell(row, columnNameColumn).toString(), SQLSMALLINT(cell(row, dataTypeColumn).toInt()),
            SQLULEN(qMax(0LL, cell(row, columnSizeColumn).toLongLong())),
            SQLSMALLINT(cell(row, decimalDigitsColumn).toInt()), nullable,
            cell(row, typeNameColumn).toString());
        const QVariant length
            = isTextType(column.type) ? QVariant(column.definedSize) : nullVariant();
        rows.rows.append({cell(row, catalogColumn), cell(row, schemaColumn),
                          cell(row, tableNameColumn), column.name, cell(row, ordinalColumn).toInt(),
                          nullable, int(column.type), length});
    }
    return rows;
}

} // namespace

ExecutionResult schemaRowset(const Handle &connection, Dialect dialect, Schema schema,
                             const QVariantList &restrictions)
{
    ErrorCollector errors(dialect);
    const TableName table{restriction(restrictions, 0), restriction(restrictions, 1),
                          restriction(restrictions, 2)};
    const QString last = restriction(restrictions, 3);
    ExecutionResult result;
    if (schema == adSchemaTables || schema == adSchemaColumns) {
        const bool tables = schema == adSchemaTables;
        const std::optional<RowSet> rows = catalogRows(
            connection, errors, tables ? CatalogFunction(SQLTablesW) : SQLColumnsW, table, last);
        if (rows)
            result.rowSet
                = tables ? tablesRowSet(*rows, restrictions) : columnsRowSet(*rows, restrictions);
    } else {
        ProviderError error;
        error.number = hresult::NotSupported;
        error.sqlState = QStringLiteral("HYC00");
        error.description = QStringLiteral("Esquema %1 no admitido.").arg(int(schema));
        error.source = QStringLiteral("ODBC");
        errors.add(error);
    }
    result.errors = errors.take();
    if (result.failed())
        result.rowSet.reset();
    return result;
}

QStringList tableColumns(const Handle &connection, const TableName &table, ErrorCollector &errors)
{
    const std::optional<RowSet> rows = catalogRows(connection, errors, SQLColumnsW, table, {});
    QStringList names;
    for (const QVector<QVariant> &row : rows.value_or(RowSet{}).rows) {
        if (cell(row, tableNameColumn).toString().compare(table.name, Qt::CaseInsensitive) == 0)
            names.append(cell(row, columnNameColumn).toString());
    }
    return names;
}

QStringList primaryKeyColumns(const Handle &connection, const TableName &table,
                              ErrorCollector &errors)
{
    auto rows = catalogRows(connection, errors, [&](SQLHSTMT statement) {
        return SQLPrimaryKeysW(statement, argument(table.catalog), argumentLength(table.catalog),
                               argument(table.schema), argumentLength(table.schema),
                               argument(table.name), argumentLength(table.name));
    });
    if (!rows)
        return {};
    std::stable_sort(rows->rows.begin(), rows->rows.end(), [](const auto &left, const auto &right) {
        return cell(left, keySequenceColumn).toInt() < cell(right, keySequenceColumn).toInt();
    });
    QStringList names;
    for (const QVector<QVariant> &row : rows->rows)
        names.append(cell(row, columnNameColumn).toString());
    return names;
}

} // namespace platform::db::odbc
