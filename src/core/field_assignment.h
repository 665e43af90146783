#pragma once

#include <QString>

namespace platform::db {
class Recordset;
}

// Typed texts into recordset fields, and the text forms of dates and truth values the shared
// data utilities agree on.
namespace core {

// Puts a text typed by the user into the field of the recordset's current row, converted by the
// field's type: a short text field (29 characters or fewer) gets the text fitted to its width
// and a longer one the text trimmed, a blank text becoming Null; numeric and currency fields
// get the amount the text stands for; truth-value fields the text read by TextoABoolean with
// True as default; date fields the date, or Null for a text that is no date; other fields the
// text as typed. NombreCampo comes back without square brackets. Traps nothing: a missing or
// read-only field, or a value the field refuses, raises in the caller. The row is not saved.
void AsignarCampo(platform::db::Recordset &rs, QString &NombreCampo, const QString &Texto);

// A yes/no text read as a truth value, without regard to case. With PorDefecto True only
// "FALSE", "FALSO", "0", "NO" and "N" are false; with PorDefecto False only "TRUE",
// "VERDADERO", "1", "SI" and "S" are true.
bool TextoABoolean(const QString &Texto, bool PorDefecto);

// Date and time formats of the error records and the access audit, as QDateTime::toString
// patterns: day/month/two-digit year and hours:minutes ("05/03/26 14:07").
QString FormatoFechaHora(); // "dd/MM/yy HH:mm"
QString FormatoFecha(); // "dd/MM/yy"
QString FormatoHora(); // "HH:mm"

} // namespace core
