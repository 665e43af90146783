#include "demo/suite_database.h"

#include "platform/db/connection.h"
#include "platform/db/embedded/embedded_provider.h"
#include "platform/db/embedded/login_registry.h"
#include "platform/db/recordset.h"
#include "platform/error.h"

#include <QDir>
#include <QFile>

namespace demo {

const SuiteUser &administratorUser()
{
    static const SuiteUser user{QStringLiteral("ADMIN"), QStringLiteral("ADMIN"), true};
    return user;
}

const SuiteUser &operatorUser()
{
    static const SuiteUser user{QStringLiteral("OPERADOR"), QStringLiteral("OPERADOR"), false};
    return user;
}

QString connectionString(const QString &database, const SuiteUser &user)
{
    return u"PROVIDER=SQLOLEDB;Server=(embebido);Database =" % database % u";UId=" % user.name
        % u";Pwd=" % user.password % u';';
}

// The server's installer gives it its first logins: no connection can make one before.
void registerLogins()
{
    platform::db::embedded::LoginRegistry registry(platform::db::embedded::dataFolder());
    for (const SuiteUser *user : {&administratorUser(), &operatorUser()}) {
        const std::optional<platform::db::ProviderError> error
            = registry.addLogin(user->name, user->password, QString());
        if (error && error->nativeError != platform::db::native::LoginExists)
            throw platform::Error(error->number, error->description, error->source);
    }
}

void createDatabase(const QString &name)
{
    QDir().mkpath(platform::db::embedded::dataFolder());
    registerLogins();
    const auto server = platform::db::Connection::create();
    server->open(connectionString(QStringLiteral("master")));
    server->execute(u"CREATE DATABASE " % name);
    server->close();
}

namespace {

void fillSuiteDatabase(const QString &connectionText, const SuiteOptions &options)
{
    const auto connection = platform::db::Connection::create();
    connection->open(connectionText);
    createSchema(*connection);
    if (options.sampleData)
        insertSampleData(*connection, options.sample);
    connection->close();
}

// A database that could not be completed is removed, so that the next attempt starts afresh
// instead of finding a half-made database under the same name.
void removeDatabaseFiles(const QString &name)
{
    const QString file = platform::db::embedded::dataFolder() % u'/' % name % u".db";
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(file + suffix);
}

} // namespace

QString createSuiteDatabase(const QString &name, const SuiteOptions &options)
{
    createDatabase(name);
    const QString text = connectionString(name);
    try {
        fillSuiteDatabase(text, options);
    } catch (...) {
        removeDatabaseFiles(name);
        throw;
    }
    return text;
}

} // namespace demo
