#include "platform/db/odbc/odbc_session.h"

#include "platform/db/odbc/odbc_catalog.h"
#include "platform/db/odbc/odbc_values.h"
#include "platform/db/odbc/row_statements.h"
#include "platform/db/odbc/updatable_query.h"
#include "platform/regional_settings.h"
#include "platform/variant.h"

#include <algorithm>

namespace platform::db::odbc {

namespace {

QString dateFormatStatement()
{
    switch (regionalSettings().dateOrder) {
    case DateOrder::MonthDayYear:
        return QStringLiteral("SET DATEFORMAT mdy");
    case DateOrder::YearMonthDay:
        return QStringLiteral("SET DATEFORMAT ymd");
    case DateOrder::DayMonthYear:
        break;
    }
    return QStringLiteral("SET DATEFORMAT dmy");
}

// Before a session exists nothing but the link can have failed: a reason the mapping does not
// name is a server out of reach.
QVector<ProviderError> openingFailures(QVector<ProviderError> errors)
{
    for (ProviderError &error : errors) {
        if (error.number == hresult::ErrorsInCommand)
            error.number = hresult::E_Fail;
    }
    return errors;
}

ProviderError providerError(std::int32_t number, const QString &sqlState,
                            const QString &description)
{
    ProviderError error;
    error.number = number;
    error.sqlState = sqlState;
    error.description = description;
    error.source = QStringLiteral("ODBC");
    return error;
}

ProviderError rowNotLocated()
{
    return providerError(ado::RowNotLocated, QStringLiteral("HY000"),
                         QStringLiteral("No se encuentra la fila para actualizar: algunos valores "
                                        "pueden haber cambiado desde la última vez que se leyó."));
}

ProviderError ambiguousRow(std::int64_t matching)
{
    return providerError(hresult::ErrorsInCommand, QStringLiteral("HY000"),
                         QStringLiteral("La fila no se puede actualizar: la tabla no tiene clave "
                                        "primaria y %1 filas tienen los mismos valores.")
                             .arg(matching));
}

bool isSequenceError(const QVector<DiagnosticRecord> &records)
{
    return std::any_of(records.cbegin(), records.cend(), [](const DiagnosticRecord &record) {
        return record.sqlState == QLatin1String("HY010");
    });
}

// Long texts and binaries cannot be compared, so they never locate a row.
bool canLocateRow(DataType type)
{
    switch (type) {
    case adLongVarChar:
    case adLongVarWChar:
    case adLongVarBinary:
        return false;
    default:
        return true;
    }
}

bool sameNames(const QStringList &left, const QStringList &right)
{
    return left.size() == right.size()
        && std::equal(left.cbegin(), left.cend(), right.cbegin(),
                      [](const QString &a, const QString &b) {
                          return a.compare(b, Qt::CaseInsensitive) == 0;
                      });
}

// A value the program left unassigned is stored as Null.
QVector<QVariant> asWritten(QVector<QVariant> row)
{
    for (QVariant &value : row) {
        if (isEmpty(value))
            value = nullVariant();
    }
    return row;
}

std::optional<SQLULEN> odbcIsolationLevel(int adoLevel)
{
    switch (adoLevel) {
    case 256: // adXactReadUncommitted, adXactBrowse
        return SQL_TXN_READ_UNCOMMITTED;
    case 4096: // adXactReadCommitted, adXactCursorStability
        return SQL_TXN_READ_COMMITTED;
    case 65536: // adXactRepeatableRead
        return SQL_TXN_REPEATABLE_READ;
    case 1048576: // adXactSerializable, adXactIsolated
        return SQL_TXN_SERIALIZABLE;
    default:
        return std::nullopt;
    }
}

} // namespace

OdbcSession::OdbcSession(Handle environment, Handle connection)
    : m_environment(std::move(environment)), m_connection(std::move(connection))
{
    m_dialect = dialectFromDbmsName(connectionInfo(SQL_DBMS_NAME));
    m_identifierQuote = connectionInfo(SQL_IDENTIFIER_QUOTE_CHAR).trimmed();
}

OpenResult OdbcSession::connect(const QString &odbcConnectionString)
{
    Handle environment = newEnvironment();
    Handle connection
        = environment.isValid() ? Handle(SQL_HANDLE_DBC, environment.get()) : Handle();
    if (!connection.isValid())
        return {nullptr,
                {providerError(hresult::E_Fail, QStringLiteral("HY001"),
                               QStringLiteral("No se pudo iniciar el administrador ODBC."))}};

    ErrorCollector errors(Dialect::Other);
    const SQLRETURN rc = SQLDriverConnectW(connection.get(), nullptr, wide(odbcConnectionString),
                                           SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    errors.add(rc, connection);
    if (!SQL_SUCCEEDED(rc))
        return {nullptr, openingFailures(errors.take())};

    std::unique_ptr<OdbcSession> session(
        new OdbcSession(std::move(environment), std::move(connection)));
    if (session->m_dialect == Dialect::SqlServer) {
        // The program writes dates as regional short-date texts.
        ExecutionResult dateFormat = session->execute(dateFormatStatement(), false);
        if (dateFormat.failed())
            return {nullptr, dateFormat.errors};
    }
    return {std::move(session), {}};
}

OdbcSession::~OdbcSession()
{
    // A connected handle cannot be freed: without the disconnection the server's session, and
    // any locks it holds, would outlive the connection. A transaction left open by the methods
    // blocks the disconnection until it is rolled back, as ADO does on Close.
    if (!SQL_SUCCEEDED(SQLDisconnect(m_connection.get()))) {
        SQLEndTran(SQL_HANDLE_DBC, m_connection.get(), SQL_ROLLBACK);
        SQLDisconnect(m_connection.get());
    }
}

QString OdbcSession::connectionInfo(SQLUSMALLINT item) const
{
    SQLWCHAR value[256] = {};
    SQLSMALLINT bytes = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(m_connection.get(), item, value, sizeof(value), &bytes)))
        return {};
    return fromWideBuffer(value, 256, bytes / qsizetype(sizeof(SQLWCHAR)));
}

