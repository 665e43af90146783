#pragma once

#include "platform/error.h"

#include <QString>
#include <cstdint>

namespace core {

// Explains a failed save of a recordset row. A value of the wrong type (3421) or a conversion
// refused by the server (1010) shows the conversion text ending in "En el campo: " and Campo;
// a null in a NOT NULL column (515) and a duplicate key (2627) show the server's description
// in boxes of their own, and the connection's error list is cleared after them. Each of these
// returns 0. Any other error goes to MensajeError with the routine "Actualizar Datos", whose
// answer is returned when it is 3, 4 or 5, and 0 otherwise.
std::int16_t MensajeErrorGrabacion(const platform::Error &CodErr, const QString &Campo);

} // namespace core
