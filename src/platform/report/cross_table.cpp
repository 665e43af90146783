#include "platform/report/cross_table.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/text.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>

namespace platform::report {

namespace {

bool isDateKey(const QVariant &key)
{
    const auto type = key.metaType().id();
    return type == QMetaType::QDate || type == QMetaType::QDateTime;
}

bool isNumberKey(const QVariant &key)
{
    return isCurrency(key) || key.metaType().id() == QMetaType::Double
        || key.metaType().id() == QMetaType::Int || key.metaType().id() == QMetaType::LongLong;
}

double numberOf(const QVariant &key)
{
    return isCurrency(key) ? key.value<Currency>().toDouble() : key.toDouble();
}

// Null keys first, then dates, numbers and texts, each in its own order.
bool keyLess(const QVariant &a, const QVariant &b)
{
    const auto rank = [](const QVariant &key) {
        if (isNullOrEmpty(key))
            return 0;
        if (isDateKey(key))
            return 1;
        return isNumberKey(key) ? 2 : 3;
    };
    if (rank(a) != rank(b))
        return rank(a) < rank(b);
    switch (rank(a)) {
    case 1:
        return a.toDateTime() < b.toDateTime();
    case 2:
        return numberOf(a) < numberOf(b);
    case 3:
        return compareIgnoringCase(a.toString(), b.toString()) < 0;
    default:
        return false;
    }
}

bool keyEqual(const QVariant &a, const QVariant &b)
{
    return !keyLess(a, b) && !keyLess(b, a);
}

QVector<QVariant> distinctSorted(QVector<QVariant> keys)
{
    std::stable_sort(keys.begin(), keys.end(), keyLess);
    keys.erase(std::unique(keys.begin(), keys.end(), keyEqual), keys.end());
    return keys;
}

int indexOfKey(const QVector<QVariant> &sortedKeys, const QVariant &key)
{
    const auto it = std::lower_bound(sortedKeys.begin(), sortedKeys.end(), key, keyLess);
    return int(it - sortedKeys.begin());
}

Currency amountOf(const QVariant &value)
{
    if (isNullOrEmpty(value))
        return {};
    if (isCurrency(value))
        return value.value<Currency>();
    return Currency::fromDouble(value.toDouble());
}

} // namespace

QString keyLabel(const QVariant &key)
{
    if (isNullOrEmpty(key))
        return {};
    if (isDateKey(key))
        return formatShortDate(key.toDate());
    if (isNumberKey(key))
        return regionalNumberText(numberOf(key));
    return key.toString().trimmed();
}

bool CrossTable::hasCell(int row, int column) const
{
    return m_cells.at(row).at(column).present;
}

Currency CrossTable::cell(int row, int column) const
{
    return m_cells.at(row).at(column).amount;
}

void CrossTable::addUpTotals()
{
    m_rowTotals.fill(Currency{}, rowCount());
    m_columnTotals.fill(Currency{}, columnCount());
    for (int row = 0; row < rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            m_rowTotals[row] += cell(row, column);
            m_columnTotals[column] += cell(row, column);
        }
        m_grandTotal += m_rowTotals.at(row);
    }
}

void CrossTableBuilder::add(const QVariant &rowKey, const QVariant &columnKey, Currency amount)
{
    m_entries.append({rowKey, columnKey, amount});
}

CrossTable CrossTableBuilder::build() const
{
    QVector<QVariant> rowKeys;
    QVector<QVariant> columnKeys;
    for (const Entry &entry : m_entries) {
        rowKeys.append(entry.rowKey);
        columnKeys.append(entry.columnKey);
    }
    rowKeys = distinctSorted(rowKeys);
    columnKeys = distinctSorted(columnKeys);

    CrossTable table;
    for (const QVariant &key : rowKeys)
        table.m_rowLabels.append(keyLabel(key));
    for (const QVariant &key : columnKeys)
        table.m_columnLabels.append(keyLabel(key));
    table.m_cells.fill(QVector<CrossTable::Cell>(columnKeys.size()), rowKeys.size());
    for (const Entry &entry : m_entries) {
        auto &cell = table.m_cells[indexOfKey(rowKeys, entry.rowKey)]
                                  [indexOfKey(columnKeys, entry.columnKey)];
        cell.amount += entry.amount;
        cell.present = true;
    }
    table.addUpTotals();
    return table;
}

CrossTable loadCrossTable(const std::shared_ptr<db::Connection> &connection, const QString &table,
                          const QString &condition, const QString &rowColumn,
                          const QString &columnColumn, const QString &amountColumn)
{
    QString sql = QStringLiteral("SELECT %1, %2, %3 FROM %4 with(nolock)")
                      .arg(rowColumn, columnColumn, amountColumn, table);
    if (!condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + condition;

    db::Recordset rows;
    rows.open(sql, connection);
    CrossTableBuilder builder;
    for (; !rows.eof(); rows.moveNext())
        builder.add(rows.field(0).value(), rows.field(1).value(), amountOf(rows.field(2).value()));
    rows.close();
    return builder.build();
}

} // namespace platform::report