Handle OdbcSession::newStatement(ErrorCollector &errors) const
{
    Handle statement(SQL_HANDLE_STMT, m_connection.get());
    if (!statement.isValid()) {
        errors.add(SQL_ERROR, m_connection);
        return statement;
    }
    // A driver without query time-outs still runs the statement.
    SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(SQLULEN(std::max(m_commandTimeout, 0))), 0);
    return statement;
}

ExecutionResult OdbcSession::execute(const QString &text, bool updatable)
{
    ++m_trips.executes;
    return run(text, updatable);
}

ExecutionResult OdbcSession::run(const QString &text, bool updatable)
{
    if (mayChangeSchema(text))
        m_tables.clear();
    ErrorCollector errors(m_dialect);
    ExecutionResult result;
    const Handle statement = newStatement(errors);
    if (statement.isValid()) {
        const SQLRETURN rc = SQLExecDirectW(statement.get(), wide(text), SQL_NTS);
        errors.add(rc, statement);
        drainResults(statement, rc, result, errors);
    }
    if (updatable && result.rowSet && !errors.hasErrors())
        attachUpdateTarget(text, *result.rowSet);
    result.errors = errors.take();
    return result;
}

void OdbcSession::drainResults(const Handle &statement, SQLRETURN rc, ExecutionResult &result,
                               ErrorCollector &errors) const
{
    const auto addCount = [&result](std::int64_t count) {
        result.recordsAffected = std::max<std::int64_t>(result.recordsAffected, 0) + count;
    };
    for (bool first = true; rc != SQL_INVALID_HANDLE; first = false) {
        if (rc == SQL_NO_DATA && !first)
            break;
        // A searched UPDATE or DELETE that found no row; in a batch, the statements after it
        // still have their counts and errors to give.
        if (rc == SQL_NO_DATA) {
            addCount(0);
        } else if (SQL_SUCCEEDED(rc)) {
            SQLSMALLINT columnCount = 0;
            SQLNumResultCols(statement.get(), &columnCount);
            if (columnCount > 0 && !result.rowSet) {
                ++m_trips.fetchBatches;
                result.rowSet = fetchRowSet(statement, columnCount, errors);
            } else if (columnCount == 0) {
                SQLLEN count = -1;
                if (SQL_SUCCEEDED(SQLRowCount(statement.get(), &count)) && count >= 0)
                    addCount(count);
            }
        }
        // Later statements of a batch run on after an error; their results and errors follow.
        rc = SQLMoreResults(statement.get());
        const QVector<DiagnosticRecord> records = diagnostics(statement);
        if (rc == SQL_ERROR && (records.isEmpty() || isSequenceError(records)))
            break;
        errors.add(rc, records);
    }
}

OdbcSession::TableDescription OdbcSession::describedTable(const QString &table)
{
    if (const auto known = m_tables.constFind(table); known != m_tables.cend())
        return *known;
    ErrorCollector errors(m_dialect);
    const TableName name = splitTableName(table);
    m_trips.executes += 2;
    m_trips.fetchBatches += 2;
    TableDescription description{tableColumns(m_connection, name, errors),
                                 primaryKeyColumns(m_connection, name, errors)};
    // What a failed call left out is asked again by the next recordset.
    if (!errors.hasErrors())
        m_tables.insert(table, description);
    return description;
}

