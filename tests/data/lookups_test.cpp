#include "data/db_dll.h"
#include "data/sql_rewriting.h"
#include "platform/db/connection.h"
#include "platform/db/embedded/login_registry.h"
#include "platform/db/recordset.h"
#include "platform/regional_settings.h"
#include "platform/suite/utilidades.h"
#include "platform/variant.h"
#include "qt_printers.h"
#include "scripted_dialogs.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using data::DB_Dll;
using data::gDB;
using platform::db::Recordset;
using testing_support::ScriptedDialogs;

namespace {

constexpr int Abort = platform::msgbox::Abort;
constexpr int Retry = platform::msgbox::Retry;
constexpr int Ignore = platform::msgbox::Ignore;
constexpr int LookupBoxStyle = platform::msgbox::AbortRetryIgnore | platform::msgbox::Critical;

QString embeddedConnection(const QString &database)
{
    return QStringLiteral("PROVIDER=SQLOLEDB;Server=(embebido);Database =") + database
        + QStringLiteral(";UId=ADMIN;Pwd=ADMIN;");
}

// A chart of accounts with a code stored behind a blank, a description holding a quote and a
// Null description; the restricted synonym shows every account but the first. Article codes
// whose largest value begins with "0", and an empty table.
const char *const kFixture[] = {
    "CREATE TABLE MA_CUENTAS (CODIGO varchar(15) NOT NULL, DESCRIPCION varchar(60) NULL, "
    "NIVEL int NULL, SALDO money NULL, ALTA datetime NULL)",
    "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, NIVEL, SALDO, ALTA) VALUES ('1', 'ACTIVO', 1, "
    "1500.75, '2020-02-01')",
    "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, NIVEL, SALDO, ALTA) VALUES (' 1.1', 'CAJA', 2, "
    "250.5, '2021-03-15')",
    "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, NIVEL, SALDO, ALTA) VALUES ('2', 'D''ARTAGNAN', "
    "1, -10.25, NULL)",
    "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, NIVEL, SALDO, ALTA) VALUES ('3', NULL, 1, 0, "
    "'2022-12-31')",
    "CREATE VIEW SS_MA_CUENTAS AS SELECT * FROM MA_CUENTAS WHERE CODIGO <> '1'",
    "CREATE TABLE V_MA_ARTICULOS (idarticulo varchar(25) NOT NULL)",
    "INSERT INTO V_MA_ARTICULOS VALUES ('0999')",
    "INSERT INTO V_MA_ARTICULOS VALUES ('0500')",
    "INSERT INTO V_MA_ARTICULOS VALUES (' 120')",
    "CREATE TABLE VACIA (N int NULL, F datetime NULL)",
};

// One database for the whole suite, opened on the main instance as the program opens it, with
// the regional settings of the program's home (day-first dates, decimal comma).
class Lookups : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        qputenv("RP_PANELCTA_DATOS", folder->path().toUtf8());
        platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
        platform::db::embedded::LoginRegistry(folder->path())
            .addLogin(QStringLiteral("ADMIN"), QStringLiteral("ADMIN"), QString());

        const auto server = platform::db::Connection::create();
        server->open(embeddedConnection(QStringLiteral("master")));
        server->execute(QStringLiteral("CREATE DATABASE LOOKUPS"));
        server->close();

        DB_Dll &db = gDB();
        db.gLogErr = folder->filePath(QStringLiteral("TVERR.LOG"));
        db.OpenServerADODB(false, platform::db::adUseClient,
                           embeddedConnection(QStringLiteral("LOOKUPS")), false, false);
        ASSERT_TRUE(db.gOpenFlag);
        for (const char *statement : kFixture)
            db.gCnn->execute(QString::fromUtf8(statement));
    }

    static void TearDownTestSuite()
    {
        gDB().gCnn->close();
        delete folder;
        folder = nullptr;
    }

    void SetUp() override
    {
        platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
        gDB().gEsAdmin = true;
    }

    void TearDown() override { EXPECT_TRUE(dialogs.allAnswered()); }

    static QTemporaryDir *folder;
    ScriptedDialogs dialogs;
};

QTemporaryDir *Lookups::folder = nullptr;

} // namespace

