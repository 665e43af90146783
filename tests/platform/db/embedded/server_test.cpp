#include "engine_fixture.h"
#include "platform/error.h"

#include <QDir>
#include <QFile>

using namespace platform::db;

namespace {

using ServerTest = EngineTest;

TEST_F(ServerTest, CreateDatabaseAndUseSwitchTheCurrentFile)
{
    run(QStringLiteral("Create Database TV_ESTADISTICAS COLLATE Latin1_General_CI_AI \r\n"));
    EXPECT_TRUE(QFile::exists(m_folder.filePath(QStringLiteral("TV_ESTADISTICAS.db"))));
    EXPECT_EQ(failureOf(QStringLiteral("CREATE DATABASE tv_estadisticas")),
              hresult::ErrorsInCommand);
    EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{native::DatabaseExists});
    ASSERT_TRUE(QDir(m_folder.path()).mkdir(QStringLiteral("OCUPADA.db")));
    EXPECT_EQ(failureOf(QStringLiteral("CREATE DATABASE OCUPADA")), hresult::ErrorsInCommand)
        << "a file that cannot be made is no lost link";
    EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{native::CreateDatabaseFailed});

    run(QStringLiteral("USE TV_ESTADISTICAS\r\nCREATE TABLE TA_CONFIGURACION (CLAVE varchar(50) "
                       "NOT NULL PRIMARY KEY, VALOR varchar(255) NULL)"));
    EXPECT_EQ(m_connection->defaultDatabase(), QStringLiteral("TV_ESTADISTICAS"));
    m_connection->setDefaultDatabase(QStringLiteral("prueba"));
    EXPECT_EQ(failureOf(QStringLiteral("SELECT * FROM TA_CONFIGURACION")), hresult::NoTable);
    m_connection->setDefaultDatabase(QStringLiteral("tv_estadisticas"));
    run(QStringLiteral("SELECT * FROM TA_CONFIGURACION"));

    EXPECT_EQ(failureOf(QStringLiteral("USE NOEXISTE")), hresult::ErrorsInCommand);
    EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{native::DatabaseNotFound});
    EXPECT_EQ(failureOf([&] { m_connection->setDefaultDatabase(QStringLiteral("NOEXISTE")); }),
              hresult::ErrorsInCommand);
    EXPECT_EQ(m_connection->defaultDatabase(), QStringLiteral("TV_ESTADISTICAS"));
}

TEST_F(ServerTest, DatabaseCreatedAccentInsensitiveComparesWithoutAccents)
{
    run(QStringLiteral("CREATE DATABASE SIN_ACENTOS COLLATE Latin1_General_CI_AI"));
    run(QStringLiteral("USE SIN_ACENTOS"));
    run(QStringLiteral("CREATE TABLE T (NOMBRE varchar(20) NULL)"));
    run(QStringLiteral("INSERT INTO T (NOMBRE) VALUES ('Análisis')"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM T WHERE NOMBRE = 'ANALISIS'")).toInt(),
              1);
}

TEST_F(ServerTest, AddLoginKeepsARegistryOfLogins)
{
    struct Case
    {
        const char *sql;
        std::int32_t nativeError; // 0: succeeds
    };
    const Case cases[] = {
        {"EXEC  sp_addlogin N'contador', 'clave', 'NOEXISTE','Spanish'",
         native::LoginDatabaseMissing},
        {"EXEC  sp_addlogin N'contador', 'clave', 'PRUEBA','Spanish'", 0},
        {"EXEC  sp_addlogin N'CONTADOR', 'otra', 'PRUEBA'", native::LoginExists},
        {" EXEC sp_addsrvrolemember N'contador', sysadmin EXEC sp_addsrvrolemember N'contador', "
         "securityadmin",
         0},
        {" EXEC sp_grantdbaccess @loginame = 'contador' , @name_in_db ='contador'", 0},
        {" EXEC sp_addrolemember N'db_owner', N'contador'", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        if (c.nativeError == 0) {
            run(QString::fromUtf8(c.sql));
            continue;
        }
        failureOf(QString::fromUtf8(c.sql));
        EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{c.nativeError});
    }
}

TEST_F(ServerTest, MasterIsAlwaysThereAndOtherDatabasesAreNeverCreatedByOpening)
{
    auto server = Connection::create();
    server->open(connectionString(QStringLiteral("master")));
    server->execute(QStringLiteral("CREATE DATABASE NUEVA"));
    auto other = Connection::create();
    other->open(connectionString(QStringLiteral("nueva")));
    EXPECT_EQ(other->defaultDatabase(), QStringLiteral("NUEVA"));
}

TEST_F(ServerTest, MissingDataFolderFailsAsAnUnreachableServer)
{
    qputenv("RP_PANELCTA_DATOS", m_folder.filePath(QStringLiteral("no/hay")).toUtf8());
    auto other = Connection::create();
    EXPECT_EQ(failureOf([&] { other->open(connectionString()); }), hresult::E_Fail);
    EXPECT_EQ(other->errors().item(0).nativeError, 17);
    EXPECT_FALSE(QFile::exists(m_folder.filePath(QStringLiteral("no"))));
}

class SchemaRowsetTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        run(QStringLiteral("CREATE TABLE TA_USUARIOS (Nombre varchar(50) NOT NULL PRIMARY KEY, "
                           "Administrador smallint NULL)"));
        run(QStringLiteral("CREATE VIEW SS_MA_USUARIOS AS SELECT * FROM TA_USUARIOS"));
    }

    QStringList namesOf(Recordset rows, const QString &field)
    {
        QStringList names;
        for (; !rows.eof(); rows.moveNext())
            names.append(rows.field(field).value().toString());
        return names;
    }
};

TEST_F(SchemaRowsetTest, TablesListTablesAndViews)
{
    EXPECT_EQ(namesOf(m_connection->openSchema(adSchemaTables), QStringLiteral("TABLE_NAME")),
              (QStringList{QStringLiteral("TA_USUARIOS"), QStringLiteral("SS_MA_USUARIOS")}));
    const QVariantList restrictions{QVariant(), QVariant(), QStringLiteral("ta_usuarios")};
    EXPECT_EQ(namesOf(m_connection->openSchema(adSchemaTables, restrictions),
                      QStringLiteral("TABLE_NAME")),
              QStringList{QStringLiteral("TA_USUARIOS")});
}

TEST_F(SchemaRowsetTest, ColumnsFollowTheirRestrictions)
{
    struct Case
    {
        QVariantList restrictions;
        QStringList columns;
    };
    const Case cases[] = {
        {{QVariant(), QVariant(), QStringLiteral("TA_USUARIOS")},
         {QStringLiteral("Nombre"), QStringLiteral("Administrador")}},
        {{QVariant(), QVariant(), QStringLiteral("TA_USUARIOS"), QStringLiteral("ADMINISTRADOR")},
         {QStringLiteral("Administrador")}},
        {{QStringLiteral("PRUEBA"), QStringLiteral("dbo"), QStringLiteral("TA_USUARIOS"),
          QStringLiteral("Nada")},
         {}},
        {{QStringLiteral("OTRA"), QVariant(), QStringLiteral("TA_USUARIOS")}, {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(namesOf(m_connection->openSchema(adSchemaColumns, c.restrictions),
                          QStringLiteral("COLUMN_NAME")),
                  c.columns);
    }
}

} // namespace