void OdbcSession::attachUpdateTarget(const QString &query, RowSet &rows)
{
    const std::optional<QString> table = singleSourceTable(query);
    if (!table)
        return;
    // The rows were read: a catalog that cannot be asked leaves them read-only, not lost.
    const TableDescription description = describedTable(*table);
    const QStringList &columnsOfTable = description.columns;

    UpdateTarget target;
    target.table = *table;
    QStringList shownColumns;
    for (const Column &column : rows.columns) {
        const auto match = std::find_if(
            columnsOfTable.cbegin(), columnsOfTable.cend(), [&column](const QString &tableColumn) {
                return tableColumn.compare(column.name, Qt::CaseInsensitive) == 0;
            });
        target.baseColumns.append(match == columnsOfTable.cend() ? QString() : *match);
        if (match != columnsOfTable.cend() && canLocateRow(column.type))
            shownColumns.append(*match);
    }
    if (shownColumns.isEmpty())
        return;

    const QStringList &primaryKey = description.primaryKey;
    const bool keyShown = !primaryKey.isEmpty()
        && std::all_of(primaryKey.cbegin(), primaryKey.cend(), [&shownColumns](const QString &key) {
               return shownColumns.contains(key, Qt::CaseInsensitive);
           });
    target.keyColumns = keyShown ? primaryKey : shownColumns;

    const RowStatements statements(target, rows.columns, m_identifierQuote);
    rows.keys.clear();
    for (const QVector<QVariant> &row : rows.rows)
        rows.keys.append(statements.keyOf(row));
    rows.target = std::move(target);
}

Handle OdbcSession::runBound(const BoundStatement &bound, ErrorCollector &errors) const
{
    Handle statement = newStatement(errors);
    if (!statement.isValid())
        return statement;
    ParameterBinding binding;
    for (qsizetype index = 0; index < bound.values.size(); ++index) {
        const SQLRETURN rc = binding.bind(statement, SQLUSMALLINT(index + 1),
                                          bound.values.at(index), bound.columns.at(index));
        errors.add(rc, statement);
        if (!SQL_SUCCEEDED(rc))
            return {};
    }
    ++m_trips.executes;
    const SQLRETURN rc = SQLExecDirectW(statement.get(), wide(bound.text), SQL_NTS);
    errors.add(rc, statement);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        return {};
    return statement;
}

std::optional<std::int64_t> OdbcSession::changedRows(const BoundStatement &bound,
                                                     ErrorCollector &errors) const
{
    const Handle statement = runBound(bound, errors);
    SQLLEN count = 0;
    if (!statement.isValid() || !SQL_SUCCEEDED(SQLRowCount(statement.get(), &count)))
        return std::nullopt;
    return count < 0 ? -1 : count;
}

std::optional<std::int64_t> OdbcSession::countedRows(const BoundStatement &bound,
                                                     ErrorCollector &errors) const
{
    const std::optional<RowSet> rows = queryRows(bound, errors);
    if (!rows)
        return std::nullopt;
    return rows->rows.value(0).value(0).toLongLong();
}

std::optional<RowSet> OdbcSession::queryRows(const BoundStatement &bound,
                                             ErrorCollector &errors) const
{
    const Handle statement = runBound(bound, errors);
    SQLSMALLINT columnCount = 0;
    if (!statement.isValid() || !SQL_SUCCEEDED(SQLNumResultCols(statement.get(), &columnCount)))
        return std::nullopt;
    ++m_trips.fetchBatches;
    RowSet rows = fetchRowSet(statement, columnCount, errors);
    if (errors.hasErrors())
        return std::nullopt;
    return rows;
}

QVector<QVariant> OdbcSession::storedRow(const RowStatements &statements,
                                         const QVector<QVariant> &key,
                                         const QVector<QVariant> &row) const
{
    // Reading back is a courtesy: the write itself has succeeded.
    ErrorCollector ignored(m_dialect);
    const std::optional<RowSet> stored = queryRows(statements.select(key), ignored);
    if (stored && stored->rows.size() == 1)
        return statements.inRowsetOrder(stored->columns, stored->rows.constFirst(), row);
    return asWritten(row);
}

