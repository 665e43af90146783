#include "core/mod_global.h"
#include "data/db_dll.h"
#include "demo/suite_database.h"
#include "platform/regional_settings.h"
#include "platform/runtime.h"
#include "statistics/frm_estadistica.h"
#include "statistics/msflexgrid.h"
#include "statistics_database_test.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <memory>

namespace {

using statistics::frm_Estadistica;
using statistics_testing::child;
using statistics_testing::headerField;
namespace msgbox = platform::msgbox;

// The window on the sample database, with voucher types whose codes share a prefix.
class StoreWindowTest : public statistics_testing::StatisticsDatabaseTest
{
protected:
    void SetUp() override
    {
        StatisticsDatabaseTest::SetUp();
        insertSampleRows(8);
        runOnMain("INSERT INTO TA_CPTE (Codigo,Descripcion) VALUES ('A1','Prueba uno')");
        runOnMain("INSERT INTO TA_CPTE (Codigo,Descripcion) VALUES ('A10','Prueba diez')");
        runOnMain("DELETE MA_PANELCTA");
        core::gParametroAdicional.clear();
        platform::setEndProcessHook([](int code) { throw platform::ProcessEnded(code); });
        window = std::make_unique<frm_Estadistica>();
        window->Form_Load();
        dialogs.clearShown();
    }
    void TearDown() override
    {
        window.reset();
        platform::setEndProcessHook({});
        StatisticsDatabaseTest::TearDown();
    }

    void store(const QString &values)
    {
        runOnMain("INSERT INTO MA_PANELCTA (NOMBRE,FechaD,FechaH,Grupo,Cuenta,DEBE,Haber,"
                  "TipoGrafico,PERIODICIDAD,Comprobantes,PermiteModificar,Agrupar,anclaralmenu,"
                  "InvierteFilCol,ignoraceros,calculasi,aperturaCuentas) VALUES ("
                  + values + ")");
    }
    void load(QString name)
    {
        window->ArmarGrilla();
        window->CargarEstadistica(name);
    }
    QStringList gridLines() const
    {
        QStringList lines;
        for (int row = 1; row < child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->Rows();
             ++row) {
            QStringList cells;
            for (int col = 0; col < 5; ++col)
                cells
                    << child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->TextMatrix(row, col);
            lines << cells.join('|');
        }
        return lines;
    }
    QStringList selected(const QListWidget &list) const
    {
        QStringList items;
        for (const QListWidgetItem *item : list.selectedItems())
            items << item->text();
        return items;
    }
    int box(const QCheckBox *check) const { return frm_Estadistica::checkValue(*check); }
    // Accepts the name as the name check does before a save.
    void editing(const QString &name, bool existing)
    {
        headerField(*window, 0)->setText(name);
        state().Nuevo = !existing;
        state().Existe = existing;
    }

    statistics_testing::FormState state() { return statistics_testing::FormState(*window); }

