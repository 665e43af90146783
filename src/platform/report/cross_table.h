#pragma once

#include "platform/variant.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

namespace platform::db {
class Connection;
}

namespace platform::report {

// The amounts of a report laid out as groups (rows) by buckets (columns). A cell that no row
// of the selection filled is absent, not zero: it prints blank.
class CrossTable
{
public:
    const QVector<QString> &rowLabels() const { return m_rowLabels; }
    const QVector<QString> &columnLabels() const { return m_columnLabels; }
    int rowCount() const { return int(m_rowLabels.size()); }
    int columnCount() const { return int(m_columnLabels.size()); }
    bool isEmpty() const { return m_rowLabels.isEmpty(); }

    bool hasCell(int row, int column) const;
    Currency cell(int row, int column) const; // zero when absent
    Currency rowTotal(int row) const { return m_rowTotals.at(row); }
    Currency columnTotal(int column) const { return m_columnTotals.at(column); }
    Currency grandTotal() const { return m_grandTotal; }

private:
    friend class CrossTableBuilder;
    struct Cell
    {
        Currency amount;
        bool present = false;
    };

    // The totals are added up once, when the table is built, so that an overflow is raised
    // there and not while a page is painted.
    void addUpTotals();

    QVector<QString> m_rowLabels;
    QVector<QString> m_columnLabels;
    QVector<QVector<Cell>> m_cells; // [row][column]
    QVector<Currency> m_rowTotals;
    QVector<Currency> m_columnTotals;
    Currency m_grandTotal;
};

// Collects (row key, column key, amount) triples and adds the amounts of equal keys. Keys are
// ordered by value: dates in time, texts alphabetically without regard to case, numbers by size.
// Building raises the overflow error when a cell or a total goes beyond the currency's range.
class CrossTableBuilder
{
public:
    void add(const QVariant &rowKey, const QVariant &columnKey, Currency amount);
    CrossTable build() const;

private:
    struct Entry
    {
        QVariant rowKey;
        QVariant columnKey;
        Currency amount;
    };
    QVector<Entry> m_entries;
};

// The cross table of the rows of a table that meet a condition (an SQL condition, empty for
// every row), grouped by two columns and summing a third. Raises the connection's errors.
CrossTable loadCrossTable(const std::shared_ptr<db::Connection> &connection, const QString &table,
                          const QString &condition, const QString &rowColumn,
                          const QString &columnColumn, const QString &amountColumn);

// A key as the report prints it: dates in the regional short form, the rest as text.
QString keyLabel(const QVariant &key);

} // namespace platform::report
