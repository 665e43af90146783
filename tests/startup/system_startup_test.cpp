#include "core/configuration_store.h"
#include "core/mod_global.h"
#include "core/startup_parameters.h"
#include "core/statistics_database.h"
#include "core_database_test.h"
#include "data/db_dll.h"
#include "data/services.h"
#include "demo/suite_database.h"
#include "lookup/lib_cls_cons3.h"
#include "platform/db/embedded/embedded_provider.h"
#include "platform/db/embedded/login_registry.h"
#include "platform/db/recordset.h"
#include "platform/legacy_files.h"
#include "platform/report/reporte.h"
#include "platform/runtime.h"
#include "platform/suite/sistema.h"
#include "startup/system_startup.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

namespace msgbox = platform::msgbox;

const QString MainDatabase = QStringLiteral("PRINCIPAL");
const QString FullParameters = QStringLiteral(
    "@Server=(embebido); @DbName=PRINCIPAL; @Usuario=ADMIN; @Password=ADMIN; koru@");

// Answers the connection dialog with the embedded server's main database, or cancels it.
class ScriptedConnectionDialog final : public data::ConnectionDialog
{
public:
    struct Record
    {
        int shown = 0;
        QString dbName; // as the dialog was given it
        QString usuario;
    };

    ScriptedConnectionDialog(bool accept, Record &record,
                             QString server = QStringLiteral("(embebido)"),
                             QString user = demo::administratorUser().name,
                             QString password = demo::administratorUser().password)
        : m_accept(accept), m_record(record), m_server(std::move(server)), m_user(std::move(user)),
          m_password(std::move(password))
    { }

    QString dbName() const override { return MainDatabase; }
    void setDbName(const QString &value) override { m_record.dbName = value; }
    QString servidor() const override { return m_server; }
    void setServidor(const QString &) override { }
    QString usuario() const override { return m_user; }
    void setUsuario(const QString &value) override { m_record.usuario = value; }
    QString userPassword() const override { return m_password; }
    void setUserPassword(const QString &) override { }
    int plataforma() const override { return 0; }
    void setPlataforma(int) override { }
    void showModal() override { ++m_record.shown; }
    bool aceptar() const override { return m_accept; }

private:
    bool m_accept;
    Record &m_record;
    QString m_server;
    QString m_user;
    QString m_password;
};

void closeProgramConnection(data::DB_Dll &db)
{
    if (db.gCnn->state() == platform::db::adStateOpen)
        db.gCnn->close();
    db.gOpenFlag = false;
    db.gServidor.clear();
    db.gDBName.clear();
    db.gUsuario.clear();
    db.gUserPassWord.clear();
    db.gConnString.clear();
    db.gProveedor.clear();
}