    std::unique_ptr<frm_Estadistica> window;
};

TEST_F(StoreWindowTest, LoadReadsTheHeaderFromTheFirstRow)
{
    const struct
    {
        const char *stored; // PermiteModificar, Agrupar and the five box columns
        int modCptes, modUneg, modCCostos;
        const char *grouping;
        int alMenu, invertir, ignorar, calcula, detalle;
    } cases[] = {
        {"'101','UNegocio',1,0,1,0,1", 1, 0, 1, "optUNeg", 1, 0, 1, 0, 1},
        // A stored opening balance is cleared by the grouping that has none.
        {"'1','ccostos',0,1,0,1,0", 1, 0, 0, "optCCostos", 0, 1, 0, 0, 0},
        {"NULL,NULL,NULL,NULL,NULL,NULL,NULL", 0, 0, 0, "optFecha", 0, 0, 0, 0, 0},
        {"'011','Otro',1,1,1,1,1", 0, 1, 1, "optFecha", 1, 1, 1, 1, 1},
    };
    for (const auto &c : cases) {
        runOnMain("DELETE MA_PANELCTA");
        for (QCheckBox *check :
             {child<QCheckBox>(*window, "chkModCptes"), child<QCheckBox>(*window, "chkModUneg"),
              child<QCheckBox>(*window, "chkModCCostos"), child<QCheckBox>(*window, "chkAlMenu"),
              child<QCheckBox>(*window, "ChkInvertirFilCol"),
              child<QCheckBox>(*window, "chkIgnorarCeros"),
              child<QCheckBox>(*window, "chkCalculaSI"), child<QCheckBox>(*window, "chkDetalle")})
            frm_Estadistica::setCheckValue(*check, 1);
        child<QRadioButton>(*window, "optUNeg")->setChecked(true);
        store(QStringLiteral("'Ventas','2024-01-01','2024-12-31','Caja','1.1',1,0,6,3,'',")
              + QLatin1String(c.stored));

        load("Ventas");

        EXPECT_EQ(headerField(*window, 0)->text(), QStringLiteral("Ventas")) << c.stored;
        EXPECT_EQ(headerField(*window, 1)->text(), QStringLiteral("01/01/2024")) << c.stored;
        EXPECT_EQ(child<QComboBox>(*window, "CmbTG")->currentIndex(), 6) << c.stored;
        EXPECT_EQ(child<QComboBox>(*window, "CmbPeriodicidad")->currentIndex(), 3) << c.stored;
        EXPECT_EQ(box(child<QCheckBox>(*window, "chkModCptes")), c.modCptes) << c.stored;
        EXPECT_EQ(box(child<QCheckBox>(*window, "chkModUneg")), c.modUneg) << c.stored;
        EXPECT_EQ(box(child<QCheckBox>(*window, "chkModCCostos")), c.modCCostos) << c.stored;
        const QRadioButton *expected = QLatin1String(c.grouping) == "optUNeg"
            ? child<QRadioButton>(*window, "optUNeg")
            : QLatin1String(c.grouping) == "optCCostos" ? child<QRadioButton>(*window, "optCCostos")
                                                        : child<QRadioButton>(*window, "optFecha");
        EXPECT_TRUE(expected->isChecked()) << c.stored;
        EXPECT_EQ(box(child<QCheckBox>(*window, "chkAlMenu")), c.alMenu) << c.stored;
        EXPECT_EQ(box(child<QCheckBox>(*window, "ChkInvertirFilCol")), c.invertir) << c.stored;
        EXPECT_EQ(box(child<QCheckBox>(*window, "chkIgnorarCeros")), c.ignorar) << c.stored;
        EXPECT_EQ(box(child<QCheckBox>(*window, "chkCalculaSI")), c.calcula) << c.stored;
        EXPECT_EQ(box(child<QCheckBox>(*window, "chkDetalle")), c.detalle) << c.stored;
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(StoreWindowTest, LoadShowsOneLinePerRowWithTheGroupOnItsFirstLine)
{
    runOnMain("INSERT INTO MA_CUENTAS (CODIGO,DESCRIPCION) VALUES ('1.1.01','Banco de prueba')");
    const QString header = "'Ventas','2024-01-01','2024-12-31',";
    const QString tail = ",6,3,'''A1''','000','Fecha',0,0,0,0,0";
    store(header + "'Bancos','1.1.02',1,1" + tail);
    store(header + "'Bancos','1.1.01',0,0" + tail);
    store(header + "'BANCOS','1.1.03',1,0" + tail);
    store(header + "'Ajustes (-)','',0,1" + tail);

    load("Ventas");

    const QString bank1
        = data::gDB().DatosTabla("MA_CUENTAS", "1.1.01", "DESCRIPCION", "CODIGO", 8).toString();
    EXPECT_FALSE(bank1.isEmpty());
    const QStringList lines = gridLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("Ajustes (-)|||N|S"));
    EXPECT_EQ(lines[1], QStringLiteral("Bancos|1.1.01|Banco de prueba|N|N"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("|1.1.02|"))) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("|1.1.03|"))) << lines[3].toStdString();
    EXPECT_EQ(selected(*child<QListWidget>(*window, "LstCpte")), QStringList{"Prueba uno (A1)"});
    EXPECT_TRUE(selected(*child<QListWidget>(*window, "LstUNeg")).isEmpty());
}

