#pragma once

#include "platform/db/provider.h"

namespace platform::db::embedded {

class SqliteDatabase;

// The table column a rowset column shows; empty for an expression.
QString baseColumnOf(const UpdateTarget &target, const QVector<Column> &columns, int index);

// The values of the target's key columns in a row.
QVector<QVariant> keyOf(const UpdateTarget &target, const QVector<Column> &columns,
                        const QVector<QVariant> &row);

// Writes one row of an updatable rowset back to its table with bound parameters, and reads
// the row as stored (defaults and the new key included).
class RowWriter
{
public:
    RowWriter(SqliteDatabase &database, const UpdateTarget &target, const QVector<Column> &columns)
        : m_database(database), m_target(target), m_columns(columns)
    { }

    // Changes only the changed columns of the one row found by key, or by its original
    // values when the rowset has no key; a row no longer there is an error.
    WriteResult update(const QVector<QVariant> &key, const QVector<int> &changedColumns,
                       const QVector<QVariant> &originalRow, const QVector<QVariant> &row);
    WriteResult insert(const QVector<int> &assignedColumns, const QVector<QVariant> &row);

private:
    QString baseColumn(int index) const;
    QVector<int> allColumns() const;
    QVector<int> writable(const QVector<int> &indexes) const;
    QString returningClause(const QVector<int> &returned) const;
    QString rowLocator(QVector<QVariant> &parameters, const QVector<QVariant> &key,
                       const QVector<QVariant> &originalRow) const;
    WriteResult write(const QString &sql, const QVector<QVariant> &parameters,
                      const QVector<int> &returned, const QVector<QVariant> &row);

    SqliteDatabase &m_database;
    const UpdateTarget &m_target;
    const QVector<Column> &m_columns;
};

} // namespace platform::db::embedded