TEST_F(Lookups, EveryStatementFormRunsOnTheEngine)
{
    using data::ExistenceForm;
    const QString table = QStringLiteral("MA_CUENTAS");
    const QStringList statements = {
        data::existenceStatement(ExistenceForm::FirstRowTrimmed, table, "D'ARTAGNAN", "DESCRIPCION",
                                 8, {}),
        data::existenceStatement(ExistenceForm::FirstRowTrimmed, table, "'01/02/2020'", "ALTA", 7,
                                 {}),
        data::existenceStatement(ExistenceForm::FirstRowTrimmed, table, "250.5", "SALDO", 5, {}),
        data::existenceStatement(ExistenceForm::FirstRowTrimmed, table, "1", "NIVEL", {}, {}),
        data::existenceStatement(ExistenceForm::FirstRowTrimmed, table, {}, {}, 8, "NIVEL = 1"),
        data::existenceStatement(ExistenceForm::FirstRowTrimmed, table, {}, {}, 8,
                                 " WHERE NIVEL = 1"),
        data::existenceStatement(ExistenceForm::AllRowsExact, table, "D'ARTAGNAN", "DESCRIPCION", 8,
                                 {}),
        data::existenceStatement(ExistenceForm::AllRowsExact, table, "'01/02/2020'", "ALTA", 7, {}),
        data::existenceStatement(ExistenceForm::AllRowsExact, table, "-10.25", "SALDO", 4, {}),
        data::existenceStatement(ExistenceForm::AllRowsExact, table, {}, {}, 8, "NIVEL = 1"),
        data::existenceStatement(ExistenceForm::AllRowsExact, table, {}, {}, 8, " WHERE NIVEL = 1"),
        data::fieldLookupStatement(table, "D'ARTAGNAN", "DESCRIPCION", 8, "NIVEL = 1", true),
        data::fieldLookupStatement(table, "D'ARTAGNAN", "DESCRIPCION", 8, {}, false),
        data::fieldLookupStatement(table, "01/02/2020", "ALTA", 7, {}, true),
        data::fieldLookupStatement(table, "1500.75", "SALDO", 5, {}, true),
        data::columnLookupStatement(data::ColumnAggregate::Maximum, table, "SALDO", " "),
        data::columnLookupStatement(data::ColumnAggregate::Minimum, table, "SALDO", "NIVEL = 1"),
        data::columnLookupStatement(data::ColumnAggregate::LastCode, table, "CODIGO", " NIVEL = 1"),
    };
    for (const QString &statement : statements) {
        Recordset recordset;
        EXPECT_NO_THROW(recordset.open(statement, gDB().gCnn)) << qPrintable(statement);
    }
}

TEST_F(Lookups, ExistenceLookupsFindTheRowAndLeaveItInTheCallersRecordset)
{
    using data::ExistenceForm;
    const auto Trimmed = ExistenceForm::FirstRowTrimmed; // ExisteEnTabla
    const auto Exact = ExistenceForm::AllRowsExact; // ExisteEnTablaST
    struct Case
    {
        const char *name;
        ExistenceForm form;
        QString valor;
        QString campo;
        QVariant tipo;
        QString condicion;
        QString descripcion; // of the found row; empty when none is found
    };
    const std::vector<Case> cases = {
        {"stored behind a blank, sought with blanks", Trimmed, "  1.1 ", "CODIGO", 8, "", "CAJA"},
        {"a quote in the value", Trimmed, "D'ARTAGNAN", "DESCRIPCION", 8, "", "D'ARTAGNAN"},
        {"missing code", Trimmed, "9", "CODIGO", 8, "", ""},
        {"number", Trimmed, "2", "NIVEL", 3, "", "CAJA"},
        {"decimal number", Trimmed, "250.5", "SALDO", 5, "", "CAJA"},
        {"condition instead of the value", Trimmed, "9", "CODIGO", 8, "NIVEL = 2", "CAJA"},
        {"condition holding WHERE", Trimmed, "", "", 8, " where NIVEL = 2", "CAJA"},
        {"condition without rows", Trimmed, "1", "CODIGO", 8, "NIVEL = 7", ""},
        {"exact: stored text", Exact, " 1.1", "CODIGO", 8, "", "CAJA"},
        {"exact: the code without its blank", Exact, "1.1", "CODIGO", 8, "", ""},
        {"exact: a quote in the value", Exact, "D'ARTAGNAN", "DESCRIPCION", 8, "", "D'ARTAGNAN"},
        {"exact: negative decimal", Exact, "-10.25", "SALDO", 5, "", "D'ARTAGNAN"},
        {"exact: condition", Exact, "", "", 8, "NIVEL = 2", "CAJA"},
        {"exact: condition holding WHERE", Exact, "", "", 8, " WHERE NIVEL = 2", "CAJA"},
        {"exact: condition without rows", Exact, "", "", 8, "NIVEL = 7", ""},
    };
    DB_Dll unopened; // ExisteEnTablaST asks the main connection, whatever instance it is called on
    for (const Case &c : cases) {
        const auto lookup = [&](Recordset *recordset) {
            return c.form == Trimmed
                ? gDB().ExisteEnTabla("MA_CUENTAS", c.valor, c.campo, recordset, c.tipo,
                                      c.condicion, true)
                : unopened.ExisteEnTablaST("MA_CUENTAS", c.valor, c.campo, recordset, c.tipo,
                                           c.condicion, true);
        };
        const bool found = !c.descripcion.isEmpty();
        Recordset recordset;
        EXPECT_EQ(lookup(&recordset), found) << c.name;
        EXPECT_EQ(
            recordset.source(),
            data::existenceStatement(c.form, "MA_CUENTAS", c.valor, c.campo, c.tipo, c.condicion))
            << c.name;
        if (found) {
            EXPECT_EQ(recordset.field("DESCRIPCION").value().toString(), c.descripcion) << c.name;
        }
        EXPECT_EQ(lookup(nullptr), found) << c.name;
    }
}

