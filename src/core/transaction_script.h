#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace core {

// Runs the statements that are not blank, in order, as one batch in one transaction on the main
// connection: "BEGIN TRANSACTION ", two carriage returns, each statement after a carriage return
// of its own and a last carriage return (CR alone, no line feed). Commits when the connection
// reported no error and otherwise rolls back, writes the batch to AUX_ERR and shows the error
// text in the box "Aviso al Operador!" when MostrarMensaje is set.
//
// Script receives the batch, NroError the native number of the first error (0 when none) and
// TextoError the errors as "<number> : <description>" lines; a duplicate key (2627) with
// SilenciarDuplicado, or a refused reference (547) with SilenciarReferencia, keeps only the
// first description in TextoError and is neither shown nor described in AUX_ERR. When every
// statement is blank nothing runs and the outputs but HayError stay untouched.
void GActualizarDatoScript(const QStringList &Sentencias, bool &HayError, std::int32_t &NroError,
                           bool SilenciarDuplicado, bool SilenciarReferencia, QString &Script,
                           QString &TextoError, bool MostrarMensaje);

} // namespace core
