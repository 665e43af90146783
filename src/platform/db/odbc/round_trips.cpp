#include "platform/db/odbc/round_trips.h"

#include "platform/db/odbc/updatable_query.h"

#include <algorithm>

namespace platform::db::odbc {

namespace {

// Expressions are never written: an edit of nothing else sends no statement.
bool writesAColumn(const UpdateTarget &target, const QVector<Column> &columns,
                   const QVector<int> &changedColumns)
{
    return std::any_of(changedColumns.cbegin(), changedColumns.cend(), [&](int index) {
        const QString name = target.baseColumns.isEmpty() ? columns.value(index).name
                                                          : target.baseColumns.value(index);
        return !name.isEmpty();
    });
}

} // namespace

CountingSession::CountingSession(std::unique_ptr<Session> inner) : m_inner(std::move(inner)) { }

void CountingSession::countQuery(bool returnedRows)
{
    ++m_trips.executes;
    if (returnedRows)
        ++m_trips.fetchBatches;
}

void CountingSession::countDescription(const QString &table)
{
    // The engine behind may spell a table otherwise than the queries do.
    const QString name = table.toLower();
    if (m_describedTables.contains(name))
        return;
    m_describedTables.insert(name);
    countQuery(true);
    countQuery(true);
}

ExecutionResult CountingSession::execute(const QString &text, bool updatable)
{
    if (mayChangeSchema(text))
        m_describedTables.clear();
    ExecutionResult result = m_inner->execute(text, updatable);
    countQuery(result.rowSet.has_value());
    // Rows that may be written back need the table's columns and primary key from the catalog,
    // once a table.
    if (updatable && result.rowSet && !result.failed()) {
        if (const std::optional<QString> table = singleSourceTable(text))
            countDescription(*table);
    }
    return result;
}

ExecutionResult CountingSession::openSchema(Schema schema, const QVariantList &restrictions)
{
    ExecutionResult result = m_inner->openSchema(schema, restrictions);
    countQuery(!result.failed());
    return result;
}

WriteResult CountingSession::updateRow(const UpdateTarget &target, const QVector<Column> &columns,
                                       const QVector<QVariant> &key,
                                       const QVector<int> &changedColumns,
                                       const QVector<QVariant> &originalRow,
                                       const QVector<QVariant> &row)
{
    WriteResult result = m_inner->updateRow(target, columns, key, changedColumns, originalRow, row);
    if (!writesAColumn(target, columns, changedColumns))
        return result;
    // Whether the row's key is the table's primary key; a change of schema since the rows
    // were read makes the catalog answer it again.
    countDescription(target.table);
    countQuery(false);
    return result;
}

WriteResult CountingSession::insertRow(const UpdateTarget &target, const QVector<Column> &columns,
                                       const QVector<int> &assignedColumns,
                                       const QVector<QVariant> &row)
{
    WriteResult result = m_inner->insertRow(target, columns, assignedColumns, row);
    countQuery(false);
    if (!result.failed())
        countQuery(true); // the row read back, with the defaults the server gave it
    return result;
}

QVector<ProviderError> CountingSession::setDefaultDatabase(const QString &name)
{
    ++m_trips.executes;
    return m_inner->setDefaultDatabase(name);
}

QString CountingSession::defaultDatabase() const
{
    return m_inner->defaultDatabase();
}

void CountingSession::setCommandTimeout(int seconds)
{
    m_inner->setCommandTimeout(seconds);
}

void CountingSession::setIsolationLevel(int level)
{
    m_inner->setIsolationLevel(level);
}

QVector<ProviderError> CountingSession::beginTransaction()
{
    ++m_trips.executes;
    return m_inner->beginTransaction();
}

QVector<ProviderError> CountingSession::commitTransaction()
{
    ++m_trips.commits;
    return m_inner->commitTransaction();
}

QVector<ProviderError> CountingSession::rollbackTransaction()
{
    ++m_trips.commits;
    return m_inner->rollbackTransaction();
}

} // namespace platform::db::odbc