TEST_F(StoreWindowTest, LoadOfAnUnknownNameOnlyRefillsTheListsAndAddsALine)
{
    child<QListWidget>(*window, "LstCpte")->item(0)->setSelected(true);
    child<QComboBox>(*window, "CmbTG")->setCurrentIndex(2);
    load("No existe");
    EXPECT_TRUE(selected(*child<QListWidget>(*window, "LstCpte")).isEmpty());
    EXPECT_EQ(gridLines(), QStringList{"||||"});
    EXPECT_EQ(child<QComboBox>(*window, "CmbTG")->currentIndex(), 2);
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(StoreWindowTest, AStoredLayoutSelectsItsEntryOrNoneAndOneTheComboLacksIsReported)
{
    const struct
    {
        const char *tipoGrafico;
        int selected; // the layout shown after the load
        bool reported;
    } cases[] = {
        {"6", 6, false},
        // What a save of a window with no layout chosen writes.
        {"-1", -1, false},
        {"9", 2, true},
        {"-2", 2, true},
    };
    for (const auto &c : cases) {
        runOnMain("DELETE MA_PANELCTA");
        child<QComboBox>(*window, "CmbTG")->setCurrentIndex(2);
        store(QStringLiteral("'Ventas','2024-01-01','2024-12-31','Caja','1.1',1,0,")
              + QLatin1String(c.tipoGrafico) + ",3,'','000','Fecha',0,0,0,0,0");
        dialogs.clearShown();
        if (c.reported)
            dialogs.answer(msgbox::Ignore);

        load("Ventas");

        EXPECT_EQ(child<QComboBox>(*window, "CmbTG")->currentIndex(), c.selected) << c.tipoGrafico;
        ASSERT_EQ(dialogs.count(), c.reported ? 1 : 0) << c.tipoGrafico;
        if (c.reported) {
            EXPECT_TRUE(dialogs.last().text.endsWith("Rutina: AsignaCashProyectado"))
                << dialogs.last().text.toStdString();
        }
        // The rest of the definition loads either way.
        EXPECT_EQ(gridLines().size(), 1) << c.tipoGrafico;
        EXPECT_EQ(child<QComboBox>(*window, "CmbPeriodicidad")->currentIndex(), 3) << c.tipoGrafico;
    }
}

// The business-unit grouping clears and disables the opening-balance box as it is shown. The
// stored box cannot be read and the load goes on without it: the box stays as the grouping
// left it, not as it was before the load.
TEST_F(StoreWindowTest, APartTheLoadLeavesOutKeepsWhatTheEarlierPartsLeftOnScreen)
{
    redeclareDefinitionTable("varchar(10)");
    frm_Estadistica::setCheckValue(*child<QCheckBox>(*window, "chkCalculaSI"), 1);
    store("'Ventas','2024-01-01','2024-12-31','Caja','1.1',1,0,6,3,'','000','UNegocio',0,0,0,"
          "'quizás',0");
    dialogs.answer(msgbox::Ignore);

    load("Ventas");

    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_TRUE(child<QRadioButton>(*window, "optUNeg")->isChecked());
    EXPECT_EQ(box(child<QCheckBox>(*window, "chkCalculaSI")), 0);
    EXPECT_FALSE(child<QCheckBox>(*window, "chkCalculaSI")->isEnabled());
    EXPECT_EQ(gridLines().size(), 1); // the lines still load
}

TEST_F(StoreWindowTest, SavedLinesComeBackSortedWithEveryListCode)
{
    editing("Ventas d'Oro", false);
    window->ArmarGrilla();
    child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->setRows(4);
    const QStringList cells{"Pasivo|2.1|x|S|N", "|1.1.01|x|N|S", "Activo|1.1.02|x|s|N"};
    for (int row = 0; row < cells.size(); ++row) {
        const QStringList line = cells[row].split('|');
        for (int col = 0; col < 5; ++col)
            child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")
                ->setTextMatrix(row + 1, col, line[col]);
    }
    for (int i = 0; i < child<QListWidget>(*window, "LstCpte")->count(); ++i)
        child<QListWidget>(*window, "LstCpte")->item(i)->setSelected(true);

    window->Actualizardatos();
    EXPECT_FALSE(state().HayError);

    const QString codes = valueOnMain("SELECT Comprobantes FROM MA_PANELCTA").toString();
    EXPECT_EQ(codes.count(QLatin1Char(',')) + 1, child<QListWidget>(*window, "LstCpte")->count());
    EXPECT_TRUE(codes.contains("'A10'"));
    load("Ventas d'Oro");
    EXPECT_EQ(gridLines().size(), 3);
    EXPECT_TRUE(gridLines()[0].startsWith("Activo|1.1.02|")) << gridLines()[0].toStdString();
    EXPECT_TRUE(gridLines()[1].startsWith("Pasivo|1.1.01|")) << gridLines()[1].toStdString();
    EXPECT_TRUE(gridLines()[2].startsWith("|2.1|")) << gridLines()[2].toStdString();
    EXPECT_EQ(selected(*child<QListWidget>(*window, "LstCpte")).size(),
              child<QListWidget>(*window, "LstCpte")->count());
}

TEST_F(StoreWindowTest, DeleteAsksFirstAndTakesTheMenuEntryAlong)
{
    const struct
    {
        const char *name;
        int answer;
        bool deleted;
    } cases[] = {
        {"declined", msgbox::No, false},
        {"confirmed", msgbox::Yes, true},
    };
    for (const auto &c : cases) {
        runOnMain("DELETE MA_PANELCTA");
        editing("Ventas", true);
        window->ArmarGrilla();
        child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->setRows(2);
        child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->setTextMatrix(1, 0, "Caja");
        child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->setTextMatrix(1, 1, "1.1");
        frm_Estadistica::setCheckValue(*child<QCheckBox>(*window, "chkAlMenu"), 1);
        window->Actualizardatos();
        ASSERT_EQ(valueOnMain("SELECT COUNT(*) FROM TA_MENU WHERE NOMBRE = 'Ventas'").toInt(), 1);
        ASSERT_EQ(valueOnMain("SELECT COUNT(*) FROM MA_PANELCTA").toInt(), 1);
        state().HayError = false;
        state().Nuevo = state().Existe = false;
        state().Borrando = true;
        dialogs.clearShown();
        dialogs.answer(c.answer);

        window->Actualizardatos();

        ASSERT_EQ(dialogs.count(), 1) << c.name;
        EXPECT_EQ(dialogs.last().text,
                  QStringLiteral("¿Realmente desea eliminar la Estadistica seleccionada?"));
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Aviso al operador"));
        EXPECT_EQ(dialogs.last().style, msgbox::YesNo | msgbox::Critical);
        EXPECT_EQ(state().HayError, !c.deleted) << c.name;
        EXPECT_EQ(valueOnMain("SELECT COUNT(*) FROM MA_PANELCTA").toInt(), c.deleted ? 0 : 1)
            << c.name;
        EXPECT_EQ(valueOnMain("SELECT COUNT(*) FROM TA_MENU WHERE NOMBRE = 'Ventas'").toInt(),
                  c.deleted ? 0 : 1)
            << c.name;
        state().Borrando = false;
    }
}

} // namespace
