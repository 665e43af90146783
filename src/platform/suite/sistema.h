#pragma once

#include <QString>

namespace platform {

// Facts about the machine and its user, and opening files with their desktop program.
class Sistema
{
public:
    // The machine's host name.
    QString NombreMaquina() const;
    // The name of the account the program runs as; where the system has no entry for it, USER,
    // else LOGNAME, else USERNAME.
    QString NombreUsuario() const;
    // The folder for temporary files, ending in "/".
    QString CarpetaTemporal() const;

    // Opens the file with its desktop program through the launcher; with parameters set the
    // file is started as a program with those arguments (split at blanks) instead. The window
    // handle, the operation, the folder and the show style are accepted for the callers' sake
    // and do not change what happens. False when nothing could be started.
    bool Ejecutar(long long windowHandle, const QString &operation, const QString &file,
                  const QString &parameters, const QString &folder, int showStyle) const;
};

// The program-wide instance, created on first use.
Sistema &gSistema();

} // namespace platform
