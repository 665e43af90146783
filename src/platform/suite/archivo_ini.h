#pragma once

#include <QString>

namespace platform {

// Reads settings files as Windows does: "[section]" lines and "key=value" lines, sections and
// keys found without regard to case, the first match wins, the value taken raw (everything
// after the first "=", blanks included), text in Windows-1252, lines ending in CR LF or LF.
class ArchivoIni
{
public:
    // The value of key in section of the file, or the default when the file, the section or
    // the key is missing. The file's name is matched whatever its letter case on disk.
    QString LeerIni(const QString &file, const QString &section, const QString &key,
                    const QString &defaultValue = {}) const;
};

// The program-wide instance, created on first use.
ArchivoIni &gIni();

} // namespace platform
