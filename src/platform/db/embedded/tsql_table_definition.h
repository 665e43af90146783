#pragma once

#include "platform/db/embedded/tsql_sql_rewriter.h"

#include <QStringList>

namespace platform::db::embedded::tsql {

// Table definitions for SQLite: identity keys, storage clauses SQL Server alone knows, the
// text collation, length checks the engine reports as truncation (8152), number checks it
// reports as failed conversions (245) and defaults.
// Declared type names stay, so that the engine can tell a column's type from them.
class TableDefinition
{
public:
    TableDefinition(StatementText &text, SqlRewriter &rewriter, const RewriteContext &context);

    // CLUSTERED, NONCLUSTERED, ON [filegroup], TEXTIMAGE_ON, WITH (index options).
    void dropStorageClauses();
    // CREATE TABLE: `table` is the TABLE keyword.
    void createTable(qsizetype table);
    // ALTER TABLE t ADD column: `add` is the ADD keyword.
    void addColumn(qsizetype add);

    // The date and time columns the statement declares.
    const QStringList &dateColumns() const { return m_dateColumns; }

private:
    struct Column
    {
        qsizetype name = -1;
        qsizetype type = -1;
        qsizetype typeEnd = -1;
        qsizetype identity = -1;
        qsizetype primaryKey = -1; // the PRIMARY keyword of the column's own key
    };

    struct Item
    {
        qsizetype first = -1;
        qsizetype last = -1; // last significant token
        qsizetype separator = -1; // the comma before it, or -1
    };

    QVector<Item> itemsBetween(qsizetype open) const;
    Column defineColumn(const Item &item);
    void leaveExistingRowsNull(qsizetype add, const Item &item);
    void addTextRules(const Column &column, const Item &item);
    void addNumberRule(const Column &column, const Item &item);
    void wrapDefault(qsizetype defaultKeyword, bool isDate);
    QStringList primaryKeyColumns(const Item &item) const;
    void makeAutoIncrementKey(const Column &column);
    qsizetype find(const Item &item, QStringView keyword) const;

    StatementText &m_text;
    SqlRewriter &m_rewriter;
    const RewriteContext &m_context;
    QStringList m_dateColumns;
};

} // namespace platform::db::embedded::tsql
