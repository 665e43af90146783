#include "platform/db/embedded/embedded_session.h"

#include "platform/db/embedded/embedded_provider.h"
#include "platform/db/embedded/engine_errors.h"
#include "platform/db/embedded/login_registry.h"
#include "platform/db/embedded/row_writer.h"
#include "platform/db/embedded/rowset_reader.h"
#include "platform/db/embedded/schema_rowsets.h"
#include "platform/regional_settings.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace platform::db::embedded {

namespace {

// Beyond this many distinct texts the translations start over: a statistic run sends many
// texts that differ only in their literals and never come again.
constexpr qsizetype translationCacheLimit = 1024;

bool isDataChange(sqlite3_stmt *statement)
{
    const QString sql = QString::fromUtf8(sqlite3_sql(statement)).trimmed();
    for (const char *keyword : {"INSERT", "UPDATE", "DELETE", "REPLACE"}) {
        if (sql.startsWith(QLatin1String(keyword), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

ProviderError missingDatabase(const QString &name)
{
    return engineError(native::DatabaseNotFound,
                       QStringLiteral("Database '%1' does not exist. Make sure that the name is "
                                      "entered correctly.")
                           .arg(name));
}

std::optional<ProviderError> firstOf(const QVector<ProviderError> &errors)
{
    if (errors.isEmpty())
        return std::nullopt;
    return errors.front();
}

bool isAccentInsensitive(const QString &collation)
{
    return collation.contains(QLatin1String("_AI"), Qt::CaseInsensitive);
}

} // namespace

EmbeddedSession::EmbeddedSession(QString dataFolder, QString login)
    : m_dataFolder(std::move(dataFolder)), m_functions(std::make_unique<FunctionContext>()),
      m_dateOrder(regionalSettings().dateOrder)
{
    m_functions->login = std::move(login);
}

EmbeddedSession::~EmbeddedSession() = default;

OpenResult EmbeddedSession::open(const QString &dataFolder, const QString &database,
                                 const QString &login, const QString &password)
{
    if (std::optional<ProviderError> lost = linkLossError())
        return {nullptr, {*lost}};
    if (!QFileInfo(dataFolder).isDir()) {
        ProviderError error
            = engineError(0,
                          QStringLiteral("The embedded server's data folder '%1' does not exist.")
                              .arg(dataFolder));
        error.number = hresult::E_Fail;
        error.nativeError = 17;
        error.sqlState = QStringLiteral("08001");
        return {nullptr, {error}};
    }
    // Like a server's own master database, the registry is always there.
    if (std::optional<ProviderError> error
        = LoginRegistry(dataFolder).authenticate(login, password))
        return {nullptr, {*error}};
    const QString name = database.trimmed().isEmpty() ? systemDatabase : database.trimmed();
    if (findDatabaseFile(dataFolder, name).isEmpty()) {
        return {nullptr,
                {engineError(native::CannotOpenDatabase,
                             QStringLiteral("Cannot open database \"%1\" requested by the login. "
                                            "The login failed.")
                                 .arg(name))}};
    }
    std::unique_ptr<EmbeddedSession> session(new EmbeddedSession(dataFolder, login));
    if (std::optional<ProviderError> error = session->useDatabase(name)) {
        error->number = hresult::E_Fail;
        return {nullptr, {*error}};
    }
    return {std::move(session), {}};
}

std::optional<ProviderError> EmbeddedSession::useDatabase(const QString &name)
{
    const QString file = findDatabaseFile(m_dataFolder, name);
    if (file.isEmpty())
        return missingDatabase(name);
    if (m_transactionDepth > 0) {
        // Another file cannot join the open transaction: switching would end it half-done.
        return engineError(native::Unsupported,
                           QStringLiteral("Sentencia no soportada por el motor embebido: USE "
                                          "dentro de una transacción"));
    }
    const QString collation = LoginRegistry(m_dataFolder).collationOf(name);
    m_functions->accentInsensitive = isAccentInsensitive(collation);
    SqliteDatabase::Opened opened = SqliteDatabase::open(file, m_functions.get());
    if (opened.error)
        return opened.error;
    m_database = std::move(opened.database);
    m_database->setTimeout(m_timeoutSeconds);
    m_databaseName = QFileInfo(file).completeBaseName();
    m_textCollation = QLatin1String(m_functions->accentInsensitive ? accentInsensitiveCollation
                                                                   : accentSensitiveCollation);
    m_translations.clear();
    m_keptSums.clear();
    return std::nullopt;
}

std::optional<ProviderError> EmbeddedSession::createDatabase(const QString &name,
                                                             const QString &collation)
{
    if (!isValidDatabaseName(name))
        return engineError(native::SyntaxError,
                           QStringLiteral("Incorrect database name '%1'.").arg(name));
    if (!findDatabaseFile(m_dataFolder, name).isEmpty()) {
        return engineError(native::DatabaseExists,
                           QStringLiteral("Database '%1' already exists. Choose a different "
                                          "database name.")
                               .arg(name));
    }
    FunctionContext context;
    const QString path = QDir(m_dataFolder).filePath(name + QStringLiteral(".db"));
    SqliteDatabase::Opened created = SqliteDatabase::open(path, &context, true);
    if (created.error) {
        // A file that cannot be made is this statement's failure, not a lost server.
        return engineError(native::CreateDatabaseFailed,
                           QStringLiteral("CREATE DATABASE failed. The file '%1' could not be "
                                          "created: %2")
                               .arg(path, created.error->description));
    }
    created.database.reset();
    return LoginRegistry(m_dataFolder).recordDatabase(name, collation);
}

TranslatedBatch EmbeddedSession::translated(const QString &text)
{
    const int version = m_database->schemaVersion();
    if (version != m_translationsSchemaVersion || m_translations.size() > translationCacheLimit) {
        m_translations.clear();
        m_translationsSchemaVersion = version;
    }
    if (auto found = m_translations.constFind(text); found != m_translations.cend())
        return *found;
    TranslationContext context;
    context.isDateColumn
        = [this](const QString &column) { return m_database->isDateColumn(column); };
    context.isTextColumn
        = [this](const QString &column) { return m_database->isTextColumn(column); };
    context.isMoneyColumn
        = [this](const QString &column) { return m_database->isMoneyColumn(column); };
    context.leadsIndex
        = [this](const QString &table, const QString &column, const QString &collation) {
              return m_database->leadsIndex(table, column, collation);
          };
    context.declaredType
        = [this](const QString &column) { return m_database->declaredType(column); };
    context.isIdentityColumn = [this](const QString &table, const QString &column) {
        return m_database->isIdentityColumn(table, column);
    };
    context.dateOrder = m_dateOrder;
    context.textCollation = m_textCollation;
    TranslatedBatch batch = translateBatch(text, context);
    m_translations.insert(text, batch);
    return batch;
}

ExecutionResult EmbeddedSession::execute(const QString &text, bool updatable)
{
    ExecutionResult result;
    if (std::optional<ProviderError> lost = linkLossError()) {
        result.errors.append(*lost);
        return result;
    }
    m_database->startOperation();
    if (std::optional<ExecutionResult> kept = keptSumResult(text))
        return *kept;
    const TranslatedBatch batch = translated(text);
    if (batch.error) {
        result.errors.append(engineError(batch.error->nativeError, batch.error->message));
        return result;
    }
    if (std::optional<ProviderError> error = syntaxErrorOf(batch)) {
        result.errors.append(*error);
        return result;
    }
    for (const EngineStatement &statement : batch.statements) {
        if (!runStatement(statement, updatable, result))
            break;
    }
    return result;
}

// A run sends one sum per account and range; the range's rows for every account come from
// one scan, and each sum is then a filter of them.
std::optional<ExecutionResult> EmbeddedSession::keptSumResult(const QString &text)
{
    const std::optional<GroupedSumShape> shape = groupedSumShapeOf(text);
    if (!shape)
        return std::nullopt;
    m_keptSums.forgetIfChanged(m_database->changeMark());
    bool found = false;
    const KeptRange *range = m_keptSums.find(shape->rangeStatement, found);
    std::unique_ptr<KeptRange> read;
    if (!found) {
        read = readRange(*shape);
        range = read.get();
    }
    std::optional<RowSet> rows;
    if (range) {
        rows = range->answer(*shape, !m_functions->accentInsensitive,
                             [&] { return statementColumns(text); });
    }
    if (!found)
        m_keptSums.keep(shape->rangeStatement, std::move(read));
    if (!rows)
        return std::nullopt;
    ExecutionResult result;
    result.rowSet = std::move(*rows);
    return result;
}

std::optional<EmbeddedSession::PreparedReading>
EmbeddedSession::preparedReading(const QString &text)
{
    const TranslatedBatch batch = translated(text);
    if (batch.error || batch.statements.size() != 1
        || batch.statements.front().kind != EngineStatement::Kind::Sql)
        return std::nullopt;
    const EngineStatement &statement = batch.statements.front();
    std::optional<ProviderError> error;
    PreparedReading reading;
    reading.statement = m_database->prepareReading(statement.sql, reading.tables, error);
    if (error || !reading.statement)
        return std::nullopt;
    reading.moneyColumns = statement.moneyColumns;
    return reading;
}

// A statement answered from rows of another shape is typed as it would type its own rows.
std::optional<FetchedRows> EmbeddedSession::statementColumns(const QString &text)
{
    const std::optional<PreparedReading> reading = preparedReading(text);
    if (!reading)
        return std::nullopt;
    return fetchedColumns(reading->statement.get(), reading->moneyColumns);
}

// Nullptr when the range statement fails: each statement then runs, and reports, alone.
std::unique_ptr<KeptRange> EmbeddedSession::readRange(const GroupedSumShape &shape)
{
    const std::optional<PreparedReading> reading = preparedReading(shape.rangeStatement);
    if (!reading)
        return nullptr;
    int rc = SQLITE_DONE;
    FetchedRows rows = fetchRows(reading->statement.get(), rc, reading->moneyColumns);
    if (rc != SQLITE_DONE)
        return nullptr;
    m_database->watchTables(reading->tables);
    return std::make_unique<KeptRange>(std::move(rows), shape);
}

// SQL Server compiles a whole batch before running any of it, so a statement it cannot parse,
// or one that names a missing column of a table that exists, stops the statements before it
// too. A missing table is resolved only when its statement runs: an earlier statement of the
// batch may create it.
std::optional<ProviderError> EmbeddedSession::syntaxErrorOf(const TranslatedBatch &batch)
{
    for (const EngineStatement &statement : batch.statements) {
        if (statement.kind != EngineStatement::Kind::Sql)
            continue;
        std::optional<ProviderError> error;
        QByteArray rest;
        m_database->prepare(statement.sql, error, &rest);
        if (error
            && (error->nativeError == native::SyntaxError
                || error->nativeError == native::InvalidColumn))
            return error;
    }
    return std::nullopt;
}

bool EmbeddedSession::runStatement(const EngineStatement &statement, bool updatable,
                                   ExecutionResult &result)
{
    std::optional<ProviderError> error;
    switch (statement.kind) {
    case EngineStatement::Kind::Sql:
        error = runSql(statement.sql, updatable, result, statement.moneyColumns);
        break;
    case EngineStatement::Kind::NoOp:
        break;
    case EngineStatement::Kind::UseDatabase:
        error = useDatabase(statement.arguments.value(0));
        break;
    case EngineStatement::Kind::CreateDatabase:
        error = createDatabase(statement.arguments.value(0), statement.arguments.value(1));
        break;
    case EngineStatement::Kind::AddLogin:
        error = LoginRegistry(m_dataFolder)
                    .addLogin(statement.arguments.value(0), statement.arguments.value(1),
                              statement.arguments.value(2));
        break;
    case EngineStatement::Kind::SetDateFormat:
        m_dateOrder = statement.dateOrder;
        m_translations.clear();
        m_keptSums.clear();
        break;
    case EngineStatement::Kind::BeginTransaction:
        error = firstOf(beginTransaction());
        break;
    case EngineStatement::Kind::CommitTransaction:
        error = firstOf(commitTransaction());
        break;
    case EngineStatement::Kind::RollbackTransaction:
        error = firstOf(rollbackTransaction());
        break;
    case EngineStatement::Kind::ConditionalSql: {
        bool holds = false;
        error = conditionHolds(statement, holds);
        if (!error && holds)
            error = runSql(statement.sql, updatable, result, statement.moneyColumns);
        break;
    }
    case EngineStatement::Kind::Fail:
        error = engineError(statement.nativeError, statement.message);
        break;
    }
    if (!error)
        return true;
    followAbandonedTransaction();
    result.errors.append(withNotice(*error));
    return endsOnlyTheStatement(*error);
}

std::optional<ProviderError> EmbeddedSession::runSql(const QString &sql, bool updatable,
                                                     ExecutionResult &result,
                                                     const QVector<int> &moneyColumns)
{
    std::optional<ProviderError> error;
    QByteArray rest;
    PreparedStatement statement = m_database->prepare(sql, error, &rest);
    while (!error) {
        if (statement)
            error = runPrepared(statement.get(), updatable, result, moneyColumns);
        if (error || rest.isEmpty())
            break;
        statement = m_database->prepareFirst(QByteArray(rest), rest, error);
    }
    return error;
}

std::optional<ProviderError> EmbeddedSession::runPrepared(sqlite3_stmt *statement, bool updatable,
                                                          ExecutionResult &result,
                                                          const QVector<int> &moneyColumns)
{
    int rc = SQLITE_DONE;
    if (sqlite3_column_count(statement) > 0 && !result.rowSet) {
        RowSet rows = readRowSet(m_database->handle(), statement, updatable, rc, moneyColumns);
        if (rc == SQLITE_DONE)
            result.rowSet = std::move(rows);
    } else {
        while ((rc = stepStatement(statement)) == SQLITE_ROW) { }
    }
    if (rc != SQLITE_DONE)
        return m_database->lastError(rc);
    if (isDataChange(statement))
        result.recordsAffected = std::max<std::int64_t>(result.recordsAffected, 0)
            + sqlite3_changes64(m_database->handle());
    return std::nullopt;
}

std::optional<ProviderError> EmbeddedSession::conditionHolds(const EngineStatement &statement,
                                                             bool &holds)
{
    std::optional<ProviderError> error;
    PreparedStatement condition = m_database->prepare(statement.condition, error);
    if (error)
        return error;
    const int rc = condition ? stepStatement(condition.get()) : SQLITE_DONE;
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return m_database->lastError(rc);
    holds = (rc == SQLITE_ROW) != statement.negated;
    return std::nullopt;
}

ExecutionResult EmbeddedSession::openSchema(Schema schema, const QVariantList &restrictions)
{
    ExecutionResult result;
    if (std::optional<ProviderError> lost = linkLossError()) {
        result.errors.append(*lost);
        return result;
    }
    m_database->startOperation();
    return schemaRowset(*m_database, m_databaseName, schema, restrictions);
}

WriteResult EmbeddedSession::updateRow(const UpdateTarget &target, const QVector<Column> &columns,
                                       const QVector<QVariant> &key,
                                       const QVector<int> &changedColumns,
                                       const QVector<QVariant> &originalRow,
                                       const QVector<QVariant> &row)
{
    if (std::optional<ProviderError> lost = linkLossError())
        return {{*lost}, {}, {}};
    m_database->startOperation();
    WriteResult result
        = RowWriter(*m_database, target, columns).update(key, changedColumns, originalRow, row);
    followAbandonedTransaction();
    return result;
}

WriteResult EmbeddedSession::insertRow(const UpdateTarget &target, const QVector<Column> &columns,
                                       const QVector<int> &assignedColumns,
                                       const QVector<QVariant> &row)
{
    if (std::optional<ProviderError> lost = linkLossError())
        return {{*lost}, {}, {}};
    m_database->startOperation();
    WriteResult result = RowWriter(*m_database, target, columns).insert(assignedColumns, row);
    followAbandonedTransaction();
    return result;
}

QVector<ProviderError> EmbeddedSession::setDefaultDatabase(const QString &name)
{
    if (std::optional<ProviderError> lost = linkLossError())
        return {*lost};
    if (name.compare(m_databaseName, Qt::CaseInsensitive) == 0)
        return {};
    if (std::optional<ProviderError> error = useDatabase(name))
        return {*error};
    return {};
}

void EmbeddedSession::setCommandTimeout(int seconds)
{
    m_timeoutSeconds = seconds;
    m_database->setTimeout(seconds);
}

QVector<ProviderError> EmbeddedSession::beginTransaction()
{
    if (std::optional<ProviderError> lost = linkLossError())
        return {*lost};
    if (m_transactionDepth == 0) {
        if (std::optional<ProviderError> error = m_database->run("BEGIN"))
            return {*error};
    }
    ++m_transactionDepth;
    return {};
}

QVector<ProviderError> EmbeddedSession::commitTransaction()
{
    if (std::optional<ProviderError> lost = linkLossError())
        return {*lost};
    followAbandonedTransaction();
    if (m_transactionDepth == 0) {
        return {engineError(native::NoTransactionToCommit,
                            QStringLiteral("The COMMIT TRANSACTION request has no corresponding "
                                           "BEGIN TRANSACTION."))};
    }
    if (m_transactionDepth == 1) {
        if (std::optional<ProviderError> error = m_database->run("COMMIT"))
            return {*error};
    }
    --m_transactionDepth;
    return {};
}

QVector<ProviderError> EmbeddedSession::rollbackTransaction()
{
    if (std::optional<ProviderError> lost = linkLossError())
        return {*lost};
    followAbandonedTransaction();
    if (m_transactionDepth == 0) {
        return {engineError(native::NoTransactionToRollback,
                            QStringLiteral("The ROLLBACK TRANSACTION request has no corresponding "
                                           "BEGIN TRANSACTION."))};
    }
    m_transactionDepth = 0;
    if (std::optional<ProviderError> error = m_database->run("ROLLBACK"))
        return {*error};
    return {};
}

// SQLite ends a transaction by itself after some failures (a full disk, an interrupted write);
// the counter must not go on claiming one.
void EmbeddedSession::followAbandonedTransaction()
{
    if (m_transactionDepth > 0 && sqlite3_get_autocommit(m_database->handle()))
        m_transactionDepth = 0;
}

} // namespace platform::db::embedded
