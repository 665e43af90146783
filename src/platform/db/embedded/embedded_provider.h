#pragma once

#include "platform/db/provider.h"

namespace platform::db::embedded {

// True when the connection string's server is "(embebido)", in any letter case.
bool servesConnection(const ConnectionString &connection);

// Opens the database file <data folder>/<Database>.db of the embedded engine.
OpenResult open(const ConnectionString &connection, const QString &user, const QString &password);

} // namespace platform::db::embedded
