#pragma once

#include "platform/db/ado.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>

// The contract between the object model (Connection, Recordset) and the providers that reach
// a database: the embedded engine and ODBC. Providers report failures as values, never by
// throwing; the object model turns them into the Errors collection and a raised Error.
namespace platform::db {

// One error or notice of an operation, as the Errors collection shows it.
struct ProviderError
{
    std::int32_t number = hresult::ErrorsInCommand; // HRESULT or ADO number
    QString description;
    QString sqlState;
    std::int32_t nativeError = 0;
    QString source;
};

// A column of a rowset, typed as ADO reports it.
struct Column
{
    QString name;
    DataType type = adVarWChar;
    int definedSize = 0;
    bool nullable = true;
    int precision = 0;
    int numericScale = 0;
};

// Where the rows of an updatable rowset are written back: a base table and the columns that
// locate one row (a primary key, SQLite's rowid, or every original column value).
struct UpdateTarget
{
    QString table;
    QStringList keyColumns;
    // Per rowset column, the table column it shows; empty for an expression, which is never
    // written. When the list is empty, every column shows the table column of its name.
    QStringList baseColumns;
};

struct RowSet
{
    QVector<Column> columns;
    QVector<QVector<QVariant>> rows;
    std::optional<UpdateTarget> target; // set when the rows can be written back
    QVector<QVector<QVariant>> keys; // per row, the values of target->keyColumns
};

struct ExecutionResult
{
    std::optional<RowSet> rowSet; // the first rowset, when the text returned rows
    std::int64_t recordsAffected = -1; // the DML count summed over the batch; -1 when none ran
    QVector<ProviderError> errors; // the errors of this operation in order; never notices alone

    bool failed() const { return !errors.isEmpty(); }
};

// The outcome of writing one row back.
struct WriteResult
{
    QVector<ProviderError> errors;
    QVector<QVariant> key; // the row's key after the write (a new row's key too)
    QVector<QVariant> storedRow; // the row as stored, in the rowset's column order, when known

    bool failed() const { return !errors.isEmpty(); }
};

// An open link to one database server.
class Session
{
public:
    virtual ~Session();

    // Runs a statement text (a batch) and returns its first rowset. With updatable set, the
    // rowset of a single-table query carries its update target and row keys.
    virtual ExecutionResult execute(const QString &text, bool updatable) = 0;

    virtual ExecutionResult openSchema(Schema schema, const QVariantList &restrictions) = 0;

    virtual WriteResult updateRow(const UpdateTarget &target, const QVector<Column> &columns,
                                  const QVector<QVariant> &key, const QVector<int> &changedColumns,
                                  const QVector<QVariant> &originalRow,
                                  const QVector<QVariant> &row)
        = 0;
    virtual WriteResult insertRow(const UpdateTarget &target, const QVector<Column> &columns,
                                  const QVector<int> &assignedColumns, const QVector<QVariant> &row)
        = 0;

    virtual QVector<ProviderError> setDefaultDatabase(const QString &name) = 0;
    virtual QString defaultDatabase() const = 0;
    virtual void setCommandTimeout(int seconds) = 0;
    virtual void setIsolationLevel(int level) = 0;

    virtual QVector<ProviderError> beginTransaction() = 0;
    virtual QVector<ProviderError> commitTransaction() = 0;
    virtual QVector<ProviderError> rollbackTransaction() = 0;
};

// One key and value of a connection string, with the span of text it was read from.
struct ConnectionPair
{
    QString key; // trimmed
    QString value; // as written; a braced value without its braces and with "}}" read as "}"
    qsizetype begin = 0;
    qsizetype end = 0; // past the value, before its ";"
};

// The pairs of a connection string in order. A value that begins with "{" runs to its closing
// "}", so it may hold ";"; a piece without "=" is no pair.
QVector<ConnectionPair> connectionPairs(const QString &text);

// "{", the value with every "}" doubled, "}".
QString bracedValue(const QString &value);

// A value as the program's connection strings carry it: as it is, or braced when it holds ";",
// "{" or "}", so that a password holding them reaches the provider whole.
QString connectionValue(const QString &value);

// A connection string as key and value pairs: keys compared without regard to case or to
// the blanks around them ("Database =" is "database"), values as written (braced ones without
// their braces).
class ConnectionString
{
public:
    static ConnectionString parse(const QString &text);

    QString value(const QString &key) const;
    bool contains(const QString &key) const;
    void set(const QString &key, const QString &value);

    // The text it was parsed from; an ODBC string given by the caller is passed on as written.
    const QString &text() const { return m_text; }

private:
    QHash<QString, QString> m_values; // keys lower-cased and trimmed
    QString m_text;
};

// The columns of a schema rowset, the same from every provider: tables (20) give
// TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME and TABLE_TYPE; columns (4) give TABLE_CATALOG,
// TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION, IS_NULLABLE, DATA_TYPE (an ADO type)
// and CHARACTER_MAXIMUM_LENGTH.
QVector<Column> schemaRowsetColumns(Schema schema);

struct OpenResult
{
    std::unique_ptr<Session> session; // null when the opening failed
    QVector<ProviderError> errors;
};

// Opens a session for a connection string: the embedded engine when the server is
// "(embebido)", ODBC otherwise. Non-empty user and password override those of the string.
OpenResult openSession(const QString &connectionString, const QString &user,
                       const QString &password);

} // namespace platform::db
