#include "data/access_password.h"
#include "data_fixture.h"
#include "platform/db/embedded/embedded_provider.h"
#include "platform/runtime.h"
#include "platform/suite/dialogo_archivo.h"
#include "platform/variant.h"

#include <QDialog>

namespace {

using data::DB_Dll;
using data::gDB;
using data_testing::ConnectionValues;
using data_testing::DataTest;
namespace msgbox = platform::msgbox;

constexpr int ClientCursor = platform::db::adUseClient;

class Opening : public DataTest
{
protected:
    // The first provider error of opening the connection string, as the engine reports it.
    platform::db::ProviderError openingError(const QString &connectionString)
    {
        auto connection = platform::db::Connection::create();
        try {
            connection->open(connectionString);
        } catch (const platform::Error &) {
            return connection->errors().item(0);
        }
        ADD_FAILURE() << "the connection opened";
        return {};
    }

    QString connectionErrorText(const platform::db::ProviderError &e, const QString &server,
                                const QString &user)
    {
        const QString CR = QStringLiteral("\r");
        const QString NL = QStringLiteral("\r\n");
        return QStringLiteral(" Estado de Sql: ") + e.sqlState + CR
            + QStringLiteral("Numero de Error: ") + QString::number(e.number) + CR
            + QStringLiteral("Descripcion: ") + e.description + CR
            + QStringLiteral("Codigo Nativo: ") + QString::number(e.nativeError) + CR + NL
            + QStringLiteral("Nombre de Proceso: RP_PANELCTA") + CR + NL + NL
            + QStringLiteral("1. Verifique el Usuario, contraseña y base de datos") + NL
            + QStringLiteral("2. Verifique el nombre del servidor, quizas necesite agregarle el "
                             "nombre de la instancia, por ejemplo : ")
            + server + QStringLiteral("\\KORUBAY") + NL
            + QStringLiteral("3. Verifique si el inicio de sesion para el usuario ") + user
            + QStringLiteral(" existe") + NL + NL + NL
            + QStringLiteral(" - Desea Intentarlo Nuevamente??? ");
    }

    void prepareUsers(const QString &database, const std::optional<QVariant> &administrador)
    {
        createDatabase(database);
        auto connection = platform::db::Connection::create();
        connection->open(embeddedConnectionString(database));
        connection->execute(QStringLiteral(
            "CREATE TABLE TA_USUARIOS (NOMBRE varchar(30) NULL, Administrador int NULL)"));
        connection->execute(
            QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, Administrador) VALUES ('otro', 1)"));
        if (administrador) {
            const QString value = platform::isNull(*administrador) ? QStringLiteral("NULL")
                                                                   : administrador->toString();
            connection->execute(
                QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, Administrador) VALUES "
                               "(' sa ', %1)")
                    .arg(value));
        }
    }
};

