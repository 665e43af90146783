#pragma once

#include "platform/db/provider.h"

#include <QVariant>
#include <QVector>

// The statements that write one row of an updatable rowset back to its table. Values travel
// as parameters, never inside the text.
namespace platform::db::odbc {

struct BoundStatement
{
    QString text;
    QVector<QVariant> values; // one per "?" in the text
    QVector<Column> columns; // the column each value is bound as
};

class RowStatements
{
public:
    // quote: the driver's identifier quote, empty when it has none.
    RowStatements(const UpdateTarget &target, const QVector<Column> &columns, QString quote);

    // Writes the changed columns to the row the key locates.
    BoundStatement update(const QVector<QVariant> &key, const QVector<int> &changedColumns,
                          const QVector<QVariant> &row) const;
    // Counts the rows the key locates.
    BoundStatement count(const QVector<QVariant> &key) const;
    // Reads the rows the key locates, every column of the table.
    BoundStatement select(const QVector<QVariant> &key) const;
    BoundStatement insert(const QVector<int> &assignedColumns, const QVector<QVariant> &row) const;

    // The values of the key columns in a row of the rowset.
    QVector<QVariant> keyOf(const QVector<QVariant> &row) const;
    // A table row read with select(), in the rowset's column order; an expression column
    // keeps its value from row.
    QVector<QVariant> inRowsetOrder(const QVector<Column> &tableColumns,
                                    const QVector<QVariant> &tableRow,
                                    const QVector<QVariant> &row) const;

private:
    QString baseColumn(int index) const; // empty for an expression
    int rowsetIndex(const QString &tableColumn) const;
    QString quoted(const QString &name) const;
    // The quoted table names of the columns at indexes, their values from row bound in order;
    // expressions are left out.
    QStringList bindColumns(const QVector<int> &indexes, const QVector<QVariant> &row,
                            BoundStatement &statement) const;
    void appendKeyCondition(const QVector<QVariant> &key, BoundStatement &statement) const;

    const UpdateTarget &m_target;
    const QVector<Column> &m_columns;
    QString m_quote;
};

} // namespace platform::db::odbc
