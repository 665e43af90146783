#include "platform/legacy_files.h"
#include "platform/private_folder.h"
#include "platform_test_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

constexpr uid_t otherUser = 65534; // nobody

mode_t modeOf(const QString &path)
{
    struct stat status
    { };
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
    return status.st_mode & 07777;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Two folders stand for the runtime folders of two users, and one for the cache folder used
// when the runtime folder is missing or unfit.
class PrivateFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        ::chmod(QFile::encodeName(m_root.path()).constData(), 0755);
        QDir(m_root.path()).mkdir(QStringLiteral("runtime"));
        ::chmod(QFile::encodeName(runtime()).constData(), 0700);
    }

    QString runtime() const { return m_root.filePath(QStringLiteral("runtime")); }
    QString cache() const { return m_root.filePath(QStringLiteral("home/.cache")); }
    QString programUnder(const QString &base) const
    {
        return base + QStringLiteral("/rp_panelcta");
    }

    QTemporaryDir m_root;
    ScopedEnvironment m_cacheHome{"XDG_CACHE_HOME", QFile::encodeName(cache())};
};

TEST_F(PrivateFolder, LivesInTheRuntimeFolderWithOnlyItsOwnerAllowedIn)
{
    ScopedEnvironment runtimeFolder("XDG_RUNTIME_DIR", QFile::encodeName(runtime()));
    const QString pages = privateFolder(QStringLiteral("pages"));
    EXPECT_EQ(pages, programUnder(runtime()) + QStringLiteral("/pages"));
    EXPECT_EQ(modeOf(programUnder(runtime())), 0700u);
    EXPECT_EQ(modeOf(pages), 0700u);
    EXPECT_EQ(privateFolder(QStringLiteral("pages")), pages) << "an existing folder is reused";
}

TEST_F(PrivateFolder, FallsBackToTheCacheFolderWhenTheRuntimeFolderIsUnfit)
{
    const QString planted = m_root.filePath(QStringLiteral("planted"));
    QDir(m_root.path()).mkdir(QStringLiteral("open"));
    ::chmod(QFile::encodeName(m_root.filePath(QStringLiteral("open"))).constData(), 0777);
    QFile::link(runtime(), planted);
    const struct
    {
        const char *why;
        QByteArray value;
    } cases[] = {
        {"empty", ""},
        {"relative", "runtime"},
        {"missing", QFile::encodeName(m_root.filePath(QStringLiteral("none")))},
        {"open to others", QFile::encodeName(m_root.filePath(QStringLiteral("open")))},
        {"a link", QFile::encodeName(planted)},
    };
    for (const auto &c : cases) {
        ScopedEnvironment runtimeFolder("XDG_RUNTIME_DIR", c.value);
        EXPECT_EQ(privateFolder(QStringLiteral("logs")),
                  programUnder(cache()) + QStringLiteral("/logs"))
            << c.why;
    }
    EXPECT_EQ(modeOf(cache()), 0700u) << "a missing cache folder is made for this user alone";
    EXPECT_FALSE(QFileInfo::exists(programUnder(runtime())));
}

TEST_F(PrivateFolder, RefusesAFolderItCannotTrust)
{
    ScopedEnvironment runtimeFolder("XDG_RUNTIME_DIR", QFile::encodeName(runtime()));
    const QString program = programUnder(runtime());
    const QString elsewhere = m_root.filePath(QStringLiteral("elsewhere"));
    QDir().mkpath(elsewhere);
    ::chmod(QFile::encodeName(elsewhere).constData(), 0700);

    const struct
    {
        const char *why;
        bool needsRoot;
        std::function<void()> plant;
    } cases[] = {
        {"a link to another folder", false, [&] { QFile::link(elsewhere, program); }},
        {"a file", false, [&] { writeFileBytes(program, "x"); }},
        {"open to others", false,
         [&] {
             QDir().mkdir(program);
             ::chmod(QFile::encodeName(program).constData(), 0755);
         }},
        {"another user's", true,
         [&] {
             QDir().mkdir(program);
             ::chmod(QFile::encodeName(program).constData(), 0700);
             ASSERT_EQ(::chown(QFile::encodeName(program).constData(), otherUser, otherUser), 0);
         }},
    };
    for (const auto &c : cases) {
        if (c.needsRoot && ::geteuid() != 0)
            continue; // only root can give a folder to another user
        QFile::remove(program);
        QDir(program).removeRecursively();
        c.plant();
        EXPECT_EQ(errorNumberOf([] { privateFolder(QStringLiteral("pages")); }),
                  errors::PathFileAccess)
            << c.why;
        EXPECT_FALSE(QFileInfo::exists(elsewhere + QStringLiteral("/pages"))) << c.why;
    }
}

