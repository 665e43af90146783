#include "platform/runtime.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace platform {

namespace {

QString withoutTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

class ProcessLauncher final : public Launcher
{
public:
    bool start(const QString &program, const QStringList &arguments, bool wait) override
    {
        if (!wait)
            return QProcess::startDetached(program, arguments);
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, arguments);
        if (!process.waitForStarted())
            return false;
        process.waitForFinished(-1);
        return true;
    }

    bool openDocument(const QString &path) override
    {
        const QUrl url = QFileInfo::exists(path)
            ? QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())
            : QUrl::fromUserInput(path);
        return QDesktopServices::openUrl(url);
    }

    void openDocumentReportingFailure(const QString &path, std::function<void()> failed) override
    {
        // The desktop's opener is waited for in the background: it may only hand the file on, or
        // run the program that shows it for as long as the user keeps it open.
        auto *opener = new QProcess(QCoreApplication::instance());
        opener->setStandardOutputFile(QProcess::nullDevice());
        opener->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(opener, &QProcess::errorOccurred, opener,
                         [opener, failed](QProcess::ProcessError error) {
                             if (error != QProcess::FailedToStart)
                                 return;
                             failed();
                             opener->deleteLater();
                         });
        QObject::connect(opener, &QProcess::finished, opener,
                         [opener, failed](int exitCode, QProcess::ExitStatus status) {
                             if (status != QProcess::NormalExit || exitCode != 0)
                                 failed();
                             opener->deleteLater();
                         });
        opener->start(QStringLiteral("xdg-open"), {QFileInfo(path).absoluteFilePath()});
    }
};

ProcessLauncher &processLauncher()
{
    static ProcessLauncher launcher;
    return launcher;
}

const char *const ParametersVariable = "RP_PANELCTA_PARAMETROS";

std::optional<QStringList> keptArguments;
std::optional<QString> keptParametersVariable;

Launcher *installedLauncher = nullptr;
std::function<QDateTime()> installedClock;
std::function<void(int)> endProcessHook;

} // namespace

QString programName()
{
    return QStringLiteral("RP_PANELCTA");
}

QString programFolder()
{
    const QString home = environmentVariable(QStringLiteral("RP_PANELCTA_HOME"));
    if (!home.isEmpty())
        return withoutTrailingSlash(QDir::cleanPath(home));
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

QStringList commandLineArguments()
{
    if (keptArguments)
        return *keptArguments;
    if (!QCoreApplication::instance())
        return {};
    return QCoreApplication::arguments().mid(1);
}

QString commandLineText()
{
    return commandLineArguments().join(QLatin1Char(' '));
}

QString startupParameterText()
{
    const QString variable = keptParametersVariable ? *keptParametersVariable
                                                    : qEnvironmentVariable(ParametersVariable);
    const QString commandLine = commandLineText();
    if (variable.trimmed().isEmpty())
        return commandLine;
    if (commandLine.trimmed().isEmpty())
        return variable;
    // The ";" closes the variable's last value, which may lack its own.
    return variable + QStringLiteral("; ") + commandLine;
}

void keepStartupParametersHidden(int argc, char **argv)
{
    keptArguments = commandLineArguments();
    keptParametersVariable = qEnvironmentVariable(ParametersVariable);
    qunsetenv(ParametersVariable);
    for (int i = 1; i < argc; ++i) {
        if (argv[i])
            std::memset(argv[i], 0, std::strlen(argv[i]));
    }
}

QString environmentVariable(const QString &name)
{
    return qEnvironmentVariable(name.toLocal8Bit().constData());
}

QString temporaryFolder()
{
    for (const char *name : {"TMPDIR", "TEMP", "TMP"}) {
        const QString folder = qEnvironmentVariable(name).trimmed();
        if (!folder.isEmpty())
            return withoutTrailingSlash(QDir::cleanPath(folder));
    }
    // Qt reads TMPDIR once more and answers a blank one with no folder at all.
    const QString systemFolder = QDir::tempPath();
    return systemFolder.isEmpty() ? QStringLiteral("/tmp") : withoutTrailingSlash(systemFolder);
}

QDateTime now()
{
    return installedClock ? installedClock() : QDateTime::currentDateTime();
}

void setClock(std::function<QDateTime()> clock)
{
    installedClock = std::move(clock);
}

Launcher::~Launcher() = default;

void Launcher::openDocumentReportingFailure(const QString &path, std::function<void()> failed)
{
    if (!openDocument(path))
        failed();
}

Launcher &launcher()
{
    return installedLauncher ? *installedLauncher : processLauncher();
}

void setLauncher(Launcher *launcher)
{
    installedLauncher = launcher;
}

void allowBrowserEngineAsRoot()
{
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

void endProcess(int exitCode)
{
    if (endProcessHook)
        endProcessHook(exitCode);
    // "At once" means no destructors and no event loop, but what was already written to the
    // console must not be lost.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void setEndProcessHook(std::function<void(int exitCode)> hook)
{
    endProcessHook = std::move(hook);
}

} // namespace platform
