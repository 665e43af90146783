#pragma once

#include <QString>

class QWidget;

namespace core {

// Takes the program from its start to an open and configured main connection: works out the
// station-user key, reads the parameter string (Parametros, else the variable
// RP_PANELCTA_PARAMETROS and the command line, else with UsarIni the settings file's default
// connection), opens gDB (asking in the connection dialog
// when the server or the user is missing; ConnString and lCursor go to OpenServerADODB), opens
// the statistics database, applies the time-out, sets up the report connection and the lookup
// service, writes the default query masks when their file is missing, loads the configuration
// and writes the access audit. When gDB is open already, only the settings after the opening
// are made again.
//
// No accepted connection ends the process at once with status 1. Any other failure is reported
// through MensajeError ("ConectarSistema"), whose answer decides as everywhere; the settings
// that are only a convenience (report folder, query masks) go on past their failure.
void ConectarSistema(bool UsarIni, const QString &Parametros, QString &ConnString, int lCursor);

// Gives a window the program's icon and, unless it is the frame window, the toolbar style of
// the settings file. Whatever cannot be done is skipped.
void DecorarFormulario(QWidget &Formulario);

} // namespace core
