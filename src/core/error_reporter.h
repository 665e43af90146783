#pragma once

#include "platform/error.h"

#include <QString>
#include <cstdint>
#include <optional>

// The global module's error box and its log "TVERR.LOG" in the user's own folder.
namespace core {

// Shows "Ha ocurrido el Siguiente Error (<number>) <description>" titled with the error's
// source, " - <Rutina>" when a routine is given and " Aviso al operador!!! - 2 ", in the style
// Botones (Abort, Retry and Ignore with the critical icon when left out); appends one line to
// the log and returns the answer. An error numbered 0 shows and logs nothing and returns 0.
// Never raises.
std::int16_t MensajeError(const platform::Error &CodErr, std::optional<int> Botones = std::nullopt,
                          std::optional<QString> Rutina = std::nullopt);

// Makes MensajeError the reporter the data layer uses for errors outside its own class. The
// start-up calls it before the first connection is opened.
void installErrorReporter();

// Logs an error that a procedure skips without asking anyone: one line with the routine and an
// empty answer, so that a failure no one saw still leaves a trace.
void logSkippedError(const platform::Error &error, const QString &routine);

} // namespace core
