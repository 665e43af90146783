#include "data/db_dll.h"
#include "platform/db/recordset.h"
#include "statistics/definition_writer.h"
#include "statistics_database_test.h"

namespace {

using namespace statistics;
namespace msgbox = platform::msgbox;

TEST(DefinitionLines, GroupsCarryDownAndIncompleteLinesAreLeftOut)
{
    const QList<GridLine> grid{
        {"", "1.1", "S", "S"}, // above the first group
        {"Caja", "", "S", "N"}, // names the group, stores nothing
        {"", "1.1.01", "s", "N"},
        {"", "1.1.02", "N", "x"},
        {" ", "1.1.03", "", "S"}, // a blank group cell is a group of its own; an empty side
                                  // counts as S
        {"Bancos (-)", "1.2.01", "S", "s"},
        {"", "1.2.01", "S", "s"},
        {"", " 1.2.02 ", "S", "N"},
    };
    const QList<StoredLine> stored = linesToStore(grid);
    const QList<StoredLine> expected{
        {"Caja", "1.1.01", true, false},      {"Caja", "1.1.02", false, false},
        {" ", "1.1.03", true, true},          {"Bancos (-)", "1.2.01", true, true},
        {"Bancos (-)", "1.2.01", true, true}, {"Bancos (-)", "1.2.02", true, false},
    };
    ASSERT_EQ(stored.size(), expected.size());
    for (int i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i].group, expected[i].group) << i;
        EXPECT_EQ(stored[i].account, expected[i].account) << i;
        EXPECT_EQ(stored[i].debit, expected[i].debit) << i;
        EXPECT_EQ(stored[i].credit, expected[i].credit) << i;
    }
    EXPECT_TRUE(linesToStore({}).isEmpty());
}

class DefinitionWriterTest : public statistics_testing::StatisticsDatabaseTest
{
protected:
    static StatisticDefinition definition(const QString &name, QList<GridLine> lines)
    {
        StatisticDefinition d;
        d.header = {{"NOMBRE", name}, {"FechaD", "01/01/2024"}, {"FechaH", "31/12/2024"}};
        d.lines = std::move(lines);
        d.tipoGrafico = 6;
        d.periodicidad = 3;
        d.comprobantes.stored = "'FV','NC'";
        d.unegocios.stored = "'   1'";
        d.permiteCptes = true;
        d.permiteCCostos = true;
        d.grouping = Grouping::BusinessUnit;
        d.anclarAlMenu = true;
        d.ignoraCeros = true;
        d.aperturaCuentas = true;
        return d;
    }
    void storeOldRows(const QString &name)
    {
        for (const char *account : {"9.1", "9.2"})
            runOnMain(QStringLiteral("INSERT INTO MA_PANELCTA (NOMBRE,Grupo,Cuenta,DEBE,Haber) "
                                     "VALUES ('%1','Viejo','%2',1,1)")
                          .arg(QString(name).replace("'", "''"), QLatin1String(account)));
    }
    QStringList rowsNamed(const QString &name)
    {
        return rowsOf(QStringLiteral("SELECT NOMBRE,Grupo,Cuenta,DEBE,Haber FROM MA_PANELCTA "
                                     "WHERE NOMBRE = '%1' ORDER BY ID")
                          .arg(QString(name).replace("'", "''")));
    }

    DefinitionWriter writer{data::gDB()};
    platform::db::Recordset rows;
};

