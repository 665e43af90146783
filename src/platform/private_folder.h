#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>

// Files other local users must not read or replace: pages holding accounting figures, logs of
// scripts, files holding passwords. They live in this user's own folder, never in a shared
// temporary folder where another user can read them, keep a file from being replaced or plant a
// link in its place. Failures raise platform::Error 75 (path or file access error) naming the
// folder or file and the reason.
namespace platform {

// The folder of that name inside this user's private folder for the program, created with mode
// 0700 when missing: under XDG_RUNTIME_DIR when it names a folder of this user that no one else
// may enter, else under XDG_CACHE_HOME (or ~/.cache). Refuses a folder that is a link, belongs
// to another user or lets others in. No trailing "/".
QString privateFolder(const QString &name);

// The user's own lasting folder for the program, created with mode 0700 when missing:
// XDG_DATA_HOME (or ~/.local/share) followed by "rp_panelcta". Unlike the runtime folder, what
// is kept there outlives the session. Refuses a folder that is a link, belongs to another user
// or lets others in. No trailing "/".
QString userFolder();

// Creates a new file that only this user may read and write (0600), open for writing. Refuses a
// name that already exists, a link included, so nothing is ever written through a planted link.
std::unique_ptr<QFile> createPrivateFile(const QString &path);

// Creates the file as createPrivateFile does and writes these bytes as its whole content; a file
// that cannot be written whole is removed.
void writePrivateFile(const QString &path, QByteArrayView bytes);

// Appends the bytes in one write to a file of this user, created exclusively for this user alone
// (0600) when missing and made so again when found open to others. A link under the name, a
// file of another user or anything but a plain file is refused, and nothing is written.
void appendPrivateBytes(const QString &path, QByteArrayView bytes);

// The lines, each followed by CR LF, in Windows-1252, appended as appendPrivateBytes does.
void appendPrivateTextLines(const QString &path, const QStringList &lines);

} // namespace platform
