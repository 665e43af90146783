#pragma once

#include <QDateTime>
#include <QString>

class QWidget;

namespace data {
class DB_Dll;
}

namespace core {

// Runs a file of SQL on a connection, the main one when none is given.
//
// In batch mode the whole file is read into batches separated by lines "GO" or "/" (comment and
// blank lines dropped), then run in up to twenty passes: a pass is repeated while a batch fails
// on a missing object (208), and a later pass runs only the batches that failed in the pass
// before or have not run yet, so a batch that succeeded never runs twice. Batches holding
// "FMT_ESTADISTICAFH" wait for the second pass; from the second pass on, batches holding
// "drop " are left out. "<DATE>", "<NOW>", "<DATE+YEAR>", "<DATE-YEAR>" and "<DATABASE>" are
// replaced in every batch. Errors other than those of objects that exist already go to the
// script log, which is announced and opened at the end unless the additional parameter is
// "Automatica". In statement mode every "IF NOT EXISTS" line starts a statement that runs as
// soon as the next one starts.
//
// A line that drops or truncates a table asks for the password first, unless PermitirBorrado is
// set; the right password sets it, any other answer ends the run before the next batch. Filtro,
// when not empty, runs only the batches that hold it. Status texts are drawn on the window's
// "picStatus" picture. An empty Archivo does nothing.
void EjecutarScript(const QString &Archivo, QWidget *Formulario, const QString &Filtro,
                    bool &PermitirBorrado, bool PorSentencia, data::DB_Dll *Conexion = nullptr);

// The folder of the runner's logs and of the scripts written for it that hold a password: the
// user's private folder, ending in "/".
QString scriptPrivateFolder();

// The log of a run started at that time: "Script<hour><minute><second>.TXT", the numbers
// without leading zeros.
QString scriptLogPath(const QDateTime &started);

} // namespace core
