#include "statistics/definition_codes.h"
#include "statistics/definition_statements.h"

#include <gtest/gtest.h>

namespace {

using namespace statistics;

TEST(DefinitionCodes, ItemCodeIsTheTextBetweenTheFirstParentheses)
{
    const struct
    {
        const char *item;
        const char *code;
    } cases[] = {
        {"Factura de Venta (FV)", "FV"},
        {"Casa Central (   1)", "   1"},
        {"Ventas (contado) (A1)", "A1"},
        {"Vacío ()", ""},
        {"Sin código", ""},
        {"Cerrado) antes (X)", "X"},
        {"Abierto (X", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(itemCode(QString::fromUtf8(c.item)), QString::fromUtf8(c.code)) << c.item;
}

TEST(DefinitionCodes, StoredListQuotesEachSelectedCodeInListOrder)
{
    const struct
    {
        QStringList selected;
        const char *stored;
    } cases[] = {
        {{}, ""},
        {{"Uno (A1)"}, "'A1'"},
        {{"Uno (A1)", "Dos (B2)"}, "'A1','B2'"},
        {{"Casa Central (   1)", "Sucursal (   2)"}, "'   1','   2'"},
        {{"Apóstrofo (O'K)"}, "'O'K'"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(storedCodeList(c.selected), QString::fromUtf8(c.stored)) << c.stored;
}

TEST(DefinitionCodes, StoredListHoldsOnlyWholeCodesWhateverTheirCase)
{
    const struct
    {
        const char *stored;
        const char *code;
        bool holds;
    } cases[] = {
        {"'A1','B2'", "A1", true}, {"'A1','B2'", "b2", true}, {"'A10'", "A1", false},
        {"'A1'", "A10", false},    {"", "A1", false},         {"'   1'", "   1", true},
        {"'   1'", "1", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(storedCodeListHolds(QString::fromUtf8(c.stored), QString::fromUtf8(c.code)),
                  c.holds)
            << c.stored << " / " << c.code;
}

TEST(DefinitionStatements, NameIsTrimmedAndItsQuotesDoubled)
{
    EXPECT_EQ(definitionRowsStatement(QStringLiteral("  Ventas ")),
              QStringLiteral(
                  "SELECT * FROM MA_PANELCTA WHERE NOMBRE = 'Ventas' AND EsRanking = 0 ORDER BY "
                  "NOMBRE,GRUPO,CUENTA"));
    EXPECT_EQ(definitionDeleteStatement(QStringLiteral(" Ventas ")),
              QStringLiteral("DELETE MA_PANELCTA WHERE NOMBRE = 'Ventas' AND EsRanking = 0 "));
    EXPECT_EQ(definitionDeleteStatement(QStringLiteral("D'Oro")),
              QStringLiteral("DELETE MA_PANELCTA WHERE NOMBRE = 'D''Oro' AND EsRanking = 0 "));
}

} // namespace
