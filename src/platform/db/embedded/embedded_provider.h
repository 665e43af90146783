#pragma once

#include "platform/db/provider.h"

#include <optional>

namespace platform::db::embedded {

// True when the connection string's server is "(embebido)", in any letter case, with or without
// a port after ",".
bool servesConnection(const ConnectionString &connection);

// Opens the database file <data folder>/<Database>.db of the embedded engine.
OpenResult open(const ConnectionString &connection, const QString &user, const QString &password);

// The folder of the engine's database files: RP_PANELCTA_DATOS, else "datos" in the program
// folder.
QString dataFolder();

// For tests of the data layer's reconnection: while set, every session of the engine fails as
// over a lost link (E_FAIL), and no new one opens.
void simulateLinkLoss(bool lost);

// The error of a lost link while simulateLinkLoss is set.
std::optional<ProviderError> linkLossError();

} // namespace platform::db::embedded
