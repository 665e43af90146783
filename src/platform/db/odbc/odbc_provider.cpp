#include "platform/db/odbc/odbc_provider.h"

#include "platform/db/odbc/odbc_connection_string.h"
#include "platform/db/odbc/odbc_session.h"

namespace platform::db::odbc {

OpenResult open(const ConnectionString &connection, const QString &user, const QString &password)
{
    const OdbcConnectionString odbc
        = toOdbcConnectionString(connection, user, password, DriverSetup::fromSystem());
    if (odbc.error)
        return {nullptr, {*odbc.error}};
    return OdbcSession::connect(odbc.text);
}

} // namespace platform::db::odbc