TEST_F(Opening, ConnectionStringsAreBuiltFromTheMembers)
{
    struct Case
    {
        const char *name;
        QString server;
        QString provider;
        QString password;
        QString expected;
    };
    const Case cases[] = {
        {"SQL Server, whatever the provider member holds", QStringLiteral("(embebido)"),
         QStringLiteral("MSDASQL"), QStringLiteral("P"),
         QStringLiteral("PROVIDER=SQLOLEDB;Server=(embebido);Database =NOPE;UId=U;Pwd=P;App=x;")},
        {"Oracle, marked by the server's #", QStringLiteral("#(embebido)"), QString(),
         QStringLiteral("P"),
         QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=NOPE;User Id=U;Password=P;")},
        {"a password holding ; or braces is braced", QStringLiteral("(embebido)"), QString(),
         QStringLiteral("p;w{x}"),
         QStringLiteral(
             "PROVIDER=SQLOLEDB;Server=(embebido);Database =NOPE;UId=U;Pwd={p;w{x}}};App=x;")},
        {"and so is an Oracle one", QStringLiteral("#(embebido)"), QString(), QStringLiteral(";"),
         QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=NOPE;User Id=U;Password={;};")},
    };
    for (const Case &c : cases) {
        DB_Dll &db = gDB();
        data_testing::resetInstance(db);
        db.gServidor = c.server;
        db.gProveedor = c.provider;
        db.gDBName = QStringLiteral("NOPE");
        db.gUsuario = QStringLiteral("U");
        db.gUserPassWord = c.password;
        db.gExtended = QStringLiteral("App=x;");
        db.OpenServerADODB(false, ClientCursor, QStringLiteral("  "), true, false);
        EXPECT_EQ(db.gConnString, c.expected) << c.name;
        const auto parsed = platform::db::ConnectionString::parse(db.gConnString);
        const char *passwordKey = c.server.startsWith(QLatin1Char('#')) ? "Password" : "Pwd";
        EXPECT_EQ(parsed.value(QString::fromLatin1(passwordKey)), c.password) << c.name;
        EXPECT_FALSE(db.gOpenFlag) << c.name;
        EXPECT_EQ(db.gProveedor, c.provider.isEmpty() ? QStringLiteral("SQLOLEDB") : c.provider)
            << c.name;
    }
    EXPECT_EQ(m_dialogs.count(), 0) << "failures are silent without MuestraError";
}

TEST_F(Opening, AGivenConnectionStringIsUsedUnlessTheDialogIsAskedFor)
{
    const QString given = embeddedConnectionString(QStringLiteral("PRUEBA"));
    gDB().OpenServerADODB(false, ClientCursor, given, false, false);
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gConnString, given);
    EXPECT_EQ(gDB().gCnn->cursorLocation(), ClientCursor);

    data_testing::resetInstance(gDB());
    addLogin(QStringLiteral("U"), QStringLiteral("P"));
    m_connectionDialogs.accept({QStringLiteral("PRUEBA"), QStringLiteral("(embebido)"),
                                QStringLiteral("U"), QStringLiteral("P"), 0});
    gDB().OpenServerADODB(true, ClientCursor, given, false, false);
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gConnString,
              QStringLiteral("PROVIDER=SQLOLEDB;Server=(embebido);Database =PRUEBA;UId=U;Pwd=P;"));
}

TEST_F(Opening, TheDialogShowsTheInstancesValuesAndItsPlatformDecidesTheServerMark)
{
    struct Case
    {
        QString server;
        int chosenPlatform;
        int shownPlatform;
        QString finalServer;
        QString provider;
    };
    const Case cases[] = {
        {QStringLiteral("(embebido)"), 1, 0, QStringLiteral("#(embebido)"),
         QStringLiteral("OraOLEDB.Oracle.1")},
        {QStringLiteral("#(embebido)"), 1, 1, QStringLiteral("#(embebido)"),
         QStringLiteral("OraOLEDB.Oracle.1")},
        {QStringLiteral("#(embebido)"), 0, 1, QStringLiteral("(embebido)"),
         QStringLiteral("SQLOLEDB")},
        {QStringLiteral("(embebido)"), 0, 0, QStringLiteral("(embebido)"),
         QStringLiteral("SQLOLEDB")},
    };
    for (const Case &c : cases) {
        const QString label = c.server + QStringLiteral(" ") + QString::number(c.chosenPlatform);
        DB_Dll &db = gDB();
        data_testing::resetInstance(db);
        db.gServidor = c.server;
        db.gDBName = QStringLiteral("PRUEBA");
        db.gUsuario = QStringLiteral("U");
        db.gUserPassWord = QStringLiteral("P");
        m_connectionDialogs.accept({QStringLiteral("PRUEBA"), c.server, QStringLiteral("U"),
                                    QStringLiteral("P"), c.chosenPlatform});
        db.OpenServerADODB(true, ClientCursor, QString(), false, false);

        EXPECT_EQ(m_connectionDialogs.shown().back(),
                  (ConnectionValues{QStringLiteral("PRUEBA"), c.server, QStringLiteral("U"),
                                    QStringLiteral("P"), c.shownPlatform}))
            << label.toStdString();
        EXPECT_EQ(db.gServidor, c.finalServer) << label.toStdString();
        EXPECT_EQ(db.gProveedor, c.provider) << label.toStdString();
        EXPECT_EQ(db.isOracle(), c.chosenPlatform > 0) << label.toStdString();
    }
}

