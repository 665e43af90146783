#include "platform/db/odbc/updatable_query.h"

#include <gtest/gtest.h>

namespace platform::db::odbc {
namespace {

struct SourceCase
{
    const char *name;
    const char *query;
    const char *table; // nullptr when the rows cannot be written back
};

// Parameter names in test listings instead of the parameter's bytes.
void PrintTo(const SourceCase &testCase, std::ostream *out)
{
    *out << testCase.name;
}

class SingleSourceTable : public ::testing::TestWithParam<SourceCase>
{ };

TEST_P(SingleSourceTable, NamesTheTableOnlyWhenEachRowIsOneOfItsRows)
{
    const SourceCase &testCase = GetParam();
    const std::optional<QString> table = singleSourceTable(QString::fromUtf8(testCase.query));
    if (testCase.table == nullptr)
        EXPECT_FALSE(table.has_value()) << table.value_or(QString()).toStdString();
    else
        EXPECT_EQ(table.value_or(QStringLiteral("<none>")), QString::fromUtf8(testCase.table));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SingleSourceTable,
    ::testing::Values(
        SourceCase{"BareSelect", "SELECT * FROM MA_PANELCTA", "MA_PANELCTA"},
        SourceCase{"TopWithHint", "select  top 1 * from AUX_ERR  with(nolock) ", "AUX_ERR"},
        SourceCase{"HintWithoutWith", "SELECT * FROM TA_CONFIGURACION (nolock) WHERE CLAVE = 'X'",
                   "TA_CONFIGURACION"},
        SourceCase{"WhereAndOrder",
                   "Select top 7 * from  Aux_PanelCta where Nombre = 'A' and Grupo = 'B' ORDER BY "
                   "FECHAD",
                   "Aux_PanelCta"},
        SourceCase{"SchemaAndBrackets", "SELECT p.* FROM dbo.[MA PANEL] p WHERE p.x = 1",
                   "dbo.[MA PANEL]"},
        SourceCase{"Grouped",
                   "SELECT NOMBRE, GRUPO  From MA_PANELCTA  WHERE EsRanking = 0  GROUP BY NOMBRE, "
                   "GRUPO HAVING (NOMBRE = 'A')",
                   nullptr},
        SourceCase{"Distinct", "SELECT DISTINCT NOMBRE FROM MA_PANELCTA", nullptr},
        SourceCase{"Join",
                   "SELECT TA_TAREAS.USUARIO FROM TA_TAREAS with(nolock) INNER JOIN TA_MENU ON "
                   "TA_TAREAS.TAREA = TA_MENU.Clave",
                   nullptr},
        SourceCase{"TwoTables", "SELECT * FROM a, b", nullptr},
        SourceCase{"Union", "SELECT x FROM a UNION SELECT x FROM b", nullptr},
        SourceCase{"NotAQuery", "DELETE MA_PANELCTA WHERE NOMBRE = 'A'", nullptr}),
    [](const ::testing::TestParamInfo<SourceCase> &info) { return info.param.name; });

TEST(SplitTableName, UnquotesEachPart)
{
    const TableName full = splitTableName(QStringLiteral("conta.dbo.[MA PANEL]"));
    EXPECT_EQ(full.catalog, QStringLiteral("conta"));
    EXPECT_EQ(full.schema, QStringLiteral("dbo"));
    EXPECT_EQ(full.name, QStringLiteral("MA PANEL"));
    const TableName bare = splitTableName(QStringLiteral("AUX_ERR"));
    EXPECT_TRUE(bare.catalog.isEmpty());
    EXPECT_TRUE(bare.schema.isEmpty());
    EXPECT_EQ(bare.name, QStringLiteral("AUX_ERR"));
}

} // namespace
} // namespace platform::db::odbc
