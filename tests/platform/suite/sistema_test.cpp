#include "../platform_test_helpers.h"
#include "platform/runtime.h"
#include "platform/suite/sistema.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace platform;

namespace {

class RecordingLauncher final : public Launcher
{
public:
    RecordingLauncher() { setLauncher(this); }
    ~RecordingLauncher() override { setLauncher(nullptr); }

    bool start(const QString &program, const QStringList &arguments, bool wait) override
    {
        started << program + QLatin1Char('|') + arguments.join(QLatin1Char(',')) + QLatin1Char('|')
                + (wait ? QStringLiteral("wait") : QStringLiteral("no wait"));
        return true;
    }
    bool openDocument(const QString &path) override
    {
        opened << path;
        return true;
    }

    QStringList started;
    QStringList opened;
};

} // namespace

TEST(Sistema, EjecutarOpensADocumentOrStartsAProgram)
{
    RecordingLauncher launcher;
    EXPECT_TRUE(gSistema().Ejecutar(0, QString(), QStringLiteral("/tmp/Script1200.TXT"), QString(),
                                    QString(), 6));
    EXPECT_TRUE(gSistema().Ejecutar(0, QString(), QStringLiteral("/opt/suite/otro"),
                                    QStringLiteral(" -a  b "), QString(), 1));
    EXPECT_EQ(launcher.opened, QStringList{QStringLiteral("/tmp/Script1200.TXT")});
    EXPECT_EQ(launcher.started, QStringList{QStringLiteral("/opt/suite/otro|-a,b|no wait")});
}

TEST(Sistema, MachineUserAndTemporaryFolder)
{
    ScopedEnvironment tmpdir("TMPDIR", "/var/tmp/panel");
    ScopedEnvironment user("USER", "contador");
    EXPECT_EQ(gSistema().CarpetaTemporal(), QStringLiteral("/var/tmp/panel/"));
    QProcess id;
    id.start(QStringLiteral("id"), {QStringLiteral("-un")});
    ASSERT_TRUE(id.waitForFinished());
    EXPECT_EQ(gSistema().NombreUsuario(),
              QString::fromLocal8Bit(id.readAllStandardOutput()).trimmed())
        << "the account names the user, not USER";
    EXPECT_FALSE(gSistema().NombreMaquina().isEmpty());
}