TEST_F(Lookups, ExisteEnTablaReopensTheCallersRecordsetAsAsked)
{
    Recordset recordset;
    recordset.open("SELECT * FROM VACIA", gDB().gCnn, platform::db::adOpenKeyset,
                   platform::db::adLockOptimistic);

    ASSERT_TRUE(gDB().ExisteEnTabla("MA_CUENTAS", "1", "CODIGO", &recordset, 8, {}, false));
    EXPECT_EQ(recordset.cursorType(), platform::db::adOpenKeyset);
    EXPECT_EQ(recordset.lockType(), platform::db::adLockOptimistic);

    ASSERT_TRUE(gDB().ExisteEnTabla("MA_CUENTAS", "1", "CODIGO", &recordset, 8, {}, true));
    EXPECT_EQ(recordset.cursorType(), platform::db::adOpenForwardOnly);
    EXPECT_EQ(recordset.lockType(), platform::db::adLockReadOnly);
}

TEST_F(Lookups, ExisteEnTablaReadsTheRestrictedSynonymForOtherUsers)
{
    gDB().gEsAdmin = false;
    Recordset recordset;
    EXPECT_FALSE(gDB().ExisteEnTabla("MA_CUENTAS", "1", "CODIGO", &recordset, 8));
    EXPECT_EQ(recordset.source(),
              "SELECT TOP 1  * FROM SS_MA_CUENTAS with(nolock)  WHERE LTRIM(RTRIM(CODIGO)) ='1'");
    EXPECT_TRUE(gDB().ExisteEnTabla("MA_CUENTAS", "2", "CODIGO", nullptr, 8));
    EXPECT_TRUE(gDB().ExisteEnTabla("@Admin_MA_CUENTAS", "1", "CODIGO", nullptr, 8));
}

// The engine knows no ROWNUM: its complaint shows the Oracle row limit reached it.
TEST_F(Lookups, ExisteEnTablaSendsTheOracleFormWithOrWithoutTheCallersRecordset)
{
    DB_Dll oracle;
    oracle.OpenServerADODB(
        false, platform::db::adUseClient,
        QString(embeddedConnection(QStringLiteral("LOOKUPS")))
            .replace(QStringLiteral("SQLOLEDB"), QStringLiteral("OraOLEDB.Oracle.1")),
        false, false);
    ASSERT_TRUE(oracle.isOracle());
    for (const bool callersRecordset : {true, false}) {
        dialogs.clearShown();
        dialogs.answer(Abort);
        Recordset recordset;
        EXPECT_FALSE(oracle.ExisteEnTabla("MA_CUENTAS", "1", "CODIGO",
                                          callersRecordset ? &recordset : nullptr, 8));
        ASSERT_EQ(dialogs.count(), 1) << callersRecordset;
        EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("ROWNUM"))) << callersRecordset;
    }
}

