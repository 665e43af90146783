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

// Appends the line and a CR LF to the file, in Windows-1252 as the suite's other programs
// append to the same log. A file that cannot be written loses the line and
// nothing else: the error being reported matters more than its log.
void appendErrorLogLine(const QString &path, const QString &line);

// The log in the given folder: "<folder>/TVERR.LOG".
QString errorLogPathIn(const QString &folder);

} // namespace data
