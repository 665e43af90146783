#include "core/transaction_script.h"
#include "core_database_test.h"
#include "data/db_dll.h"

namespace {

using core::GActualizarDatoScript;
namespace msgbox = platform::msgbox;

class TransactionScriptTest : public core_testing::CoreDatabaseTest
{
protected:
    void SetUp() override
    {
        CoreDatabaseTest::SetUp();
        runOnMain(QStringLiteral("CREATE TABLE RUBROS (RUBRO varchar(10) NOT NULL PRIMARY KEY)"));
        runOnMain(QStringLiteral("INSERT INTO RUBROS VALUES ('R1')"));
        runOnMain(QStringLiteral("CREATE TABLE GRUPOS (CODIGO varchar(10) NOT NULL PRIMARY KEY, "
                                 "NOMBRE varchar(50) NULL, RUBRO varchar(10) NOT NULL "
                                 "REFERENCES RUBROS (RUBRO))"));
        runOnMain(QStringLiteral("INSERT INTO GRUPOS VALUES ('A', 'Activo', 'R1')"));
    }

    int count(const char *table)
    {
        return valueOnMain(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(table)).toInt();
    }

    // What one run handed back.
    struct Run
    {
        bool hayError = true;
        std::int32_t nroError = -1;
        QString script;
        QString textoError;
    };