TEST_F(Opening, ACancelledDialogOpensNothing)
{
    m_connectionDialogs.cancel();
    gDB().gServidor = QStringLiteral("(embebido)");
    gDB().gDBName = QStringLiteral("PRUEBA");
    gDB().OpenServerADODB(true, ClientCursor, QString(), true, true);
    EXPECT_FALSE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gCnn->state(), platform::db::adStateClosed);
}

TEST_F(Opening, TheDialectComesFromTheProviderActuallyUsed)
{
    struct Case
    {
        const char *name;
        QString password;
        QString provider;
        bool oracle;
    };
    const Case cases[] = {
        {"a password holding oracle", QStringLiteral("oracle1"), QStringLiteral("SQLOLEDB"), false},
        {"the Oracle provider", QStringLiteral("x"), QStringLiteral("OraOLEDB.Oracle.1"), true},
    };
    for (const Case &c : cases) {
        data_testing::resetInstance(gDB());
        addLogin(c.password, c.password);
        gDB().OpenServerADODB(
            false, ClientCursor,
            QStringLiteral("PROVIDER=%1;Server=(embebido);Database =PRUEBA;UId=%2;"
                           "Pwd=%2;")
                .arg(c.provider, c.password),
            false, false);
        ASSERT_TRUE(gDB().gOpenFlag) << c.name;
        EXPECT_EQ(gDB().isOracle(), c.oracle) << c.name;
        EXPECT_EQ(gDB().ORACLE_Dicc(QStringLiteral("SELECT LEN(X) FROM T WHERE A = ''"))
                      != QStringLiteral("SELECT LEN(X) FROM T WHERE A = ''"),
                  c.oracle)
            << c.name;
    }
}

TEST_F(Opening, AdministratorFlag)
{
    struct Case
    {
        const char *name;
        bool validaAdmin;
        bool muestraError;
        bool usersTable;
        std::optional<QVariant> administrador; // the user's row; none: no row
        bool initial;
        bool expected;
    };
    const Case cases[] = {
        {"not validated", false, true, true, QVariant(0), false, true},
        {"quiet opening with a user table", true, false, true, QVariant(0), false, true},
        {"quiet opening without a user table", true, false, false, std::nullopt, false, false},
        {"administrator 1", true, true, true, QVariant(1), false, true},
        {"administrator 0", true, true, true, QVariant(0), true, false},
        {"administrator null", true, true, true, platform::nullVariant(), true, false},
        {"no row for the user", true, true, true, std::nullopt, true, false},
        {"no user table keeps the flag", true, true, false, std::nullopt, true, true},
    };
    int database = 0;
    for (const Case &c : cases) {
        const QString name = QStringLiteral("ADMIN%1").arg(++database);
        if (c.usersTable)
            prepareUsers(name, c.administrador);
        else
            createDatabase(name);
        DB_Dll &db = gDB();
        data_testing::resetInstance(db);
        db.gServidor = QStringLiteral("(embebido)");
        db.gDBName = name;
        db.gUsuario = QStringLiteral("sa");
        db.gUserPassWord = QStringLiteral("x");
        db.gEsAdmin = c.initial;
        db.OpenServerADODB(false, ClientCursor, QString(), c.validaAdmin, c.muestraError);
        ASSERT_TRUE(db.gOpenFlag) << c.name;
        EXPECT_EQ(db.gEsAdmin, c.expected) << c.name;
    }
    EXPECT_EQ(m_dialogs.count(), 0);
}