WriteResult OdbcSession::updateRow(const UpdateTarget &target, const QVector<Column> &columns,
                                   const QVector<QVariant> &key, const QVector<int> &changedColumns,
                                   const QVector<QVariant> & /*originalRow*/,
                                   const QVector<QVariant> &row)
{
    const RowStatements statements(target, columns, m_identifierQuote);
    WriteResult result;
    const BoundStatement update = statements.update(key, changedColumns, row);
    if (update.text.isEmpty()) {
        result.key = key;
        result.storedRow = row;
        return result;
    }
    ErrorCollector errors(m_dialect);
    // Without a primary key the old values may match several rows: only one is written.
    if (!sameNames(describedTable(target.table).primaryKey, target.keyColumns)) {
        const std::int64_t count = countedRows(statements.count(key), errors).value_or(-1);
        if (count == 0)
            errors.add(rowNotLocated());
        else if (count > 1)
            errors.add(ambiguousRow(count));
    }
    if (!errors.hasErrors()) {
        std::optional<std::int64_t> changed = changedRows(update, errors);
        // A session that ran SET NOCOUNT ON reports no count: the row found under its new key
        // tells whether the write reached it.
        if (changed == -1)
            changed = countedRows(statements.count(statements.keyOf(row)), errors);
        if (changed == 0 && !errors.hasErrors())
            errors.add(rowNotLocated());
    }
    result.errors = errors.take();
    // The row holds what it held when read, and what the program set: reading it back would
    // double the round trips of every save.
    if (!result.failed()) {
        result.key = statements.keyOf(row);
        result.storedRow = asWritten(row);
    }
    return result;
}

WriteResult OdbcSession::insertRow(const UpdateTarget &target, const QVector<Column> &columns,
                                   const QVector<int> &assignedColumns,
                                   const QVector<QVariant> &row)
{
    const RowStatements statements(target, columns, m_identifierQuote);
    ErrorCollector errors(m_dialect);
    changedRows(statements.insert(assignedColumns, row), errors);
    WriteResult result;
    result.errors = errors.take();
    if (!result.failed()) {
        result.key = statements.keyOf(row);
        result.storedRow = storedRow(statements, result.key, row);
    }
    return result;
}

ExecutionResult OdbcSession::openSchema(Schema schema, const QVariantList &restrictions)
{
    ExecutionResult result = schemaRowset(m_connection, m_dialect, schema, restrictions);
    ++m_trips.executes;
    if (!result.failed())
        ++m_trips.fetchBatches;
    return result;
}

QVector<ProviderError> OdbcSession::setDefaultDatabase(const QString &name)
{
    ErrorCollector errors(m_dialect);
    ++m_trips.executes;
    const SQLRETURN rc
        = SQLSetConnectAttrW(m_connection.get(), SQL_ATTR_CURRENT_CATALOG, wide(name), SQL_NTS);
    errors.add(rc, m_connection);
    return errors.take();
}

QString OdbcSession::defaultDatabase() const
{
    SQLWCHAR name[256] = {};
    SQLINTEGER bytes = 0;
    if (!SQL_SUCCEEDED(SQLGetConnectAttrW(m_connection.get(), SQL_ATTR_CURRENT_CATALOG, name,
                                          sizeof(name), &bytes)))
        return {};
    return fromWideBuffer(name, 256, bytes / qsizetype(sizeof(SQLWCHAR)));
}

void OdbcSession::setCommandTimeout(int seconds)
{
    m_commandTimeout = seconds;
}

void OdbcSession::setIsolationLevel(int level)
{
    // A driver that cannot change the level keeps its own; ADO accepts the setting the same way.
    if (const std::optional<SQLULEN> odbcLevel = odbcIsolationLevel(level))
        SQLSetConnectAttr(m_connection.get(), SQL_ATTR_TXN_ISOLATION,
                          reinterpret_cast<SQLPOINTER>(*odbcLevel), 0);
}

// Where the server has transaction statements, the methods send them, so that a transaction
// begun by a text can be ended by a method and the other way round. Oracle has none: there the
// methods switch the driver's automatic commit off and on.
QVector<ProviderError> OdbcSession::beginTransaction()
{
    if (m_dialect != Dialect::Oracle)
        return execute(QStringLiteral("BEGIN TRANSACTION"), false).errors;
    ErrorCollector errors(m_dialect);
    errors.add(SQLSetConnectAttr(m_connection.get(), SQL_ATTR_AUTOCOMMIT,
                                 reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
               m_connection);
    return errors.take();
}

QVector<ProviderError> OdbcSession::commitTransaction()
{
    return endTransaction(SQL_COMMIT, QStringLiteral("COMMIT TRANSACTION"));
}

QVector<ProviderError> OdbcSession::rollbackTransaction()
{
    return endTransaction(SQL_ROLLBACK, QStringLiteral("ROLLBACK TRANSACTION"));
}

QVector<ProviderError> OdbcSession::endTransaction(SQLSMALLINT completion, const QString &text)
{
    ++m_trips.commits;
    if (m_dialect != Dialect::Oracle)
        return run(text, false).errors;
    ErrorCollector errors(m_dialect);
    errors.add(SQLEndTran(SQL_HANDLE_DBC, m_connection.get(), completion), m_connection);
    errors.add(SQLSetConnectAttr(m_connection.get(), SQL_ATTR_AUTOCOMMIT,
                                 reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
               m_connection);
    return errors.take();
}

} // namespace platform::db::odbc
