#include "platform/runtime.h"
#include "platform_test_helpers.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace platform;

TEST(Runtime, ProgramFolderIsTheHomeVariableElseTheExecutablesFolder)
{
    EXPECT_EQ(programName(), QStringLiteral("RP_PANELCTA"));
    {
        ScopedEnvironment home("RP_PANELCTA_HOME", "");
        EXPECT_EQ(programFolder(), QCoreApplication::applicationDirPath());
    }
    ScopedEnvironment home("RP_PANELCTA_HOME", "/opt/panel/");
    EXPECT_EQ(programFolder(), QStringLiteral("/opt/panel"));
}

TEST(Runtime, TemporaryFolderFollowsTheEnvironment)
{
    const struct
    {
        const char *tmpdir;
        const char *temp;
        const char *folder;
    } cases[] = {
        {"/var/tmp/panel/", "/srv/temp", "/var/tmp/panel"},
        {" /var/tmp/panel ", "/srv/temp", "/var/tmp/panel"},
        {"   ", "/srv/temp", "/srv/temp"},
        {"", "  ", "/tmp"},
        {"   ", "", "/tmp"},
    };
    ScopedEnvironment tmp("TMP", "");
    for (const auto &c : cases) {
        ScopedEnvironment tmpdir("TMPDIR", c.tmpdir);
        ScopedEnvironment temp("TEMP", c.temp);
        EXPECT_EQ(temporaryFolder(), QString::fromUtf8(c.folder)) << c.tmpdir << "|" << c.temp;
    }

    ScopedEnvironment tmpdir("TMPDIR", "/var/tmp/panel/");
    EXPECT_EQ(environmentVariable(QStringLiteral("TMPDIR")), QStringLiteral("/var/tmp/panel/"));
    EXPECT_EQ(environmentVariable(QStringLiteral("RP_NO_SUCH_VARIABLE")), QString());
}

// As root the engine needs its sandbox off to start at all; any other account keeps it.
TEST(Runtime, BrowserSandboxIsSwitchedOffForRootOnly)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "becoming another account needs root";
    const QByteArray previous = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    const struct
    {
        const char *name;
        uid_t account;
        bool switchedOff;
    } cases[] = {{"root", 0, true}, {"another account", 65534, false}};
    for (const auto &c : cases) {
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        ASSERT_EQ(::seteuid(c.account), 0) << c.name;
        platform::allowBrowserEngineAsRoot();
        ASSERT_EQ(::seteuid(0), 0);
        EXPECT_EQ(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), c.switchedOff ? "1" : "") << c.name;
    }
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", previous);
}

TEST(Runtime, ClockCanBeFixedAndRestored)
{
    const QDateTime fixed(QDate(2026, 3, 5), QTime(14, 30));
    setClock([&] { return fixed; });
    EXPECT_EQ(now(), fixed);
    setClock({});
    EXPECT_LE(qAbs(now().secsTo(QDateTime::currentDateTime())), 5);
}

TEST(Runtime, LauncherStartsProgramsAndWaitsWhenAsked)
{
    QTemporaryDir folder;
    const QString marker = folder.filePath(QStringLiteral("ran"));
    EXPECT_TRUE(launcher().start(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("sleep 0.2; echo x > '%1'").arg(marker)}, true));
    EXPECT_TRUE(QFile::exists(marker)); // waited for the end
    EXPECT_FALSE(launcher().start(folder.filePath(QStringLiteral("no-such-program")), {}, true));
    EXPECT_FALSE(launcher().start(folder.filePath(QStringLiteral("no-such-program")), {}, false));
}

TEST(Runtime, EndProcessRunsTheHookFirst)
{
    int seenCode = -1;
    setEndProcessHook([&](int code) {
        seenCode = code;
        throw ProcessEnded(code);
    });
    try {
        endProcess(3);
        ADD_FAILURE() << "endProcess returned";
    } catch (const ProcessEnded &ended) {
        EXPECT_EQ(ended.exitCode, 3);
    }
    EXPECT_EQ(seenCode, 3);
    setEndProcessHook({});
}

TEST(RuntimeDeathTest, EndProcessEndsAtOnceKeepingWhatWasWritten)
{
    QTemporaryDir folder;
    const QByteArray path = folder.filePath(QStringLiteral("out.txt")).toLocal8Bit();
    EXPECT_EXIT(
        {
            std::FILE *out = std::fopen(path.constData(), "w");
            std::fputs("escrito", out); // buffered, never closed
            endProcess(7);
        },
        ::testing::ExitedWithCode(7), "");
    QFile written(QString::fromLocal8Bit(path));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("escrito"));
}

namespace {

// Hides the parameters of a start with both, and exits 0 when the variable is gone for every
// program started from here, the argument is blanked in memory and the program still reads them.
[[noreturn]] void hideParametersAndExit()
{
    qputenv("RP_PANELCTA_PARAMETROS", "@Password=ADMIN");
    char program[] = "rp_panelcta";
    char argument[] = "@Usuario=ANA";
    char *argv[] = {program, argument, nullptr};
    keepStartupParametersHidden(2, argv);
    const bool unset = std::getenv("RP_PANELCTA_PARAMETROS") == nullptr;
    const bool blanked
        = std::all_of(std::begin(argument), std::end(argument), [](char c) { return c == '\0'; });
    const bool kept = startupParameterText().startsWith(QStringLiteral("@Password=ADMIN"));
    std::fprintf(stderr, "unset %d blanked %d kept %d", unset, blanked, kept);
    std::_Exit(unset && blanked && kept ? 0 : 1);
}

} // namespace

// Hiding the parameters changes the whole process for good, so it runs in a child of its own.
TEST(RuntimeDeathTest, HiddenStartupParametersLeaveNoVariableAndNoArgumentBehind)
{
    EXPECT_EXIT(hideParametersAndExit(), ::testing::ExitedWithCode(0), "unset 1 blanked 1 kept 1");
}
