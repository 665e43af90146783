#include "platform/private_folder.h"

#include "platform/error.h"
#include "platform/legacy_files.h"
#include "platform/runtime.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

[[noreturn]] void raiseAccessError(const QString &path, const QString &reason)
{
    throw Error(errors::PathFileAccess,
                QStringLiteral("Error de acceso a la ruta o el archivo: %1 (%2)")
                    .arg(QDir::toNativeSeparators(path), reason));
}

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Empty when the path is a real folder of this user that no one else may enter, else why not.
QString whyNotPrivate(const QString &folder)
{
    struct stat status
    { };
    if (::lstat(QFile::encodeName(folder).constData(), &status) != 0)
        return systemReason();
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("es un enlace");
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("no es una carpeta");
    if (status.st_uid != ::geteuid())
        return QStringLiteral("pertenece a otro usuario");
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return QStringLiteral("otros usuarios pueden entrar en ella");
    return {};
}

bool makeFolder(const QString &folder)
{
    return ::mkdir(QFile::encodeName(folder).constData(), S_IRWXU) == 0 || errno == EEXIST;
}

// The folder the user's private folders go under; missing parents of the cache folder are made
// for this user alone.
QString baseFolder()
{
    const QString runtimeFolder = environmentVariable(QStringLiteral("XDG_RUNTIME_DIR"));
    if (QDir::isAbsolutePath(runtimeFolder) && whyNotPrivate(runtimeFolder).isEmpty())
        return QDir::cleanPath(runtimeFolder);

    QString cacheFolder = environmentVariable(QStringLiteral("XDG_CACHE_HOME"));
    if (!QDir::isAbsolutePath(cacheFolder))
        cacheFolder = QDir::homePath() + QStringLiteral("/.cache");
    cacheFolder = QDir::cleanPath(cacheFolder);
    if (!QDir().exists(cacheFolder)) {
        QString partial;
        for (const QString &part : cacheFolder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            partial += QLatin1Char('/') + part;
            if (!makeFolder(partial))
                raiseAccessError(partial, systemReason());
        }
    }
    return cacheFolder;
}

QString privateSubfolder(const QString &parent, const QString &name)
{
    const QString folder = parent + QLatin1Char('/') + name;
    if (!makeFolder(folder))
        raiseAccessError(folder, systemReason());
    const QString reason = whyNotPrivate(folder);
    if (!reason.isEmpty())
        raiseAccessError(folder, reason);
    return folder;
}

} // namespace

QString privateFolder(const QString &name)
{
    const QString programFolder = privateSubfolder(baseFolder(), programName().toLower());
    return privateSubfolder(programFolder, name);
}

std::unique_ptr<QFile> createPrivateFile(const QString &path)
{
    const int descriptor
        = ::open(QFile::encodeName(path).constData(),
                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (descriptor < 0)
        raiseAccessError(path, systemReason());
    auto file = std::make_unique<QFile>(path);
    if (!file->open(descriptor, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        raiseAccessError(path, file->errorString());
    }
    return file;
}

void writePrivateFile(const QString &path, QByteArrayView bytes)
{
    auto file = createPrivateFile(path);
    const bool written = file->write(bytes.data(), bytes.size()) == bytes.size() && file->flush();
    const QString reason = file->errorString();
    file->close();
    if (!written) {
        QFile::remove(path);
        raiseAccessError(path, reason);
    }
}

void appendPrivateTextLines(const QString &path, const QStringList &lines)
{
    // Made here for the owner alone; once the file is there, the private folder lets nobody
    // replace it before the lines are written.
    const int descriptor = ::open(QFile::encodeName(path).constData(),
                                  O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (descriptor < 0)
        raiseAccessError(path, systemReason());
    const bool closedToOthers = ::fchmod(descriptor, S_IRUSR | S_IWUSR) == 0;
    ::close(descriptor);
    if (!closedToOthers)
        raiseAccessError(path, systemReason());
    appendTextLines(path, lines);
}

} // namespace platform
