#pragma once

#include <QString>
#include <QVariant>
#include <array>
#include <memory>

namespace platform::db {
class Connection;
}

namespace platform {

// The suite's report engine: given a template name, a record selection over the work table and
// the named formulas of a report, it reads the rows, lays out the report and shows it in a print
// preview from which the user prints it or saves it as PDF.
//
// Templates are looked up by name in CarpetaReportes; the layouts the program's statistics use
// are built in, so a template missing from that folder is no error when its name is known.
class Reporte
{
public:
    Reporte();
    ~Reporte();

    // Folder of the report templates, set at start-up to the program folder.
    QString CarpetaReportes;

    // Options the caller sets before every print.
    bool VistaPrevia = true; // preview first; False prints at once on the default printer
    bool PermiteExportar = true; // the preview offers saving the report as PDF
    bool Maximizada = false; // the preview opens maximized

    // The connection the rows are read through. The ODBC text that Imprimir receives names the
    // same database; the connection set here is used whenever there is one.
    void setConexion(std::shared_ptr<db::Connection> connection);
    std::shared_ptr<db::Connection> conexion() const;

    // Reads the rows of the record selection, applies the formulas by their names ("empresa",
    // "NOMBREREP", "Parametros", "Columna1", "Grupo") and shows or prints the report. Every
    // failure is shown to the user in a message box; nothing is raised to the caller.
    void Imprimir(const QString &NombreReporte, const std::array<QString, 2> &Parametros,
                  const QString &Seleccion, const QString &ConexionODBC, const QVariant &Formula1,
                  const QVariant &Formula2, const QVariant &Formula3, const QVariant &Formula4,
                  const QVariant &Formula5, const QString &Extra1 = {}, const QString &Extra2 = {},
                  const QString &Extra3 = {});

private:
    std::shared_ptr<db::Connection> m_connection;
};

// The program-wide instance, created on first use.
Reporte &gReporte();

} // namespace platform
