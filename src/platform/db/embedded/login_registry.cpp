#include "platform/db/embedded/login_registry.h"

#include "platform/db/embedded/column_types.h"
#include "platform/db/embedded/engine_errors.h"
#include "platform/db/embedded/password_hash.h"
#include "platform/db/embedded/sqlite_database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace platform::db::embedded {

namespace {

QString columnText(sqlite3_stmt *statement, int column)
{
    return QString::fromUtf8(
        reinterpret_cast<const char *>(sqlite3_column_text(statement, column)));
}

struct Registry
{
    FunctionContext context;
    std::unique_ptr<SqliteDatabase> database;
    std::optional<ProviderError> error;
};

std::optional<ProviderError> write(SqliteDatabase &database, const QString &sql,
                                   const QStringList &values);

// A registry written before passwords were hashed keeps them in clear: each becomes its key, and
// the file, readable by others then, becomes its owner's alone.
std::optional<ProviderError> replaceClearPasswords(SqliteDatabase &database, const QString &path)
{
    std::optional<ProviderError> error;
    QVector<std::pair<QString, QString>> clear;
    {
        PreparedStatement statement
            = database.prepare(QStringLiteral("SELECT name, password FROM logins"), error);
        if (!statement)
            return error;
        while (stepStatement(statement.get()) == SQLITE_ROW) {
            const QString password = columnText(statement.get(), 1);
            if (!isPasswordHash(password))
                clear.append({columnText(statement.get(), 0), password});
        }
    }
    if (clear.isEmpty())
        return std::nullopt;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    for (const auto &[login, password] : clear) {
        error = write(database, QStringLiteral("UPDATE logins SET password = ? WHERE name = ?"),
                      {hashPassword(password), login});
        if (error)
            return error;
    }
    return std::nullopt;
}

std::unique_ptr<Registry> openRegistry(const QString &folder, bool create)
{
    auto registry = std::make_unique<Registry>();
    QString path = findDatabaseFile(folder, systemDatabase);
    if (path.isEmpty()) {
        if (!create) {
            registry->error = engineError(0, QStringLiteral("No login registry"));
            return registry;
        }
        path = QDir(folder).filePath(systemDatabase + QStringLiteral(".db"));
    }
    SqliteDatabase::Opened opened = SqliteDatabase::open(path, &registry->context, create);
    registry->database = std::move(opened.database);
    registry->error = opened.error;
    if (registry->database) {
        // Overwritten passwords must not linger in the file's free pages.
        registry->error = registry->database->run(
            "PRAGMA secure_delete=ON;"
            "CREATE TABLE IF NOT EXISTS logins (name TEXT PRIMARY KEY COLLATE TSQL_CI_AS, "
            "password TEXT, default_database TEXT);"
            "CREATE TABLE IF NOT EXISTS databases (name TEXT PRIMARY KEY COLLATE TSQL_CI_AS, "
            "collation TEXT)");
    }
    if (!registry->error)
        registry->error = replaceClearPasswords(*registry->database, path);
    return registry;
}

std::optional<ProviderError> write(SqliteDatabase &database, const QString &sql,
                                   const QStringList &values)
{
    std::optional<ProviderError> error;
    PreparedStatement statement = database.prepare(sql, error);
    if (!statement)
        return error;
    for (int i = 0; i < values.size(); ++i)
        bindValue(statement.get(), i + 1, values[i]);
    const int rc = stepStatement(statement.get());
    if (rc != SQLITE_DONE)
        return database.lastError(rc);
    return std::nullopt;
}

} // namespace

std::optional<ProviderError> LoginRegistry::addLogin(const QString &login, const QString &password,
                                                     const QString &defaultDatabase)
{
    const QString database = defaultDatabase.isEmpty() ? systemDatabase : defaultDatabase;
    if (database.compare(systemDatabase, Qt::CaseInsensitive) != 0
        && findDatabaseFile(m_dataFolder, database).isEmpty()) {
        return engineError(native::LoginDatabaseMissing,
                           QStringLiteral("The database '%1' does not exist. Supply a valid "
                                          "database name. To see available databases, use "
                                          "sys.databases.")
                               .arg(database));
    }
    std::unique_ptr<Registry> registry = openRegistry(m_dataFolder, true);
    if (registry->error)
        return registry->error;
    std::optional<ProviderError> error
        = write(*registry->database,
                QStringLiteral("INSERT INTO logins (name, password, default_database) "
                               "VALUES (?, ?, ?)"),
                {login, hashPassword(password), database});
    if (error && error->nativeError == native::DuplicateKey)
        return engineError(native::LoginExists,
                           QStringLiteral("The server principal '%1' already exists.").arg(login));
    return error;
}

std::optional<ProviderError> LoginRegistry::authenticate(const QString &login,
                                                         const QString &password)
{
    const ProviderError failed = engineError(
        native::LoginFailed, QStringLiteral("Login failed for user '%1'.").arg(login));
    std::unique_ptr<Registry> registry = openRegistry(m_dataFolder, true);
    if (registry->error)
        return registry->error;
    std::optional<ProviderError> error;
    PreparedStatement statement = registry->database->prepare(
        QStringLiteral("SELECT password FROM logins WHERE name = ?"), error);
    if (!statement)
        return error;
    bindValue(statement.get(), 1, login);
    const bool known = stepStatement(statement.get()) == SQLITE_ROW;
    const QString stored = known ? columnText(statement.get(), 0) : QString();
    if (!known || !passwordMatches(stored, password))
        return failed;
    return std::nullopt;
}

std::optional<ProviderError> LoginRegistry::ensureExists()
{
    return openRegistry(m_dataFolder, true)->error;
}

std::optional<ProviderError> LoginRegistry::recordDatabase(const QString &name,
                                                           const QString &collation)
{
    std::unique_ptr<Registry> registry = openRegistry(m_dataFolder, true);
    if (registry->error)
        return registry->error;
    return write(*registry->database,
                 QStringLiteral("INSERT OR REPLACE INTO databases (name, collation) VALUES (?, ?)"),
                 {name, collation});
}

QString LoginRegistry::collationOf(const QString &database)
{
    std::unique_ptr<Registry> registry = openRegistry(m_dataFolder, false);
    if (registry->error)
        return {};
    std::optional<ProviderError> error;
    PreparedStatement statement = registry->database->prepare(
        QStringLiteral("SELECT collation FROM databases WHERE name = ?"), error);
    if (!statement)
        return {};
    bindValue(statement.get(), 1, database);
    if (stepStatement(statement.get()) != SQLITE_ROW)
        return {};
    return columnText(statement.get(), 0);
}

QString findDatabaseFile(const QString &folder, const QString &name)
{
    if (!isValidDatabaseName(name))
        return {};
    const QString wanted = name + QStringLiteral(".db");
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.db")}, QDir::Files);
    for (const QFileInfo &file : files) {
        if (file.fileName().compare(wanted, Qt::CaseInsensitive) == 0)
            return file.absoluteFilePath();
    }
    return {};
}

bool isValidDatabaseName(const QString &name)
{
    return !name.trimmed().isEmpty() && !name.contains(QLatin1Char('/'))
        && !name.contains(QLatin1Char('\\')) && name != QLatin1String(".")
        && name != QLatin1String("..");
}

} // namespace platform::db::embedded
