#include "core/documents.h"
#include "core/mod_global.h"
#include "core/oracle_adaptation.h"
#include "core/sibling_programs.h"
#include "core/startup_parameters.h"
#include "core_database_test.h"
#include "data/db_dll.h"
#include "services_test_support.h"

#include <QDir>
#include <QFile>

namespace {

using core_testing::RecordingLauncher;
namespace msgbox = platform::msgbox;

// The main connection's values as another program of the suite receives them; nothing is
// opened.
class SiblingProgramsTest : public core_testing::ErrorLogTest
{
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        data::DB_Dll &db = data::gDB();
        m_saved = {db.gServidor, db.gDBName, db.gUsuario, db.gUserPassWord, db.gConnString};
        db.gServidor = QStringLiteral("SRV01");
        db.gDBName = QStringLiteral("EMPRESA");
        db.gUsuario = QStringLiteral("ANA");
        db.gUserPassWord = QStringLiteral("clave secreta");
        core::gUsuarioLogeado = QStringLiteral("Ana Pérez");
        core::gCaja = QStringLiteral("2");
        m_home = qgetenv("RP_PANELCTA_HOME");
        qputenv("RP_PANELCTA_HOME", QByteArray("/opt/mi suite"));
    }

    void TearDown() override
    {
        data::DB_Dll &db = data::gDB();
        db.gServidor = m_saved[0];
        db.gDBName = m_saved[1];
        db.gUsuario = m_saved[2];
        db.gUserPassWord = m_saved[3];
        db.gConnString = m_saved[4];
        core::gUsuarioLogeado.clear();
        core::gCaja.clear();
        qputenv("RP_PANELCTA_HOME", m_home);
        ErrorLogTest::TearDown();
    }

    static QString parametersWith(const QString &additional)
    {
        return QStringLiteral(" ; @server=SRV01; @dbname=EMPRESA; @usuario=ANA; @Password=clave "
                              "secreta; @ParametroAdicional=")
            + additional + QStringLiteral("; koru@ ; @UsuarioLogeado = Ana Pérez; @Caja=2;");
    }

    RecordingLauncher launcher;

private:
    QStringList m_saved;
    QByteArray m_home;
};

TEST_F(SiblingProgramsTest, MenuExesStartsTheProgramWithTheParameterStringAsOneArgument)
{
    struct Case
    {
        const char *exe;
        const char *additional;
        const char *program;
    };
    const Case cases[] = {
        {"SHELL:V_MA_CLIENTES", "1", "/opt/mi suite/V_MA_CLIENTES"},
        {"shell:V_TA_TABLAS", "V_TA_RUBROS", "/opt/mi suite/V_TA_TABLAS"},
        {"V_TA_VENDEDORES", "", "/opt/mi suite/V_TA_VENDEDORES"},
        {"MARSHELL", "", "/opt/mi suite/MARSHELL"},
        {"V_SHELL:X", "", "/opt/mi suite/V_SHELL:X"},
        {"SHELL:/usr/local/suite/V_MA_ARTICULOS", "", "/usr/local/suite/V_MA_ARTICULOS"},
        {"/usr/local/otra suite/V_TA_Tecnicos", "", "/usr/local/otra suite/V_TA_Tecnicos"},
        {"SHELL:C:\\Suite\\V_TA_TABLAS", "", "C:\\Suite\\V_TA_TABLAS"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.exe);
        launcher.started.clear();
        std::int32_t resultado = 0;

        core::MenuExes(QString::fromUtf8(c.exe), QString::fromUtf8(c.additional), resultado);

        ASSERT_EQ(launcher.started.size(), 1u);
        EXPECT_EQ(launcher.started[0].program, QString::fromUtf8(c.program));
        EXPECT_EQ(launcher.started[0].arguments,
                  QStringList{parametersWith(QString::fromUtf8(c.additional))});
        EXPECT_FALSE(launcher.started[0].wait);
        EXPECT_NE(resultado, 0);
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(SiblingProgramsTest, AServerOnAPortReachesTheSiblingsStartUpWhole)
{
    data::gDB().gServidor = QStringLiteral("SRV01,1500");
    std::int32_t resultado = 0;

    core::MenuExes(QStringLiteral("SHELL:V_MA_CLIENTES"), QStringLiteral("1"), resultado);

    ASSERT_EQ(launcher.started.size(), 1u);
    const core::ParametrosInicio read = core::LeerParametros(launcher.started[0].arguments.at(0));
    EXPECT_EQ(core::ExtraerServidor(read.Servidor), QStringLiteral("SRV01,1500"));
}

// The sibling still gets the string its start-up reads, but is told of the password it cannot
// receive whole before it starts.
TEST_F(SiblingProgramsTest, APasswordHoldingASemicolonIsAnnouncedOnceBeforeTheStart)
{
    data::gDB().gUserPassWord = QStringLiteral("a;b");
    dialogs.answer(msgbox::Ok);
    std::int32_t resultado = 0;

    core::MenuExes(QStringLiteral("SHELL:V_MA_CLIENTES"), QStringLiteral("1"), resultado);

    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_TRUE(dialogs.last().text.startsWith(QStringLiteral("La contraseña contiene \";\"")));
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("/opt/mi suite/V_MA_CLIENTES")));
    EXPECT_EQ(dialogs.last().style, msgbox::OkOnly | msgbox::Exclamation);
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_TRUE(launcher.started[0].arguments.at(0).contains(QStringLiteral("@Password=a;b;")));
    EXPECT_EQ(core::LeerParametros(launcher.started[0].arguments.at(0)).Password,
              QStringLiteral("a"))
        << "what the sibling reads, hence the warning";
}

