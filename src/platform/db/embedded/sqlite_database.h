#pragma once

#include "platform/db/embedded/sql_server_functions.h"
#include "platform/db/provider.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>
#include <utility>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::db::embedded {

// sqlite3_step with the upper halves of the vector registers cleared first. Qt's string hash
// leaves them in use, and SQLite's floating-point code, built for plain SSE, then waits on them
// at every instruction: a journal sum ran at half its speed. Every step of the engine goes
// through here, as must a step of any other code in the process that wants SQLite's speed.
int stepStatement(sqlite3_stmt *statement);

// A prepared statement in use. A statement borrowed from the cache is reset when released;
// one of its own is finalised.
class PreparedStatement
{
public:
    PreparedStatement() = default;
    PreparedStatement(sqlite3_stmt *statement, bool owned) : m_statement(statement), m_owned(owned)
    { }
    PreparedStatement(PreparedStatement &&other) noexcept;
    PreparedStatement &operator=(PreparedStatement &&other) noexcept;
    ~PreparedStatement();

    sqlite3_stmt *get() const { return m_statement; }
    sqlite3_stmt *take() { return std::exchange(m_statement, nullptr); }
    explicit operator bool() const { return m_statement != nullptr; }

private:
    void release();

    sqlite3_stmt *m_statement = nullptr;
    bool m_owned = false;
};

// Moves whenever rows of the tables a connection watches may have changed: another
// connection's commit, this one's write to a watched table or rollback, a schema change.
struct ChangeMark
{
    int dataVersion = -1;
    int schemaVersion = -1;
    quint64 ownChanges = 0;
    bool operator==(const ChangeMark &) const = default;
};

// One open database file of the engine, with SQL Server's collations and functions
// registered, its prepared statements kept by text, and a deadline that interrupts a
// statement running past the command timeout.
class SqliteDatabase
{
public:
    struct Opened
    {
        std::unique_ptr<SqliteDatabase> database;
        std::optional<ProviderError> error;
    };
    // Never creates a missing file unless create is set. The context must outlive it.
    static Opened open(const QString &path, FunctionContext *context, bool create = false);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    sqlite3 *handle() const { return m_db; }
    QString path() const { return m_path; }

    // A statement for one SQL text, reused on later calls with the same text. A text that
    // holds several statements gives its first, uncached, and the others' text in rest. Null
    // with no error for a text without a statement (only a comment).
    PreparedStatement prepare(const QString &sql, std::optional<ProviderError> &error,
                              QByteArray *rest = nullptr);
    PreparedStatement prepareFirst(const QByteArray &sql, QByteArray &rest,
                                   std::optional<ProviderError> &error);

    // Runs a statement without rows and without parameters.
    std::optional<ProviderError> run(const char *sql);

    // 0 means no limit, as ADO's CommandTimeout.
    void setTimeout(int seconds);
    // Starts the command timeout of the next operation.
    void startOperation();

    // True for a column of a table or view declared with a date or time type.
    bool isDateColumn(const QString &column);
    // True for a column name declared as text, or as money, in every table or view having it.
    bool isTextColumn(const QString &column);
    bool isMoneyColumn(const QString &column);
    // The declared type of a column name where every table or view having it declares the
    // same, else "".
    QString declaredType(const QString &column);
    // True for the table's IDENTITY column, which the engine keeps as its AUTOINCREMENT key.
    bool isIdentityColumn(const QString &table, const QString &column);
    // True when an index of the table begins with the column under the collation.
    bool leadsIndex(const QString &table, const QString &column, const QString &collation);
    // The schema's change counter; it moves after every DDL statement of any connection.
    int schemaVersion();

    ChangeMark changeMark();
    // A statement of its own, and the tables it reads (those under its views too).
    PreparedStatement prepareReading(const QString &sql, QSet<QString> &tables,
                                     std::optional<ProviderError> &error);
    void watchTables(const QSet<QString> &tables);

    ProviderError lastError(int resultCode) const;

private:
    SqliteDatabase(sqlite3 *db, QString path);
    static int checkDeadline(void *self);
    static int authorize(void *self, int action, const char *table, const char *column,
                         const char *database, const char *trigger);
    static void rowChanged(void *self, int operation, const char *database, const char *table,
                           qint64 rowid);
    static void rolledBack(void *self);
    int pragmaValue(const char *sql);
    void loadColumnKinds();
    const QSet<QString> &columnKind(const QSet<QString> &kind);
    void loadIndexLeaders();

    sqlite3 *m_db;
    QString m_path;
    QHash<QString, sqlite3_stmt *> m_statements;
    int m_timeoutSeconds = 30;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    // Column names folded to lower case, as of the schema version they were read at.
    QSet<QString> m_dateColumns;
    QSet<QString> m_textColumns;
    QSet<QString> m_moneyColumns;
    QHash<QString, QString> m_declaredTypes;
    QSet<QString> m_identityColumns; // "table|column"
    std::optional<int> m_columnKindsVersion;
    QSet<QString> m_indexLeaders; // "table|column|collation", folded to lower case
    std::optional<int> m_indexLeadersVersion;
    QSet<QString> *m_tablesRead = nullptr; // while prepareReading prepares
    QVector<QByteArray> m_watchedTables;
    quint64 m_ownChanges = 0;
    qint64 m_rowsChangedSeen = 0; // by rowChanged, of every table
    qint64 m_rowsSeenAtMark = 0;
    qint64 m_rowsChangedAtMark = 0; // sqlite3_total_changes64 at the last mark
};

} // namespace platform::db::embedded
