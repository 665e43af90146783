#include "data_fixture.h"
#include "platform/db/embedded/embedded_provider.h"
#include "platform/runtime.h"

namespace {

using data::gDB;
using data_testing::DataTest;
namespace msgbox = platform::msgbox;
namespace native = platform::db::native;

class Statements : public DataTest
{
protected:
    Statements()
    {
        openEmbedded(gDB());
        execute(QStringLiteral("CREATE TABLE MA_CUENTAS (CODIGO varchar(10) NOT NULL PRIMARY KEY, "
                               "NOMBRE varchar(5) NULL, SALDO int NULL, ALTA datetime NULL)"));
        execute(QStringLiteral("CREATE TABLE TRANSFERENCIAS (ALTA datetime NULL)"));
        execute(QStringLiteral(
            "INSERT INTO MA_CUENTAS (CODIGO, NOMBRE, SALDO) VALUES ('1', 'Caja', 0)"));
    }

    int rowCount(const QString &table)
    {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
    }
};

TEST_F(Statements, AdminMarkerIsRemovedInAnyCaseAndHandedBack)
{
    QString sql = QStringLiteral("UPDATE @admin_ma_cuentas SET SALDO = 7");
    std::int32_t affected = -5;
    EXPECT_TRUE(gDB().EjecutaConsultaSQL(sql, &affected));
    EXPECT_EQ(sql, QStringLiteral("UPDATE ma_cuentas SET SALDO = 7"));
    EXPECT_EQ(affected, 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT SALDO FROM MA_CUENTAS")).toInt(), 7);
}

TEST_F(Statements, ReturnedRowsReachTheCallersRecordset)
{
    platform::db::Recordset rows;
    EXPECT_TRUE(
        gDB().EjecutaConsultaSQL(QStringLiteral("SELECT NOMBRE FROM MA_CUENTAS"), nullptr, &rows));
    ASSERT_EQ(rows.state(), platform::db::adStateOpen);
    EXPECT_EQ(rows.field(QStringLiteral("NOMBRE")).value().toString(), QStringLiteral("Caja"));
}

TEST_F(Statements, ErrorBoxFilter)
{
    struct Case
    {
        const char *name;
        QString sql;
        bool boxShown;
    };
    const Case cases[] = {
        {"duplicate key", QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO) VALUES ('1')"), false},
        {"missing table", QStringLiteral("DELETE FROM NO_EXISTE"), false},
        {"misspelt column", QStringLiteral("UPDATE MA_CUENTAS SET SALDOO = 1"), false},
        {"another error number",
         QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, ALTA) VALUES ('2', '2026-13-45')"), true},
        {"a failing statement inside a transaction script",
         QStringLiteral("BEGIN TRANSACTION\r\nINSERT INTO MA_CUENTAS (CODIGO, ALTA) VALUES ('2', "
                        "'2026-13-45')\r\nCOMMIT TRANSACTION"),
         false},
        {"a table whose name holds TRANS",
         QStringLiteral("INSERT INTO TRANSFERENCIAS (ALTA) VALUES ('2026-13-45')"), true},
        {"a value holding COMMIT",
         QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, ALTA) VALUES ('COMMIT', '2026-13-45')"),
         true},
    };
    for (const Case &c : cases) {
        m_dialogs.clearShown();
        if (c.boxShown)
            m_dialogs.answer(msgbox::Ok);
        EXPECT_FALSE(gDB().EjecutaConsultaSQL(c.sql)) << c.name;
        ASSERT_EQ(m_dialogs.count(), c.boxShown ? 1 : 0) << c.name;
        if (c.boxShown) {
            EXPECT_EQ(m_dialogs.last().title, QStringLiteral("Aviso al operador!!! - 4")) << c.name;
            EXPECT_EQ(m_dialogs.last().style, msgbox::OkOnly | msgbox::Critical) << c.name;
            EXPECT_EQ(m_dialogs.last().text, gDB().gCnn->errors().item(0).description) << c.name;
        }
    }
}

TEST_F(Statements, TruncatedDataShowsNoBoxButStaysInTheErrorsAndTheLog)
{
    EXPECT_FALSE(gDB().EjecutaConsultaSQL(
        QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, NOMBRE) VALUES ('2', 'demasiado largo')")));
    EXPECT_EQ(m_dialogs.count(), 0);
    ASSERT_GE(gDB().gCnn->errors().count(), 1);
    EXPECT_EQ(gDB().gCnn->errors().item(0).nativeError, native::StringTruncated);
    EXPECT_EQ(rowCount(QStringLiteral("MA_CUENTAS")), 1);
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines.first().startsWith(
        QStringLiteral("03-05-2026 14:07:09 Rutina: - EjecutaConsultaSQL Mensaje Ha ocurrido el "
                       "Siguiente Error (")))
        << lines.first().toStdString();
    EXPECT_TRUE(lines.first().endsWith(QStringLiteral(" Respondió : ")));
}

TEST_F(Statements, TheTwinReportsOnItsOwnConnectionUnderItsOwnTitle)
{
    data::DB_Dll &twin = data::gDBEstadisticas();
    openEmbedded(twin);
    EXPECT_FALSE(twin.EjecutaConsultaRSQL(
        QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, NOMBRE) VALUES ('2', 'demasiado largo')")));
    EXPECT_EQ(m_dialogs.count(), 0);
    ASSERT_GE(twin.gCnn->errors().count(), 1);
    EXPECT_EQ(twin.gCnn->errors().item(0).nativeError, native::StringTruncated);

    m_dialogs.answer(msgbox::Ok);
    EXPECT_FALSE(twin.EjecutaConsultaRSQL(
        QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, ALTA) VALUES ('2', '2026-13-45')")));
    EXPECT_EQ(m_dialogs.last().title, QStringLiteral("Aviso al operador!!!"));
    EXPECT_TRUE(twin.EjecutaConsultaRSQL(QStringLiteral("DELETE FROM MA_CUENTAS")));
}

class OracleBatches : public DataTest
{
protected:
    OracleBatches()
    {
        openEmbeddedAsOracle(gDB());
        execute(QStringLiteral("CREATE TABLE A (N int NULL, T varchar(60) NULL)"));
        execute(QStringLiteral("CREATE TABLE B (N int NULL)"));
    }
};

TEST_F(OracleBatches, RunsEachStatementOfTheScriptAndAddsTheirCounts)
{
    const QString script = QStringLiteral(
        "SET NOCOUNT ON\r\nINSERT INTO A (N) VALUES (1)\r\nGO\r\nINSERT INTO B (N) VALUES (2)");
    QString sql = script;
    std::int32_t affected = 0;
    EXPECT_TRUE(gDB().EjecutaConsultaSQL(sql, &affected));
    EXPECT_EQ(affected, 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT N FROM A")).toInt(), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT N FROM B")).toInt(), 2);
    EXPECT_EQ(sql, script) << "the caller's text is handed back whole";
}

TEST_F(OracleBatches, KeywordsAndLineBreaksInsideQuotedTextsStayInTheirValues)
{
    const QString value = QStringLiteral("DELETE B\r\nGO UPDATE");
    std::int32_t affected = 0;
    EXPECT_TRUE(gDB().EjecutaConsultaSQL(QStringLiteral("INSERT INTO A (N, T) VALUES (1, '") + value
                                             + QStringLiteral("')\r\nINSERT INTO B (N) VALUES (3)"),
                                         &affected));
    EXPECT_EQ(affected, 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT T FROM A")).toString(), value);
    EXPECT_EQ(scalar(QStringLiteral("SELECT N FROM B")).toInt(), 3);
}

TEST_F(OracleBatches, TransactionStatementsDriveTheConnectionsTransaction)
{
    EXPECT_TRUE(gDB().EjecutaConsultaSQL(QStringLiteral(
        "BEGIN TRANSACTION\r\nINSERT INTO A (N) VALUES (1)\r\nROLLBACK TRANSACTION")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM A")).toInt(), 0);
    EXPECT_TRUE(gDB().EjecutaConsultaSQL(
        QStringLiteral("BEGIN TRANS\r\nINSERT INTO A (N) VALUES (1)\r\nCOMMIT TRANS")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM A")).toInt(), 1);
}

class Recordsets : public Statements
{ };

TEST_F(Recordsets, OpensTheRewrittenQueryOnAGivenConnection)
{
    data::DB_Dll &other = data::gDBEstadisticas();
    QString sql = QStringLiteral("SELECT NOMBRE FROM @Admin_MA_CUENTAS");
    platform::db::Recordset rows;
    other.gEsAdmin = true;
    other.AbrirRecordset(sql, rows, gDB().gCnn);
    EXPECT_EQ(sql, QStringLiteral("SELECT NOMBRE FROM MA_CUENTAS"));
    EXPECT_EQ(other.gCnn, gDB().gCnn);
    ASSERT_EQ(rows.state(), platform::db::adStateOpen);
    EXPECT_EQ(rows.field(0).value().toString(), QStringLiteral("Caja"));
}

TEST_F(Recordsets, AnOpenRecordsetIsClosedBeforeTheNextQuery)
{
    platform::db::Recordset rows;
    gDB().gEsAdmin = true;
    gDB().AbrirRecordset(QStringLiteral("SELECT CODIGO FROM MA_CUENTAS"), rows);
    gDB().AbrirRecordset(QStringLiteral("SELECT NOMBRE FROM MA_CUENTAS"), rows);
    ASSERT_EQ(rows.state(), platform::db::adStateOpen);
    EXPECT_EQ(rows.field(0).name(), QStringLiteral("NOMBRE"));
}

TEST_F(Recordsets, OtherErrorsGoToTheErrorBoxWhoseAnswerDecides)
{
    gDB().gEsAdmin = true;
    platform::db::Recordset rows;
    m_dialogs.answer(msgbox::Retry).answer(msgbox::Abort);
    gDB().AbrirRecordset(QStringLiteral("SELECT * FROM NO_EXISTE"), rows);
    ASSERT_EQ(m_dialogs.count(), 2) << "Retry runs the open again";
    EXPECT_TRUE(m_dialogs.last().title.endsWith(
        QStringLiteral(" - AbrirRecordset Aviso al operador!!! - 5 ")));
    EXPECT_EQ(rows.state(), platform::db::adStateClosed);
}

TEST_F(Recordsets, Closing)
{
    struct Case
    {
        const char *name;
        bool open;
        bool pendingEdit;
    };
    const Case cases[] = {
        {"already closed", false, false},
        {"open", true, false},
        {"with a pending edit", true, true},
    };
    for (const Case &c : cases) {
        platform::db::Recordset rows;
        if (c.open)
            rows.open(QStringLiteral("SELECT * FROM MA_CUENTAS"), gDB().gCnn,
                      platform::db::adOpenDynamic, platform::db::adLockOptimistic);
        if (c.pendingEdit)
            rows.field(QStringLiteral("SALDO")).setValue(99);
        gDB().CierraRecordset(rows);
        EXPECT_EQ(rows.state(), platform::db::adStateClosed) << c.name;
        EXPECT_EQ(m_dialogs.count(), 0) << c.name;
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT SALDO FROM MA_CUENTAS")).toInt(), 0)
        << "the pending edit is dropped";
}

// Lost links. While the engine's link is down every operation fails as over a lost link and no
// connection opens.
class LostLink : public Statements
{
protected:
    LostLink()
    {
        gDB().gEsAdmin = true;
        gDB().gCnn->setCommandTimeout(77);
        platform::setEndProcessHook([](int code) { throw platform::ProcessEnded(code); });
    }

    QString lostLinkText() const
    {
        const QString NL = QStringLiteral("\r\n");
        return NL + NL + NL + QStringLiteral("Se perdio la conexion con la base de datos PRUEBA")
            + NL + QStringLiteral(" Servidor (embebido)") + NL + NL
            + QStringLiteral("Elija SI para reintentar conectarse") + NL
            + QStringLiteral("Elija NO para cerrar la aplicacion") + NL + NL + NL;
    }
};

// Restores the link when the operator answers the lost-link question, as a server that comes
// back while the box is up.
class LinkBackWhenAsked final : public platform::UserDialogs
{
public:
    int questions = 0;
    int execModal(QDialog &) override { return 0; }

protected:
    int showMessageBox(const QString &, int, const QString &title) override
    {
        EXPECT_EQ(title, QStringLiteral("AVISO AL OPERADOR"));
        ++questions;
        platform::db::embedded::simulateLinkLoss(false);
        return msgbox::Yes;
    }
    QString showInputBox(const QString &, const QString &, const QString &) override { return {}; }
};

TEST_F(LostLink, ALinkThatStaysDownIsAskedAboutAndNoEndsTheProgram)
{
    platform::db::embedded::simulateLinkLoss(true);
    m_dialogs.answer(msgbox::Yes).answer(msgbox::No);
    platform::db::Recordset rows;
    try {
        gDB().AbrirRecordset(QStringLiteral("SELECT * FROM MA_CUENTAS"), rows);
        ADD_FAILURE() << "the program should have ended";
    } catch (const platform::ProcessEnded &) { }
    ASSERT_EQ(m_dialogs.count(), 2);
    for (const auto &shown : m_dialogs.shown()) {
        EXPECT_EQ(shown.title, QStringLiteral("AVISO AL OPERADOR"));
        EXPECT_EQ(shown.style, msgbox::YesNo | msgbox::Critical);
        EXPECT_EQ(shown.text, lostLinkText());
    }
}

TEST_F(LostLink, AConnectionFoundUnusableIsReopenedAndTheQueryRetriedWithoutAsking)
{
    // A dropped connection: closed under the class, with the provider errors of its last
    // statement still in the collection.
    EXPECT_FALSE(gDB().EjecutaConsultaSQL(QStringLiteral("DELETE FROM NO_EXISTE")));
    gDB().gCnn->close();
    platform::db::Recordset rows;
    gDB().AbrirRecordset(QStringLiteral("SELECT NOMBRE FROM MA_CUENTAS"), rows);

    EXPECT_EQ(m_dialogs.count(), 0);
    EXPECT_TRUE(gDB().gOpenFlag);
    ASSERT_EQ(rows.state(), platform::db::adStateOpen);
    EXPECT_EQ(rows.field(0).value().toString(), QStringLiteral("Caja"));
}

TEST_F(LostLink, ALinkBackWhenAskedIsReconnectedAndTheQueryRetried)
{
    platform::db::embedded::simulateLinkLoss(true);
    LinkBackWhenAsked operatorAnswers;
    platform::setUserDialogs(&operatorAnswers);
    platform::db::Recordset rows;
    gDB().AbrirRecordset(QStringLiteral("SELECT NOMBRE FROM MA_CUENTAS"), rows);
    platform::setUserDialogs(&m_dialogs);

    EXPECT_EQ(operatorAnswers.questions, 1);
    EXPECT_TRUE(gDB().gOpenFlag);
    ASSERT_EQ(rows.state(), platform::db::adStateOpen);
    EXPECT_EQ(rows.field(0).value().toString(), QStringLiteral("Caja"));
    EXPECT_EQ(gDB().gCnn->commandTimeout(), 77) << "only the reopening is hurried";
}

} // namespace
