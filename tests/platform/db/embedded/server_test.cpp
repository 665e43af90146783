#include "engine_fixture.h"
#include "platform/db/embedded/password_hash.h"
#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace platform::db;

namespace {

using ServerTest = EngineTest;

// The permission bits of a file; -1 when it is not there.
int modeOf(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return int(status.st_mode & 0777);
}

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

TEST_F(ServerTest, AConnectionOpensOnlyWithItsLoginsOwnPassword)
{
    run(QStringLiteral("EXEC sp_addlogin N'contador', 'a;b}c', 'PRUEBA'"));
    struct Case
    {
        const char *name;
        QString text;
        bool opens;
    };
    const QString base = QStringLiteral("PROVIDER=SQLOLEDB;Server=(embebido);Database =PRUEBA;");
    const Case cases[] = {
        {"right password", base + QStringLiteral("UId=prueba;Pwd=x;"), true},
        {"login name in another case", base + QStringLiteral("UId=PRUEBA;Pwd=x;"), true},
        {"wrong password", base + QStringLiteral("UId=prueba;Pwd=WRONG;"), false},
        {"password in another case", base + QStringLiteral("UId=prueba;Pwd=X;"), false},
        {"no password", base + QStringLiteral("UId=prueba;Pwd=;"), false},
        {"unknown login", base + QStringLiteral("UId=nadie;Pwd=x;"), false},
        {"a password with ; braced", base + QStringLiteral("UId=contador;Pwd={a;b}}c};"), true},
        {"the same cut at its ;", base + QStringLiteral("UId=contador;Pwd=a;b}c;"), false},
        {"to master as well", QStringLiteral("Server=(embebido);UId=prueba;Pwd=WRONG;"), false},
    };
    for (const Case &c : cases) {
        auto other = Connection::create();
        if (c.opens) {
            other->open(c.text);
            EXPECT_EQ(other->state(), adStateOpen) << c.name;
            continue;
        }
        EXPECT_EQ(failureOf([&] { other->open(c.text); }), hresult::AuthenticationFailed) << c.name;
        ASSERT_EQ(other->errors().count(), 1) << c.name;
        const ProviderError &error = other->errors().item(0);
        EXPECT_EQ(error.nativeError, native::LoginFailed) << c.name;
        EXPECT_EQ(error.sqlState, QStringLiteral("28000")) << c.name;
        EXPECT_TRUE(error.description.startsWith(QStringLiteral("Login failed for user '")))
            << c.name;
        EXPECT_EQ(other->state(), adStateClosed) << c.name;
    }
}

TEST_F(ServerTest, TheRegistryKeepsNoPasswordAndEveryFileIsItsOwnersAlone)
{
    run(QStringLiteral("EXEC sp_addlogin N'contador', 'secreto', 'PRUEBA'"));
    run(QStringLiteral("CREATE DATABASE NUEVA"));
    auto nueva = Connection::create();
    nueva->open(connectionString(QStringLiteral("NUEVA")));
    nueva->execute(QStringLiteral("CREATE TABLE T (A int)"));

    QFile registry(m_folder.filePath(QStringLiteral("master.db")));
    ASSERT_TRUE(registry.open(QIODevice::ReadOnly));
    EXPECT_FALSE(registry.readAll().contains("secreto"));
    for (const char *name : {"master.db", "NUEVA.db", "NUEVA.db-wal"}) {
        EXPECT_EQ(modeOf(m_folder.filePath(QString::fromLatin1(name))), 0600) << name;
    }
}

TEST_F(ServerTest, ARegistryWithPasswordsInClearHasThemReplacedByTheirKeys)
{
    // A registry as it was written before passwords were hashed, readable by everyone.
    m_connection.reset();
    const QString path = m_folder.filePath(QStringLiteral("master.db"));
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE logins (name TEXT PRIMARY KEY, password TEXT, "
                           "default_database TEXT);"
                           "INSERT INTO logins VALUES ('viejo', 'en claro', 'master')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ::chmod(QFile::encodeName(path).constData(), 0644);

    auto old = Connection::create();
    old->open(QStringLiteral("Server=(embebido);UId=viejo;Pwd=en claro;"));
    EXPECT_EQ(old->state(), adStateOpen);
    old.reset();
    QFile registry(path);
    ASSERT_TRUE(registry.open(QIODevice::ReadOnly));
    EXPECT_FALSE(registry.readAll().contains("en claro"));
    EXPECT_EQ(modeOf(path), 0600);
}

TEST(PasswordKey, IsASaltedStandardKeyThatOnlyItsPasswordMatches)
{
    embedded::setPasswordIterations(embedded::standardPasswordIterations);
    const QString stored = embedded::hashPassword(QStringLiteral("clave;ñ"));
    const QString again = embedded::hashPassword(QStringLiteral("clave;ñ"));
    embedded::setPasswordIterations(1);

    EXPECT_TRUE(stored.startsWith(QStringLiteral("pbkdf2-sha256$100000$"))) << stored.toStdString();
    EXPECT_FALSE(stored.contains(QStringLiteral("clave")));
    EXPECT_NE(stored, again) << "each key has a salt of its own";
    EXPECT_TRUE(embedded::isPasswordHash(stored));
    EXPECT_FALSE(embedded::isPasswordHash(QStringLiteral("clave")));
    const std::pair<const char *, bool> tries[]
        = {{"clave;ñ", true}, {"clave;n", false}, {"CLAVE;ñ", false}, {"", false}};
    for (const auto &[password, matches] : tries) {
        EXPECT_EQ(embedded::passwordMatches(stored, QString::fromUtf8(password)), matches)
            << password;
        EXPECT_EQ(embedded::passwordMatches(again, QString::fromUtf8(password)), matches)
            << password;
    }
    EXPECT_FALSE(embedded::passwordMatches(QStringLiteral("clave;ñ"), QStringLiteral("clave;ñ")))
        << "a password in clear is no key";
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
