#pragma once

#include "platform/db/provider.h"

#include <QSet>
#include <cstdint>
#include <memory>

// What a session makes a server wait for, counted as a network pays for it. A default result
// set reaches the driver as one stream behind its statement, so each result set read is one
// fetch batch whatever its number of rows.
namespace platform::db::odbc {

struct RoundTrips
{
    std::int64_t executes = 0; // statements and catalog calls
    std::int64_t fetchBatches = 0;
    std::int64_t commits = 0; // transactions ended, committed or rolled back

    std::int64_t total() const { return executes + fetchBatches + commits; }
    bool operator==(const RoundTrips &) const = default;
    RoundTrips operator-(const RoundTrips &earlier) const
    {
        return {executes - earlier.executes, fetchBatches - earlier.fetchBatches,
                commits - earlier.commits};
    }
};

// Passes every call on to another session and counts what the ODBC provider sends its driver
// for the same call on SQL Server, so that work done on the embedded engine tells what it would
// cost against a server over the network. Tables are taken to have a primary key, as the
// program's own tables do.
class CountingSession final : public Session
{
public:
    explicit CountingSession(std::unique_ptr<Session> inner);

    const RoundTrips &roundTrips() const { return m_trips; }

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

private:
    void countQuery(bool returnedRows);
    // The catalog's columns and primary key of a table, once until the schema changes.
    void countDescription(const QString &table);

    std::unique_ptr<Session> m_inner;
    RoundTrips m_trips;
    QSet<QString> m_describedTables;
};

} // namespace platform::db::odbc
