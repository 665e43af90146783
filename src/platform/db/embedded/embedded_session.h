#pragma once

#include "platform/db/embedded/grouped_sum_cache.h"
#include "platform/db/embedded/sql_server_functions.h"
#include "platform/db/embedded/sqlite_database.h"
#include "platform/db/embedded/tsql_translator.h"
#include "platform/db/provider.h"

#include <QHash>
#include <memory>

namespace platform::db::embedded {

// A connection to the embedded server: one current database file of the data folder at a
// time, running SQL Server batches through the translator with SQL Server's batch semantics.
class EmbeddedSession final : public Session
{
public:
    // Fails as a server does when the login or its password is not the registry's.
    static OpenResult open(const QString &dataFolder, const QString &database, const QString &login,
                           const QString &password);
    ~EmbeddedSession() override;

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
    QString defaultDatabase() const override { return m_databaseName; }
    void setCommandTimeout(int seconds) override;
    void setIsolationLevel(int) override { } // one writer at a time; readers never wait in WAL

    QVector<ProviderError> beginTransaction() override;
    QVector<ProviderError> commitTransaction() override;
    QVector<ProviderError> rollbackTransaction() override;

private:
    EmbeddedSession(QString dataFolder, QString login);

    std::optional<ProviderError> useDatabase(const QString &name);
    std::optional<ProviderError> createDatabase(const QString &name, const QString &collation);
    TranslatedBatch translated(const QString &text);
    // The statement's rows from the kept rows of its range; nothing when it must run alone.
    std::optional<ExecutionResult> keptSumResult(const QString &text);
    std::unique_ptr<KeptRange> readRange(const GroupedSumShape &shape);
    std::optional<FetchedRows> statementColumns(const QString &text);
    struct PreparedReading
    {
        PreparedStatement statement;
        QVector<int> moneyColumns;
        QSet<QString> tables; // that the statement reads
    };
    // A text of one statement, prepared to read; nothing for any other text and for one that
    // fails to prepare, which then runs, and reports, alone.
    std::optional<PreparedReading> preparedReading(const QString &text);

    std::optional<ProviderError> syntaxErrorOf(const TranslatedBatch &batch);
    // False when the error ends the batch.
    bool runStatement(const EngineStatement &statement, bool updatable, ExecutionResult &result);
    // moneyColumns: the result columns to read as money whatever values they hold.
    std::optional<ProviderError> runSql(const QString &sql, bool updatable, ExecutionResult &result,
                                        const QVector<int> &moneyColumns);
    std::optional<ProviderError> runPrepared(sqlite3_stmt *statement, bool updatable,
                                             ExecutionResult &result,
                                             const QVector<int> &moneyColumns);
    std::optional<ProviderError> conditionHolds(const EngineStatement &statement, bool &holds);
    void followAbandonedTransaction();

    QString m_dataFolder;
    // Declared before the database, whose functions use it, so that it outlives the database.
    std::unique_ptr<FunctionContext> m_functions;
    std::unique_ptr<SqliteDatabase> m_database;
    QString m_databaseName;
    QString m_textCollation = QLatin1String(accentSensitiveCollation);
    DateOrder m_dateOrder;
    int m_timeoutSeconds = 30;
    int m_transactionDepth = 0; // @@TRANCOUNT
    QHash<QString, TranslatedBatch> m_translations;
    int m_translationsSchemaVersion = -1;
    GroupedSumCache m_keptSums;
};

} // namespace platform::db::embedded