TEST_F(Opening, TheUserTableIsSoughtInTheMainDatabase)
{
    struct Case
    {
        const char *name;
        bool mainKeepsUsers;
        bool secondKeepsUsers;
        bool expected;
    };
    const Case cases[] = {
        {"only the main database keeps users", true, false, true},
        {"only the second database keeps users", false, true, false},
    };
    int database = 0;
    for (const Case &c : cases) {
        const QString main = QStringLiteral("PRINCIPAL%1").arg(++database);
        const QString second = QStringLiteral("SEGUNDA%1").arg(database);
        for (const auto &[name, keepsUsers] :
             {std::pair{main, c.mainKeepsUsers}, std::pair{second, c.secondKeepsUsers}}) {
            if (keepsUsers)
                prepareUsers(name, QVariant(0));
            else
                createDatabase(name);
        }
        data_testing::resetInstance(gDB());
        openEmbedded(gDB(), main);
        DB_Dll &db = data::gDBEstadisticas();
        data_testing::resetInstance(db);
        db.gServidor = QStringLiteral("(embebido)");
        db.gDBName = second;
        db.gUsuario = QStringLiteral("sa");
        db.gUserPassWord = QStringLiteral("x");
        db.OpenServerADODB(false, ClientCursor, QString(), true, false);
        ASSERT_TRUE(db.gOpenFlag) << c.name;
        EXPECT_EQ(db.gEsAdmin, c.expected) << c.name;
    }
}

TEST_F(Opening, AnOpenInstanceIsClosedAndOpenedAgain)
{
    for (const bool muestraError : {false, true}) {
        data_testing::resetInstance(gDB());
        openEmbedded(gDB());
        gDB().OpenServerADODB(false, ClientCursor, QString(), false, muestraError);
        EXPECT_TRUE(gDB().gOpenFlag) << muestraError;
        EXPECT_EQ(gDB().gCnn->state(), platform::db::adStateOpen) << muestraError;
    }
    EXPECT_EQ(m_dialogs.count(), 0);
}

TEST_F(Opening, TheConnectionErrorBoxShowsTheOpeningInstanceAndNoGivesUp)
{
    gDB().gServidor = QStringLiteral("PRINCIPAL");
    gDB().gUsuario = QStringLiteral("JEFE");
    DB_Dll &db = data::gDBEstadisticas();
    db.gServidor = QStringLiteral("(embebido)");
    db.gDBName = QStringLiteral("NOPE");
    db.gUsuario = QStringLiteral("OTRO");
    const platform::db::ProviderError expected = openingError(
        QStringLiteral("PROVIDER=SQLOLEDB;Server=(embebido);Database =NOPE;UId=OTRO;Pwd=;"));

    m_dialogs.answer(msgbox::No);
    db.OpenServerADODB(false, ClientCursor, QString(), true, true);
    EXPECT_FALSE(db.gOpenFlag);
    ASSERT_EQ(m_dialogs.count(), 1);
    EXPECT_EQ(m_dialogs.last().title, QStringLiteral(" Error de Conexion a Base de Datos"));
    EXPECT_EQ(m_dialogs.last().style, msgbox::YesNo | msgbox::Critical);
    EXPECT_EQ(m_dialogs.last().text,
              connectionErrorText(expected, QStringLiteral("(embebido)"), QStringLiteral("OTRO")));
}

TEST_F(Opening, YesOpensTheCorrectedValuesWhateverStepFailed)
{
    struct Case
    {
        const char *name;
        QString given; // the connection string of the first attempt
        QString dbName; // the database member of the first attempt
    };
    const Case cases[] = {
        {"the opening failed", QString(), QStringLiteral("NOPE")},
        {"the default database failed", embeddedConnectionString(QStringLiteral("PRUEBA")),
         QStringLiteral("NOPE")},
    };
    for (const Case &c : cases) {
        DB_Dll &db = gDB();
        data_testing::resetInstance(db);
        db.gServidor = QStringLiteral("(embebido)");
        db.gDBName = c.dbName;
        db.gUsuario = QStringLiteral("sa");
        m_dialogs.answer(msgbox::Yes);
        m_connectionDialogs.accept({QStringLiteral("PRUEBA"), QStringLiteral("(embebido)"),
                                    QStringLiteral("sa"), QStringLiteral("x"), 0});
        db.OpenServerADODB(false, ClientCursor, c.given, true, true);

        const QString corrected
            = QStringLiteral("PROVIDER=SQLOLEDB;Server=(embebido);Database =PRUEBA;UId=sa;Pwd=x;");
        EXPECT_TRUE(db.gOpenFlag) << c.name;
        EXPECT_EQ(db.gConnString, corrected) << c.name;
        EXPECT_EQ(db.gCnn->connectionString(), corrected) << c.name;
        EXPECT_EQ(db.gCnn->state(), platform::db::adStateOpen) << c.name;
    }
}

