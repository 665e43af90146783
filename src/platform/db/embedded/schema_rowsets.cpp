#include "platform/db/embedded/schema_rowsets.h"

#include "platform/db/embedded/column_types.h"
#include "platform/db/embedded/engine_errors.h"
#include "platform/db/embedded/sqlite_database.h"
#include "platform/variant.h"

#include <sqlite3.h>

namespace platform::db::embedded {

namespace {

const QString schemaName = QStringLiteral("dbo");

struct SchemaObject
{
    QString name;
    QString type; // "TABLE" or "VIEW"
};

// An unset restriction (Empty, Null or an empty text) lets every value through.
bool passes(const QVariantList &restrictions, int index, const QString &value)
{
    const QVariant restriction = restrictions.value(index);
    if (isNullOrEmpty(restriction) || restriction.toString().isEmpty())
        return true;
    return restriction.toString().compare(value, Qt::CaseInsensitive) == 0;
}

QString columnText(sqlite3_stmt *statement, int index)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, index)));
}

QVector<SchemaObject> schemaObjects(SqliteDatabase &database)
{
    QVector<SchemaObject> objects;
    std::optional<ProviderError> error;
    PreparedStatement statement = database.prepare(
        QStringLiteral("SELECT name, upper(type) FROM sqlite_schema WHERE type IN ('table', "
                       "'view') AND substr(name, 1, 7) <> 'sqlite_' ORDER BY type, name"),
        error);
    while (statement && stepStatement(statement.get()) == SQLITE_ROW)
        objects.append({columnText(statement.get(), 0), columnText(statement.get(), 1)});
    return objects;
}

RowSet tables(SqliteDatabase &database, const QString &catalog, const QVariantList &restrictions)
{
    RowSet rows;
    rows.columns = schemaRowsetColumns(adSchemaTables);
    for (const SchemaObject &object : schemaObjects(database)) {
        if (passes(restrictions, 2, object.name) && passes(restrictions, 3, object.type))
            rows.rows.append({catalog, schemaName, object.name, object.type});
    }
    return rows;
}

RowSet columns(SqliteDatabase &database, const QString &catalog, const QVariantList &restrictions)
{
    RowSet rows;
    rows.columns = schemaRowsetColumns(adSchemaColumns);
    for (const SchemaObject &object : schemaObjects(database)) {
        if (!passes(restrictions, 2, object.name))
            continue;
        std::optional<ProviderError> error;
        PreparedStatement statement = database.prepare(
            QStringLiteral("SELECT cid, name, type, \"notnull\" FROM pragma_table_info(?)"), error);
        if (!statement)
            continue;
        bindValue(statement.get(), 1, object.name);
        while (stepStatement(statement.get()) == SQLITE_ROW) {
            const QString name = columnText(statement.get(), 1);
            if (!passes(restrictions, 3, name))
                continue;
            const Column column = declaredColumn(name, columnText(statement.get(), 2))
                                      .value_or(Column{name, adVarWChar, 0});
            const QVariant length
                = isTextType(column.type) ? QVariant(column.definedSize) : nullVariant();
            rows.rows.append(
                {catalog, schemaName, object.name, name, sqlite3_column_int(statement.get(), 0) + 1,
                 sqlite3_column_int(statement.get(), 3) == 0, int(column.type), length});
        }
    }
    return rows;
}

} // namespace

ExecutionResult schemaRowset(SqliteDatabase &database, const QString &catalog, Schema schema,
                             const QVariantList &restrictions)
{
    ExecutionResult result;
    switch (schema) {
    case adSchemaTables:
        result.rowSet = tables(database, catalog, restrictions);
        break;
    case adSchemaColumns:
        result.rowSet = columns(database, catalog, restrictions);
        break;
    default:
        result.errors.append(
            engineError(native::Unsupported,
                        QStringLiteral("Sentencia no soportada por el motor embebido: esquema %1")
                            .arg(int(schema))));
        return result;
    }
    if (!passes(restrictions, 0, catalog) || !passes(restrictions, 1, schemaName))
        result.rowSet->rows.clear();
    return result;
}

} // namespace platform::db::embedded