// A fresh embedded server holding only the suite's main database, an empty program folder with
// the shipped creation script, and the process end turned into an exception.
class StartupTest : public core_testing::ErrorLogTest
{
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        ASSERT_TRUE(m_dataFolder.isValid());
        ASSERT_TRUE(m_programFolder.isValid());
        saveAndSet("RP_PANELCTA_DATOS", m_dataFolder.path());
        saveAndSet("RP_PANELCTA_HOME", m_programFolder.path());
        saveAndSet("TEMP", tempFolder());
        ASSERT_TRUE(QFile::copy(QStringLiteral(RP_SHIPPED_SCRIPTS_DIR "/completotve.sql"),
                                programFile(QStringLiteral("completotve.sql"))));
        demo::SuiteOptions withoutRows;
        withoutRows.sampleData = false;
        demo::createSuiteDatabase(MainDatabase, withoutRows);
        platform::setEndProcessHook([](int code) { throw platform::ProcessEnded(code); });
        resetProgram();
    }

    void TearDown() override
    {
        resetProgram();
        platform::setEndProcessHook({});
        data::setConnectionDialogFactory({});
        for (const auto &[name, value] : m_savedEnvironment)
            qputenv(name, value);
        ErrorLogTest::TearDown();
    }

    void resetProgram()
    {
        closeProgramConnection(data::gDB());
        closeProgramConnection(data::gDBEstadisticas());
        data::gDB().gLogErr = tempFolder() + QStringLiteral("/TVERR_DATOS.LOG");
        data::gDBEstadisticas().gLogErr = data::gDB().gLogErr;
        core::gConfiguracionCargada = false;
        core::gTablaConfiguracion.clear();
        core::gUsuarioLogeado.clear();
        core::gConexionODBC.clear();
        core::gTimeOut = 0;
        lookup::gConsultas() = lookup::Lib_ClsCons3();
    }

    void start(const QString &parameters)
    {
        QString connectionString;
        core::ConectarSistema(false, parameters, connectionString, platform::db::adUseClient);
    }

    QString programFile(const QString &name) const
    {
        return m_programFolder.path() + QLatin1Char('/') + name;
    }
    QString dataFile(const QString &name) const { return m_dataFolder.filePath(name); }

    static QVariant valueIn(const QString &database, const QString &sql)
    {
        const auto connection = platform::db::Connection::create();
        connection->open(demo::connectionString(database));
        platform::db::Recordset rows = connection->execute(sql);
        const QVariant value = rows.eof() ? QVariant() : rows.field(0).value();
        rows.close();
        connection->close();
        return value;
    }
    static void runIn(const QString &database, const QString &sql)
    {
        const auto connection = platform::db::Connection::create();
        connection->open(demo::connectionString(database));
        connection->execute(sql);
        connection->close();
    }
    static int auditRows()
    {
        return valueIn(MainDatabase, QStringLiteral("SELECT COUNT(*) FROM Control_Acceso")).toInt();
    }
    static QString storedTimeOut()
    {
        return valueIn(core::BaseEstadisticas,
                       QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'TIMEOUT'"))
            .toString();
    }

    // Every file of that name left under the temporary folder.
    QStringList leftOver(const QString &name) const
    {
        QStringList found;
        QDirIterator files(tempFolder(), {name}, QDir::Files | QDir::Hidden,
                           QDirIterator::Subdirectories);
        while (files.hasNext())
            found << files.next();
        return found;
    }

private:
    void saveAndSet(const char *name, const QString &value)
    {
        m_savedEnvironment.emplace_back(name, qgetenv(name));
        qputenv(name, value.toUtf8());
    }

    QTemporaryDir m_dataFolder;
    QTemporaryDir m_programFolder;
    std::vector<std::pair<const char *, QByteArray>> m_savedEnvironment;
};

TEST_F(StartupTest, FullParameterStringConnectsAndProvisionsTheStatisticsDatabaseOnce)
{
    start(FullParameters);

    EXPECT_EQ(dialogs.count(), 0);
    ASSERT_TRUE(data::gDB().gOpenFlag);
    EXPECT_EQ(data::gDB().gCnn->defaultDatabase(), MainDatabase);
    EXPECT_EQ(data::gDB().gCnn->commandTimeout(), 360);
    EXPECT_TRUE(QFileInfo(dataFile(QStringLiteral("TV_ESTADISTICAS.db"))).isFile());
    EXPECT_EQ(valueIn(QStringLiteral("master"),
                      QStringLiteral("SELECT COUNT(*) FROM logins WHERE name = 'TV_ESTADISTICAS'"))
                  .toInt(),
              1);
    EXPECT_TRUE(data::gDBEstadisticas().gOpenFlag);
    EXPECT_EQ(core::gTimeOut, 360);
    EXPECT_EQ(storedTimeOut(), QStringLiteral("360"));
    EXPECT_TRUE(core::gConfiguracionCargada);
    EXPECT_EQ(auditRows(), 1);
    EXPECT_EQ(core::gUsuarioLogeado, QStringLiteral("ADMIN"));
    EXPECT_EQ(core::gConexionODBC, QStringLiteral("DSN=PRINCIPAL; UID=ADMIN; PWD=ADMIN"));
    EXPECT_EQ(core::gCarpetaReportes, programFile(QString()));
    EXPECT_EQ(platform::gReporte().CarpetaReportes, programFile(QString()));
    EXPECT_TRUE(lookup::gConsultas().gUsarMascarasConsultas);
    EXPECT_EQ(lookup::gConsultas().gConnString, data::gDB().gConnString);
    EXPECT_EQ(lookup::gConsultas().gRutaMascaraConsultas,
              programFile(QStringLiteral("consultas.tvc")));
    EXPECT_EQ(QFileInfo(programFile(QStringLiteral("consultas.tvc"))).size(), 11 * 1202);
    EXPECT_TRUE(leftOver(QStringLiteral("CDB7.SQL")).isEmpty())
        << "the password is not left behind";
    EXPECT_TRUE(leftOver(QStringLiteral("Script*.TXT")).isEmpty())
        << "scripts that ran clean leave no empty log";

    // A second start finds the login and provisions nothing.
    resetProgram();
    platform::setClock([] { return QDateTime(QDate(2026, 3, 5), QTime(15, 0, 0)); });
    start(FullParameters);

    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_TRUE(data::gDB().gOpenFlag);
    EXPECT_TRUE(leftOver(QStringLiteral("Script*.TXT")).isEmpty());
    EXPECT_EQ(core::gTimeOut, 360);
    EXPECT_EQ(auditRows(), 2);
}