TEST_F(Opening, YesAndThenCancelGivesUp)
{
    gDB().gServidor = QStringLiteral("(embebido)");
    gDB().gDBName = QStringLiteral("NOPE");
    m_dialogs.answer(msgbox::Yes);
    m_connectionDialogs.cancel();
    gDB().OpenServerADODB(false, ClientCursor, QString(), true, true);
    EXPECT_FALSE(gDB().gOpenFlag);
}

class Reconnecting : public DataTest
{
protected:
    Reconnecting()
    {
        openEmbedded(gDB(), QStringLiteral("PRUEBA"), QStringLiteral("PRINCIPAL"));
        openEmbedded(m_db, QStringLiteral("PRUEBA"), QStringLiteral("ESTADISTICAS"));
        m_db.gCnn->setCommandTimeout(33);
    }

    DB_Dll &m_db = data::gDBEstadisticas();
};

TEST_F(Reconnecting, ReopensWithItsOwnCredentialsAndKeepsItsTimeout)
{
    for (const bool closedBefore : {false, true}) {
        if (closedBefore)
            m_db.gCnn->close();
        m_db.ReintentaConectar();
        EXPECT_TRUE(m_db.gOpenFlag) << closedBefore;
        EXPECT_EQ(scalar(QStringLiteral("SELECT SYSTEM_USER"), m_db).toString(),
                  QStringLiteral("ESTADISTICAS"))
            << closedBefore;
        EXPECT_EQ(m_db.gCnn->commandTimeout(), 33) << closedBefore;
    }
    EXPECT_EQ(m_dialogs.count(), 0);
}

TEST_F(Reconnecting, ALinkThatStaysDownFailsQuietly)
{
    platform::db::embedded::simulateLinkLoss(true);
    m_db.ReintentaConectar();
    EXPECT_FALSE(m_db.gOpenFlag);
    EXPECT_EQ(m_dialogs.count(), 0);
    EXPECT_EQ(m_db.gCnn->commandTimeout(), 33);
}

class AccessOpening : public DataTest
{ };

TEST_F(AccessOpening, AGivenConnectionStringOpensWithoutTouchingTheOpenFlag)
{
    const QString given
        = embeddedConnectionString(QStringLiteral("PRUEBA"), data::DB_Dll::pJETOLEDB40());
    gDB().gDBName = QStringLiteral("PRUEBA");
    gDB().OpenLocalADODB(given, QStringLiteral("User ID"), QStringLiteral("Password"));
    EXPECT_EQ(gDB().gCnn->state(), platform::db::adStateOpen);
    EXPECT_EQ(gDB().gConnString, given);
    EXPECT_FALSE(gDB().gOpenFlag);
}

TEST_F(AccessOpening, TheConnectionStringIsBuiltFromTheMembersAndTheCallersKeyNames)
{
    // The embedded engine takes the data source as its server; the extension names its file.
    addLogin(QStringLiteral("U"), QStringLiteral("P"));
    gDB().gProveedor = data::DB_Dll::pJETOLEDB40();
    gDB().gDBName = QStringLiteral("(embebido)");
    gDB().gUsuario = QStringLiteral("U");
    gDB().gUserPassWord = QStringLiteral("P");
    gDB().gExtended = QStringLiteral("Database =PRUEBA;");
    gDB().OpenLocalADODB(QString(), QStringLiteral("User ID"), QStringLiteral("Password"));
    EXPECT_EQ(gDB().gCnn->state(), platform::db::adStateOpen);
    EXPECT_EQ(gDB().gConnString,
              QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =(embebido);User ID=U;"
                             "Password=P;Database =PRUEBA;"));
}

