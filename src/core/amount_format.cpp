#include "core/amount_format.h"

#include "core/mod_global.h"
#include "platform/error.h"
#include "platform/regional_settings.h"
#include "platform/runtime.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"

namespace core {

namespace {

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
    return platform::formatRegionalAmount(Valor, decimalsFor(Decimales), ConMiles,
                                          platform::Rounding::HalfToEven);
}

} // namespace core
