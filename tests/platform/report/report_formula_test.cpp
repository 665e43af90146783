#include "platform/report/report_formula.h"

#include <gtest/gtest.h>

namespace {

using platform::report::parseNamedFormula;
using platform::report::translateSelection;

const QString Table = QStringLiteral("AUX_PANELCTA");

struct SelectionCase
{
    const char *selection;
    const char *sql;
};

class SelectionTranslation : public ::testing::TestWithParam<SelectionCase>
{ };

TEST_P(SelectionTranslation, GivesTheConditionOverTheTable)
{
    const auto result = translateSelection(QString::fromUtf8(GetParam().selection), Table);
    EXPECT_EQ(result.error, QString());
    EXPECT_EQ(result.sql, QString::fromUtf8(GetParam().sql));
}

INSTANTIATE_TEST_SUITE_P(
    Formulas, SelectionTranslation,
    ::testing::Values(
        // The two selections a statistic run builds.
        SelectionCase{"uppercase({Aux_PanelCta.USUARIO}) = 'PC1|ANA'",
                      "UPPER(USUARIO) = 'PC1|ANA'"},
        SelectionCase{"uppercase({Aux_PanelCta.USUARIO}) = 'PC1|ANA' AND "
                      "{AUX_PANELCTA.IMPORTEG1}<>0 ",
                      "UPPER(USUARIO) = 'PC1|ANA' AND IMPORTEG1 <> 0"},
        SelectionCase{"", ""}, SelectionCase{"   ", ""},
        // Quotes inside a station key never end the SQL literal.
        SelectionCase{"uppercase({Aux_PanelCta.USUARIO}) = 'PC1|O'BRIEN'",
                      "UPPER(USUARIO) = 'PC1|O''BRIEN'"},
        SelectionCase{"uppercase({Aux_PanelCta.USUARIO}) = 'PC1|O''BRIEN'",
                      "UPPER(USUARIO) = 'PC1|O''BRIEN'"},
        SelectionCase{"{AUX_PANELCTA.Grupo} = 'x'' OR ''1''=''1'", "Grupo = 'x'' OR ''1''=''1'"},
        SelectionCase{"{AUX_PANELCTA.Grupo} = 'AND'", "Grupo = 'AND'"},
        // Connectives, parentheses and comparisons.
        SelectionCase{"({AUX_PANELCTA.ImporteG1} >= -1.5 or {AUX_PANELCTA.ImporteG1}<.5) and "
                      "{AUX_PANELCTA.Grupo} <> 'A'",
                      "(ImporteG1 >= -1.5 OR ImporteG1 < .5) AND Grupo <> 'A'"},
        SelectionCase{"{AUX_PANELCTA.Grupo}={AUX_PANELCTA.Nombre}", "Grupo = Nombre"}));

struct RefusedSelection
{
    const char *selection;
    const char *why;
};

class SelectionRefusal : public ::testing::TestWithParam<RefusedSelection>
{ };

TEST_P(SelectionRefusal, ExplainsWhatIsWrong)
{
    const auto result = translateSelection(QString::fromUtf8(GetParam().selection), Table);
    EXPECT_TRUE(result.sql.isEmpty());
    EXPECT_TRUE(result.error.contains(QString::fromUtf8(GetParam().why)))
        << result.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Formulas, SelectionRefusal,
    ::testing::Values(RefusedSelection{"{MA_CUENTAS.CODIGO} = '1'", "no pertenece a la tabla"},
                      RefusedSelection{"{AUX_PANELCTA.USUARIO; DROP TABLE X} = '1'",
                                       "campo no válido"},
                      RefusedSelection{"{AUX_PANELCTA.USUARIO} = 'abc", "comilla"},
                      RefusedSelection{"{AUX_PANELCTA.USUARIO} 'abc'", "comparación"},
                      RefusedSelection{"{AUX_PANELCTA.USUARIO} =", "falta un valor"},
                      RefusedSelection{"({AUX_PANELCTA.ImporteG1} = 0", "\")\""},
                      RefusedSelection{"lowercase({AUX_PANELCTA.USUARIO}) = 'a'", "no reconocido"},
                      RefusedSelection{"{AUX_PANELCTA.ImporteG1} = 0 ; DELETE", "inesperado"}));

TEST(NamedFormula, ReadsTextsAndFieldsAsTheStatisticRunWritesThem)
{
    struct Case
    {
        const char *formula;
        const char *name;
        std::optional<QString> text;
        std::optional<platform::report::FieldReference> field;
    };
    const Case cases[] = {
        {"empresa = 'Distribuidora Sur'", "empresa", QStringLiteral("Distribuidora Sur"), {}},
        {"empresa = ' '", "empresa", QStringLiteral(" "), {}},
        {"NOMBREREP= ''", "NOMBREREP", QString(), {}},
        {"empresa = 'Pérez 'Hnos''", "empresa", QStringLiteral("Pérez 'Hnos'"), {}},
        {"Parametros = ' Fecha Desde: 01/01/2024 ...'",
         "Parametros",
         QStringLiteral(" Fecha Desde: 01/01/2024 ..."),
         {}},
        {"Columna1 = {AUX_PanelCta.FechaD}",
         "Columna1",
         {},
         platform::report::FieldReference{QStringLiteral("AUX_PanelCta"),
                                          QStringLiteral("FechaD")}},
        {"Grupo = { AUX_PanelCta.GRUPO }",
         "Grupo",
         {},
         platform::report::FieldReference{QStringLiteral("AUX_PanelCta"), QStringLiteral("GRUPO")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.formula);
        const auto parsed = parseNamedFormula(QString::fromUtf8(c.formula));
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->name, QString::fromUtf8(c.name));
        EXPECT_EQ(parsed->text, c.text);
        EXPECT_EQ(parsed->field, c.field);
    }
}

TEST(NamedFormula, RefusesTextsThatAreNoFormula)
{
    for (const char *formula :
         {"", "empresa", "= 'x'", "nombre rep = 'x'", "Grupo = GRUPO", "Grupo = {GRUPO}"}) {
        SCOPED_TRACE(formula);
        EXPECT_FALSE(parseNamedFormula(QString::fromUtf8(formula)).has_value());
    }
}

} // namespace
