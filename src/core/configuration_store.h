#pragma once

#include <QString>
#include <QVariant>

// The suite's key and value settings in the configuration table, read from the main database
// or the statistics database and written to the statistics database.
namespace core {

// The VALOR of the key (trimmed) on the main connection, with its auxiliary value put into
// ValorAux. " " when the key has no row (ValorAux then empty); "" while the main connection is
// not open (ValorAux untouched) or when an error ends the reading. A blank "THEME" reads "1".
QString Cfg(const QString &Clave, QString &ValorAux);
QString Cfg(const QString &Clave);

// The same on the statistics connection, which it reads whether or not it is open.
QString CfgTV(const QString &Clave, QString &ValorAux);
QString CfgTV(const QString &Clave);

// Inserts or updates the key's row on the statistics connection, the key stored trimmed and in
// capitals. Valor is trimmed when QuitarEspacios is set; an empty ValorAux leaves the stored
// auxiliary value as it was. A failing step is logged and skipped, without a box.
void GrabaCfgTV(const QString &Clave, const QVariant &Valor, const QString &ValorAux,
                bool PoliticaNegocio, const QString &Grupo, bool QuitarEspacios);

} // namespace core