TEST_F(DefinitionWriterTest, SaveReplacesEveryRowOfTheNameWithAllItsColumns)
{
    storeOldRows("Ventas");
    storeOldRows("Otra");
    const StatisticDefinition d = definition("Ventas", {{"Caja", "1.1", "S", "N"}});

    for (int save = 0; save < 2; ++save) {
        const WriteResult result = writer.replace("Ventas", d, rows);
        EXPECT_TRUE(result.completed);
        EXPECT_FALSE(result.failed);
    }

    EXPECT_EQ(rowsOf("SELECT NOMBRE,FechaD,FechaH,Grupo,Cuenta,DEBE,Haber,TipoGrafico,"
                     "PERIODICIDAD,Comprobantes,unegocios,CCostos,PermiteModificar,Agrupar,"
                     "anclaralmenu,InvierteFilCol,ignoraceros,calculasi,aperturaCuentas,EsRanking "
                     "FROM MA_PANELCTA WHERE NOMBRE = 'Ventas'"),
              QStringList{"Ventas|2024-01-01T00:00:00.000|2024-12-31T00:00:00.000|Caja|1.1|true|"
                          "false|6|3|'FV','NC'|'   1'||101|UNegocio|1|0|1|0|1|false"});
    EXPECT_EQ(rowsNamed("Otra").size(), 2);
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(DefinitionWriterTest, SaveOfAHeaderOnlyGridLeavesNoRowOfTheName)
{
    storeOldRows("Ventas");
    const WriteResult result = writer.replace("Ventas", definition("Ventas", {}), rows);
    EXPECT_TRUE(result.completed);
    EXPECT_TRUE(rowsNamed("Ventas").isEmpty());
}

TEST_F(DefinitionWriterTest, ANameHoldingAQuoteIsSavedAndDeleted)
{
    const QString name = "Ventas d'Oro";
    storeOldRows(name);
    EXPECT_TRUE(
        writer.replace(name, definition(name, {{"Caja", "1.1", "S", "S"}}), rows).completed);
    EXPECT_EQ(rowsNamed(name), QStringList{"Ventas d'Oro|Caja|1.1|true|true"});

    EXPECT_TRUE(writer.remove(name, definition(name, {}).header).completed);
    EXPECT_TRUE(rowsNamed(name).isEmpty());
    EXPECT_EQ(dialogs.count(), 0);
}

// A ranking of the same name belongs to another program: saving and deleting the statistic
// leave it as it is.
TEST_F(DefinitionWriterTest, SaveAndDeleteLeaveARankingOfTheNameAlone)
{
    storeOldRows("Ventas");
    runOnMain("INSERT INTO MA_PANELCTA (NOMBRE,Grupo,Cuenta,EsRanking) VALUES "
              "('Ventas','Ranking','1.1',1)");
    storeOldRows("Otra");
    const QString ranking = "Ventas|Ranking|1.1|NULL|NULL";

    EXPECT_TRUE(writer.replace("Ventas", definition("Ventas", {{"Caja", "1.1", "S", "N"}}), rows)
                    .completed);
    EXPECT_EQ(rowsNamed("Ventas"), (QStringList{ranking, "Ventas|Caja|1.1|true|false"}));

    EXPECT_TRUE(writer.remove(" Ventas ", definition("Ventas", {}).header).completed);
    EXPECT_EQ(rowsNamed("Ventas"), QStringList{ranking});
    EXPECT_EQ(rowsNamed("Otra").size(), 2);
}

// The second line's account does not fit its column, so its row fails when it is stored.
TEST_F(DefinitionWriterTest, AFailingRowIsDiscardedAndTheAnswerDecidesTheSave)
{
    const QString tooLong = "1.2.3.4.5.6.7.8.9";
    const struct
    {
        const char *name;
        std::vector<int> answers;
        bool completed;
        QStringList stored;
    } cases[] = {
        // Abandoned: the old rows stay, none of the new ones.
        {"abort",
         {msgbox::Abort},
         false,
         {"Ventas|Viejo|9.1|true|true", "Ventas|Viejo|9.2|true|true"}},
        // Ignored: a save without one of its lines is no save; the old rows stay too.
        {"ignore",
         {msgbox::Ignore},
         false,
         {"Ventas|Viejo|9.1|true|true", "Ventas|Viejo|9.2|true|true"}},
        // Retried: the row fails again, and the next answer abandons the save.
        {"retry, then ignore",
         {msgbox::Retry, msgbox::Ignore},
         false,
         {"Ventas|Viejo|9.1|true|true", "Ventas|Viejo|9.2|true|true"}},
    };
    for (const auto &c : cases) {
        runOnMain("DELETE MA_PANELCTA");
        storeOldRows("Ventas");
        dialogs.clearShown();
        for (const int answer : c.answers)
            dialogs.answer(answer);

        const WriteResult result = writer.replace(
            "Ventas",
            definition("Ventas",
                       {{"Caja", "1.1", "S", "N"}, {"", tooLong, "S", "N"}, {"", "1.3", "S", "N"}}),
            rows);

        EXPECT_EQ(result.completed, c.completed) << c.name;
        EXPECT_EQ(result.failed, !c.completed) << c.name;
        EXPECT_FALSE(result.focusHeader) << c.name;
        EXPECT_EQ(rowsNamed("Ventas"), c.stored) << c.name;
        ASSERT_EQ(dialogs.count(), int(c.answers.size())) << c.name;
        EXPECT_EQ(dialogs.last().style, msgbox::AbortRetryIgnore | msgbox::Critical) << c.name;
    }
}

TEST_F(DefinitionWriterTest, AFailedDeleteIsNeverFollowedByNewRows)
{
    runOnMain("DROP TABLE MA_PANELCTA");
    runOnMain("CREATE VIEW MA_PANELCTA AS SELECT CODIGO AS NOMBRE, DESCRIPCION AS Cuenta FROM "
              "MA_CUENTAS");
    const struct
    {
        const char *name;
        int answer;
        bool focusOnName;
    } cases[] = {
        {"abort", msgbox::Abort, false},
        {"ignore", msgbox::Ignore, true},
    };
    for (const auto &c : cases) {
        dialogs.clearShown();
        dialogs.answer(c.answer);

        const WriteResult result
            = writer.replace("Ventas", definition("Ventas", {{"Caja", "1.1", "S", "N"}}), rows);

        EXPECT_FALSE(result.completed) << c.name;
        EXPECT_TRUE(result.failed) << c.name;
        EXPECT_EQ(result.focusHeader, c.focusOnName ? std::optional<int>(0) : std::nullopt)
            << c.name;
        EXPECT_EQ(dialogs.count(), 1) << c.name;
    }
}

} // namespace