TEST_F(PrivateFolder, FilesAreNewOwnerOnlyAndNeverWrittenThroughALink)
{
    ScopedEnvironment runtimeFolder("XDG_RUNTIME_DIR", QFile::encodeName(runtime()));
    const QString pages = privateFolder(QStringLiteral("pages"));
    const QString page = pages + QStringLiteral("/page.htm");

    writePrivateFile(page, "<p>1.234,56</p>");
    EXPECT_EQ(modeOf(page), 0600u);
    EXPECT_EQ(contentOf(page), QByteArray("<p>1.234,56</p>"));

    EXPECT_EQ(errorNumberOf([&] { writePrivateFile(page, "other"); }), errors::PathFileAccess);
    EXPECT_EQ(contentOf(page), QByteArray("<p>1.234,56</p>")) << "an existing file is left alone";

    const QString target = m_root.filePath(QStringLiteral("target.txt"));
    writeFileBytes(target, "keep");
    const QString link = pages + QStringLiteral("/Style.css");
    QFile::link(target, link);
    EXPECT_EQ(errorNumberOf([&] { createPrivateFile(link); }), errors::PathFileAccess);
    EXPECT_EQ(contentOf(target), QByteArray("keep"));
}

// Runs the call in a child process as another user; its exit code, or -1 when it did not end
// normally.
int exitCodeAsOtherUser(const std::function<int()> &call)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(otherUser) != 0 || ::setuid(otherUser) != 0)
            ::_exit(100);
        ::_exit(call());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(PrivateFolder, TwoUsersEachKeepTheirOwnFilesAndCannotReadTheOther)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as a second user needs root";
    // The cache folder stands for the first user's home, open to all as homes often are.
    QDir().mkpath(cache());
    ::chmod(QFile::encodeName(m_root.filePath(QStringLiteral("home"))).constData(), 0755);
    ::chmod(QFile::encodeName(cache()).constData(), 0755);
    ScopedEnvironment runtimeFolder("XDG_RUNTIME_DIR", "");
    const QString firstStyle
        = privateFolder(QStringLiteral("pages")) + QStringLiteral("/Style.css");
    writePrivateFile(firstStyle, "first");
    const QString readable = cache() + QStringLiteral("/readable.txt");
    writeFileBytes(readable, "open");
    ::chmod(QFile::encodeName(readable).constData(), 0644);

    const QString secondRuntime = m_root.filePath(QStringLiteral("runtime2"));
    QDir().mkdir(secondRuntime);
    ::chmod(QFile::encodeName(secondRuntime).constData(), 0700);
    ASSERT_EQ(::chown(QFile::encodeName(secondRuntime).constData(), otherUser, otherUser), 0);

    const auto canRead = [](const QString &path) {
        return [path] { return QFile(path).open(QIODevice::ReadOnly) ? 0 : 1; };
    };
    EXPECT_EQ(exitCodeAsOtherUser(canRead(readable)), 0) << "the second user does reach the folder";
    EXPECT_EQ(exitCodeAsOtherUser(canRead(firstStyle)), 1) << "but not the first user's page";

    EXPECT_EQ(exitCodeAsOtherUser([&] {
                  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(secondRuntime));
                  try {
                      const QString style
                          = privateFolder(QStringLiteral("pages")) + QStringLiteral("/Style.css");
                      writePrivateFile(style, "second");
                      return style.startsWith(secondRuntime) ? 0 : 2;
                  } catch (const Error &) {
                      return 1;
                  }
              }),
              0)
        << "the second user writes a Style.css of their own";
    EXPECT_EQ(contentOf(firstStyle), QByteArray("first"));
}

// Script logs are appended to: the file is made for its owner alone, closed again when found open
// to others, and never written through a link planted under its name.
TEST_F(PrivateFolder, AppendedLogsAreTheirOwnersAloneAndNeverFollowALink)
{
    ScopedEnvironment runtimeFolder{"XDG_RUNTIME_DIR", QFile::encodeName(runtime())};
    const QString log
        = privateFolder(QStringLiteral("scripts")) + QStringLiteral("/Script1479.TXT");
    appendPrivateTextLines(log, {QStringLiteral("uno")});
    appendPrivateTextLines(log, {QString::fromUtf8("dos ñ")});
    EXPECT_EQ(modeOf(log), mode_t(0600));
    EXPECT_EQ(readTextLines(log), QStringList({QStringLiteral("uno"), QString::fromUtf8("dos ñ")}));

    ::chmod(QFile::encodeName(log).constData(), 0644);
    appendPrivateTextLines(log, {});
    EXPECT_EQ(modeOf(log), mode_t(0600));

    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("victima"));
    const QString planted
        = privateFolder(QStringLiteral("scripts")) + QStringLiteral("/Script1.TXT");
    ASSERT_TRUE(QFile::link(target, planted));
    EXPECT_THROW(appendPrivateTextLines(planted, {QStringLiteral("clave")}), Error);
    EXPECT_FALSE(QFile::exists(target));
}

} // namespace
