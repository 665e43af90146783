#pragma once

#include <QString>

namespace core {

// True when a regular file is at the path and can be opened for reading; a folder, a missing
// or an unreadable file gives False. Never raises.
bool ExisteArchivo(const QString &Ruta);

// Opens the file with the desktop's program for it, minimised when asked; whether it opened is
// not reported. A path the caller put in double quotes for a command line is opened unquoted,
// since it reaches the desktop as one argument.
void AbrirDocumento(const QString &Ruta, bool Minimizado);

} // namespace core
