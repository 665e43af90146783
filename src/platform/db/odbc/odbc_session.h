#pragma once

#include "platform/db/odbc/odbc_errors.h"
#include "platform/db/odbc/odbc_handles.h"
#include "platform/db/odbc/round_trips.h"
#include "platform/db/provider.h"

#include <QHash>

// A session on a server reached through the ODBC driver manager.
namespace platform::db::odbc {

struct BoundStatement;
class RowStatements;

class OdbcSession final : public Session
{
public:
    // Connects with an ODBC connection string. On SQL Server the session reads short dates
    // in the regional day-month order.
    static OpenResult connect(const QString &odbcConnectionString);
    ~OdbcSession() override;

    ExecutionResult execute(const QString &text, bool updatable) override;
    ExecutionResult openSchema(Schema schema, const QVariantList &restrictions) override;

    WriteResult updateRow(const UpdateTarget &target, const QVector<Column> &columns,
                          const QVector<QVariant> &key, const QVector<int> &changedColumns,
                          const QVector<QVariant> &originalRow,
                          const QVector<QVariant> &row) override;
    WriteResult insertRow(const UpdateTarget &target, const QVector<Column> &columns,
                          const QVector<int> &assignedColumns,
                          const QVector<QVariant> &row) override;

    QVector<ProviderError> setDefaultDatabase(const QString &name) override;
    QString defaultDatabase() const override;
    void setCommandTimeout(int seconds) override;
    void setIsolationLevel(int level) override;

    QVector<ProviderError> beginTransaction() override;
    QVector<ProviderError> commitTransaction() override;
    QVector<ProviderError> rollbackTransaction() override;

    // What the session has made its server wait for since it connected.
    const RoundTrips &roundTrips() const { return m_trips; }

private:
    OdbcSession(Handle environment, Handle connection);

    QString connectionInfo(SQLUSMALLINT item) const;
    ExecutionResult run(const QString &text, bool updatable);
    Handle newStatement(ErrorCollector &errors) const;
    void drainResults(const Handle &statement, SQLRETURN rc, ExecutionResult &result,
                      ErrorCollector &errors) const;
    void attachUpdateTarget(const QString &query, RowSet &rows);
    struct TableDescription
    {
        QStringList columns;
        QStringList primaryKey;
    };
    // From the catalog on first use.
    TableDescription describedTable(const QString &table);
    // Runs a statement with parameters and leaves the handle on its first result; an invalid
    // handle when it failed.
    Handle runBound(const BoundStatement &bound, ErrorCollector &errors) const;
    // The count the server reported; -1 when it keeps no counts (SET NOCOUNT ON).
    std::optional<std::int64_t> changedRows(const BoundStatement &bound,
                                            ErrorCollector &errors) const;
    // The number a SELECT COUNT(*) statement gives.
    std::optional<std::int64_t> countedRows(const BoundStatement &bound,
                                            ErrorCollector &errors) const;
    std::optional<RowSet> queryRows(const BoundStatement &bound, ErrorCollector &errors) const;
    // The row as the table now holds it, in the rowset's column order; unassigned values
    // become Null when the row cannot be read back alone.
    QVector<QVariant> storedRow(const RowStatements &statements, const QVector<QVariant> &key,
                                const QVector<QVariant> &row) const;
    QVector<ProviderError> endTransaction(SQLSMALLINT completion, const QString &text);

    Handle m_environment;
    Handle m_connection;
    Dialect m_dialect = Dialect::Other;
    QString m_identifierQuote;
    int m_commandTimeout = 30;
    // By table, as the queries name it: asking the catalog costs two round trips for every
    // recordset that may write rows back. A statement that may change the schema empties it.
    QHash<QString, TableDescription> m_tables;
    mutable RoundTrips m_trips;
};

} // namespace platform::db::odbc
