#pragma once

#include "platform/variant.h"

#include <QString>

namespace core {

// Codes of FmtMoneda's Decimales besides a plain number of decimals.
namespace decimales {
inline constexpr int SinFormato = -3; // the text comes back unchanged
inline constexpr int SinDecimales = -2; // no decimals
inline constexpr int Configurados = -1; // the number gCantidadDecimales begins with
inline constexpr int Regionales = 0; // the user's regional currency decimals
} // namespace decimales

// An amount for display: rounded to the decimals (a half going to the even digit), the whole
// part grouped by the regional thousands separator when ConMiles is set, the regional decimal
// separator before the decimals, and no separator at all without decimals. A text is read as
// TextoAMoneda reads it; an amount at hand is formatted as it is, without a text round trip, and
// with SinFormato comes back as its regional text. Raises 5 for a number of decimals below -3,
// 6 for a text whose amount does not fit a currency.
QString FmtMoneda(const QString &Valor, int Decimales, bool ConMiles);
QString FmtMoneda(platform::Currency Valor, int Decimales, bool ConMiles);

} // namespace core
