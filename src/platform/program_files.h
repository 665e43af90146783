#pragma once

#include <QString>

// The files the program keeps in its folder, when that folder is shared by several users or
// belongs to the administrator who installed the program: each user may keep an own copy in the
// user's folder (userFolder), and a file that other users may change is not trusted, since its
// text goes into SQL statements or names the servers to log in to.
namespace platform {

// The file of that name to read: the user's own copy when there is one, else the program
// folder's, found whatever the letter case of its name (the program folder's path when neither
// exists).
QString readableProgramFile(const QString &fileName);

// Where the program writes a file of its folder: the program folder's when this user may write
// it there, else the user's own copy.
QString writableProgramFile(const QString &fileName);

// Empty when no user but this one (or the administrator) can change the file, its folder or,
// for a link, what it points to; else why not.
QString whyOthersCanChange(const QString &path);

// False, after telling the user once per file in a message that names it, when other users can
// change the file; true when they cannot or the file does not exist.
bool isTrustedOrReported(const QString &path);

} // namespace platform
