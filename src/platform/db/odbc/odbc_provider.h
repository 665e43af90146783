#pragma once

#include "platform/db/provider.h"

namespace platform::db::odbc {

// Opens a session on a real server over ODBC, from the program's connection string.
OpenResult open(const ConnectionString &connection, const QString &user, const QString &password);

} // namespace platform::db::odbc
