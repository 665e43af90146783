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

// Creates a new file that only this user may read and write (0600), open for writing. Refuses a
// name that already exists, a link included, so nothing is ever written through a planted link.
std::unique_ptr<QFile> createPrivateFile(const QString &path);

// Creates the file as createPrivateFile does and writes these bytes as its whole content; a file
// that cannot be written whole is removed.
void writePrivateFile(const QString &path, QByteArrayView bytes);

// Appends lines as appendTextLines does, to a file that is created for this user alone (0600)
// when missing and made so again when found open to others; a link under the name is refused.
void appendPrivateTextLines(const QString &path, const QStringList &lines);

} // namespace platform
