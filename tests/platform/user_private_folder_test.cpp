#include "platform/error.h"
#include "platform/legacy_files.h"
#include "platform/user_private_folder.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int modeOf(const QString &path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return int(status.st_mode & 0777);
}

// Each test has a runtime folder of its own.
class PrivateFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_runtime.isValid());
        m_previous = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", m_previous); }

    QString expectedFolder() const { return m_runtime.path() + QStringLiteral("/RP_PANELCTA"); }

    QTemporaryDir m_runtime;
    QByteArray m_previous;
};

TEST_F(PrivateFolderTest, FolderAndFilesAreTheirOwnersAlone)
{
    const QString folder = platform::privateFolder();
    EXPECT_EQ(folder, expectedFolder());
    EXPECT_EQ(modeOf(folder), 0700);

    const QString log = folder + QStringLiteral("/Script1479.TXT");
    platform::appendPrivateTextLines(log, {QStringLiteral("uno")});
    platform::appendPrivateTextLines(log, {QStringLiteral("dos ñ")});
    EXPECT_EQ(modeOf(log), 0600);
    EXPECT_EQ(platform::readTextLines(log),
              QStringList({QStringLiteral("uno"), QStringLiteral("dos ñ")}));

    ::chmod(QFile::encodeName(folder).constData(), 0755);
    ::chmod(QFile::encodeName(log).constData(), 0644);
    EXPECT_EQ(platform::privateFolder(), folder);
    EXPECT_EQ(modeOf(folder), 0700) << "a folder left open is closed again";
    platform::appendPrivateTextLines(log, {});
    EXPECT_EQ(modeOf(log), 0600) << "and so is a file";
}

TEST_F(PrivateFolderTest, APlantedLinkOrAnotherUsersFolderIsRefused)
{
    // A link where the folder belongs.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), expectedFolder()));
    EXPECT_THROW(platform::privateFolder(), platform::Error);
    QFile::remove(expectedFolder());

    // A link where a log belongs: the file it points at is not written.
    const QString folder = platform::privateFolder();
    const QString target = elsewhere.filePath(QStringLiteral("victima"));
    ASSERT_TRUE(QFile::link(target, folder + QStringLiteral("/Script1.TXT")));
    EXPECT_THROW(platform::appendPrivateTextLines(folder + QStringLiteral("/Script1.TXT"),
                                                  {QStringLiteral("clave")}),
                 platform::Error);
    EXPECT_FALSE(QFile::exists(target));

    // A folder another user made first (only root can make one to try).
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the folder to another user";
    ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
    EXPECT_THROW(platform::privateFolder(), platform::Error);
}

} // namespace
