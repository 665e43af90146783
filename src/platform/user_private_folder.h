#pragma once

#include <QString>
#include <QStringList>

// This user's own folder for the files that may hold a password (script logs, the temporary
// database script): nobody else can list, read or plant anything in it.
namespace platform {

// "RP_PANELCTA" in the user's runtime folder, made 0700 when missing; no trailing "/". Raises
// platform::Error when the folder is someone else's, a link, or cannot be made.
QString privateFolder();

// Appends lines as appendTextLines does, to a file of the private folder that is created (or
// made again) for its owner alone (0600); a link planted under the name is refused.
void appendPrivateTextLines(const QString &path, const QStringList &lines);

} // namespace platform