    Run run(const QStringList &statements, bool silenceDuplicate = false,
            bool silenceReference = false, bool showMessage = true)
    {
        Run result;
        GActualizarDatoScript(statements, result.hayError, result.nroError, silenceDuplicate,
                              silenceReference, result.script, result.textoError, showMessage);
        return result;
    }
};

const QString InsertB = QStringLiteral("INSERT INTO GRUPOS VALUES ('B', 'Bienes', 'R1')");
const QString InsertC = QStringLiteral("INSERT INTO GRUPOS VALUES ('C', 'Caja', 'R1')");
const QString DuplicateA = QStringLiteral("INSERT INTO GRUPOS VALUES ('A', 'Otra', 'R1')");
const QString UnknownRubro = QStringLiteral("INSERT INTO GRUPOS VALUES ('X', 'Otra', 'R9')");

TEST_F(TransactionScriptTest, AGoodScriptCommitsEveryStatementInOneBatch)
{
    const Run result = run({QString(), InsertB, QStringLiteral("   "), InsertC, QString()});

    EXPECT_FALSE(result.hayError);
    EXPECT_EQ(result.nroError, 0);
    EXPECT_EQ(result.script,
              QStringLiteral("BEGIN TRANSACTION \r\r\r") + InsertB + QStringLiteral("\r") + InsertC
                  + QStringLiteral("\r"));
    EXPECT_EQ(count("GRUPOS"), 3);
    EXPECT_EQ(count("AUX_ERR"), 0);
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(TransactionScriptTest, StaleErrorsOfTheConnectionDoNotRollBackAGoodScript)
{
    data::gDB().gCnn->errors().assign({platform::db::ProviderError{
        platform::db::hresult::ErrorsInCommand, QStringLiteral("antes"), QString(), 208, {}}});

    const Run result = run({InsertB});

    EXPECT_FALSE(result.hayError);
    EXPECT_EQ(result.nroError, 0);
    EXPECT_EQ(count("GRUPOS"), 2);
    EXPECT_EQ(count("AUX_ERR"), 0);
}

TEST_F(TransactionScriptTest, AScriptThatCouldNotRunOnAClosedConnectionIsAnError)
{
    // The batch's transaction statement keeps the data layer silent about it.
    data::gDB().gCnn->close();

    const Run result = run({InsertB});

    EXPECT_TRUE(result.hayError);
    data::gDB().gCnn->open(data::gDB().gConnString);
    EXPECT_EQ(count("GRUPOS"), 1);
}

TEST_F(TransactionScriptTest, AScriptOfBlankStatementsRunsNothingAndLeavesTheOutputsAlone)
{
    Run result;
    result.nroError = 77;
    result.script = QStringLiteral("anterior");
    GActualizarDatoScript({QString(), QStringLiteral("  ")}, result.hayError, result.nroError,
                          false, false, result.script, result.textoError, true);

    EXPECT_FALSE(result.hayError);
    EXPECT_EQ(result.nroError, 77);
    EXPECT_EQ(result.script, QStringLiteral("anterior"));
    EXPECT_EQ(count("GRUPOS"), 1);
}

TEST_F(TransactionScriptTest, AFailingStatementRollsBackTheWholeScriptAndIsRecorded)
{
    struct Case
    {
        const char *why;
        QString failing;
        std::int32_t number;
        bool silenceDuplicate;
        bool silenceReference;
        bool showMessage;
        bool described; // the error text is recorded and may be shown
        bool shown;
    };
    const Case cases[] = {
        {"duplicate key", DuplicateA, 2627, false, false, true, true, true},
        {"duplicate key, message off", DuplicateA, 2627, false, false, false, true, false},
        {"duplicate key silenced", DuplicateA, 2627, true, false, true, false, false},
        {"refused row", UnknownRubro, 547, false, false, true, true, true},
        {"refused row silenced", UnknownRubro, 547, false, true, true, false, false},
        {"refused row, duplicates silenced", UnknownRubro, 547, true, false, true, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        runOnMain(QStringLiteral("DELETE FROM AUX_ERR"));
        dialogs.clearShown();
        if (c.shown)
            dialogs.answer(msgbox::Ok);

        const Run result = run({InsertB, c.failing, InsertC}, c.silenceDuplicate,
                               c.silenceReference, c.showMessage);

        EXPECT_TRUE(result.hayError);
        EXPECT_EQ(result.nroError, c.number);
        EXPECT_EQ(count("GRUPOS"), 1);
        EXPECT_EQ(data::gDB().gCnn->errors().count(), 0);

        // The server adds an end-of-statement notice; only the cause is described.
        const QString cause = QString::number(c.number) + QStringLiteral(" : ");
        ASSERT_EQ(count("AUX_ERR"), 1);
        EXPECT_EQ(valueOnMain(QStringLiteral("SELECT SQL FROM AUX_ERR")).toString(), result.script);
        EXPECT_EQ(valueOnMain(QStringLiteral("SELECT Error FROM AUX_ERR")).toInt(), c.number);
        EXPECT_EQ(valueOnMain(QStringLiteral("SELECT Proceso FROM AUX_ERR")).toString(),
                  QStringLiteral("RP_PANELCTA"));
        const QString recorded
            = valueOnMain(QStringLiteral("SELECT Descripcion FROM AUX_ERR")).toString();
        if (c.described) {
            EXPECT_TRUE(recorded.startsWith(cause)) << recorded.toStdString();
            EXPECT_EQ(recorded.count(QStringLiteral("\r\n")), 1) << recorded.toStdString();
            EXPECT_EQ(result.textoError, recorded);
        } else {
            EXPECT_TRUE(recorded.isEmpty()) << recorded.toStdString();
            EXPECT_FALSE(result.textoError.isEmpty());
            EXPECT_FALSE(result.textoError.startsWith(cause));
        }

        ASSERT_EQ(dialogs.count(), c.shown ? 1 : 0);
        if (c.shown) {
            EXPECT_EQ(dialogs.last().title, QStringLiteral("Aviso al Operador!"));
            EXPECT_EQ(dialogs.last().text, recorded);
            EXPECT_EQ(dialogs.last().style, msgbox::OkOnly | msgbox::Critical);
        }
    }
}

TEST_F(TransactionScriptTest, TheConnectionIsFreeForTheNextScriptAfterARollback)
{
    dialogs.answer(msgbox::Ok);
    run({InsertB, DuplicateA});

    const Run result = run({InsertB});

    EXPECT_FALSE(result.hayError);
    EXPECT_EQ(count("GRUPOS"), 2);
}

} // namespace
