#pragma once

#include <QString>
#include <cstdint>

namespace core {

// Starts another program of the suite on this program's connection and user. Exe is the
// program's name, in the program folder, or a path of its own (holding a folder separator);
// either may begin with "SHELL:" in any case. The program gets one argument, the parameter
// string " ; @server=...; @dbname=...; @usuario=...; @Password=...; @ParametroAdicional=...;
// koru@ ; @UsuarioLogeado = ...; @Caja=...;"; when the password holds ";", which that string
// cannot carry, the user is told before the program starts. Resultado becomes non-zero once the
// program has started; a program that cannot be started shows "Opcion no Implementada!". Any other
// failure goes to MensajeError with the routine "MenuExes".
void MenuExes(const QString &Exe, const QString &ParametroAdicional, std::int32_t &Resultado);

} // namespace core
