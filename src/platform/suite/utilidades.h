#pragma once

#include "platform/error.h"
#include "platform/user_dialogs.h"
#include "platform/variant.h"

#include <QDate>
#include <QString>
#include <QVariant>

class QWidget;

namespace platform::db {
class Field;
}

namespace platform {

// The suite's text and path utilities and its error box. Dates and numbers follow the regional
// settings in use (platform::regionalSettings()).
class Utilidades
{
public:
    // At most the first length characters (none for a length below 1).
    QString CortarTexto(const QString &text, int length) const;

    // The amount a text stands for, with four decimals: a text in the regional number format
    // ("1.234,56") is read as such, any other text by its leading number with "." as the decimal
    // point ("12.5", "1433 x"). "" and a text without a number give 0. Raises 6 (overflow) when
    // the amount does not fit a currency.
    Currency TextoAMoneda(const QString &text) const;
    // The whole number a text stands for, read as TextoAMoneda reads it and rounded half to
    // even. Raises 6 when it does not fit 32 bits.
    int TextoAEntero(const QString &text) const;

    // A value as text, never null: Null and Empty give "", texts stand as they are, numbers and
    // amounts are written as regional number text without grouping ("1234,5"), dates as the
    // regional short date (with " hh:mm:ss" when a time of day is set), truth values as
    // "Verdadero" or "Falso".
    QString ValorTexto(const QVariant &value) const;
    // The current value of a field, as above.
    QString ValorTexto(const db::Field &field) const;

    // Words are runs of characters other than blanks, tabs and line breaks.
    int CantidadPalabras(const QString &text) const;

    // The first token of the text: leading blanks and separators are skipped, and the token runs
    // up to the next separator or the end. An empty second separator is not used. "=VALUE"
    // with "=" gives "VALUE"; "a|b" with "|" gives "a"; a text with no separator comes back
    // whole, without its leading blanks.
    QString ExtraerToken(const QString &text, const QString &separator,
                         const QString &secondSeparator = {}) const;

    // Every occurrence of find replaced by put; Reemplazar matches exactly, ReemplazarTexto
    // ignores case. An empty find leaves the text as it is.
    QString Reemplazar(const QString &text, const QString &find, const QString &put) const;
    QString ReemplazarTexto(const QString &text, const QString &find, const QString &put) const;

    // Sets a window up as it loads: centred on the screen it opens on.
    void PrepararFormulario(QWidget &form, int mode) const;

    // The trimmed code right-aligned in blanks to the width ("1" with 4 gives "   1"); a longer
    // code is cut to the width. Without a width, the text trimmed (a list cell's display text).
    QString FormatoCodigo(const QString &code, int width) const;
    QString FormatoCodigo(const QString &code) const;

    // The date as a complete SQL literal: the regional short-date text between single quotes
    // ("'05/03/2026'"). Each database connection reads it in the regional day and month order.
    // Raises 13 (type mismatch) when the text is not a date, so no other text reaches a
    // statement.
    QString FechaSQL(const QString &dateText) const;
    QString FechaSQL(const QDate &date) const;

    // Shows the error through the user-dialogs seam and returns the answer: 4 retry, 5 go on
    // with the next step, anything else leave. The default style 18 is Abort, Retry and Ignore
    // with the critical icon, so the answers 4 and 5 can be given.
    static constexpr int EstiloError = msgbox::AbortRetryIgnore | msgbox::Critical;
    int MuestraError(const Error &error, int buttons = EstiloError,
                     const QString &routine = {}) const;

    // The reversible encoding of stored credentials; its text holds only the characters 0-9 and
    // A-F, so it is safe in the connection list, the settings file and the parameter string.
    // Decodificar of a text that Codificar cannot have written gives "".
    QString Codificar(const QString &text) const;
    QString Decodificar(const QString &text) const;

    // The folder ending in exactly one "/"; "" stays "".
    QString AgregarBarra(const QString &folder) const;
};

// The program-wide instance, created on first use.
Utilidades &gUtil();

} // namespace platform
