#include "engine_fixture.h"

#include "platform/error.h"

#include <QFile>

using namespace platform::db;

void EngineTest::SetUp()
{
    ASSERT_TRUE(m_folder.isValid());
    qputenv("RP_PANELCTA_DATOS", m_folder.path().toUtf8());
    createDatabaseFile(QStringLiteral("PRUEBA"));
    m_connection = Connection::create();
    m_connection->open(connectionString());
}

void EngineTest::TearDown()
{
    m_connection.reset();
    qunsetenv("RP_PANELCTA_DATOS");
}

QString EngineTest::connectionString(const QString &database)
{
    return QStringLiteral("PROVIDER=SQLOLEDB;Server=(embebido);Database =%1;UId=prueba;Pwd=x;")
        .arg(database);
}

void EngineTest::createDatabaseFile(const QString &name) const
{
    // An empty file is an empty database.
    QFile file(m_folder.filePath(name + QStringLiteral(".db")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

void EngineTest::run(const QString &sql)
{
    try {
        m_connection->execute(sql);
    } catch (const platform::Error &error) {
        FAIL() << sql.toStdString() << ": " << error.what();
    }
}

std::int32_t EngineTest::failureOf(const QString &sql)
{
    try {
        m_connection->execute(sql);
    } catch (const platform::Error &error) {
        return error.number();
    }
    ADD_FAILURE() << "no failure: " << sql.toStdString();
    return 0;
}

QStringList EngineTest::column(const QString &sql)
{
    QStringList values;
    Recordset rows = m_connection->execute(sql);
    for (; !rows.eof(); rows.moveNext())
        values.append(rows.field(0).value().toString());
    return values;
}

QVariant EngineTest::scalar(const QString &sql)
{
    Recordset rows = m_connection->execute(sql);
    return rows.field(0).value();
}
