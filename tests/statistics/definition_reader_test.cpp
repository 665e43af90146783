// Loading a stored definition into a value, and saving a value and loading it back, on the
// embedded engine.

#include "data/db_dll.h"
#include "platform/db/recordset.h"
#include "statistics/definition_reader.h"
#include "statistics/definition_writer.h"
#include "statistics_database_test.h"

namespace {

using namespace statistics;
namespace msgbox = platform::msgbox;

const QList<HeaderField> Header{{"NOMBRE", "Ventas"}, {"FechaD", "typed"}, {"FechaH", "typed"}};

class DefinitionReaderTest : public statistics_testing::StatisticsDatabaseTest
{
protected:
    void SetUp() override
    {
        StatisticsDatabaseTest::SetUp();
        runOnMain("DELETE MA_PANELCTA");
        runOnMain("INSERT INTO MA_CUENTAS (CODIGO,DESCRIPCION) VALUES ('1.1.01','Banco uno')");
    }

    // One stored row of Ventas; the header columns as given, or those of a plain definition.
    void store(const QString &group, const QString &account,
               const QString &header = "6,3,'''FA''','101','UNegocio',1,0,1,NULL,0")
    {
        runOnMain("INSERT INTO MA_PANELCTA (NOMBRE,FechaD,FechaH,Grupo,Cuenta,DEBE,Haber,"
                  "TipoGrafico,PERIODICIDAD,Comprobantes,PermiteModificar,Agrupar,anclaralmenu,"
                  "InvierteFilCol,ignoraceros,calculasi,aperturaCuentas) VALUES ('Ventas',"
                  "'2024-01-01','2024-12-31','"
                  + group + "','" + account + "',1,0," + header + ")");
    }

    LoadedDefinition read(const QString &name = "Ventas")
    {
        return DefinitionReader(data::gDB()).read(name, Header);
    }

