#include "core/amount_format.h"

#include "core/mod_global.h"
#include "platform/error.h"
#include "platform/regional_settings.h"
#include "platform/runtime.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"

#include <cmath>

namespace core {

namespace {

constexpr int CurrencyDecimals = 4; // a currency holds ten-thousandths

int decimalsFor(int Decimales)
{
    int decimals = Decimales;
    if (decimals == decimales::Configurados)
        decimals = int(platform::leadingNumber(gCantidadDecimales));
    if (decimals == decimales::Regionales)
        decimals = platform::regionalSettings().currencyDecimals;
    if (decimals == decimales::SinDecimales)
        decimals = 0;
    if (decimals < 0)
        throw platform::Error(platform::errors::InvalidProcedureCall,
                              QStringLiteral("Llamada a procedimiento o argumento no válido"),
                              platform::programName());
    return decimals;
}

// Rounds to the decimals with a half going to the even digit, on the exact ten-thousandths.
platform::Currency roundedHalfToEven(platform::Currency amount, int decimals)
{
    if (decimals >= CurrencyDecimals)
        return amount;
    const std::int64_t unit = std::int64_t(std::pow(10, CurrencyDecimals - decimals));
    std::int64_t units = amount.scaled / unit;
    const std::int64_t remainder = amount.scaled % unit; // carries the amount's sign
    const std::int64_t twice = 2 * std::abs(remainder);
    if (twice > unit || (twice == unit && units % 2 != 0))
        units += remainder < 0 ? -1 : 1;
    return platform::Currency::fromScaled(units * unit);
}

} // namespace

QString FmtMoneda(const QString &Valor, int Decimales, bool ConMiles)
{
    if (Decimales == decimales::SinFormato)
        return Valor;
    return FmtMoneda(platform::gUtil().TextoAMoneda(Valor), Decimales, ConMiles);
}

QString FmtMoneda(platform::Currency Valor, int Decimales, bool ConMiles)
{
    if (Decimales == decimales::SinFormato)
        return platform::gUtil().ValorTexto(platform::currencyVariant(Valor));
    const int decimals = decimalsFor(Decimales);
    return platform::formatRegionalNumber(roundedHalfToEven(Valor, decimals).toDouble(), decimals,
                                          ConMiles);
}

} // namespace core