// A start that lacks the server or the user, and whether the dialog is accepted.
struct DialogCase
{
    const char *name;
    QString parameters;
    QString givenUser;
    bool accept;
};

void PrintTo(const DialogCase &c, std::ostream *os)
{
    *os << c.name;
}

class ConnectionDialogTest : public StartupTest, public ::testing::WithParamInterface<DialogCase>
{ };

TEST_P(ConnectionDialogTest, StartWithoutServerOrUserAsksForTheConnection)
{
    const DialogCase &c = GetParam();
    ScriptedConnectionDialog::Record record;
    data::setConnectionDialogFactory(
        [&] { return std::make_unique<ScriptedConnectionDialog>(c.accept, record); });

    if (c.accept) {
        start(c.parameters);
        EXPECT_TRUE(data::gDB().gOpenFlag);
        EXPECT_EQ(auditRows(), 1);
    } else {
        try {
            start(c.parameters);
            FAIL() << "the process did not end";
        } catch (const platform::ProcessEnded &ended) {
            EXPECT_EQ(ended.exitCode, 1);
        }
        EXPECT_FALSE(data::gDB().gOpenFlag);
        EXPECT_EQ(auditRows(), 0);
        EXPECT_FALSE(QFile::exists(dataFile(QStringLiteral("TV_ESTADISTICAS.db"))));
    }
    EXPECT_EQ(record.shown, 1);
    EXPECT_EQ(record.dbName, MainDatabase) << "the dialog starts from the given values";
    EXPECT_EQ(record.usuario, c.givenUser);
    EXPECT_EQ(dialogs.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectionDialogTest,
    ::testing::Values(
        DialogCase{"no_server_accepted", "@DbName=PRINCIPAL; @Usuario=ADMIN;", "ADMIN", true},
        DialogCase{"no_server_cancelled", "@DbName=PRINCIPAL; @Usuario=ADMIN;", "ADMIN", false},
        DialogCase{"no_user_accepted", "@Server=(embebido); @DbName=PRINCIPAL; @Usuario= ;", "",
                   true},
        DialogCase{"no_user_cancelled", "@Server=(embebido); @DbName=PRINCIPAL;", "", false}),
    [](const ::testing::TestParamInfo<DialogCase> &info) { return info.param.name; });

// The dialog hands a server on a port on as "host,port"; the embedded engine takes it as a
// server would, so the statistics login, database and objects must all follow it there.
TEST_F(StartupTest, AStartOnAPortProvisionsTheStatisticsDatabaseOnThatPort)
{
    const QString onPort = QStringLiteral("(embebido),1500");
    ScriptedConnectionDialog::Record record;
    data::setConnectionDialogFactory(
        [&] { return std::make_unique<ScriptedConnectionDialog>(true, record, onPort); });

    start(QStringLiteral("@DbName=PRINCIPAL; @Usuario=ADMIN; @Password=ADMIN;"));

    EXPECT_EQ(dialogs.count(), 0);
    ASSERT_TRUE(data::gDB().gOpenFlag);
    EXPECT_EQ(data::gDB().gServidor, onPort);
    ASSERT_TRUE(data::gDBEstadisticas().gOpenFlag);
    EXPECT_EQ(data::gDBEstadisticas().gServidor, onPort);
    EXPECT_EQ(storedTimeOut(), QStringLiteral("360")) << "the creation script ran";
}

// What a user sees of the login: the program opens, or the connection-error box names the
// refused login and, answered No, the program ends without anything written.
TEST_F(StartupTest, OnlyTheLoginsOwnPasswordStartsTheProgram)
{
    platform::db::embedded::LoginRegistry(platform::db::embedded::dataFolder())
        .addLogin(QStringLiteral("CAJERO"), QStringLiteral("a;b"), QString());
    struct Case
    {
        const char *name;
        const char *parameters; // empty: through the connection dialog as CAJERO
        const char *refusedLogin; // nullptr: the program starts
    };
    const Case cases[] = {
        {"right password",
         "@Server=(embebido); @DbName=PRINCIPAL; @Usuario=ADMIN; @Password=ADMIN;", nullptr},
        {"wrong password",
         "@Server=(embebido); @DbName=PRINCIPAL; @Usuario=ADMIN; @Password=WRONG;", "ADMIN"},
        {"unknown login", "@Server=(embebido); @DbName=PRINCIPAL; @Usuario=NADIE; @Password=ADMIN;",
         "NADIE"},
        {"a password with ; typed in the dialog", "", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        resetProgram();
        dialogs.clearShown();
        ScriptedConnectionDialog::Record record;
        data::setConnectionDialogFactory([&] {
            return std::make_unique<ScriptedConnectionDialog>(
                true, record, QStringLiteral("(embebido)"), QStringLiteral("CAJERO"),
                QStringLiteral("a;b"));
        });
        const QString parameters = QString::fromLatin1(c.parameters);
        if (!c.refusedLogin) {
            start(parameters);
            EXPECT_TRUE(data::gDB().gOpenFlag);
            EXPECT_EQ(dialogs.count(), 0);
            continue;
        }
        dialogs.answer(msgbox::No);
        EXPECT_THROW(start(parameters), platform::ProcessEnded);
        ASSERT_EQ(dialogs.count(), 1);
        EXPECT_EQ(dialogs.last().title, QStringLiteral(" Error de Conexion a Base de Datos"));
        EXPECT_TRUE(dialogs.last().text.contains(
            QStringLiteral("Login failed for user '%1'.").arg(QLatin1String(c.refusedLogin))))
            << dialogs.last().text.toStdString();
        EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("Codigo Nativo: 18456")));
        EXPECT_FALSE(data::gDB().gOpenFlag);
    }
}

