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

// Missing parents of a folder under the user's home are made for this user alone.
void makeFolderPath(const QString &folder)
{
    if (QDir().exists(folder))
        return;
    QString partial;
    for (const QString &part : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        partial += QLatin1Char('/') + part;
        if (!makeFolder(partial))
            raiseAccessError(partial, systemReason());
    }
}

// The folder an XDG variable names when it is absolute, else the one under the home folder.
QString xdgFolder(const char *variable, const QString &underHome)
{
    QString folder = environmentVariable(QString::fromLatin1(variable));
    if (!QDir::isAbsolutePath(folder))
        folder = QDir::homePath() + QLatin1Char('/') + underHome;
    folder = QDir::cleanPath(folder);
    makeFolderPath(folder);
    return folder;
}

// The folder the user's private folders go under.
QString baseFolder()
{
    const QString runtimeFolder = environmentVariable(QStringLiteral("XDG_RUNTIME_DIR"));
    if (QDir::isAbsolutePath(runtimeFolder) && whyNotPrivate(runtimeFolder).isEmpty())
        return QDir::cleanPath(runtimeFolder);
    return xdgFolder("XDG_CACHE_HOME", QStringLiteral(".cache"));
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

QString userFolder()
{
    return privateSubfolder(xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share")),
                            programName().toLower());
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

void appendPrivateBytes(const QString &path, QByteArrayView bytes)
{
    const QByteArray name = QFile::encodeName(path);
    constexpr int flags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC;
    int descriptor = ::open(name.constData(), flags);
    // Made new and exclusively, so a name another user plants in between is never written to.
    if (descriptor < 0 && errno == ENOENT)
        descriptor = ::open(name.constData(), flags | O_CREAT | O_EXCL, S_IRUSR | S_IWUSR);
    if (descriptor < 0)
        raiseAccessError(path, systemReason());
    struct stat status
    { };
    QString reason;
    if (::fstat(descriptor, &status) != 0)
        reason = systemReason();
    else if (!S_ISREG(status.st_mode))
        reason = QStringLiteral("no es un archivo");
    else if (status.st_uid != ::geteuid())
        reason = QStringLiteral("pertenece a otro usuario");
    else if (::fchmod(descriptor, S_IRUSR | S_IWUSR) != 0)
        reason = systemReason();
    // One write per call: with O_APPEND two processes appending to one file never mix their
    // lines.
    else if (::write(descriptor, bytes.data(), std::size_t(bytes.size())) != bytes.size())
        reason = systemReason();
    ::close(descriptor);
    if (!reason.isEmpty())
        raiseAccessError(path, reason);
}

void appendPrivateTextLines(const QString &path, const QStringList &lines)
{
    appendPrivateBytes(path, linesWithEnds(lines));
}

} // namespace platform
