#pragma once

#include <QString>
#include <cstdint>

namespace core {

// Writes one row into the error table AUX_ERR of the main database: the process (the program's
// name when Proceso is empty, handed back in Proceso), the date and time, the error number, the
// description cut to 250 characters, the whole statement text, the computer and the database
// user. Shows nothing; a record that cannot be written leaves one line in the error log.
void GrabarErrorBD(const QString &SQL, QString &Proceso, std::int32_t NroError,
                   const QString &Descripcion);

} // namespace core
