#include "platform/program_files.h"

#include "platform/error.h"
#include "platform/legacy_files.h"
#include "platform/private_folder.h"
#include "platform/runtime.h"
#include "platform/user_dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool trustedOwner(uid_t owner)
{
    return owner == ::geteuid() || owner == 0;
}

// Why others can change what stands at the path, when they can.
QString whyOthersCanChangeEntry(const QString &path, bool folder)
{
    struct stat status
    { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    if (!trustedOwner(status.st_uid))
        return QStringLiteral("%1 pertenece a otro usuario").arg(QDir::toNativeSeparators(path));
    const bool othersWrite = (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    // In a folder like /tmp others may add files but not replace one of this user's.
    if (othersWrite && !(folder && (status.st_mode & S_ISVTX)))
        return QStringLiteral("otros usuarios pueden escribir en %1")
            .arg(QDir::toNativeSeparators(path));
    return {};
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

} // namespace

QString readableProgramFile(const QString &fileName)
{
    try {
        const QString own = findFileIgnoringCase(userFolder(), fileName);
        if (QFileInfo(own).isFile())
            return own;
    } catch (const Error &) {
        // Without a folder of the user's own, the program folder's copy is all there is.
    }
    return findFileIgnoringCase(programFolder(), fileName);
}

QString writableProgramFile(const QString &fileName)
{
    const QString shared = findFileIgnoringCase(programFolder(), fileName);
    const QString writtenThere = QFileInfo::exists(shared) ? shared : programFolder();
    if (::access(QFile::encodeName(writtenThere).constData(), W_OK) == 0)
        return shared;
    try {
        return findFileIgnoringCase(userFolder(), fileName);
    } catch (const Error &) {
        return shared;
    }
}

QString whyOthersCanChange(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    QString reason = whyOthersCanChangeEntry(path, false);
    if (reason.isEmpty())
        reason = whyOthersCanChangeEntry(folderOf(path), true);
    const QString target = QFileInfo(path).canonicalFilePath();
    if (reason.isEmpty() && !target.isEmpty() && target != QFileInfo(path).absoluteFilePath())
        reason = whyOthersCanChangeEntry(folderOf(target), true);
    return reason;
}

bool isTrustedOrReported(const QString &path)
{
    const QString reason = whyOthersCanChange(path);
    if (reason.isEmpty())
        return true;
    static QSet<QString> reported;
    if (!reported.contains(path)) {
        reported.insert(path);
        userDialogs().messageBox(
            QStringLiteral("No se usa el archivo %1: %2. Quite a los demás usuarios el permiso de "
                           "escribir en él y en su carpeta.")
                .arg(QDir::toNativeSeparators(path), reason),
            msgbox::OkOnly | msgbox::Exclamation, QStringLiteral("Atención"));
    }
    return false;
}

} // namespace platform
