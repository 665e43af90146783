#pragma once

#include "platform/error.h"

#include <QDateTime>
#include <QString>

// The error log "TVERR.LOG": one line per reported error, appended and never rotated. Both
// error reporters of the program write it in this one form.
namespace data {

// "Ha ocurrido el Siguiente Error (<number>) <description>", the text both reporters show and log.
QString errorMessageText(const platform::Error &error);

// The word a log line gives for a message-box answer: "Reintentar", "Ignorar", "Abortar",
// "Cancelar", "Sí", "No"; the empty text for any other answer.
QString answerWord(int answer);

// "mm-dd-yyyy hh:mm:ss Rutina: <routine> Mensaje <message> Respondió : <answer word>", the
// routine text and the message trimmed. Line breaks in the message become blanks so the log
// keeps one line per error.
QString errorLogLine(const QDateTime &when, const QString &routineText, const QString &message,
                     int answer);

// The user's own error log: "TVERR.LOG" in the user's lasting private folder, which both
// reporters share. A log in a folder other users may write could be replaced by a link or read
// by them. Raises 75 when the folder cannot be made or is not private.
QString userErrorLogPath();

// Appends the line and a CR LF to the log (the user's own when the path is empty), in
// Windows-1252. The file is created for this user alone and never through a link. A line that
// cannot be written goes to the standard error output instead, and the first such failure of a
// log is shown to the user once; the error being reported matters more than its log, so the
// caller goes on either way.
void appendErrorLogLine(const QString &path, const QString &line);

// Makes sure the user's own log exists, as a report leaves it even when it writes nothing.
// Failures are left to the next line written.
void createErrorLog();

} // namespace data