TEST_F(SiblingProgramsTest, AProgramThatCannotBeStartedIsNotImplemented)
{
    launcher.startSucceeds = false;
    dialogs.answer(msgbox::Ok);
    std::int32_t resultado = 0;

    core::MenuExes(QStringLiteral("SHELL:V_MA_CLIENTES"), QStringLiteral("1"), resultado);

    EXPECT_EQ(resultado, 0);
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().text,
              QStringLiteral("Opcion no Implementada!\rComuniquese con su proveedor de sistemas"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Atención"));
    EXPECT_EQ(dialogs.last().style, msgbox::OkOnly | msgbox::Critical);
}

TEST_F(SiblingProgramsTest, AFailedStartGoesToTheErrorBoxWhoseAnswerDecidesWhatFollows)
{
    struct Case
    {
        int answer;
        bool notImplementedFollows;
    };
    const Case cases[] = {{msgbox::Ignore, true}, {msgbox::Abort, false}};
    launcher.startError = platform::Error(platform::errors::FileNotFound,
                                          QStringLiteral("No se encontró el archivo"),
                                          QStringLiteral("RP_PANELCTA"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer);
        dialogs.clearShown();
        dialogs.answer(c.answer);
        if (c.notImplementedFollows)
            dialogs.answer(msgbox::Ok);
        std::int32_t resultado = 0;

        core::MenuExes(QStringLiteral("SHELL:V_MA_CLIENTES"), QStringLiteral("1"), resultado);

        EXPECT_EQ(resultado, 0);
        ASSERT_EQ(dialogs.count(), c.notImplementedFollows ? 2 : 1);
        EXPECT_EQ(dialogs.shown()[0].title,
                  QStringLiteral("RP_PANELCTA - MenuExes Aviso al operador!!! - 2 "));
        if (c.notImplementedFollows) {
            EXPECT_EQ(dialogs.last().title, QStringLiteral("Atención"));
        }
    }
    EXPECT_TRUE(dialogs.allAnswered());
}

TEST_F(SiblingProgramsTest, ExisteArchivoIsTrueOnlyForAReadableRegularFile)
{
    const QString file = tempFolder() + QStringLiteral("/BASES.TXT");
    QFile created(file);
    ASSERT_TRUE(created.open(QIODevice::WriteOnly));
    created.close();

    EXPECT_TRUE(core::ExisteArchivo(file));
    EXPECT_FALSE(core::ExisteArchivo(tempFolder()));
    EXPECT_FALSE(core::ExisteArchivo(tempFolder() + QStringLiteral("/no-existe.txt")));
    EXPECT_FALSE(core::ExisteArchivo(QString()));
}

TEST_F(SiblingProgramsTest, AbrirDocumentoHandsTheDesktopThePathAsItIs)
{
    core::AbrirDocumento(QStringLiteral("/tmp/mis scripts/Script1405.TXT"), true);
    core::AbrirDocumento(QStringLiteral("\"/tmp/mis scripts/Script1406.TXT\""), false);
    core::AbrirDocumento(QStringLiteral("/tmp/Script1407.TXT"), false);

    EXPECT_EQ(launcher.opened,
              (QStringList{QStringLiteral("/tmp/mis scripts/Script1405.TXT"),
                           QStringLiteral("/tmp/mis scripts/Script1406.TXT"),
                           QStringLiteral("/tmp/Script1407.TXT")}));
}

TEST_F(SiblingProgramsTest, AdaptarSQLRewritesForOracleOnly)
{
    struct Case
    {
        const char *connection;
        const char *sql;
        const char *expected;
    };
    const char *oracle = "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=ANA;";
    const char *sqlServer = "PROVIDER=SQLOLEDB;Server=SRV01;Database =EMPRESA;";
    const Case cases[] = {
        {oracle, "Select TOP 1 * from Control_Acceso  with(nolock) ",
         "Select  *  from Control_Acceso  with(nolock)  WHERE ROWNUM <=  1 "},
        {oracle, "len", "LENGTH"},
        {oracle, "Len", "LENGTH"},
        {oracle, "SUBSTR", "SUBSTR"},
        {oracle, "SELECT * FROM MA_CUENTAS", "SELECT * FROM MA_CUENTAS"},
        {sqlServer, "Select TOP 1 * from Control_Acceso", "Select TOP 1 * from Control_Acceso"},
        {sqlServer, "len", "len"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        data::gDB().gConnString = QLatin1String(c.connection);
        EXPECT_EQ(core::AdaptarSQL(QLatin1String(c.sql)), QLatin1String(c.expected));
    }

    data::gDB().gConnString = QLatin1String(oracle);
    EXPECT_THROW(core::AdaptarSQL(QStringLiteral("SELECT TOP 5 CODIGO FROM MA_CUENTAS")),
                 platform::Error);
}

} // namespace
