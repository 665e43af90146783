#include "core/configuration_loader.h"

#include "core/configuration_store.h"
#include "core/mod_global.h"
#include "data/db_dll.h"
#include "data/services.h"
#include "data/sql_rewriting.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"

#include <cmath>
#include <limits>
#include <vector>

namespace core {

namespace {

using platform::Step;

// ---- Reading rules: how the text of a key becomes a setting ---------------------------------

// "SI" in any case; a missing key (" ") is False.
bool siFlag(const QString &text)
{
    return platform::equalsIgnoringCase(text, QStringLiteral("SI"));
}

bool siFlagTrimmed(const QString &text)
{
    return siFlag(text.trimmed());
}

// Anything but a blank text or "NO" is True.
bool noBlankFlag(const QString &text)
{
    return !text.trimmed().isEmpty() && !platform::equalsIgnoringCase(text, QStringLiteral("NO"));
}

QString trimmedText(const QString &text)
{
    return text.trimmed();
}

template<typename Integer>
Integer roundedInteger(double value)
{
    const double rounded = std::nearbyint(value); // half to even, as the suite rounds
    if (!(rounded >= double(std::numeric_limits<Integer>::min())
          && rounded <= double(std::numeric_limits<Integer>::max())))
        throw platform::Error(platform::errors::Overflow, QStringLiteral("Desbordamiento"));
    return Integer(rounded);
}

// The number the text begins with; 0 when it begins with none.
std::int16_t number16(const QString &text)
{
    return roundedInteger<std::int16_t>(platform::leadingNumber(text));
}

platform::Currency amount(const QString &text)
{
    return platform::gUtil().TextoAMoneda(text.trimmed());
}

std::int32_t colour(const QString &text)
{
    return roundedInteger<std::int32_t>(platform::gUtil().TextoAMoneda(text).toDouble());
}

bool truthValue(const QVariant &value)
{
    const std::optional<bool> truth = platform::isNullOrEmpty(value)
        ? std::nullopt
        : platform::parseTruthValue(value.toString());
    if (!truth)
        throw platform::Error(platform::errors::TypeMismatch,
                              QStringLiteral("No coinciden los tipos"));
    return *truth;
}

// ---- The steps of the load -------------------------------------------------------------------

// Each setting is one step of its own: a failure skips that setting only.
class SettingSteps
{
public:
    template<typename Setting, typename Rule>
    void read(const char *key, Rule rule, Setting &setting)
    {
        m_steps.emplace_back([key, rule, &setting] { setting = rule(Cfg(QLatin1String(key))); });
    }

    void add(Step step) { m_steps.push_back(std::move(step)); }

