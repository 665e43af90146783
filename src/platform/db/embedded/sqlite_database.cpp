#include "platform/db/embedded/sqlite_database.h"

#include "platform/db/embedded/engine_errors.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sqlite3.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif
#include <unistd.h>

namespace platform::db::embedded {

namespace {

// A new database file is its owner's alone: made here before SQLite opens it, since SQLite
// would make it with the process's default mode, and its journal files take the file's mode.
// A file that is there already is left as it is.
void createPrivateFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

// Enough for every statement shape the program repeats; beyond it the cache starts over
// rather than growing with the many one-off texts of a long run.
constexpr qsizetype statementCacheLimit = 1024;
constexpr int progressInterval = 1000; // virtual machine steps between deadline checks

bool isBlank(const char *text, const char *end)
{
    for (; text < end; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n' && *text != ';')
            return false;
    }
    return true;
}

// Reading the journal mode reads the file header: a file that is no database fails at once.
// A statistic run reads a large part of the journal many times over: the cache and the memory
// map keep its index pages at hand between the sums. Every write of a recordset reads its row
// back through a temporary table, which belongs in memory, not in a file of its own.
const char *const connectionSettings[] = {
    "PRAGMA journal_mode=WAL",
    "PRAGMA foreign_keys=ON",
    "PRAGMA cache_size=-65536", // KiB
    "PRAGMA temp_store=MEMORY",
};

// The whole file and what a session may add to it: a map shorter than the file sends every
// read beyond it through the page cache.
constexpr qint64 mapHeadroom = qint64(256) << 20;
constexpr qint64 smallestMap = qint64(1) << 30;

QByteArray mapSizeSetting(const QString &path)
{
    const qint64 size = std::max(QFileInfo(path).size() + mapHeadroom, smallestMap);
    return "PRAGMA mmap_size=" + QByteArray::number(size);
}

// The engine never asks SQLite for its memory figures, and uses each connection from one
// thread at a time: without the locks those would take, every statement step is cheaper. The
// figures can only be turned off before the library starts; later it stays as it is.
void configureLibrary()
{
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    Q_UNUSED(configured);
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx"))) void zeroUpperVectorHalves()
{
    _mm256_zeroupper();
}

void clearUpperVectorState()
{
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx)
        zeroUpperVectorHalves();
}
#else
void clearUpperVectorState() { }
#endif

} // namespace

int stepStatement(sqlite3_stmt *statement)
{
    clearUpperVectorState();
    return sqlite3_step(statement);
}

PreparedStatement::PreparedStatement(PreparedStatement &&other) noexcept
    : m_statement(std::exchange(other.m_statement, nullptr)), m_owned(other.m_owned)
{ }

PreparedStatement &PreparedStatement::operator=(PreparedStatement &&other) noexcept
{
    if (this != &other) {
        release();
        m_statement = std::exchange(other.m_statement, nullptr);
        m_owned = other.m_owned;
    }
    return *this;
}

PreparedStatement::~PreparedStatement()
{
    release();
}

void PreparedStatement::release()
{
    if (!m_statement)
        return;
    if (m_owned) {
        sqlite3_finalize(m_statement);
    } else {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    m_statement = nullptr;
}

SqliteDatabase::SqliteDatabase(sqlite3 *db, QString path) : m_db(db), m_path(std::move(path))
{
    sqlite3_progress_handler(m_db, progressInterval, &SqliteDatabase::checkDeadline, this);
    // Set once: setting an authorizer expires every prepared statement of the connection.
    sqlite3_set_authorizer(m_db, &SqliteDatabase::authorize, this);
    sqlite3_update_hook(m_db, &SqliteDatabase::rowChanged, this);
    sqlite3_rollback_hook(m_db, &SqliteDatabase::rolledBack, this);
    setTimeout(m_timeoutSeconds);
}

SqliteDatabase::Opened SqliteDatabase::open(const QString &path, FunctionContext *context,
                                            bool create)
{
    if (create)
        createPrivateFile(path);
    configureLibrary();
    sqlite3 *db = nullptr;
    const int flags
        = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_close(db);
        return {nullptr, lostLink(message)};
    }
    sqlite3_extended_result_codes(db, 1);
    registerSqlServerFunctions(db, context);
    std::unique_ptr<SqliteDatabase> database(new SqliteDatabase(db, path));
    for (const char *setting : connectionSettings) {
        if (std::optional<ProviderError> error = database->run(setting))
            return {nullptr, error};
    }
    if (std::optional<ProviderError> error = database->run(mapSizeSetting(path).constData()))
        return {nullptr, error};
    return {std::move(database), std::nullopt};
}

SqliteDatabase::~SqliteDatabase()
{
    for (sqlite3_stmt *statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    sqlite3_close(m_db);
}

PreparedStatement SqliteDatabase::prepare(const QString &sql, std::optional<ProviderError> &error,
                                          QByteArray *rest)
{
    if (sqlite3_stmt *cached = m_statements.value(sql))
        return PreparedStatement(cached, false);
    QByteArray remainder;
    PreparedStatement statement = prepareFirst(sql.toUtf8(), remainder, error);
    if (!remainder.isEmpty()) {
        if (rest)
            *rest = remainder;
        return statement;
    }
    if (!statement)
        return statement;
    sqlite3_stmt *raw = statement.take(); // the cache owns it from now on
    m_statements.insert(sql, raw);
    return PreparedStatement(raw, false);
}

PreparedStatement SqliteDatabase::prepareFirst(const QByteArray &sql, QByteArray &rest,
                                               std::optional<ProviderError> &error)
{
    rest.clear();
    error.reset();
    const char *tail = nullptr;
    sqlite3_stmt *statement = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql.constData(), int(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &statement, &tail);
    if (rc != SQLITE_OK) {
        error = lastError(rc);
        return {};
    }
    const char *end = sql.constData() + sql.size();
    if (tail && !isBlank(tail, end))
        rest = QByteArray(tail, end - tail);
    return PreparedStatement(statement, true);
}

std::optional<ProviderError> SqliteDatabase::run(const char *sql)
{
    char *message = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        return lastError(rc);
    return std::nullopt;
}

void SqliteDatabase::setTimeout(int seconds)
{
    m_timeoutSeconds = seconds;
    const int busyMilliseconds = seconds > 0 && seconds < std::numeric_limits<int>::max() / 1000
        ? seconds * 1000
        : std::numeric_limits<int>::max();
    sqlite3_busy_timeout(m_db, busyMilliseconds);
}

void SqliteDatabase::startOperation()
{
    if (m_timeoutSeconds > 0)
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_timeoutSeconds);
    else
        m_deadline.reset();
    if (m_statements.size() > statementCacheLimit) {
        for (sqlite3_stmt *statement : std::as_const(m_statements))
            sqlite3_finalize(statement);
        m_statements.clear();
    }
}

int SqliteDatabase::checkDeadline(void *self)
{
    const auto &deadline = static_cast<SqliteDatabase *>(self)->m_deadline;
    return deadline && std::chrono::steady_clock::now() > *deadline ? 1 : 0;
}

bool SqliteDatabase::isDateColumn(const QString &column)
{
    return columnKind(m_dateColumns).contains(column.toLower());
}

bool SqliteDatabase::isTextColumn(const QString &column)
{
    return columnKind(m_textColumns).contains(column.toLower());
}

bool SqliteDatabase::isMoneyColumn(const QString &column)
{
    return columnKind(m_moneyColumns).contains(column.toLower());
}

QString SqliteDatabase::declaredType(const QString &column)
{
    columnKind(m_moneyColumns);
    return m_declaredTypes.value(column.toLower());
}

bool SqliteDatabase::isIdentityColumn(const QString &table, const QString &column)
{
    return columnKind(m_identityColumns).contains((table + u'|' + column).toLower());
}

const QSet<QString> &SqliteDatabase::columnKind(const QSet<QString> &kind)
{
    const int version = schemaVersion();
    if (m_columnKindsVersion != version) {
        loadColumnKinds();
        m_columnKindsVersion = version;
    }
    return kind;
}

int SqliteDatabase::schemaVersion()
{
    return pragmaValue("PRAGMA schema_version");
}

bool SqliteDatabase::leadsIndex(const QString &table, const QString &column,
                                const QString &collation)
{
    const int version = schemaVersion();
    if (m_indexLeadersVersion != version) {
        loadIndexLeaders();
        m_indexLeadersVersion = version;
    }
    return m_indexLeaders.contains((table + u'|' + column + u'|' + collation).toLower());
}

void SqliteDatabase::loadIndexLeaders()
{
    m_indexLeaders.clear();
    std::optional<ProviderError> error;
    PreparedStatement leaders
        = prepare(QStringLiteral("SELECT m.name, c.name, c.coll FROM sqlite_schema AS m, "
                                 "pragma_index_list(m.name) AS i, pragma_index_xinfo(i.name) AS c "
                                 "WHERE m.type = 'table' AND c.seqno = 0"),
                  error);
    const auto text = [&](int column) {
        return QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(leaders.get(), column)));
    };
    while (leaders && stepStatement(leaders.get()) == SQLITE_ROW)
        m_indexLeaders.insert((text(0) + u'|' + text(1) + u'|' + text(2)).toLower());
}

