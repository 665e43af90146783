#include "platform/db/embedded/embedded_provider.h"

#include "platform/db/embedded/embedded_session.h"
#include "platform/db/embedded/engine_errors.h"
#include "platform/runtime.h"

#include <atomic>

namespace platform::db::embedded {

namespace {

std::atomic<bool> linkLost{false};

QString firstValue(const ConnectionString &connection, std::initializer_list<const char *> keys)
{
    for (const char *key : keys) {
        if (connection.contains(QLatin1String(key)))
            return connection.value(QLatin1String(key)).trimmed();
    }
    return {};
}

} // namespace

bool servesConnection(const ConnectionString &connection)
{
    // The engine listens on no port: one given with it, as "(embebido),1500", names it still.
    const QString server = firstValue(connection, {"Server", "Data Source"});
    return server.section(QLatin1Char(','), 0, 0)
               .trimmed()
               .compare(QLatin1String("(embebido)"), Qt::CaseInsensitive)
        == 0;
}

OpenResult open(const ConnectionString &connection, const QString &user, const QString &password)
{
    const QString login = user.isEmpty() ? firstValue(connection, {"UId", "User ID"}) : user;
    // The password is taken as written: blanks around it are part of it.
    const QString secret = password.isEmpty()
        ? connection.value(connection.contains(QStringLiteral("Pwd")) ? QStringLiteral("Pwd")
                                                                      : QStringLiteral("Password"))
        : password;
    return EmbeddedSession::open(
        dataFolder(), firstValue(connection, {"Database", "Initial Catalog"}), login, secret);
}

QString dataFolder()
{
    const QString configured = environmentVariable(QStringLiteral("RP_PANELCTA_DATOS"));
    if (!configured.isEmpty())
        return configured;
    return programFolder() + QStringLiteral("/datos");
}

void simulateLinkLoss(bool lost)
{
    linkLost = lost;
}

std::optional<ProviderError> linkLossError()
{
    if (!linkLost)
        return std::nullopt;
    return lostLink(QStringLiteral("Communication link failure"));
}

} // namespace platform::db::embedded
