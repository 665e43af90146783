#include "platform/db/odbc/row_statements.h"

#include "platform/variant.h"

namespace platform::db::odbc {

RowStatements::RowStatements(const UpdateTarget &target, const QVector<Column> &columns,
                             QString quote)
    : m_target(target), m_columns(columns), m_quote(std::move(quote))
{ }

QString RowStatements::baseColumn(int index) const
{
    if (m_target.baseColumns.isEmpty())
        return m_columns.value(index).name;
    return m_target.baseColumns.value(index);
}

int RowStatements::rowsetIndex(const QString &tableColumn) const
{
    for (int index = 0; index < m_columns.size(); ++index) {
        if (baseColumn(index).compare(tableColumn, Qt::CaseInsensitive) == 0)
            return index;
    }
    return -1;
}

QString RowStatements::quoted(const QString &name) const
{
    if (m_quote.isEmpty())
        return name;
    QString escaped = name;
    escaped.replace(m_quote, m_quote + m_quote);
    return m_quote + escaped + m_quote;
}

void RowStatements::appendKeyCondition(const QVector<QVariant> &key,
                                       BoundStatement &statement) const
{
    QStringList conditions;
    for (int keyIndex = 0; keyIndex < m_target.keyColumns.size(); ++keyIndex) {
        const QString &name = m_target.keyColumns.at(keyIndex);
        const QVariant value = key.value(keyIndex);
        if (isNullOrEmpty(value)) {
            conditions.append(quoted(name) + QLatin1String(" IS NULL"));
            continue;
        }
        conditions.append(quoted(name) + QLatin1String(" = ?"));
        statement.values.append(value);
        statement.columns.append(m_columns.value(rowsetIndex(name)));
    }
    statement.text += QLatin1String(" WHERE ") + conditions.join(QLatin1String(" AND "));
}

QStringList RowStatements::bindColumns(const QVector<int> &indexes, const QVector<QVariant> &row,
                                       BoundStatement &statement) const
{
    QStringList names;
    for (const int index : indexes) {
        const QString name = baseColumn(index);
        if (name.isEmpty())
            continue;
        names.append(quoted(name));
        statement.values.append(row.value(index));
        statement.columns.append(m_columns.value(index));
    }
    return names;
}

BoundStatement RowStatements::update(const QVector<QVariant> &key,
                                     const QVector<int> &changedColumns,
                                     const QVector<QVariant> &row) const
{
    BoundStatement statement;
    const QStringList names = bindColumns(changedColumns, row, statement);
    if (names.isEmpty())
        return {};
    statement.text = QLatin1String("UPDATE ") + m_target.table + QLatin1String(" SET ")
        + names.join(QLatin1String(" = ?, ")) + QLatin1String(" = ?");
    appendKeyCondition(key, statement);
    return statement;
}

BoundStatement RowStatements::count(const QVector<QVariant> &key) const
{
    BoundStatement statement;
    statement.text = QLatin1String("SELECT COUNT(*) FROM ") + m_target.table;
    appendKeyCondition(key, statement);
    return statement;
}

BoundStatement RowStatements::select(const QVector<QVariant> &key) const
{
    BoundStatement statement;
    statement.text = QLatin1String("SELECT * FROM ") + m_target.table;
    appendKeyCondition(key, statement);
    return statement;
}

BoundStatement RowStatements::insert(const QVector<int> &assignedColumns,
                                     const QVector<QVariant> &row) const
{
    BoundStatement statement;
    const QStringList names = bindColumns(assignedColumns, row, statement);
    statement.text = QLatin1String("INSERT INTO ") + m_target.table;
    if (names.isEmpty()) {
        statement.text += QLatin1String(" DEFAULT VALUES");
        return statement;
    }
    const QStringList markers(names.size(), QStringLiteral("?"));
    statement.text += QLatin1String(" (") + names.join(QLatin1String(", "))
        + QLatin1String(") VALUES (") + markers.join(QLatin1String(", ")) + QLatin1Char(')');
    return statement;
}

QVector<QVariant> RowStatements::keyOf(const QVector<QVariant> &row) const
{
    QVector<QVariant> key;
    for (const QString &name : m_target.keyColumns)
        key.append(row.value(rowsetIndex(name), nullVariant()));
    return key;
}

QVector<QVariant> RowStatements::inRowsetOrder(const QVector<Column> &tableColumns,
                                               const QVector<QVariant> &tableRow,
                                               const QVector<QVariant> &row) const
{
    QVector<QVariant> ordered = row;
    for (int index = 0; index < m_columns.size(); ++index) {
        const QString name = baseColumn(index);
        for (int tableIndex = 0; !name.isEmpty() && tableIndex < tableColumns.size();
             ++tableIndex) {
            if (tableColumns.at(tableIndex).name.compare(name, Qt::CaseInsensitive) == 0)
                ordered[index] = tableRow.value(tableIndex);
        }
    }
    return ordered;
}

} // namespace platform::db::odbc