void SqliteDatabase::loadColumnKinds()
{
    m_dateColumns.clear();
    m_declaredTypes.clear();
    m_identityColumns.clear();
    QSet<QString> text, notText, money, notMoney;
    std::optional<ProviderError> error;
    PreparedStatement tables = prepare(
        QStringLiteral("SELECT name, sql LIKE '%AUTOINCREMENT%' FROM sqlite_schema WHERE type IN "
                       "('table','view') AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"),
        error);
    QStringList names;
    QSet<QString> numbered; // tables with an AUTOINCREMENT key
    while (tables && stepStatement(tables.get()) == SQLITE_ROW) {
        names.append(QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(tables.get(), 0))));
        if (sqlite3_column_int(tables.get(), 1))
            numbered.insert(names.last());
    }
    tables = PreparedStatement();
    // One table at a time: a view over a missing table must not hide the others' columns.
    for (const QString &name : std::as_const(names)) {
        PreparedStatement columns
            = prepare(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"), error);
        if (!columns)
            continue;
        const QByteArray utf8 = name.toUtf8();
        sqlite3_bind_text(columns.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        while (stepStatement(columns.get()) == SQLITE_ROW) {
            const QString column = QString::fromUtf8(reinterpret_cast<const char *>(
                                                         sqlite3_column_text(columns.get(), 0)))
                                       .toLower();
            const QString type = QString::fromUtf8(reinterpret_cast<const char *>(
                                                       sqlite3_column_text(columns.get(), 1)))
                                     .toLower();
            if (type.contains(QLatin1String("date")) || type.contains(QLatin1String("time")))
                m_dateColumns.insert(column);
            const auto declared = m_declaredTypes.constFind(column);
            m_declaredTypes.insert(
                column, declared == m_declaredTypes.cend() || *declared == type ? type : QString());
            if (numbered.contains(name) && sqlite3_column_int(columns.get(), 2) == 1
                && type == QLatin1String("integer"))
                m_identityColumns.insert((name + u'|' + column).toLower());
            const bool isText
                = type.contains(QLatin1String("char")) || type.contains(QLatin1String("text"));
            (isText ? text : notText).insert(column);
            (type.contains(QLatin1String("money")) ? money : notMoney).insert(column);
        }
    }
    m_textColumns = text.subtract(notText);
    m_moneyColumns = money.subtract(notMoney);
}

int SqliteDatabase::authorize(void *self, int action, const char *table, const char *, const char *,
                              const char *)
{
    QSet<QString> *tablesRead = static_cast<SqliteDatabase *>(self)->m_tablesRead;
    if (action == SQLITE_READ && table && tablesRead)
        tablesRead->insert(QString::fromUtf8(table).toLower());
    return SQLITE_OK;
}

void SqliteDatabase::rowChanged(void *self, int, const char *, const char *table, qint64)
{
    auto *database = static_cast<SqliteDatabase *>(self);
    ++database->m_rowsChangedSeen;
    for (const QByteArray &watched : std::as_const(database->m_watchedTables)) {
        if (qstricmp(watched.constData(), table) == 0) {
            ++database->m_ownChanges;
            return;
        }
    }
}

// Rows read after a write of this connection's transaction are no longer there.
void SqliteDatabase::rolledBack(void *self)
{
    ++static_cast<SqliteDatabase *>(self)->m_ownChanges;
}

int SqliteDatabase::pragmaValue(const char *sql)
{
    std::optional<ProviderError> error;
    PreparedStatement statement = prepare(QLatin1String(sql), error);
    if (!statement || stepStatement(statement.get()) != SQLITE_ROW)
        return -1;
    return sqlite3_column_int(statement.get(), 0);
}

ChangeMark SqliteDatabase::changeMark()
{
    // A DELETE without a WHERE empties its table at once, counting its rows without showing
    // them to rowChanged: a count past the rows seen is a change of any table.
    const qint64 changed = sqlite3_total_changes64(m_db);
    if (changed - m_rowsChangedAtMark > m_rowsChangedSeen - m_rowsSeenAtMark)
        ++m_ownChanges;
    m_rowsChangedAtMark = changed;
    m_rowsSeenAtMark = m_rowsChangedSeen;
    return {pragmaValue("PRAGMA data_version"), schemaVersion(), m_ownChanges};
}

PreparedStatement SqliteDatabase::prepareReading(const QString &sql, QSet<QString> &tables,
                                                 std::optional<ProviderError> &error)
{
    m_tablesRead = &tables;
    QByteArray rest;
    PreparedStatement statement = prepareFirst(sql.toUtf8(), rest, error);
    m_tablesRead = nullptr;
    if (!rest.isEmpty())
        return {};
    return statement;
}

void SqliteDatabase::watchTables(const QSet<QString> &tables)
{
    for (const QString &table : tables) {
        const QByteArray name = table.toUtf8();
        if (!m_watchedTables.contains(name))
            m_watchedTables.append(name);
    }
}

ProviderError SqliteDatabase::lastError(int resultCode) const
{
    return sqliteError(m_db, resultCode);
}

} // namespace platform::db::embedded