TEST_F(Lookups, ExistenceLookupsAskTheOperatorAboutAMissingTable)
{
    struct Case
    {
        const char *name;
        std::vector<int> answers;
    };
    const std::vector<Case> cases = {
        {"abort", {Abort}},
        {"retry, then abort", {Retry, Abort}},
        {"ignore goes on without a further box", {Ignore}},
    };
    for (const Case &c : cases) {
        for (const bool plain : {false, true}) {
            dialogs.clearShown();
            for (int answer : c.answers)
                dialogs.answer(answer);
            Recordset recordset;
            const bool found = plain
                ? gDB().ExisteEnTablaST("NO_EXISTE", "1", "CODIGO", &recordset, 8)
                : gDB().ExisteEnTabla("NO_EXISTE", "1", "CODIGO", nullptr, 8);
            EXPECT_FALSE(found) << c.name;
            ASSERT_EQ(dialogs.count(), int(c.answers.size())) << c.name;
            for (const auto &shown : dialogs.shown()) {
                EXPECT_EQ(shown.title, QStringLiteral("Aviso al Operador")) << c.name;
                EXPECT_EQ(shown.style, LookupBoxStyle) << c.name;
                EXPECT_FALSE(shown.text.isEmpty()) << c.name;
            }
        }
    }
}