    void runSkippingFailures()
    {
        platform::StepRunner::run(std::move(m_steps), [](const platform::Error &, int) {
            return platform::Resume::Next;
        });
    }

private:
    std::vector<Step> m_steps;
};

const QString DefaultBusinessUnit = QStringLiteral("   1");

// The logged user's row narrows the settings that depend on the user.
void addUserSteps(SettingSteps &steps, platform::db::Recordset &user)
{
    steps.add([&user] {
        data::gDB().AbrirRecordset(
            QStringLiteral("Select * from ta_usuarios  with(nolock)  "
                           "where Nombre = '")
                + data::escapeSqlQuotes(gUsuarioLogeado) + QStringLiteral("'"),
            user, nullptr, platform::db::adOpenForwardOnly, platform::db::adLockReadOnly,
            platform::db::adOptionUnspecified, true);
    });
    steps.add([&user] {
        if (!user.eof())
            gUNegocioUsuario = platform::gUtil().ValorTexto(user.field(QStringLiteral("UNegocio")));
    });
    steps.add([&user] {
        if (!user.eof() && gUsaFacturaProforma)
            gUsaFacturaProforma = truthValue(user.field(QStringLiteral("verproforma")).value());
    });
    steps.add([] {
        if (gUNegocioUsuario.isEmpty())
            gUNegocioUsuario = DefaultBusinessUnit;
    });
    steps.add([&user] { data::gDB().CierraRecordset(user); });
}

} // namespace

void CargarConfiguracion(const QString &Ruta)
{
    SettingSteps steps;
    platform::db::Recordset user;

    steps.add([] { gTablaConfiguracion = QStringLiteral("ta_configuracion"); });
    steps.read("MostrarStockenConsultas", siFlag, gMostrarStockEnConsultas);
    steps.read("TituloClientes", trimmedText, gTituloClientes);
    steps.read("TituloProveedores", trimmedText, gTituloProveedores);
    steps.add([&Ruta] { gArchivoTareas = Ruta + QStringLiteral("TVDOCTareas.tvc"); });
    steps.read("EXIGECLAVECONSULTALIKEARTICULOS", siFlag, gExigeClaveConsultaLikeArticulos);
    steps.read("UsaConsultaLike", siFlag, gUsaConsultaLike);
    steps.read(
        "CantidadDecimales", [](const QString &text) { return text; }, gCantidadDecimales);
    steps.read("SS_CONFIDENCIALIDAD", siFlag, gSSConfidencialidad);
    steps.read("UsaMultilesMonedas", siFlag, gUsaMultiplesMonedas);
    steps.read("UsaFacturaProforma", siFlag, gUsaFacturaProforma);
    steps.read("USACCOSTO", siFlag, gUsaCCosto);
    steps.read("USA_STK_STOCK_UDKG", siFlag, gUsaStockUdKg);
    addUserSteps(steps, user);
    steps.read("UNIDADDEMEDIDA_M3", trimmedText, gUnidadMedidaM3);
    steps.read("UNIDADDEMEDIDA_BL", trimmedText, gUnidadMedidaBL);
    steps.read("UNIDADDEMEDIDA_KG", trimmedText, gUnidadMedidaKG);
    steps.read("PERIODO", number16, gPeriodo);
    steps.read("RazonSocialPorUneg", siFlagTrimmed, gRazonSocialPorUNeg);
    steps.read("VALIDACODIGOBARRA", siFlagTrimmed, gValidaCodigoBarra);
    steps.add([] { gConfiguracionCargada = true; });
    // A default is a step of its own, so it still applies when the reading before it fails.
    steps.read("CFondo", colour, gColorFondo);
    steps.add([] {
        if (gColorFondo == 0)
            gColorFondo = 0xFFFF00;
    });
    steps.read("CLetra", colour, gColorLetra);
    steps.read(
        "ModuloOrdenDeTrabajo",
        [](const QString &text) {
            return !platform::equalsIgnoringCase(text.trimmed(), QStringLiteral("NO"));
        },
        gModuloOrdenDeTrabajo);
    steps.read("V_ModificaCPrecio", noBlankFlag, gVModificaCPrecio);
    steps.read("C_ModificaCPrecio", noBlankFlag, gCModificaCPrecio);
    steps.read("MADERERA", noBlankFlag, gMaderera);
    steps.read("MAD_TIRAS", trimmedText, gMadTiras);
    steps.read("MAD_P2", trimmedText, gMadP2);
    steps.read("MAD_ML", trimmedText, gMadML);
    steps.read("MAD_M2", trimmedText, gMadM2);
    steps.read("MAD_HOJAS", trimmedText, gMadHojas);
    steps.read("MAD_ML_P2", trimmedText, gMadMLP2);
    steps.read("MAD_M2_P2", trimmedText, gMadM2P2);
    steps.read("MAD_ML_M2", trimmedText, gMadMLM2);
    steps.read("CuentaCtroDist", trimmedText, gCuentaCtroDist);
    steps.read("MaxDto", amount, gMaxDto);
    steps.read("MaxDtoProforma", amount, gMaxDtoProforma);
    steps.read("PideClave_StockNeg", noBlankFlag, gPideClaveStockNeg);
    steps.read("PideClave_MarkUpBase", noBlankFlag, gPideClaveMarkUpBase);
    steps.read("PideClave_LimiteCredito", noBlankFlag, gPideClaveLimiteCredito);
    steps.read("SS_BloqueoActivo", siFlag, gSSBloqueoActivo);
    steps.read("UTILIZARFECHADIA", siFlag, gUtilizarFechaDia);
    steps.read("AsignacionAutomaticaDeLoteING", siFlag, gAsignacionAutomaticaDeLoteIng);
    steps.read("AsignacionAutomaticaDeLoteINGOP", siFlag, gAsignacionAutomaticaDeLoteIngOP);
    steps.read("CONDIVAEMPRESA", number16, gCondIvaEmpresa);
    steps.add([] {
        if (gCondIvaEmpresa == 0)
            gCondIvaEmpresa = number16(Cfg(QStringLiteral("CONDIVA")));
    });
    steps.add([] {
        if (gCondIvaEmpresa == 0)
            gCondIvaEmpresa = 1;
    });
    steps.add([] {
        gTopDefault = Cfg(QStringLiteral("Top_Default"));
        if (gTopDefault.trimmed().isEmpty())
            gTopDefault = QStringLiteral("1000");
    });
    steps.runSkippingFailures();

    data::setConfidentialityReader([] { return gSSConfidencialidad; });
}

} // namespace core
