#pragma once

#include <QString>

namespace core {

// Appends the default query masks to the query-mask file at the path, creating it when missing:
// eleven records of 1,202 bytes (title, table, column list, condition, CR LF; Windows-1252,
// blank padded). A file that cannot be written is reported through MensajeError with the
// routine "DefinirConsultas": Retry writes the records again, any other answer goes on without
// them. Never raises, so the start-up goes on.
void DefinirConsultas(const QString &RutaMascaraConsultas);

} // namespace core