    static QStringList lines(const StatisticDefinition &definition)
    {
        QStringList texts;
        for (const GridLine &line : definition.lines)
            texts << QStringList{line.group, line.account, line.description, line.debit,
                                 line.credit}
                         .join('|');
        return texts;
    }
};

TEST_F(DefinitionReaderTest, EveryPartOfTheFirstRowAndOneLinePerRow)
{
    store("Bancos", "1.1.01");
    store("BANCOS", "1.1.02");
    store("Ajustes (-)", "");

    const LoadedDefinition loaded = read(" Ventas ");

    EXPECT_FALSE(loaded.noRows);
    for (const DefinitionPart part :
         {DefinitionPart::Header, DefinitionPart::Periodicity, DefinitionPart::Layout,
          DefinitionPart::Permissions, DefinitionPart::Grouping, DefinitionPart::MenuAnchor,
          DefinitionPart::SwapRowsAndColumns, DefinitionPart::IgnoreZeros,
          DefinitionPart::AccountBreakdown, DefinitionPart::OpeningBalance,
          DefinitionPart::Vouchers, DefinitionPart::BusinessUnits, DefinitionPart::CostCentres,
          DefinitionPart::Lines})
        EXPECT_TRUE(loaded.parts & part) << int(part);
    const StatisticDefinition &d = loaded.definition;
    EXPECT_EQ(d.name(), "Ventas");
    EXPECT_EQ(d.startText(), "01/01/2024");
    EXPECT_EQ(d.endText(), "31/12/2024");
    EXPECT_EQ(d.tipoGrafico, 6);
    EXPECT_EQ(d.periodicidad, 3);
    EXPECT_EQ(d.comprobantes.stored, "'FA'");
    EXPECT_EQ(d.permiteModificar(), "101");
    EXPECT_EQ(d.grouping, Grouping::BusinessUnit);
    EXPECT_TRUE(d.anclarAlMenu);
    EXPECT_FALSE(d.invierteFilCol);
    EXPECT_TRUE(d.ignoraCeros);
    EXPECT_FALSE(d.calculaSI); // null clears the box
    EXPECT_FALSE(d.aperturaCuentas);
    // Groups differing only in case are one group; a line without an account keeps its sides.
    EXPECT_EQ(lines(d),
              (QStringList{"Ajustes (-)|||S|N", "Bancos|1.1.01|Banco uno|S|N", "|1.1.02||S|N"}));
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(DefinitionReaderTest, ANameWithoutRowsGivesNoPartAndAsksForTheFirstEmptyLine)
{
    store("Bancos", "1.1.01");
    const LoadedDefinition loaded = read("Compras");
    EXPECT_TRUE(loaded.noRows);
    EXPECT_EQ(loaded.parts, DefinitionParts());
    EXPECT_EQ(loaded.definition.header.at(1).text, "typed");
    EXPECT_EQ(dialogs.count(), 0);
}

// A stored value the window could not show is reported as its control would report it; the
// answer decides whether the load goes on without that part or stops there, lines unread.
TEST_F(DefinitionReaderTest, AValueTheWindowCannotShowIsReportedAndTheAnswerDecides)
{
    const struct
    {
        const char *label;
        const char *header;
        int number;
        DefinitionPart refused;
        bool textBoxColumn = false; // as a table of another program may declare it
    } cases[] = {
        {"null periodicity", "6,NULL,'','101','Fecha',0,0,0,0,0", 94, DefinitionPart::Periodicity},
        {"layout beyond the list", "8,3,'','101','Fecha',0,0,0,0,0", 380, DefinitionPart::Layout},
        {"permission digit 3", "6,3,'','131','Fecha',0,0,0,0,0", 380, DefinitionPart::Permissions},
        {"box of no truth value", "6,3,'','101','Fecha',0,0,0,'quizás',0", 13,
         DefinitionPart::OpeningBalance, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        redeclareDefinitionTable(c.textBoxColumn ? "varchar(10)" : "smallint");
        store("Bancos", "1.1.01", QString::fromLatin1(c.header));

        for (const int answer : {msgbox::Ignore, msgbox::Abort}) {
            dialogs.clearShown();
            dialogs.answer(msgbox::Retry).answer(answer);

            const LoadedDefinition loaded = read();

            ASSERT_EQ(dialogs.count(), 2); // asked again after the retry
            EXPECT_TRUE(dialogs.last().text.contains(QString::number(c.number)))
                << dialogs.last().text.toStdString();
            EXPECT_TRUE(dialogs.last().text.endsWith("Rutina: AsignaCashProyectado"));
            EXPECT_FALSE(loaded.parts & c.refused);
            EXPECT_TRUE(loaded.parts & DefinitionPart::Header);
            const bool goesOn = answer == msgbox::Ignore;
            EXPECT_EQ(bool(loaded.parts & DefinitionPart::CostCentres), goesOn);
            EXPECT_EQ(loaded.definition.lines.size(), goesOn ? 1 : 0);
        }
    }
}

// What a save writes, a load reads back: the lines in stored order with their groups carried
// down, the selections as stored, and every option.
TEST_F(DefinitionReaderTest, ASavedValueLoadsBackAsItWasSaved)
{
    StatisticDefinition saved;
    saved.header = {{"NOMBRE", "Ventas"}, {"FechaD", "01/03/2024"}, {"FechaH", "31/03/2024"}};
    saved.lines = {{"Pasivo", "2.1", "S", "N"},
                   {"Activo", "1.1.01", "N", "S"},
                   {"", "1.1.02", "s", "N"},
                   {"", "", "S", "S"}};
    saved.tipoGrafico = 7;
    saved.periodicidad = -1;
    saved.comprobantes.stored = "'FA','O'K'";
    saved.ccostos.stored = "'   4'";
    saved.permiteUneg = true;
    saved.grouping = Grouping::CostCentre;
    saved.invierteFilCol = true;
    saved.calculaSI = true;
    saved.aperturaCuentas = true;
    platform::db::Recordset rows;
    ASSERT_TRUE(DefinitionWriter(data::gDB()).replace("Ventas", saved, rows).completed);

    const LoadedDefinition loaded = read();

    const StatisticDefinition &d = loaded.definition;
    EXPECT_EQ(d.header.at(1).text, "01/03/2024");
    EXPECT_EQ(d.header.at(2).text, "31/03/2024");
    EXPECT_EQ(lines(d),
              (QStringList{"Activo|1.1.01|Banco uno|N|S", "|1.1.02||S|N", "Pasivo|2.1||S|N"}));
    EXPECT_EQ(d.tipoGrafico, 7);
    EXPECT_EQ(d.periodicidad, -1);
    EXPECT_EQ(d.comprobantes.stored, saved.comprobantes.stored);
    EXPECT_EQ(d.comprobantes.codes(), (QStringList{"FA", "O'K"}));
    EXPECT_EQ(d.unegocios.stored, QString());
    EXPECT_EQ(d.ccostos.stored, saved.ccostos.stored);
    EXPECT_EQ(d.permiteModificar(), "010");
    EXPECT_EQ(d.grouping, Grouping::CostCentre);
    EXPECT_FALSE(d.anclarAlMenu);
    EXPECT_TRUE(d.invierteFilCol);
    EXPECT_FALSE(d.ignoraCeros);
    EXPECT_TRUE(d.calculaSI);
    EXPECT_TRUE(d.aperturaCuentas);
    EXPECT_EQ(dialogs.count(), 0);
}

} // namespace
