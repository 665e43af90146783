#include "platform/user_private_folder.h"

#include "platform/error.h"
#include "platform/legacy_files.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

[[noreturn]] void refuse(const QString &path, const QString &why)
{
    throw Error(errors::PathFileAccess,
                QStringLiteral("Error de acceso a la ruta o el archivo: %1 (%2)").arg(path, why));
}

// The folder must be a real folder of this user; one left open to others is closed again.
void checkOwnFolder(const QString &path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        refuse(path, QStringLiteral("no se puede crear"));
    if (!S_ISDIR(status.st_mode))
        refuse(path, QStringLiteral("no es una carpeta"));
    if (status.st_uid != ::geteuid())
        refuse(path, QStringLiteral("pertenece a otro usuario"));
    if ((status.st_mode & 077) != 0 && ::chmod(QFile::encodeName(path).constData(), 0700) != 0)
        refuse(path, QStringLiteral("no se puede cerrar a otros usuarios"));
}

} // namespace

QString privateFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString base = runtime.isEmpty() ? QDir::homePath() + QStringLiteral("/.cache") : runtime;
    QDir().mkpath(base);
    const QString folder = base + QStringLiteral("/RP_PANELCTA");
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    checkOwnFolder(folder);
    return folder;
}

void appendPrivateTextLines(const QString &path, const QStringList &lines)
{
    // Made here for the owner alone; once the file is there, the private folder lets nobody
    // replace it before the lines are written.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        refuse(path, QString::fromLocal8Bit(::strerror(errno)));
    const bool closed = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    if (!closed)
        refuse(path, QStringLiteral("no se puede cerrar a otros usuarios"));
    appendTextLines(path, lines);
}

} // namespace platform