TEST_F(StartupTest, StoredTimeOutIsReadAndAMissingOneStoredAs360)
{
    start(FullParameters);
    struct Case
    {
        const char *stored; // nullptr: no row
        int timeOut;
        const char *storedAfter;
    };
    const std::vector<Case> cases = {
        {"45", 45, "45"},   {"44.5", 44, "44.5"},  {"0", 360, "360"},
        {"", 360, "360"},   {" ", 360, "360"},     {"abc", 360, "360"},
        {"-5", 360, "360"}, {nullptr, 360, "360"}, {"40000", 360, "40000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "no row");
        runIn(core::BaseEstadisticas, QStringLiteral("DELETE FROM TA_CONFIGURACION"));
        if (c.stored) {
            runIn(core::BaseEstadisticas,
                  QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('TIMEOUT', '")
                      + QString::fromLatin1(c.stored) + QStringLiteral("')"));
        }
        core::ConectarBaseEstadisticas();
        EXPECT_EQ(core::gTimeOut, c.timeOut);
        EXPECT_EQ(storedTimeOut(), QString::fromLatin1(c.storedAfter));
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(StartupTest, FailureIsReportedAndTheAnswerDecides)
{
    // The flag says open, but the connection is not: the settings after the opening fail.
    data::gDB().gOpenFlag = true;
    data::gDB().gDBName = MainDatabase;
    dialogs.answer(msgbox::Abort);

    start(FullParameters);

    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_TRUE(dialogs.last().title.contains(QStringLiteral("ConectarSistema")))
        << dialogs.last().title.toStdString();
    EXPECT_TRUE(
        dialogs.last().text.startsWith(QStringLiteral("Ha ocurrido el Siguiente Error (3704)")))
        << dialogs.last().text.toStdString();
    EXPECT_FALSE(core::gConfiguracionCargada) << "Abort leaves the start-up";
    EXPECT_EQ(auditRows(), 0);
}

TEST_F(StartupTest, QueryMaskFileIsWrittenOnlyWhenNoRegularFileIsThere)
{
    enum class AtPath { Nothing, File, Folder };
    for (const AtPath at : {AtPath::Nothing, AtPath::File, AtPath::Folder}) {
        SCOPED_TRACE(int(at));
        const QString masks = programFile(QStringLiteral("consultas.tvc"));
        QFile::remove(masks);
        QDir().rmdir(masks);
        if (at == AtPath::File) {
            QFile file(masks);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("own masks");
        } else if (at == AtPath::Folder) {
            ASSERT_TRUE(QDir().mkdir(masks));
            dialogs.answer(msgbox::Ignore);
        }
        resetProgram();
        dialogs.clearShown();

        start(FullParameters);

        if (at == AtPath::Nothing) {
            EXPECT_EQ(QFileInfo(masks).size(), 11 * 1202);
        }
        if (at == AtPath::File) {
            QFile file(masks);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), QByteArray("own masks"));
        }
        EXPECT_EQ(dialogs.count(), at == AtPath::Folder ? 1 : 0)
            << "a folder is no mask file: writing is tried and its failure reported";
        EXPECT_TRUE(core::gConfiguracionCargada) << "the start-up goes on";
    }
    EXPECT_EQ(auditRows(), 3);
}

TEST_F(StartupTest, MissingCreationScriptIsNamedAndTheStartGoesOn)
{
    ASSERT_TRUE(QFile::remove(programFile(QStringLiteral("completotve.sql"))));
    dialogs.answer(msgbox::Ok);

    start(FullParameters);

    ASSERT_GE(dialogs.count(), 1);
    const QString text = dialogs.shown()[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("No se encuentra el archivo ")
                                + programFile(QStringLiteral("completotve.sql"))
                                + QStringLiteral(", que crea la base de datos de estadísticas "
                                                 "TV_ESTADISTICAS.")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Copie el archivo en la carpeta del programa o en ")
                              + tempFolder() + QStringLiteral("/rp_panelcta")))
        << "it names where the file belongs";
    EXPECT_FALSE(text.contains(QStringLiteral("ingrese"))) << "nothing is asked";
    EXPECT_FALSE(QFile::exists(dataFile(QStringLiteral("TV_ESTADISTICAS.db"))));
    EXPECT_TRUE(leftOver(QStringLiteral("CDB7.SQL")).isEmpty());
    EXPECT_FALSE(data::gDBEstadisticas().gOpenFlag);
    EXPECT_EQ(core::gTimeOut, 360);
    EXPECT_TRUE(core::gConfiguracionCargada);
    EXPECT_EQ(auditRows(), 1);
}

TEST_F(StartupTest, ProvisioningRunsInTheStatisticsDatabaseAndLeavesTheMainOneCurrent)
{
    data::DB_Dll &db = data::gDB();
    db.gServidor = QStringLiteral("(embebido)");
    db.gDBName = MainDatabase;
    db.gUsuario = demo::administratorUser().name;
    db.gUserPassWord = demo::administratorUser().password;
    db.OpenServerADODB(false, platform::db::adUseClient, QString(), false, false);
    ASSERT_TRUE(db.gOpenFlag);
    runIn(MainDatabase, QStringLiteral("DROP TABLE TA_CONFIGURACION"));

    core::CrearUsuarioBase(core::BaseEstadisticas, QStringLiteral("TV_ESTADISTICAS"),
                           QStringLiteral("TV_PALMIROSQUET"));

    EXPECT_EQ(db.gCnn->defaultDatabase(), MainDatabase);
    EXPECT_EQ(
        valueIn(core::BaseEstadisticas, QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION"))
            .toInt(),
        1);
    EXPECT_THROW(valueIn(MainDatabase, QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION")),
                 platform::Error)
        << "the creation script ran on the statistics connection";
    EXPECT_EQ(dialogs.count(), 0);
}

// The frame window of the suite's programs keeps its own toolbar style.
class FrmMdi : public QWidget
{
    Q_OBJECT
};

TEST_F(StartupTest, ToolbarStyleComesFromTheSettingsFileOfTheStationUser)
{
    const platform::Sistema &sistema = platform::gSistema();
    const QString section = core::EstacionUsuario(sistema.NombreMaquina(), sistema.NombreUsuario());
    const std::vector<std::pair<QString, double>> cases
        = {{QString(), 1}, {QStringLiteral("0"), 0}, {QStringLiteral("abc"), 0}};
    for (const auto &[value, style] : cases) {
        SCOPED_TRACE(value.toStdString());
        QFile::remove(programFile(QStringLiteral("CN000pr.INI")));
        if (!value.isEmpty()) {
            platform::writeTextLines(programFile(QStringLiteral("CN000pr.INI")),
                                     {QLatin1Char('[') + section + QLatin1Char(']'),
                                      QStringLiteral("FlatToolbars=") + value});
        }
        resetProgram();
        start(FullParameters);
        EXPECT_EQ(core::gFlatToolbars, style);

        QWidget window;
        FrmMdi frame;
        for (QWidget *form : {&window, static_cast<QWidget *>(&frame)}) {
            auto *toolbar = new QWidget(form);
            toolbar->setObjectName(QStringLiteral("BrezaCtl1"));
            core::DecorarFormulario(*form);
        }
        EXPECT_EQ(window.findChild<QWidget *>(QStringLiteral("BrezaCtl1"))->property("StyleBar"),
                  QVariant(style));
        EXPECT_FALSE(frame.findChild<QWidget *>(QStringLiteral("BrezaCtl1"))
                         ->property("StyleBar")
                         .isValid());
    }
}

TEST(DatabaseCreationScriptTest, CreatesTheDatabaseAndMakesTheLoginItsOwnerOnly)
{
    const QString NL = QStringLiteral("\r\n");
    EXPECT_EQ(core::databaseCreationScript(QStringLiteral("TV_ESTADISTICAS"),
                                           QStringLiteral("TV_ESTADISTICAS"),
                                           QStringLiteral("TV_PALMIROSQUET")),
              QStringLiteral("Create Database TV_ESTADISTICAS COLLATE Latin1_General_CI_AI \r") + NL
                  + QStringLiteral("GO\r") + NL + QStringLiteral("USE TV_ESTADISTICAS\r") + NL
                  + QStringLiteral("EXEC  sp_addlogin N'TV_ESTADISTICAS', 'TV_PALMIROSQUET', "
                                   "'TV_ESTADISTICAS'")
                  + NL
                  + QStringLiteral("EXEC sp_grantdbaccess @loginame = 'TV_ESTADISTICAS' , "
                                   "@name_in_db ='TV_ESTADISTICAS'")
                  + NL + QStringLiteral("EXEC sp_addrolemember N'db_owner', N'TV_ESTADISTICAS'")
                  + NL);
    EXPECT_TRUE(core::databaseCreationScript(QStringLiteral("D"), QStringLiteral("L"),
                                             QStringLiteral("it's"))
                    .contains(QStringLiteral("N'L', 'it''s', 'D'")));
}

TEST(DatabaseCreationScriptTest, OracleUserOwnsItsSchemaWithoutAdministrationRights)
{
    const QString statement
        = core::oracleUserStatement(QStringLiteral("TV_ESTADISTICAS"), QStringLiteral("clave"));
    EXPECT_TRUE(statement.startsWith(
        QStringLiteral("CREATE USER TV_ESTADISTICAS IDENTIFIED BY \"clave\"\r\n")));
    for (const char *excess :
         {"DBA", "ADMIN OPTION", "GRANT OPTION", "EXECUTE", "UNLIMITED TABLESPACE"})
        EXPECT_FALSE(statement.contains(QLatin1String(excess))) << excess;
}

} // namespace

#include "system_startup_test.moc"

// The real program, started as the suite's menu starts it: once it has logged in, no other user
// can read the password in its command line, whether it came there or in the variable.
TEST_F(StartupTest, TheRunningProgramShowsOtherUsersNoPasswordInItsCommandLine)
{
    const struct
    {
        const char *name;
        QString argument;
        QString variable;
    } cases[] = {
        {"on the command line", FullParameters, {}},
        {"in the variable, which wins over the command line",
         QStringLiteral("@Server=(embebido); @DbName=PRINCIPAL; @Usuario=ADMIN; @Password=mala"),
         QStringLiteral("@Password=ADMIN")},
    };
    int audited = auditRows();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("RP_PANELCTA_PARAMETROS"), c.variable);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), tempFolder());
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(RP_PROGRAM), {c.argument});
        ASSERT_TRUE(program.waitForStarted());

        // The access audit row says the program read its parameters and logged in.
        for (int wait = 0; wait < 200 && auditRows() == audited; ++wait)
            QThread::msleep(50);
        ASSERT_EQ(auditRows(), audited + 1) << "the program did not log in";
        ++audited;
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(program.processId()));
        ASSERT_TRUE(commandLine.open(QIODevice::ReadOnly));
        const QByteArray shown = commandLine.readAll();
        EXPECT_EQ(program.state(), QProcess::Running);
        EXPECT_EQ(QByteArray(shown).replace('\0', ""), QByteArray(RP_PROGRAM))
            << "cmdline shows: " << QByteArray(shown).replace('\0', ' ').toStdString();

        program.kill();
        program.waitForFinished();
    }
}
