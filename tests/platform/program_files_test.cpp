#include "platform/program_files.h"
#include "platform_test_helpers.h"
#include "scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

constexpr uid_t otherUser = 65534; // nobody

void makeFile(const QString &path, mode_t mode = 0644)
{
    writeFileBytes(path, "x");
    ::chmod(QFile::encodeName(path).constData(), mode);
}

// A program folder as an installation leaves it, and the user's own folder beside it.
class ProgramFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        ::chmod(QFile::encodeName(m_root.path()).constData(), 0755);
        QDir(m_root.path()).mkpath(QStringLiteral("program"));
        QDir(m_root.path()).mkpath(QStringLiteral("data"));
    }

    QString program() const { return m_root.filePath(QStringLiteral("program")); }
    QString own() const { return m_root.filePath(QStringLiteral("data/rp_panelcta")); }

    QTemporaryDir m_root;
    ScopedEnvironment m_home{"RP_PANELCTA_HOME", QFile::encodeName(program())};
    ScopedEnvironment m_data{"XDG_DATA_HOME",
                             QFile::encodeName(m_root.filePath(QStringLiteral("data")))};
};

TEST_F(ProgramFiles, TheUsersOwnCopyIsReadFirstThenTheProgramFolders)
{
    const struct
    {
        bool ownCopy;
        bool sharedCopy;
        bool expectOwn;
    } cases[]
        = {{true, true, true}, {false, true, false}, {true, false, true}, {false, false, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.ownCopy << c.sharedCopy);
        QDir(own()).mkpath(QStringLiteral("."));
        ::chmod(QFile::encodeName(own()).constData(), 0700);
        QFile::remove(own() + QStringLiteral("/BASES.TXT"));
        QFile::remove(program() + QStringLiteral("/bases.txt"));
        if (c.ownCopy)
            makeFile(own() + QStringLiteral("/BASES.TXT"));
        if (c.sharedCopy)
            makeFile(program() + QStringLiteral("/bases.txt"));

        const QString expected = c.expectOwn ? own() + QStringLiteral("/BASES.TXT")
                                             : program()
                + (c.sharedCopy ? QStringLiteral("/bases.txt") : QStringLiteral("/BASES.TXT"));
        EXPECT_EQ(readableProgramFile(QStringLiteral("BASES.TXT")).toStdString(),
                  expected.toStdString());
    }
}

// What another user of the machine, who cannot write in the installed program's folder, is
// given; root can write anywhere, so the user is played by a child process.
TEST_F(ProgramFiles, AUserWhoCannotWriteTheProgramFolderWritesInTheirOwn)
{
    EXPECT_EQ(writableProgramFile(QStringLiteral("consultas.tvc")),
              program() + QStringLiteral("/consultas.tvc"));
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to play another user";
    ::chown(QFile::encodeName(m_root.filePath(QStringLiteral("data"))).constData(), otherUser,
            otherUser);
    const QString expected = own() + QStringLiteral("/consultas.tvc");
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(otherUser) != 0 || ::setuid(otherUser) != 0)
            ::_exit(100);
        ::_exit(writableProgramFile(QStringLiteral("consultas.tvc")) == expected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(ProgramFiles, FilesOthersCanChangeAreNotTrusted)
{
    const QString file = program() + QStringLiteral("/consultas.tvc");
    const QString target = m_root.filePath(QStringLiteral("open/target"));
    const struct
    {
        const char *why;
        std::function<void()> plant;
        QString path;
        bool trusted;
        bool needsRoot = false; // to hand a file to another user
    } cases[] = {
        {"only its owner writes it", [&] { makeFile(file); }, file, true},
        {"everyone writes it", [&] { makeFile(file, 0666); }, file, false},
        {"its group writes it", [&] { makeFile(file, 0664); }, file, false},
        {"another user owns it",
         [&] {
             makeFile(file);
             ::chown(QFile::encodeName(file).constData(), otherUser, otherUser);
         },
         file, false, true},
        {"everyone writes its folder",
         [&] {
             makeFile(file);
             ::chmod(QFile::encodeName(program()).constData(), 0777);
         },
         file, false},
        {"its folder is shared but sticky",
         [&] {
             makeFile(file);
             ::chmod(QFile::encodeName(program()).constData(), 01777);
         },
         file, true},
        {"a link to a file in a folder everyone writes",
         [&] {
             QDir(m_root.path()).mkpath(QStringLiteral("open"));
             ::chmod(QFile::encodeName(m_root.filePath(QStringLiteral("open"))).constData(), 0777);
             makeFile(target);
             QFile::link(target, file);
         },
         file, false},
        {"missing", [] {}, file, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        if (c.needsRoot && ::geteuid() != 0)
            continue;
        QFile::remove(file);
        ::chmod(QFile::encodeName(program()).constData(), 0755);
        c.plant();
        const QString reason = whyOthersCanChange(c.path);
        EXPECT_EQ(reason.isEmpty(), c.trusted) << reason.toStdString();
        ::chmod(QFile::encodeName(program()).constData(), 0755);
    }
}

TEST_F(ProgramFiles, AnUntrustedFileIsReportedOnceByName)
{
    testing_support::ScriptedDialogs dialogs;
    const QString file = program() + QStringLiteral("/CONSULTASLEN.TVC");
    makeFile(file, 0666);
    dialogs.answer(msgbox::Ok);

    EXPECT_FALSE(isTrustedOrReported(file));
    EXPECT_FALSE(isTrustedOrReported(file));

    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_TRUE(dialogs.last().text.startsWith(QStringLiteral("No se usa el archivo ") + file));
    EXPECT_TRUE(isTrustedOrReported(own() + QStringLiteral("/missing")));
}

} // namespace
