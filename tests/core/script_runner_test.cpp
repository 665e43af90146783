#include "core/mod_global.h"
#include "core/script_runner.h"
#include "core_database_test.h"
#include "data/db_dll.h"
#include "platform/legacy_files.h"
#include "services_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using core_testing::CoreDatabaseTest;
namespace msgbox = platform::msgbox;

const QString Stars(112, QLatin1Char('*'));

class ScriptRunnerTest : public CoreDatabaseTest
{
protected:
    void SetUp() override
    {
        CoreDatabaseTest::SetUp();
        m_previousTemp = qgetenv("TEMP");
        qputenv("TEMP", tempFolder().toUtf8());
        core::gParametroAdicional.clear();
    }
    void TearDown() override
    {
        core::gParametroAdicional.clear();
        qputenv("TEMP", m_previousTemp);
        CoreDatabaseTest::TearDown();
    }

    // Writes the script with the line end after every line and runs it in batch mode.
    void runScript(const QStringList &lines, const QString &lineEnd = QStringLiteral("\r\n"))
    {
        QFile file(scriptPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(platform::toWindows1252(QString(lines.join(lineEnd) + lineEnd)));
        file.close();
        core::EjecutarScript(scriptPath(), nullptr, QString(), permitDeletion, false);
    }

    QString scriptPath() const { return tempFolder() + QStringLiteral("/script.sql"); }
    // The fixed clock says 14:07:09; the log is in the user's private folder.
    QString logPath() const
    {
        return tempFolder() + QStringLiteral("/rp_panelcta/scripts/Script1479.TXT");
    }
    QStringList logLines() const { return platform::readTextLines(logPath()); }
    int rows(const QString &table)
    {
        return valueOnMain(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
    }
    bool tableExists(const QString &table)
    {
        try {
            valueOnMain(QStringLiteral("SELECT COUNT(*) FROM ") + table);
            return true;
        } catch (const platform::Error &) {
            return false;
        }
    }

    bool permitDeletion = false;
    core_testing::RecordingLauncher launcher;
    core_testing::ScopedRegionalSettings spanish{platform::RegionalSettings::spanishArgentina()};

private:
    QByteArray m_previousTemp;
};

struct SplitCase
{
    const char *name;
    QString lineEnd;
    QString separator;
    bool split;
};

void PrintTo(const SplitCase &c, std::ostream *os)
{
    *os << c.name;
}

class ScriptSplittingTest : public ScriptRunnerTest, public ::testing::WithParamInterface<SplitCase>
{ };

TEST_P(ScriptSplittingTest, SeparatorLinesEndBatches)
{
    const SplitCase &c = GetParam();
    if (!c.split)
        dialogs.answer(msgbox::Ok);
    runScript({QString::fromLatin1("\xEF\xBB\xBF-- the first line carries a byte-order mark"),
               QStringLiteral("CREATE TABLE T1 (A int)"), QString(), c.separator,
               QStringLiteral("  -- a comment between the batches"),
               QStringLiteral("INSERT INTO T1 (A) VALUES (1)")},
              c.lineEnd);

    EXPECT_EQ(tableExists(QStringLiteral("T1")), c.split);
    if (c.split) {
        EXPECT_EQ(rows(QStringLiteral("T1")), 1);
    }
    EXPECT_EQ(dialogs.count(), c.split ? 0 : 1) << "the merged batch fails and is announced";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptSplittingTest,
    ::testing::Values(SplitCase{"go_crlf", "\r\n", "GO", true},
                      SplitCase{"go_lf", "\n", "GO", true},
                      SplitCase{"go_cr_crlf", "\r\r\n", "GO", true},
                      SplitCase{"slash", "\r\n", "/", true},
                      SplitCase{"go_with_blanks", "\r\n", "  GO ", true},
                      SplitCase{"lower_case_go_is_no_separator", "\r\n", "go", false}),
    [](const ::testing::TestParamInfo<SplitCase> &info) { return info.param.name; });

TEST_F(ScriptRunnerTest, PlaceholdersAreReplacedInCapitalsOnly)
{
    runScript({QStringLiteral("CREATE TABLE P (D varchar(30), N varchar(30), Y varchar(30), "
                              "Z varchar(30), B varchar(30), L varchar(30))"),
               QStringLiteral("GO"),
               QStringLiteral("INSERT INTO P VALUES ('<DATE>', '<NOW>', '<DATE+YEAR>', "
                              "'<DATE-YEAR>', '<DATABASE>', '<date>')")});

    const QStringList expected
        = {"05/03/2026", "05/03/2026 14:07:09", "05/03/2027", "05/03/2025", "PRINCIPAL", "<date>"};
    const QStringList columns = {"D", "N", "Y", "Z", "B", "L"};
    for (int i = 0; i < columns.size(); ++i)
        EXPECT_EQ(valueOnMain(QStringLiteral("SELECT ") + columns[i] + QStringLiteral(" FROM P"))
                      .toString(),
                  expected[i])
            << columns[i].toStdString();
}

TEST_F(ScriptRunnerTest, LaterPassesRunOnlyWhatFailedOrHasNotRun)
{
    runScript({QStringLiteral("CREATE TABLE SEED (A int)"), QStringLiteral("GO"),
               QStringLiteral("INSERT INTO SEED (A) VALUES (1)"), QStringLiteral("GO"),
               QStringLiteral("INSERT INTO LATER (A) VALUES (1)"), QStringLiteral("GO"),
               QStringLiteral("CREATE TABLE LATER (A int)"), QStringLiteral("GO"),
               QStringLiteral("INSERT INTO SEED (A) VALUES (2) -- FMT_ESTADISTICAFH"),
               QStringLiteral("GO")});

    EXPECT_EQ(rows(QStringLiteral("SEED")), 2) << "each seed row once, the marker in pass 2";
    EXPECT_EQ(valueOnMain(QStringLiteral("SELECT SUM(A) FROM SEED")).toInt(), 3);
    EXPECT_EQ(rows(QStringLiteral("LATER")), 1);
    EXPECT_FALSE(QFile::exists(logPath())) << "a missing object is never logged";
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(ScriptRunnerTest, MarkerBatchWaitsForASecondPass)
{
    runScript({QStringLiteral("CREATE TABLE SEED (A int)"), QStringLiteral("GO"),
               QStringLiteral("INSERT INTO SEED (A) VALUES (2) -- FMT_ESTADISTICAFH")});

    EXPECT_EQ(rows(QStringLiteral("SEED")), 0) << "no missing object, no second pass";
}

struct LogCase
{
    const char *name;
    QString batch;
    QString parametroAdicional;
    bool logged;
    bool announced;
};

void PrintTo(const LogCase &c, std::ostream *os)
{
    *os << c.name;
}

class ScriptLogTest : public ScriptRunnerTest, public ::testing::WithParamInterface<LogCase>
{ };

TEST_P(ScriptLogTest, OtherErrorsAreLoggedAndAnnounced)
{
    const LogCase &c = GetParam();
    core::gParametroAdicional = c.parametroAdicional;
    if (c.announced)
        dialogs.answer(msgbox::Ok);

    runScript({c.batch, QStringLiteral("GO")});

    if (c.logged) {
        const QStringList lines = logLines();
        ASSERT_EQ(lines.size(), 7);
        EXPECT_EQ(lines[0], Stars);
        EXPECT_EQ(lines[1], QStringLiteral("05/03/2026 - 14:07:09"));
        EXPECT_TRUE(lines[2].startsWith(QStringLiteral("  Error 102 "))) << lines[2].toStdString();
        EXPECT_EQ(lines[3], Stars);
        EXPECT_EQ(lines[4], c.batch);
        EXPECT_EQ(lines[5], QString());
        EXPECT_EQ(lines[6], Stars);
        EXPECT_EQ(QFileInfo(logPath()).permissions(),
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser)
            << "the batch may hold a password";
    } else {
        EXPECT_FALSE(QFile::exists(logPath())) << "a run that logged nothing leaves no log";
    }
    if (c.announced) {
        ASSERT_EQ(dialogs.count(), 1);
        EXPECT_EQ(dialogs.last().text,
                  QStringLiteral("Se detectaron errores, consulte el archivo ") + logPath());
        EXPECT_EQ(launcher.opened, QStringList{logPath()});
    } else {
        EXPECT_EQ(dialogs.count(), 0);
        EXPECT_TRUE(launcher.opened.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptLogTest,
    ::testing::Values(
        LogCase{"syntax_error", "SELECT FROM WHERE", "", true, true},
        LogCase{"syntax_error_run_automatically", "SELECT FROM WHERE", "Automatica", true, false},
        LogCase{"object_that_exists", "CREATE TABLE MA_CUENTAS (A int)", "", false, false}),
    [](const ::testing::TestParamInfo<LogCase> &info) { return info.param.name; });

TEST_F(ScriptRunnerTest, DeletingLineAsksForThePassword)
{
    struct Case
    {
        const char *line;
        bool permitted;
        QString answer; // empty: nothing is asked
        bool runs;
    };
    const std::vector<Case> cases = {
        {"drop table T_OLD", false, "VEKO@", true},
        {"truncate table T_OLD", false, "veko@", false},
        {"DROP TABLE T_OLD", false, "", true},
        {"drop table T_OLD", true, "", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const QString line = QString::fromLatin1(c.line);
        const bool asked = !c.answer.isEmpty();
        runOnMain(QStringLiteral("CREATE TABLE T_OLD (A int)"));
        runOnMain(QStringLiteral("CREATE TABLE T_RUN (A int)"));
        dialogs.clearShown();
        QFile::remove(logPath());
        permitDeletion = c.permitted;
        if (asked)
            dialogs.type(c.answer);
        if (!c.runs)
            dialogs.answer(msgbox::Ok);

        runScript({QStringLiteral("INSERT INTO T_RUN (A) VALUES (1)"), QStringLiteral("GO"), line});

        EXPECT_EQ(rows(QStringLiteral("T_RUN")), c.runs ? 1 : 0) << "nothing runs after a refusal";
        EXPECT_EQ(tableExists(QStringLiteral("T_OLD")), !c.runs);
        EXPECT_EQ(permitDeletion, c.permitted || (asked && c.runs));
        if (asked) {
            ASSERT_GE(dialogs.count(), 1);
            EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("Atencion"));
            EXPECT_EQ(dialogs.shown()[0].text,
                      QStringLiteral("Ingresa la Clave para permitir ejecutar este comando..\r\n")
                          + line);
        }
        if (!c.runs) {
            ASSERT_EQ(dialogs.count(), 2) << "the refusal and no final message";
            EXPECT_EQ(dialogs.last().title, QStringLiteral("ATENCION!"));
            EXPECT_EQ(dialogs.last().style, msgbox::OkOnly | msgbox::Critical);
            EXPECT_FALSE(QFile::exists(logPath()));
        } else {
            EXPECT_EQ(dialogs.count(), asked ? 1 : 0);
        }
        runOnMain(QStringLiteral("DROP TABLE T_RUN"));
        if (tableExists(QStringLiteral("T_OLD")))
            runOnMain(QStringLiteral("DROP TABLE T_OLD"));
    }
}

TEST_F(ScriptRunnerTest, StatementModeRunsEachIfNotExistsStatement)
{
    dialogs.answer(msgbox::No);
    QFile file(scriptPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("CREATE TABLE S (A int)\r\n"
               "go\r\n"
               "IF NOT EXISTS (SELECT * FROM S WHERE A = 1)\r\n"
               "  INSERT INTO S (A) VALUES (1)\r\n"
               "IF NOT EXISTS (SELECT * FROM MISSING) INSERT INTO S (A) VALUES (9)\r\n"
               "IF NOT EXISTS (SELECT * FROM MISSING) INSERT INTO S (A) VALUES (8)\r\n"
               "IF NOT EXISTS (SELECT * FROM S WHERE A = 2)\r\n"
               "  INSERT INTO S (A) VALUES (2)\r\n");
    file.close();

    core::EjecutarScript(scriptPath(), nullptr, QString(), permitDeletion, true);

    EXPECT_EQ(rows(QStringLiteral("S")), 2);
    ASSERT_EQ(dialogs.count(), 1) << "No stops showing the errors";
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Atencion"));
    EXPECT_TRUE(dialogs.last().text.startsWith(QStringLiteral("Ocurrio el siguiente error ")));
}

TEST_F(ScriptRunnerTest, EmptyPathDoesNothingAndMissingFileIsReported)
{
    core::EjecutarScript(QString(), nullptr, QString(), permitDeletion, false);
    EXPECT_FALSE(QFile::exists(logPath()));

    dialogs.answer(msgbox::Abort);
    core::EjecutarScript(tempFolder() + QStringLiteral("/missing.sql"), nullptr, QString(),
                         permitDeletion, false);
    ASSERT_EQ(dialogs.count(), 1) << "no final message after leaving";
    EXPECT_TRUE(dialogs.last().title.contains(QStringLiteral("Ejecutar")))
        << dialogs.last().title.toStdString();
}

} // namespace
