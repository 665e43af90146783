#pragma once

#include "platform/db/provider.h"

#include <QString>
#include <optional>

// The embedded server's own records, kept in "master.db" of its data folder: the logins that
// sp_addlogin creates (each with a salted key of its password, never the password) and the
// collation each database was created with.
namespace platform::db::embedded {

// The database that holds the registry; it is where a connection without a database lands.
inline const QString systemDatabase = QStringLiteral("master");

class LoginRegistry
{
public:
    explicit LoginRegistry(QString dataFolder) : m_dataFolder(std::move(dataFolder)) { }

    // 15025 when the login exists, 15010 when its default database does not.
    std::optional<ProviderError> addLogin(const QString &login, const QString &password,
                                          const QString &defaultDatabase);

    // 18456 unless the login exists and the password is its own, as a server answers both.
    std::optional<ProviderError> authenticate(const QString &login, const QString &password);

    // Creates the registry's database when it is missing.
    std::optional<ProviderError> ensureExists();

    std::optional<ProviderError> recordDatabase(const QString &name, const QString &collation);
    // The collation a database was created with; empty when it was not created by the engine.
    QString collationOf(const QString &database);

private:
    QString m_dataFolder;
};

// The file <folder>/<name>.db, the name compared without regard to case; empty when none.
QString findDatabaseFile(const QString &folder, const QString &name);

// A database name that names a file of the folder and nothing outside it.
bool isValidDatabaseName(const QString &name);

} // namespace platform::db::embedded
