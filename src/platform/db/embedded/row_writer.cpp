#include "platform/db/embedded/row_writer.h"

#include "platform/db/embedded/column_types.h"
#include "platform/db/embedded/engine_errors.h"
#include "platform/db/embedded/sqlite_database.h"
#include "platform/db/embedded/stored_money.h"
#include "platform/variant.h"

#include <numeric>
#include <sqlite3.h>

namespace platform::db::embedded {

namespace {

QString quoted(const QString &identifier)
{
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

ProviderError rowNotLocated()
{
    ProviderError error;
    error.number = ado::RowNotLocated;
    error.description = QStringLiteral("Row cannot be located for updating. Some values may have "
                                       "been changed since it was last read.");
    error.source = engineSource();
    return error;
}

// A value the column stores as given, so that reading it back would only repeat it: money
// into money and a text into text. Anything else goes through the column's conversion.
bool storedAsGiven(const QVariant &value, const Column &column)
{
    if (isCurrency(value))
        return column.type == adCurrency;
    return value.typeId() == QMetaType::QString && !value.toString().isEmpty()
        && isTextType(column.type);
}

// An amount the engine would store as a neighbour is refused before anything is written.
std::optional<ProviderError> inexactAmount(const QVector<QVariant> &row,
                                           const QVector<int> &written)
{
    for (int index : written) {
        if (!isCurrency(row[index]))
            continue;
        const Currency amount = row[index].value<Currency>();
        if (!keptExactly(amount.scaled))
            return engineError(native::Unsupported, inexactNumberDescription(amount.toString()));
    }
    return std::nullopt;
}

bool sameValue(const QVariant &left, const QVariant &right)
{
    return !isNullOrEmpty(left) && left.metaType() == right.metaType() && left == right;
}

} // namespace

QString baseColumnOf(const UpdateTarget &target, const QVector<Column> &columns, int index)
{
    return target.baseColumns.isEmpty() ? columns[index].name : target.baseColumns[index];
}

QVector<QVariant> keyOf(const UpdateTarget &target, const QVector<Column> &columns,
                        const QVector<QVariant> &row)
{
    QVector<QVariant> key;
    for (const QString &keyColumn : target.keyColumns) {
        for (int i = 0; i < columns.size(); ++i) {
            if (baseColumnOf(target, columns, i).compare(keyColumn, Qt::CaseInsensitive) == 0) {
                key.append(row[i]);
                break;
            }
        }
    }
    return key;
}

QString RowWriter::baseColumn(int index) const
{
    return baseColumnOf(m_target, m_columns, index);
}

QVector<int> RowWriter::allColumns() const
{
    QVector<int> indexes(m_columns.size());
    std::iota(indexes.begin(), indexes.end(), 0);
    return indexes;
}

QVector<int> RowWriter::writable(const QVector<int> &indexes) const
{
    QVector<int> result;
    for (int index : indexes) {
        if (!baseColumn(index).isEmpty())
            result.append(index);
    }
    return result;
}

QString RowWriter::returningClause(const QVector<int> &returned) const
{
    QStringList names;
    for (int index : returned)
        names.append(quoted(baseColumn(index)));
    return QStringLiteral(" RETURNING ") + names.join(QStringLiteral(", "));
}

QString RowWriter::rowLocator(QVector<QVariant> &parameters, const QVector<QVariant> &key,
                              const QVector<QVariant> &originalRow) const
{
    QStringList conditions;
    if (!m_target.keyColumns.isEmpty()) {
        for (int i = 0; i < m_target.keyColumns.size(); ++i) {
            conditions.append(quoted(m_target.keyColumns[i]) + QStringLiteral(" = ?"));
            parameters.append(key.value(i));
        }
        return conditions.join(QStringLiteral(" AND "));
    }
    for (int i = 0; i < m_columns.size(); ++i) {
        if (baseColumn(i).isEmpty())
            continue;
        conditions.append(quoted(baseColumn(i)) + QStringLiteral(" IS ?"));
        parameters.append(originalRow[i]);
    }
    // Two identical rows: exactly one of them changes.
    return QStringLiteral("rowid = (SELECT rowid FROM %1 WHERE %2 LIMIT 1)")
        .arg(quoted(m_target.table), conditions.join(QStringLiteral(" AND ")));
}

WriteResult RowWriter::update(const QVector<QVariant> &key, const QVector<int> &changedColumns,
                              const QVector<QVariant> &originalRow, const QVector<QVariant> &row)
{
    QVector<int> changed;
    for (int index : writable(changedColumns)) {
        if (!sameValue(row[index], originalRow.value(index)))
            changed.append(index);
    }
    if (changed.isEmpty())
        return {{}, key, row};
    if (const std::optional<ProviderError> error = inexactAmount(row, changed))
        return {{*error}, {}, {}};
    QStringList assignments;
    QVector<QVariant> parameters;
    bool readBack = false;
    for (int index : changed) {
        assignments.append(quoted(baseColumn(index)) + QStringLiteral(" = ?"));
        parameters.append(row[index]);
        readBack = readBack || !storedAsGiven(row[index], m_columns[index]);
    }
    const QString locator = rowLocator(parameters, key, originalRow);
    // The engine has neither triggers nor computed columns: an update changes no column but
    // the ones it sets, so those are all it may need to read back.
    const QString sql
        = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
              .arg(quoted(m_target.table), assignments.join(QStringLiteral(", ")), locator)
        + (readBack ? returningClause(changed) : QString());
    return write(sql, parameters, readBack ? changed : QVector<int>(), row);
}

WriteResult RowWriter::insert(const QVector<int> &assignedColumns, const QVector<QVariant> &row)
{
    const QVector<int> assigned = writable(assignedColumns);
    const QVector<int> returned = writable(allColumns());
    if (const std::optional<ProviderError> error = inexactAmount(row, assigned))
        return {{*error}, {}, {}};
    const QString returning = returningClause(returned);
    if (assigned.isEmpty()) {
        return write(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_target.table))
                         + returning,
                     {}, returned, row);
    }
    QStringList names;
    QStringList placeholders;
    QVector<QVariant> parameters;
    for (int index : assigned) {
        names.append(quoted(baseColumn(index)));
        placeholders.append(QStringLiteral("?"));
        parameters.append(row[index]);
    }
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(quoted(m_target.table), names.join(QStringLiteral(", ")),
                                 placeholders.join(QStringLiteral(", ")))
        + returning;
    return write(sql, parameters, returned, row);
}

