#include "core/configuration_loader.h"
#include "core/mod_global.h"
#include "core_database_test.h"
#include "data/services.h"
#include "data/sql_rewriting.h"

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

using Rows = std::vector<std::pair<QString, QString>>;

QString literal(const std::optional<QString> &value)
{
    return value ? QLatin1Char('\'') + data::escapeSqlQuotes(*value) + QLatin1Char('\'')
                 : QStringLiteral("NULL");
}

// A setting read back as a plain value: truth values and texts as they are, whole numbers as
// 64-bit integers and amounts as doubles.
template<typename T>
std::function<QVariant()> setting(const T &global)
{
    return [&global] {
        if constexpr (std::is_same_v<T, platform::Currency>)
            return QVariant(global.toDouble());
        else if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>)
            return QVariant(qlonglong(global));
        else
            return QVariant(global);
    };
}

class ConfigurationLoaderTest : public core_testing::CoreDatabaseTest
{
protected:
    static inline const QString Ruta = QStringLiteral("/opt/rp/");

    void storeOnly(const Rows &rows)
    {
        runOnMain(QStringLiteral("DELETE FROM TA_CONFIGURACION"));
        for (const auto &[key, value] : rows)
            runOnMain(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES (")
                      + literal(key) + QStringLiteral(", ") + literal(value) + QStringLiteral(")"));
    }
};

TEST_F(ConfigurationLoaderTest, EachSettingFollowsTheReadingRuleOfItsKey)
{
    using core::gColorFondo, core::gColorLetra, core::gCondIvaEmpresa, core::gPeriodo;
    struct Case
    {
        Rows stored;
        std::function<QVariant()> read;
        QVariant expected;
    };
    auto key = [](const char *name, const char *value) {
        return Rows{{QLatin1String(name), QString::fromUtf8(value)}};
    };
    const Case cases[] = {
        // SI flags: "SI" in any case, untrimmed unless the key's rule trims
        {key("MostrarStockenConsultas", "si"), setting(core::gMostrarStockEnConsultas), true},
        {key("MostrarStockenConsultas", " SI"), setting(core::gMostrarStockEnConsultas), false},
        {{}, setting(core::gMostrarStockEnConsultas), false},
        {key("UsaConsultaLike", "Si"), setting(core::gUsaConsultaLike), true},
        {key("SS_CONFIDENCIALIDAD", "sI"), setting(core::gSSConfidencialidad), true},
        {key("AsignacionAutomaticaDeLoteINGOP", "SI"),
         setting(core::gAsignacionAutomaticaDeLoteIngOP), true},
        {key("RazonSocialPorUneg", " SI "), setting(core::gRazonSocialPorUNeg), true},
        {key("VALIDACODIGOBARRA", " si"), setting(core::gValidaCodigoBarra), true},
        // texts: trimmed, a missing key empty; raw texts as stored
        {key("TituloClientes", "  Clientes "), setting(core::gTituloClientes),
         QStringLiteral("Clientes")},
        {{}, setting(core::gTituloClientes), QString()},
        {key("UNIDADDEMEDIDA_KG", " kg "), setting(core::gUnidadMedidaKG), QStringLiteral("kg")},
        {key("MAD_ML", " ml "), setting(core::gMadML), QStringLiteral("ml")},
        {key("CantidadDecimales", " 3 "), setting(core::gCantidadDecimales), QStringLiteral(" 3 ")},
        {{}, setting(core::gCantidadDecimales), QStringLiteral(" ")},
        {key("Top_Default", " 500"), setting(core::gTopDefault), QStringLiteral(" 500")},
        {key("Top_Default", "  "), setting(core::gTopDefault), QStringLiteral("1000")},
        {{}, setting(core::gTopDefault), QStringLiteral("1000")},
        // numbers: the leading number, 0 without one
        {key("PERIODO", "12abc"), setting(gPeriodo), 12LL},
        {key("PERIODO", "abc"), setting(gPeriodo), 0LL},
        {{}, setting(gPeriodo), 0LL},
        {{{QStringLiteral("CONDIVAEMPRESA"), QStringLiteral("2")},
          {QStringLiteral("CONDIVA"), QStringLiteral("3")}},
         setting(gCondIvaEmpresa),
         2LL},
        {key("CONDIVA", "3"), setting(gCondIvaEmpresa), 3LL},
        {key("CONDIVA", "99999"), setting(gCondIvaEmpresa), 1LL},
        {{}, setting(gCondIvaEmpresa), 1LL},
        // colours and amounts
        {{}, setting(gColorFondo), qlonglong(0xFFFF00)},
        {key("CFondo", "0"), setting(gColorFondo), qlonglong(0xFFFF00)},
        {key("CFondo", "255"), setting(gColorFondo), 255LL},
        {{}, setting(gColorLetra), 0LL},
        {key("CLetra", "65280"), setting(gColorLetra), 65280LL},
        {key("MaxDto", " 12.5 "), setting(core::gMaxDto), 12.5},
        {{}, setting(core::gMaxDtoProforma), 0.0},
        // a missing "ModuloOrdenDeTrabajo" means the module is used
        {{}, setting(core::gModuloOrdenDeTrabajo), true},
        {key("ModuloOrdenDeTrabajo", " no "), setting(core::gModuloOrdenDeTrabajo), false},
        {key("ModuloOrdenDeTrabajo", "SI"), setting(core::gModuloOrdenDeTrabajo), true},
        // NO-blank flags: blank or exactly "NO" (untrimmed) is False, anything else True
        {{}, setting(core::gVModificaCPrecio), false},
        {key("V_ModificaCPrecio", "No"), setting(core::gVModificaCPrecio), false},
        {key("V_ModificaCPrecio", " no"), setting(core::gVModificaCPrecio), true},
        {key("MADERERA", "x"), setting(core::gMaderera), true},
        {key("PideClave_LimiteCredito", "  "), setting(core::gPideClaveLimiteCredito), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.empty() ? std::string("(nothing stored)")
                                      : c.stored.front().first.toStdString() + " = \""
                             + c.stored.front().second.toStdString() + "\"");
        storeOnly(c.stored);

        core::CargarConfiguracion(Ruta);

        EXPECT_EQ(c.read(), c.expected);
    }
    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(ConfigurationLoaderTest, TheLoadNamesItsTableAndTaskFileAndHandsOnTheConfidentialityFlag)
{
    for (const char *flag : {"SI", "NO"}) {
        storeOnly({{QStringLiteral("SS_CONFIDENCIALIDAD"), QLatin1String(flag)}});
        core::gTablaConfiguracion.clear();

        core::CargarConfiguracion(Ruta);

        EXPECT_EQ(core::gTablaConfiguracion, QStringLiteral("ta_configuracion"));
        EXPECT_EQ(core::gArchivoTareas, QStringLiteral("/opt/rp/TVDOCTareas.tvc"));
        EXPECT_TRUE(core::gConfiguracionCargada);
        EXPECT_EQ(data::gSSConfidencialidad(), QLatin1String(flag) == QLatin1String("SI"));
    }
}

TEST_F(ConfigurationLoaderTest, TheLoggedUsersRowGivesTheBusinessUnitAndNarrowsProformas)
{
    struct Case
    {
        QString user;
        std::optional<QString> unit; // no row when the user has no unit nor proforma
        std::optional<int> proforma;
        QString configuredProforma;
        QString expectedUnit;
        bool expectedProforma;
    };
    const Case cases[] = {
        {QStringLiteral("ADMIN"), std::nullopt, std::nullopt, QStringLiteral("SI"),
         QStringLiteral("   1"), true},
        {QStringLiteral("ADMIN"), QStringLiteral("  2"), 0, QStringLiteral("SI"),
         QStringLiteral("  2"), false},
        {QStringLiteral("ADMIN"), QStringLiteral("  2"), 1, QStringLiteral("NO"),
         QStringLiteral("  2"), false},
        {QStringLiteral("O'NEIL"), QStringLiteral("  3"), 1, QStringLiteral("SI"),
         QStringLiteral("  3"), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expectedUnit.toStdString());
        runOnMain(QStringLiteral("DELETE FROM TA_USUARIOS"));
        if (c.unit)
            runOnMain(QStringLiteral("INSERT INTO TA_USUARIOS (Nombre, UNegocio, verproforma) "
                                     "VALUES (")
                      + literal(c.user) + QStringLiteral(", ") + literal(c.unit)
                      + QStringLiteral(", ") + QString::number(*c.proforma) + QStringLiteral(")"));
        storeOnly({{QStringLiteral("UsaFacturaProforma"), c.configuredProforma}});
        core::gUsuarioLogeado = c.user;
        core::gUNegocioUsuario.clear();

        core::CargarConfiguracion(Ruta);

        EXPECT_EQ(core::gUNegocioUsuario, c.expectedUnit);
        EXPECT_EQ(core::gUsaFacturaProforma, c.expectedProforma);
    }
    EXPECT_EQ(dialogs.count(), 0);
}

// The default of a setting is a step of its own: it still applies to what the setting held.
TEST_F(ConfigurationLoaderTest, ASettingWhoseReadingFailsKeepsWhatItHeld)
{
    const struct
    {
        std::int32_t heldColour;
        std::int32_t expectedColour;
    } cases[] = {{0x123456, 0x123456}, {0, 0xFFFF00}};
    storeOnly({{QStringLiteral("PERIODO"), QStringLiteral("99999")},
               {QStringLiteral("CFondo"), QStringLiteral("99999999999")},
               {QStringLiteral("CLetra"), QStringLiteral("255")}});
    for (const auto &c : cases) {
        core::gPeriodo = 7;
        core::gColorFondo = c.heldColour;

        core::CargarConfiguracion(Ruta);

        EXPECT_EQ(core::gPeriodo, 7);
        EXPECT_EQ(core::gColorFondo, c.expectedColour);
        EXPECT_EQ(core::gColorLetra, 255);
    }
    EXPECT_EQ(dialogs.count(), 0);
}

} // namespace
