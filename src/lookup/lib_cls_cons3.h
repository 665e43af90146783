#pragma once

#include <QString>

// The lookup service: the dialogs in which the user picks a value from a table.
namespace lookup {

class Lib_ClsCons3
{
public:
    // The connection string of the lookup dialogs.
    QString gConnString;
    // True: a bare table name is looked up in the query-mask file.
    bool gUsarMascarasConsultas = false;
    // Full path of the query-mask file "consultas.tvc".
    QString gRutaMascaraConsultas;
};

// The program's one lookup service, created on first use.
Lib_ClsCons3 &gConsultas();

} // namespace lookup
