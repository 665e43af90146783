#include "core_database_test.h"

#include "core/mod_global.h"
#include "data/db_dll.h"
#include "data/error_log.h"
#include "demo/suite_database.h"
#include "platform/db/recordset.h"
#include "platform/legacy_files.h"
#include "platform/runtime.h"

#include <QFile>

namespace core_testing {

namespace {

const QString MainDatabase = QStringLiteral("PRINCIPAL");
const QString StatisticsDatabase = QStringLiteral("TV_ESTADISTICAS");

std::shared_ptr<platform::db::Connection> openTestConnection(const QString &database)
{
    auto connection = platform::db::Connection::create();
    connection->open(demo::connectionString(database));
    return connection;
}

QVariant firstValue(platform::db::Connection &connection, const QString &sql)
{
    platform::db::Recordset rows = connection.execute(sql);
    return rows.eof() ? QVariant() : rows.field(0).value();
}

} // namespace

const QDateTime ErrorLogTest::FixedNow(QDate(2026, 3, 5), QTime(14, 7, 9));

void ErrorLogTest::SetUp()
{
    ASSERT_TRUE(m_tempFolder.isValid());
    m_previousTmpDir = qgetenv("TMPDIR");
    m_previousRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
    m_previousDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("TMPDIR", m_tempFolder.path().toUtf8());
    // The private folder of the logs that may hold a password lands in the test's folder too.
    qputenv("XDG_RUNTIME_DIR", m_tempFolder.path().toUtf8());
    qputenv("XDG_DATA_HOME", m_tempFolder.path().toUtf8());
    platform::setClock([] { return FixedNow; });
}

void ErrorLogTest::TearDown()
{
    platform::setClock({});
    qputenv("TMPDIR", m_previousTmpDir);
    qputenv("XDG_RUNTIME_DIR", m_previousRuntimeDir);
    qputenv("XDG_DATA_HOME", m_previousDataHome);
}

QStringList ErrorLogTest::logLines() const
{
    QFile log(data::userErrorLogPath());
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = platform::fromWindows1252(log.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void ErrorLogTest::expectOneUnansweredLine(const QString &routine, const QString &numberStart) const
{
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("03-05-2026 14:07:09 Rutina: - ") + routine
                                    + QStringLiteral(" Mensaje Ha ocurrido el Siguiente Error (")
                                    + numberStart))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" Respondió : "))) << lines[0].toStdString();
}

void CoreDatabaseTest::SetUp()
{
    ErrorLogTest::SetUp();
    ASSERT_TRUE(m_dataFolder.isValid());
    qputenv("RP_PANELCTA_DATOS", m_dataFolder.path().toUtf8());
    demo::SuiteOptions withoutRows;
    withoutRows.sampleData = false;
    demo::createSuiteDatabase(MainDatabase, withoutRows);
    demo::createDatabase(StatisticsDatabase);
    m_main = openTestConnection(MainDatabase);
    m_statistics = openTestConnection(StatisticsDatabase);
    runOnStatistics(QStringLiteral("CREATE TABLE TA_CONFIGURACION (CLAVE varchar(50) NOT NULL "
                                   "PRIMARY KEY, VALOR varchar(255) NULL, ValorAux varchar(255) "
                                   "NULL, Grupo varchar(50) NULL, PoliticaNegocio bit NULL)"));

    openProgramConnection(data::gDB(), MainDatabase);
    openProgramConnection(data::gDBEstadisticas(), StatisticsDatabase);
    core::gTablaConfiguracion.clear();
    core::gUsuarioLogeado = data::gDB().gUsuario;
}

void CoreDatabaseTest::TearDown()
{
    closeProgramConnection(data::gDB());
    closeProgramConnection(data::gDBEstadisticas());
    m_main->close();
    m_statistics->close();
    ErrorLogTest::TearDown();
}

void CoreDatabaseTest::runOnMain(const QString &sql)
{
    m_main->execute(sql);
}

void CoreDatabaseTest::runOnStatistics(const QString &sql)
{
    m_statistics->execute(sql);
}

QVariant CoreDatabaseTest::valueOnMain(const QString &sql)
{
    return firstValue(*m_main, sql);
}

QVariant CoreDatabaseTest::valueOnStatistics(const QString &sql)
{
    return firstValue(*m_statistics, sql);
}

void CoreDatabaseTest::openProgramConnection(data::DB_Dll &db, const QString &database)
{
    const demo::SuiteUser &user = demo::administratorUser();
    db.gServidor = QStringLiteral("(embebido)");
    db.gDBName = database;
    db.gUsuario = user.name;
    db.gUserPassWord = user.password;
    db.gLogErr = tempFolder() + QStringLiteral("/TVERR_DATOS.LOG");
    db.OpenServerADODB(false, platform::db::adUseClient, QString(), false, false);
    ASSERT_TRUE(db.gOpenFlag) << database.toStdString();
}

void CoreDatabaseTest::closeProgramConnection(data::DB_Dll &db)
{
    if (db.gCnn->state() == platform::db::adStateOpen)
        db.gCnn->close();
    db.gOpenFlag = false;
}

} // namespace core_testing
