#pragma once

#include <QString>

namespace core {

// Loads the suite's settings of the module (mod_global.h) from the configuration table of the
// main database, once at start-up; Ruta is the program folder. A key without a row gives the
// setting its default; a setting whose reading fails keeps what it held.
void CargarConfiguracion(const QString &Ruta);

} // namespace core
