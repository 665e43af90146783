#pragma once

#include "platform/db/provider.h"

#include <QString>
#include <QStringList>
#include <optional>

// How the program's OLE DB connection strings reach a server through an ODBC driver.
namespace platform::db::odbc {

// The drivers this machine offers, as the mapping needs to know them.
struct DriverSetup
{
    QString sqlServerDriver; // RP_PANELCTA_SQLSERVER_DRIVER, else "FreeTDS"
    QString oracleDriver; // RP_PANELCTA_ORACLE_DRIVER; empty when not set
    QStringList installedDrivers; // the names the driver manager knows

    // Reads the environment and asks the driver manager for its drivers.
    static DriverSetup fromSystem();
};

struct OdbcConnectionString
{
    QString text; // set when the mapping succeeded
    std::optional<ProviderError> error; // why the string cannot be mapped
};

// Maps a program connection string to the ODBC string that reaches the same database.
// Non-empty user and password override those of the string. Values are written as the driver
// reads them; a value the driver cannot carry gives an error that names it.
OdbcConnectionString toOdbcConnectionString(const ConnectionString &connection, const QString &user,
                                            const QString &password, const DriverSetup &drivers);

// A value as an ODBC connection string must carry it: braced when it holds a character that
// would otherwise end it or start another key, a "}" inside doubled.
QString odbcValue(const QString &value);

// A value as FreeTDS reads it: as it stands when it holds no ";" and does not start with "{",
// else braced with nothing doubled. Nothing for a value holding "};", which FreeTDS cannot
// carry in any form.
std::optional<QString> freeTdsValue(const QString &value);

} // namespace platform::db::odbc
