#include "data/task_timer_shortcut.h"

#include "platform/error.h"
#include "platform/runtime.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

namespace data {

namespace {

// A value of a desktop entry keeps its backslashes only when they are doubled.
QString entryValue(QString text)
{
    return text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
}

// The command of the entry: the path between double quotes, so that blanks stay in it, with
// the characters the quoting reserves escaped, and "%" doubled so that it is not read as a
// field code.
QString quotedCommand(const QString &program)
{
    QString quoted;
    for (const QChar c : program) {
        if (QStringView(u"\"`$\\").contains(c))
            quoted += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            quoted += c;
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

[[noreturn]] void raiseUnwritable(const QString &path)
{
    throw platform::Error(platform::errors::PathFileAccess,
                          QStringLiteral("Error de acceso a la ruta o el archivo: ")
                              + QDir::toNativeSeparators(path),
                          platform::programName());
}

} // namespace

QString taskTimerProgram()
{
    const QString configured
        = platform::environmentVariable(QStringLiteral("RP_PANELCTA_RELOJFAENA"));
    return configured.isEmpty() ? platform::programFolder() + QStringLiteral("/Relojfaena")
                                : configured;
}

QString createTaskTimerShortcut()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString path = QDir(desktop).filePath(QStringLiteral("Reloj Faena.desktop"));
    const QString program = taskTimerProgram();
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Reloj Faena\n"
                                         "Exec=")
        + entryValue(quotedCommand(program)) + QStringLiteral("\nIcon=") + entryValue(program)
        + QStringLiteral("\nTerminal=false\n");

    QSaveFile file(path);
    if (!QDir().mkpath(desktop) || !file.open(QIODevice::WriteOnly))
        raiseUnwritable(path);
    file.write(entry.toUtf8());
    if (!file.commit())
        raiseUnwritable(path);
    // Desktops start only the entries their owner may execute.
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    return path;
}

} // namespace data
