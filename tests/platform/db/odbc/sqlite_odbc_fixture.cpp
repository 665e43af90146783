#include "sqlite_odbc_fixture.h"

#include "platform/db/odbc/odbc_handles.h"

using namespace platform::db;

QString SqliteOdbcTest::connectionString() const
{
    const bool registered = odbc::installedDriverNames().contains(QStringLiteral("SQLite3"));
    const QString driver = registered
        ? QStringLiteral("{SQLite3}")
        : QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so");
    return QStringLiteral("DRIVER=%1;Database=%2").arg(driver, databaseFile());
}

QString SqliteOdbcTest::databaseFile() const
{
    return m_folder.filePath(QStringLiteral("conta.db"));
}

std::unique_ptr<Session> SqliteOdbcTest::newSession() const
{
    OpenResult opened = platform::db::openSession(connectionString(), {}, {});
    EXPECT_TRUE(opened.errors.isEmpty())
        << (opened.errors.isEmpty() ? std::string() : opened.errors[0].description.toStdString());
    return std::move(opened.session);
}

void SqliteOdbcTest::run(Session &session, std::initializer_list<const char *> statements)
{
    for (const char *statement : statements) {
        const ExecutionResult result = session.execute(QString::fromUtf8(statement), false);
        ASSERT_FALSE(result.failed())
            << statement << ": " << result.errors[0].description.toStdString();
    }
}

QVector<QVector<QVariant>> SqliteOdbcTest::rowsOf(Session &session, const QString &query)
{
    const ExecutionResult result = session.execute(query, false);
    EXPECT_FALSE(result.failed()) << query.toStdString();
    return result.rowSet ? result.rowSet->rows : QVector<QVector<QVariant>>{};
}
