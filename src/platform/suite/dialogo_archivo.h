#pragma once

#include <QString>

namespace platform {

// The file-open dialog. The caller sets the title and the filter, calls MostrarAbrir and reads
// the chosen name and whether the dialog was cancelled.
class DialogoArchivo
{
public:
    QString TituloDialogo;
    // Pairs of a description and a pattern list joined by "|":
    // "Base de Datos de Microsoft Access |*.MDB".
    QString Filtro;
    QString NombreArchivo;
    // Non-zero when the last MostrarAbrir was cancelled.
    int Cancelado = 0;

    // Shows the dialog modally through the user-dialogs seam.
    void MostrarAbrir();
};

} // namespace platform