TEST_F(AccessOpening, WithoutAPathTheFileIsAskedForAndCancelOpensNothing)
{
    m_dialogs.onDialog([](QDialog &) { return int(QDialog::Rejected); });
    gDB().OpenLocalADODB(QString(), QStringLiteral("User ID"), QStringLiteral("Password"));
    EXPECT_EQ(gDB().gCnn->state(), platform::db::adStateClosed);
    ASSERT_TRUE(gDB().CmdDlg);
    EXPECT_EQ(gDB().CmdDlg->TituloDialogo, QStringLiteral("Buscar Base de Datos"));
    EXPECT_EQ(gDB().CmdDlg->Filtro, QStringLiteral("Base de Datos de Microsoft Access |*.MDB"));
}

TEST_F(AccessOpening, OtherFailuresShowNumberAndDescription)
{
    const QString given
        = embeddedConnectionString(QStringLiteral("NOPE"), data::DB_Dll::pJETOLEDB40());
    gDB().gDBName = QStringLiteral("NOPE");
    m_dialogs.answer(msgbox::Ok);
    gDB().OpenLocalADODB(given, QStringLiteral("User ID"), QStringLiteral("Password"));
    EXPECT_EQ(gDB().gCnn->state(), platform::db::adStateClosed);
    ASSERT_EQ(m_dialogs.count(), 1);
    const platform::db::ProviderError error = gDB().gCnn->errors().item(0);
    EXPECT_EQ(m_dialogs.last().text,
              QString::number(error.number) + QStringLiteral("  ") + error.description);
    EXPECT_EQ(m_dialogs.last().style, msgbox::Critical);
}

TEST_F(AccessOpening, RejectedPasswordsAreAskedForABoundedNumberOfTimes)
{
    using Next = data::AccessPasswordRetry::Next;
    struct Step
    {
        std::optional<QString> typed; // the input box's answer, when one is expected
        Next next;
        QString clause;
    };
    struct Case
    {
        const char *name;
        bool useStored;
        std::vector<Step> steps;
    };
    const QString stored = QStringLiteral("Jet OLEDB:Database Password=guardada;");
    const Case cases[] = {
        {"asked until the user gives up",
         false,
         {{QStringLiteral("a"), Next::Retry, QStringLiteral(" Jet OLEDB:Database Password=a;")},
          {QStringLiteral("b"), Next::Retry, QStringLiteral(" Jet OLEDB:Database Password=b;")},
          {QString(), Next::Cancelled, {}}}},
        {"stored password, then one try, then the end",
         true,
         {{std::nullopt, Next::Retry, stored},
          {QStringLiteral("a"), Next::Retry, QStringLiteral(" Jet OLEDB:Database Password=a;")},
          {std::nullopt, Next::GiveUp, {}}}},
        {"stored password, then a cancelled answer",
         true,
         {{std::nullopt, Next::Retry, stored}, {QString(), Next::Cancelled, {}}}},
    };
    for (const Case &c : cases) {
        data::AccessPasswordRetry retry(c.useStored, QStringLiteral("guardada"));
        for (const Step &step : c.steps) {
            m_dialogs.clearShown();
            if (step.typed)
                m_dialogs.type(*step.typed);
            EXPECT_EQ(retry.afterRejection(), step.next) << c.name;
            EXPECT_EQ(m_dialogs.count(), step.typed ? 1 : 0) << c.name;
            if (step.typed) {
                EXPECT_EQ(m_dialogs.last().text, QStringLiteral("ingrese el password:"));
                EXPECT_EQ(m_dialogs.last().title, QStringLiteral("Password Access"));
            }
            if (step.next == Next::Retry) {
                EXPECT_EQ(retry.clause(), step.clause) << c.name;
            }
        }
    }
}

} // namespace