WriteResult RowWriter::write(const QString &sql, const QVector<QVariant> &parameters,
                             const QVector<int> &returned, const QVector<QVariant> &row)
{
    WriteResult result;
    std::optional<ProviderError> error;
    PreparedStatement statement = m_database.prepare(sql, error);
    if (error) {
        result.errors = {*error};
        return result;
    }
    for (int i = 0; i < parameters.size(); ++i)
        bindValue(statement.get(), i + 1, parameters[i]);
    int rc = stepStatement(statement.get());
    if (rc == SQLITE_DONE && returned.isEmpty() && sqlite3_changes(m_database.handle()) > 0) {
        result.storedRow = row;
        result.key = keyOf(m_target, m_columns, row);
        return result;
    }
    if (rc == SQLITE_ROW) {
        result.storedRow = row;
        for (int i = 0; i < returned.size(); ++i) {
            const int index = returned[i];
            result.storedRow[index] = readTypedValue(statement.get(), i, m_columns[index].type);
        }
        result.key = keyOf(m_target, m_columns, result.storedRow);
        rc = stepStatement(statement.get());
    } else if (rc == SQLITE_DONE) {
        result.errors = {rowNotLocated()};
        return result;
    }
    if (rc != SQLITE_DONE)
        result.errors = withNotice(m_database.lastError(rc));
    return result;
}

} // namespace platform::db::embedded