TEST_F(Lookups, DatosTablaReturnsTheFieldOfTheFirstRowAsText)
{
    struct Case
    {
        const char *name;
        QString valor;
        QString devuelto;
        QString campo;
        QVariant tipo;
        QString condicion;
        bool usaTrim;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"trimmed code", "1.1 ", "DESCRIPCION", "CODIGO", 8, "", true, "CAJA"},
        {"untrimmed code misses the stored blank", "1.1", "DESCRIPCION", "CODIGO", 8, "", false,
         ""},
        {"untrimmed code as stored", " 1.1", "DESCRIPCION", "CODIGO", 8, "", false, "CAJA"},
        {"missing account", "9", "DESCRIPCION", "CODIGO", 8, "", true, ""},
        {"a quote in the value", "D'ARTAGNAN", "CODIGO", "DESCRIPCION", 8, "", true, "2"},
        {"Null field", "3", "DESCRIPCION", "CODIGO", 8, "", true, ""},
        {"condition that holds", "1", "DESCRIPCION", "CODIGO", 8, "NIVEL = 1", true, "ACTIVO"},
        {"condition that fails", "1", "DESCRIPCION", "CODIGO", 8, "NIVEL = 2", true, ""},
        {"decimal number with a point", "1500.75", "DESCRIPCION", "SALDO", 5, "", true, "ACTIVO"},
        {"integer", "2", "DESCRIPCION", "NIVEL", 3, "", true, "CAJA"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(gDB().DatosTabla("MA_CUENTAS", c.valor, c.devuelto, c.campo, c.tipo, c.condicion,
                                   c.usaTrim, false),
                  QVariant(c.expected))
            << c.name;
}

TEST_F(Lookups, DatosTablaReportsItsOwnErrorsUnlessToldToIgnoreThem)
{
    // A returned field the table lacks is the lookup's own error.
    dialogs.answer(Retry).answer(Abort);
    EXPECT_EQ(gDB().DatosTabla("MA_CUENTAS", "1", "NO_EXISTE", "CODIGO", 8), QVariant(QString()));
    ASSERT_EQ(dialogs.count(), 2);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Aviso al Operador"));
    EXPECT_EQ(dialogs.last().style, LookupBoxStyle);

    // A missing table is reported once, by the query opening, and gives the empty text.
    dialogs.clearShown();
    dialogs.answer(Abort);
    EXPECT_EQ(gDB().DatosTabla("NO_EXISTE", "1", "DESCRIPCION", "CODIGO", 8), QVariant(QString()));
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_TRUE(dialogs.last().title.contains(QStringLiteral("AbrirRecordset")));

    // A date that is not one never reaches the server.
    dialogs.clearShown();
    dialogs.answer(Abort);
    EXPECT_EQ(gDB().DatosTabla("MA_CUENTAS", "31/02/2020", "CODIGO", "ALTA", 7),
              QVariant(QString()));
    EXPECT_EQ(dialogs.count(), 1);

    dialogs.clearShown();
    EXPECT_EQ(gDB().DatosTabla("NO_EXISTE", "1", "DESCRIPCION", "CODIGO", 8, {}, true, true),
              QVariant(QString()));
    EXPECT_EQ(gDB().DatosTabla("MA_CUENTAS", "1", "NO_EXISTE", "CODIGO", 8, {}, true, true),
              QVariant(QString()));
    EXPECT_EQ(dialogs.count(), 0);
}

// A date is sought as the program's one date literal.
TEST_F(Lookups, DatesTravelAsTheProgramsDateLiteral)
{
    EXPECT_EQ(gDB().DatosTabla("MA_CUENTAS", " 01/02/2020 ", "CODIGO", "ALTA", 7).toString(), "1");
    EXPECT_TRUE(gDB().ExisteEnTabla("MA_CUENTAS", platform::gUtil().FechaSQL("15/03/2021"), "ALTA",
                                    nullptr, 7));
}

TEST_F(Lookups, ColumnLookupsReadTheAggregate)
{
    EXPECT_EQ(gDB().BuscaMaximo("MA_CUENTAS", "SALDO"), QVariant(1500.75));
    EXPECT_EQ(gDB().BuscaMinimo("MA_CUENTAS", "SALDO"), QVariant(-10.25));
    EXPECT_EQ(gDB().BuscaUltimoCodigo("MA_CUENTAS", "NIVEL", {}, " NIVEL < 2 "), QVariant(1.0));
    EXPECT_EQ(gDB().BuscaMinimo("MA_CUENTAS", "NIVEL", {}, QStringLiteral("   ")), QVariant(1.0));

    QVariant blank = QStringLiteral("  ");
    EXPECT_EQ(gDB().BuscaMaximo("MA_CUENTAS", "NIVEL", {}, blank), QVariant(2.0));

    // Over no rows the aggregate is Null: 0, or the empty text for a date.
    EXPECT_EQ(gDB().BuscaMinimo("VACIA", "N"), QVariant(0.0));
    EXPECT_EQ(gDB().BuscaMaximo("VACIA", "F", 7), QVariant(QString()));
    EXPECT_EQ(gDB().BuscaUltimoCodigo("VACIA", "N", {}, {}), QVariant(0.0));

    // Nothing traps their errors: the caller's handler sees them.
    EXPECT_THROW(gDB().BuscaMaximo("NO_EXISTE", "N"), platform::Error);
}

TEST_F(Lookups, ArticleCodesBeginningWithZeroAreSkippedOnce)
{
    struct Case
    {
        const char *name;
        QVariant condicion;
        QString rewritten;
        double expected;
    };
    const std::vector<Case> cases = {
        {"no condition", QVariant(), " substring(ltrim(idarticulo),1,1)<>'0'", 120},
        {"given condition", QStringLiteral("idarticulo <> '0999'"),
         "idarticulo <> '0999' and substring(ltrim(idarticulo),1,1)<>'0'", 120},
        {"largest code without a leading zero", QStringLiteral("idarticulo = ' 120'"),
         "idarticulo = ' 120'", 120},
    };
    for (const Case &c : cases) {
        QVariant condicion = c.condicion;
        EXPECT_EQ(gDB().BuscaMaximo("v_ma_articulos", "idarticulo", {}, condicion),
                  QVariant(c.expected))
            << c.name;
        EXPECT_EQ(condicion.toString(), c.rewritten) << c.name;
    }
}

TEST_F(Lookups, SQLValueWritesLiteralsUnderADecimalComma)
{
    struct Case
    {
        const char *name;
        QVariant valor;
        QString tipo;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"number", 1234.5, "@", "1234.5"},
        {"regional number text", QStringLiteral("1.234,56"), "@", "1234.56"},
        {"amount", platform::currencyVariant(platform::Currency::fromScaled(-25000)), "@", "-2.5"},
        {"Null number", platform::nullVariant(), "@", "0"},
        {"text", QStringLiteral("ACTIVO"), "'", "'ACTIVO'"},
        {"text with quotes", QStringLiteral("D'ARTAGNAN's"), "'", "'D''ARTAGNAN''s'"},
        {"Null text", platform::nullVariant(), "'", "NULL"},
        {"other code", 12.5, "#", "12,5"},
        {"Null with another code", platform::nullVariant(), "", "NULL"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(gDB().SQLValue(c.valor, c.tipo), QVariant(c.expected)) << c.name;
}

TEST(FieldTypeTests, FamiliesOfTheAdoTypeCodes)
{
    struct Case
    {
        QVariant code;
        bool date, text, numeric, currency, boolean;
        QString quote;
    };
    const std::vector<Case> cases = {
        {7, true, false, false, false, false, "'"},
        {135, true, false, false, false, false, "'"},
        {64, true, false, false, false, false, "'"},
        {8, false, true, false, false, false, "'"},
        {200, false, true, false, false, false, "'"},
        {129, false, true, false, false, false, "'"},
        {3, false, false, true, false, false, ""},
        {131, false, false, true, false, false, ""},
        {17, false, false, true, false, false, ""},
        {6, false, false, false, true, false, ""},
        {11, false, false, false, false, true, ""},
        {139, false, false, false, false, false, ""},
        {QStringLiteral("7"), true, false, false, false, false, "'"},
        {QVariant(), false, false, false, false, false, ""},
        {platform::nullVariant(), false, false, false, false, false, ""},
    };
    const DB_Dll db;
    for (const Case &c : cases) {
        const QString name = c.code.toString();
        EXPECT_EQ(db.adodate(c.code), c.date) << qPrintable(name);
        EXPECT_EQ(db.ADOText(c.code), c.text) << qPrintable(name);
        EXPECT_EQ(db.ADONumeric(c.code), c.numeric) << qPrintable(name);
        EXPECT_EQ(db.ADOCurrency(c.code), c.currency) << qPrintable(name);
        EXPECT_EQ(db.ADOBoolean(c.code), c.boolean) << qPrintable(name);
        EXPECT_EQ(db.ADOComilla(c.code), c.quote) << qPrintable(name);
    }
}

TEST(ObjectNames, DecorateAndTakeApartNames)
{
    DB_Dll db;
    EXPECT_EQ(db.AddBrackets("MI TABLA"), "[MI TABLA]");
    EXPECT_EQ(db.AddBrackets("[MI TABLA]"), "[MI TABLA]");
    EXPECT_EQ(db.AddBrackets("MA_CUENTAS"), "MA_CUENTAS");

    EXPECT_EQ(db.StripBrackets("[MI TABLA]"), "MI TABLA");
    EXPECT_EQ(db.StripBrackets("[MI TABLA"), "MI TABL");
    EXPECT_EQ(db.StripBrackets("MA_CUENTAS"), "MA_CUENTAS");

    EXPECT_EQ(db.StripConnect("CLIENTES ->C:\\datos\\base.mdb"), "CLIENTES");
    EXPECT_EQ(db.StripConnect("CLIENTES"), "CLIENTES");

    EXPECT_EQ(db.StripFileName("C:\\datos\\base.mdb"), "C:\\datos");
    EXPECT_EQ(db.StripFileName("/srv/datos/base.mdb"), "/srv/datos");
    EXPECT_EQ(db.StripFileName("base.mdb"), "");

    QString owned = QStringLiteral("dbo.MA_CUENTAS");
    EXPECT_EQ(db.StripOwner(owned), "MA_CUENTAS");
    EXPECT_EQ(owned, "MA_CUENTAS");
    QString bare = QStringLiteral("MA_CUENTAS");
    EXPECT_EQ(db.StripOwner(bare), "MA_CUENTAS");
}

TEST(ObjectNames, stSTFTakesAPartOfADottedName)
{
    struct Case
    {
        QString name;
        bool rnPart;
        QString expected;
        QString nameAfter;
    };
    const std::vector<Case> cases = {
        {"dbo.MA_CUENTAS", true, "MA_CUENTAS", "dbo.MA_CUENTAS"},
        {"dbo.MA_CUENTAS", false, "dbo", "dbo.MA_CUENTAS"},
        {"MA_CUENTAS", true, "MA_CUENTAS", "MA_CUENTAS"},
        {"base.dbo.MA_CUENTAS", true, "dbo.MA_CUENTAS", "dbo.MA_CUENTAS"},
        {"base.dbo.MA_CUENTAS", false, "dbo.MA_CUENTAS", "dbo.MA_CUENTAS"},
    };
    DB_Dll db;
    for (const Case &c : cases) {
        QString name = c.name;
        EXPECT_EQ(db.stSTF(name, c.rnPart), c.expected) << qPrintable(c.name);
        EXPECT_EQ(name, c.nameAfter) << qPrintable(c.name);
    }
    QString undotted = QStringLiteral("MA_CUENTAS");
    EXPECT_THROW(db.stSTF(undotted, false), platform::Error);
}
