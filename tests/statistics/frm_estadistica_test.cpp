#include "application_state.h"
#include "core/mod_global.h"
#include "data/db_dll.h"
#include "data/sql_rewriting.h"
#include "demo/suite_database.h"
#include "platform/brezakit/brezactl.h"
#include "platform/db/ado.h"
#include "platform/regional_settings.h"
#include "platform/runtime.h"
#include "platform/suite/controles.h"
#include "platform/suite/progreso.h"
#include "statistics/breakdown_report.h"
#include "statistics/frm_estadistica.h"
#include "statistics/msflexgrid.h"
#include "statistics_database_test.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>
#include <memory>

namespace {

using platform::BrezaCtl;

// The toolbar offers a command, by button or shortcut key, only while its flag is set.
TEST(BrezaCtlTest, RaisesAccionOnlyForEnabledCommands)
{
    BrezaCtl toolbar;
    QStringList raised;
    QObject::connect(&toolbar, &BrezaCtl::Accion, [&](QString &clave) { raised << clave; });

    toolbar.setFlag(QStringLiteral("GrabarEnabled"), true);
    int grabarKey = BrezaCtl::shortcutKey(QStringLiteral("GRABAR"));
    int borrarKey = BrezaCtl::shortcutKey(QStringLiteral("BORRAR"));
    int unknownKey = 'A';
    toolbar.TeclaAccion(grabarKey);
    toolbar.TeclaAccion(borrarKey);
    toolbar.TeclaAccion(unknownKey);
    toolbar.trigger(QStringLiteral("reporte"));
    toolbar.trigger(QStringLiteral("CERRAR"));

    EXPECT_EQ(raised, (QStringList{QStringLiteral("GRABAR"), QStringLiteral("CERRAR")}));
    EXPECT_TRUE(toolbar.flag(QStringLiteral("grabarenabled")));
    EXPECT_FALSE(toolbar.flag(QStringLiteral("borrarenabled")));
    EXPECT_FALSE(toolbar.flag(QStringLiteral("noexiste")));
}

TEST(BrezaCtlTest, FlagNamesOfTheEightCommands)
{
    QStringList flags;
    for (const QString &clave : BrezaCtl::claves())
        flags << BrezaCtl::flagName(clave);
    EXPECT_EQ(
        flags,
        (QStringList{"nuevoenabled", "grabarenabled", "cancelarenabled", "borrarenabled",
                     "consultaenabled", "reporteenabled", "planillaenabled", "cerrarenabled"}));
}

} // namespace

// ---- The main window on an embedded database -------------------------------------------------

namespace {

using statistics::frm_Estadistica;
using statistics_testing::child;
using statistics_testing::headerField;
using testing_support::ScriptedDialogs;
namespace msgbox = platform::msgbox;

const QString Menu = QStringLiteral("cfg_");

class WindowTest : public statistics_testing::StatisticsDatabaseTest
{
protected:
    void SetUp() override
    {
        StatisticsDatabaseTest::SetUp();
        // The window ends the program itself; the test's event loops must not end with it.
        QApplication::setQuitOnLastWindowClosed(false);
        insertSampleRows(8);
        core::gParametroAdicional.clear();
        platform::setEndProcessHook([](int code) { throw platform::ProcessEnded(code); });
        statistics::setBreakdownReport(&breakdown);
    }

    void TearDown() override
    {
        window.reset();
        statistics::setBreakdownReport(nullptr);
        platform::setEndProcessHook({});
        core::gParametroAdicional.clear();
        QApplication::setQuitOnLastWindowClosed(true);
        StatisticsDatabaseTest::TearDown();
    }

    // Loads the window as the program does, with the start-up parameter given.
    void load(const QString &additionalParameter = {})
    {
        core::gParametroAdicional = additionalParameter;
        window = std::make_unique<frm_Estadistica>();
        window->Form_Load();
    }

    void storeDefinition(const QString &name, const QString &permits, const QString &grouping)
    {
        runOnMain(
            QStringLiteral("INSERT INTO MA_PANELCTA (NOMBRE,FechaD,FechaH,Grupo,Cuenta,DEBE,"
                           "Haber,TipoGrafico,PERIODICIDAD,PermiteModificar,Agrupar) VALUES ('")
            + data::escapeSqlQuotes(name)
            + QStringLiteral("','2026-01-01','2026-12-31','Ventas','4.1.01',1,0,0,3,'") + permits
            + QStringLiteral("','") + grouping + QStringLiteral("')"));
    }

    int storedRows(const QString &name)
    {
        return valueOnMain(QStringLiteral("SELECT COUNT(*) FROM MA_PANELCTA WHERE NOMBRE = '")
                           + data::escapeSqlQuotes(name) + QLatin1Char('\''))
            .toInt();
    }

    bool flag(const char *name) const
    {
        return child<platform::BrezaCtl>(*window, "BrezaCtl1")->flag(QLatin1String(name));
    }

    void command(const char *clave)
    {
        QString key = QLatin1String(clave);
        window->BrezaCtl1_Accion(key);
    }

    // Accepts a name as typing it and pressing Enter does.
    void acceptName(const QString &name)
    {
        headerField(*window, 0)->setText(name);
        QTest::keyClick(headerField(*window, 0), Qt::Key_Return);
    }

    // A new definition with its dates and one account line, ready to save.
    void fillNewDefinition()
    {
        acceptName(QStringLiteral("Nueva"));
        headerField(*window, 1)->setText(QStringLiteral("01/01/2026"));
        headerField(*window, 2)->setText(QStringLiteral("31/12/2026"));
        child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")
            ->setTextMatrix(1, 0, QStringLiteral("Ventas"));
        child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")
            ->setTextMatrix(1, 1, QStringLiteral("4.1.01"));
    }

    QStringList comboItems(const QComboBox &combo) const
    {
        QStringList items;
        for (int index = 0; index < combo.count(); ++index)
            items << combo.itemText(index);
        return items;
    }

    statistics_testing::RecordingBreakdown breakdown;
    statistics_testing::FormState state() { return statistics_testing::FormState(*window); }

    std::unique_ptr<frm_Estadistica> window;
};

// ---- Start-up --------------------------------------------------------------------------------

TEST_F(WindowTest, LoadFillsTheCombosAndWaitsInBrowseState)
{
    load();
    EXPECT_EQ(comboItems(*child<QComboBox>(*window, "CmbPeriodicidad")),
              (QStringList{"Diario", "Semanal", "Quicenal", "Mensual", "Trimestral", "Semestral",
                           "Anual"}));
    EXPECT_EQ(child<QComboBox>(*window, "CmbPeriodicidad")->currentText(),
              QStringLiteral("Diario"));
    const QStringList layouts = comboItems(*child<QComboBox>(*window, "CmbTG"));
    ASSERT_EQ(layouts.size(), 8);
    EXPECT_EQ(layouts[1], QStringLiteral("Totalizado por Fila y Columna - Grafico Listones"));
    EXPECT_EQ(layouts[6], QStringLiteral("Totalizado por Fila y Columna (Sin grafico) "));
    for (int index = 0; index < 8; ++index)
        EXPECT_EQ(layouts[index].size(), index < 6 ? 48 : 44) << index;
    EXPECT_EQ(state().NombreTabla, QStringLiteral("MA_PANELCTA"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Paneles de Cuentas"));
    EXPECT_FALSE(state().ModoMenu);
    EXPECT_TRUE(headerField(*window, 0)->isEnabled());
    EXPECT_FALSE(headerField(*window, 1)->isEnabled());
    EXPECT_FALSE(child<QGroupBox>(*window, "FrmDetalle")->isEnabled());
    EXPECT_FALSE(flag("grabarenabled"));
    EXPECT_TRUE(flag("cerrarenabled"));
    EXPECT_TRUE(flag("nuevoenabled"));
    EXPECT_GT(child<QListWidget>(*window, "LstCpte")->count(), 0);
    EXPECT_EQ(dialogs.count(), 0);
}

// The window is not shown while it loads, so its reset stops where it would give the name field
// the focus: the boxes after that step keep what they held.
TEST_F(WindowTest, ResetDuringLoadStopsAtTheFocusStepSilently)
{
    window = std::make_unique<frm_Estadistica>();
    child<QCheckBox>(*window, "chkAlMenu")->setChecked(true);
    window->Form_Load();
    EXPECT_TRUE(child<QCheckBox>(*window, "chkAlMenu")->isChecked());
    EXPECT_EQ(child<QTabWidget>(*window, "SSTab1")->currentIndex(), 0);
    EXPECT_EQ(dialogs.count(), 0);
}

struct MenuStartCase
{
    const char *parameter;
    const char *permits;
    const char *grouping;
    bool cpte, uneg, ccostos;
    const char *selected;
};

TEST_F(WindowTest, MenuStartLocksTheWindowToTheNamedDefinition)
{
    const MenuStartCase cases[] = {
        {"cfg_Ventas del año", "100", "Fecha", true, false, false, "optFecha"},
        {"CFG_Ventas del año", "011", "CCostos", false, true, true, "optCCostos"},
        {"Cfg_Ventas del año", "1", "unegocio", true, false, false, "optUNeg"},
        {"CFG_Caja d'Or", "010", "Fecha", false, true, false, "optFecha"},
    };
    for (const MenuStartCase &c : cases) {
        SCOPED_TRACE(c.parameter);
        const QString name = QString::fromUtf8(c.parameter).mid(4);
        runOnMain(QStringLiteral("DELETE FROM MA_PANELCTA"));
        storeDefinition(name, QLatin1String(c.permits), QLatin1String(c.grouping));
        load(QString::fromUtf8(c.parameter));

        EXPECT_TRUE(state().ModoMenu);
        EXPECT_TRUE(state().Existe);
        EXPECT_EQ(headerField(*window, 0)->text(), name);
        EXPECT_FALSE(headerField(*window, 0)->isEnabled());
        EXPECT_TRUE(child<QGroupBox>(*window, "FrmMod")->isHidden());
        EXPECT_TRUE(child<QCheckBox>(*window, "chkAlMenu")->isHidden());
        EXPECT_TRUE(child<QToolBar>(*window, "Toolbar1")->isHidden());
        EXPECT_FALSE(child<QGroupBox>(*window, "FrmDetalle")->isEnabled());
        EXPECT_EQ(child<QListWidget>(*window, "LstCpte")->isEnabled(), c.cpte);
        EXPECT_EQ(child<QPushButton>(*window, "CmdTodos")->isEnabled(), c.cpte);
        EXPECT_EQ(child<QListWidget>(*window, "LstUNeg")->isEnabled(), c.uneg);
        EXPECT_EQ(child<QPushButton>(*window, "CmdUNeg")->isEnabled(), c.uneg);
        EXPECT_EQ(child<QListWidget>(*window, "LstCCostos")->isEnabled(), c.ccostos);
        EXPECT_EQ(child<QPushButton>(*window, "cmdCCostos")->isEnabled(), c.ccostos);
        EXPECT_TRUE(window->findChild<QRadioButton *>(QLatin1String(c.selected))->isChecked());
        EXPECT_FALSE(flag("grabarenabled"));
        EXPECT_FALSE(flag("cancelarenabled"));
        EXPECT_FALSE(flag("borrarenabled"));
        EXPECT_FALSE(flag("nuevoenabled"));
        EXPECT_TRUE(flag("cerrarenabled"));
        EXPECT_TRUE(flag("reporteenabled"));
        EXPECT_EQ(dialogs.count(), 0);
    }
}

TEST_F(WindowTest, OtherParametersStartInBrowseState)
{
    for (const char *parameter : {"", "CFG", "XCFG_Ventas", "Ventas"}) {
        SCOPED_TRACE(parameter);
        load(QString::fromUtf8(parameter));
        EXPECT_FALSE(state().ModoMenu);
        EXPECT_TRUE(headerField(*window, 0)->text().isEmpty());
        EXPECT_TRUE(child<QToolBar>(*window, "Toolbar1")->isVisibleTo(window.get()));
    }
}

TEST_F(WindowTest, MenuPrefixAloneAsksForAName)
{
    dialogs.answer(msgbox::Ok);
    load(QStringLiteral("CFG_"));
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Debe informar un Nombre"));
    EXPECT_FALSE(state().Editando);
    EXPECT_FALSE(flag("grabarenabled"));
    EXPECT_FALSE(flag("borrarenabled"));
}

// ---- Commands --------------------------------------------------------------------------------

TEST_F(WindowTest, UnknownCommandDoesNothing)
{
    load();
    acceptName(QStringLiteral("Nueva"));
    command("IMPRIMIR");
    command("PLANILLA");
    EXPECT_TRUE(state().Editando);
    EXPECT_EQ(headerField(*window, 0)->text(), QStringLiteral("Nueva"));
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(WindowTest, AcceptingANameEntersEditing)
{
    storeDefinition(QStringLiteral("Guardada"), QStringLiteral("111"), QStringLiteral("Fecha"));
    load();
    acceptName(QStringLiteral("Guardada"));
    EXPECT_TRUE(state().Existe);
    EXPECT_TRUE(child<QGroupBox>(*window, "FrmDetalle")->isEnabled());
    EXPECT_TRUE(headerField(*window, 1)->isEnabled());
    EXPECT_TRUE(flag("grabarenabled"));
    EXPECT_TRUE(flag("cancelarenabled"));
    EXPECT_TRUE(flag("borrarenabled"));
    EXPECT_TRUE(flag("reporteenabled"));
    EXPECT_FALSE(flag("cerrarenabled"));
    EXPECT_FALSE(flag("nuevoenabled"));

    acceptName(QStringLiteral("Otra"));
    EXPECT_TRUE(state().Nuevo);
    EXPECT_FALSE(flag("borrarenabled"));
}

TEST_F(WindowTest, CancelAsksOnlyWhileEditing)
{
    load();
    command("CANCELAR");
    EXPECT_EQ(dialogs.count(), 0);

    acceptName(QStringLiteral("Nueva"));
    dialogs.answer(msgbox::No);
    command("CANCELAR");
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Esta seguro de Cancelar la Carga de Datos"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Atención!!!"));
    EXPECT_EQ(dialogs.last().style, msgbox::YesNo | msgbox::Exclamation | msgbox::DefaultButton2);
    EXPECT_TRUE(state().Editando);
    EXPECT_EQ(headerField(*window, 0)->text(), QStringLiteral("Nueva"));

    // New keeps the editing mark, so cancelling afterwards still asks.
    command("NUEVO");
    EXPECT_TRUE(headerField(*window, 0)->text().isEmpty());
    dialogs.answer(msgbox::Yes);
    command("CANCELAR");
    EXPECT_EQ(dialogs.count(), 2);
    EXPECT_FALSE(state().Editando);
    EXPECT_TRUE(dialogs.allAnswered());
}

TEST_F(WindowTest, SaveWithABadDateStoresNothing)
{
    load();
    acceptName(QStringLiteral("Nueva"));
    headerField(*window, 1)->setText(QStringLiteral("31/02/2026"));
    headerField(*window, 2)->setText(QStringLiteral("31/12/2026"));
    dialogs.answer(msgbox::Ok);
    command("GRABAR");
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Fecha Incorrecta"));
    EXPECT_FALSE(state().Validando);
    EXPECT_TRUE(state().Editando);
    EXPECT_EQ(storedRows(QStringLiteral("Nueva")), 0);
}

TEST_F(WindowTest, SaveStoresTheDefinitionAndResetsTheWindow)
{
    load();
    fillNewDefinition();
    command("GRABAR");
    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_EQ(storedRows(QStringLiteral("Nueva")), 1);
    EXPECT_FALSE(state().Editando);
    EXPECT_FALSE(state().Validando);
    EXPECT_TRUE(headerField(*window, 0)->text().isEmpty());
    EXPECT_FALSE(flag("grabarenabled"));
}

// A save that fails leaves the window as the user left it, the voucher types chosen included,
// so saving again after the cause is mended stores the same definition.
TEST_F(WindowTest, FailedSaveKeepsTheChosenVoucherTypes)
{
    load();
    fillNewDefinition();
    child<QListWidget>(*window, "LstCpte")->item(0)->setSelected(true);
    runOnMain(QStringLiteral("DROP TABLE MA_PANELCTA"));
    dialogs.answer(msgbox::Abort).answer(msgbox::Abort);
    command("GRABAR");
    EXPECT_TRUE(state().HayError);
    EXPECT_TRUE(state().Editando);
    EXPECT_EQ(headerField(*window, 0)->text(), QStringLiteral("Nueva"));
    EXPECT_TRUE(child<QListWidget>(*window, "LstCpte")->item(0)->isSelected());
}

TEST_F(WindowTest, DeleteAsksAndKeepsTheWindowWhenDeclined)
{
    storeDefinition(QStringLiteral("Guardada"), QStringLiteral("111"), QStringLiteral("Fecha"));
    load();
    acceptName(QStringLiteral("Guardada"));

    dialogs.answer(msgbox::No);
    command("BORRAR");
    EXPECT_TRUE(state().HayError);
    EXPECT_EQ(headerField(*window, 0)->text(), QStringLiteral("Guardada"));
    EXPECT_EQ(storedRows(QStringLiteral("Guardada")), 1);
    EXPECT_FALSE(state().Borrando) << "a declined deletion ends the deleting";
    EXPECT_TRUE(state().Existe);

    dialogs.answer(msgbox::Yes);
    command("BORRAR");
    EXPECT_FALSE(state().HayError);
    EXPECT_EQ(storedRows(QStringLiteral("Guardada")), 0);
    EXPECT_TRUE(headerField(*window, 0)->text().isEmpty());
    EXPECT_TRUE(dialogs.allAnswered());
}

TEST_F(WindowTest, ReportWithBreakdownSavesThenOpensTheBreakdown)
{
    storeDefinition(QStringLiteral("Guardada"), QStringLiteral("100"), QStringLiteral("Fecha"));
    load(Menu + QStringLiteral("Guardada"));
    child<QCheckBox>(*window, "chkDetalle")->setChecked(true);
    command("REPORTE");
    EXPECT_EQ(breakdown.computed, QStringList{QStringLiteral("Guardada")});
    EXPECT_EQ(breakdown.shown, 1);
    EXPECT_EQ(storedRows(QStringLiteral("Guardada")), 1);
    EXPECT_EQ(dialogs.count(), 0);
}

struct PrintCase
{
    const char *parameter; // start-up parameter; a menu start prints without saving
    bool saved;
};

// Without the breakdown the report prints the statistic itself: a menu start at once, any other
// window once the definition has validated and been saved.
TEST_F(WindowTest, ReportPrintsTheStatistic)
{
    const PrintCase cases[] = {{"CFG_Sin guardar", false}, {"", true}};
    for (const PrintCase &c : cases) {
        SCOPED_TRACE(c.parameter);
        runOnMain(QStringLiteral("DELETE FROM MA_PANELCTA"));
        dialogs.clearShown();
        load(QString::fromUtf8(c.parameter));
        if (state().ModoMenu) {
            headerField(*window, 1)->setText(QStringLiteral("01/01/2026"));
            headerField(*window, 2)->setText(QStringLiteral("31/12/2026"));
        } else {
            fillNewDefinition();
            headerField(*window, 0)->setText(QStringLiteral("Sin guardar"));
        }
        dialogs.onDialog([](QDialog &) { return int(QDialog::Accepted); });
        command("REPORTE");
        ASSERT_EQ(dialogs.count(), 1);
        EXPECT_TRUE(dialogs.last().text.startsWith(QStringLiteral("Vista previa")));
        EXPECT_EQ(storedRows(QStringLiteral("Sin guardar")), c.saved ? 1 : 0);
        EXPECT_FALSE(state().Validando);
        EXPECT_TRUE(breakdown.computed.isEmpty());
    }
}

// A date refused by an earlier save marks the window as failed; once it is mended, the report
// opens the breakdown as soon as its own save goes through.
TEST_F(WindowTest, ReportWithBreakdownAfterARefusedSave)
{
    storeDefinition(QStringLiteral("Guardada"), QStringLiteral("111"), QStringLiteral("Fecha"));
    load();
    acceptName(QStringLiteral("Guardada"));
    headerField(*window, 1)->setText(QStringLiteral("31/02/2026"));
    dialogs.answer(msgbox::Ok);
    command("GRABAR");
    ASSERT_TRUE(state().HayError);

    headerField(*window, 1)->setText(QStringLiteral("01/01/2026"));
    child<QCheckBox>(*window, "chkDetalle")->setChecked(true);
    command("REPORTE");
    EXPECT_EQ(breakdown.computed, QStringList{QStringLiteral("Guardada")});
    EXPECT_EQ(breakdown.shown, 1);
    EXPECT_EQ(dialogs.count(), 1);
}

// ---- Layout and closing ----------------------------------------------------------------------

int widthTwips(const QWidget *widget)
{
    return widget->width() * 15;
}

TEST_F(WindowTest, WideningTheWindowWidensTheStretchingControls)
{
    load();
    window->show();
    window->resize(900, 700);
    const QList<QWidget *> stretching
        = {static_cast<QWidget *>(child<QGroupBox>(*window, "FrmDetalle")),
           child<QListWidget>(*window, "LstCpte"),
           child<QLabel>(*window, "LblCpte"),
           child<QPushButton>(*window, "CmdTodos"),
           child<QListWidget>(*window, "LstUNeg"),
           child<QLabel>(*window, "lblUNeg"),
           child<QPushButton>(*window, "CmdUNeg"),
           child<QListWidget>(*window, "LstCCostos"),
           child<QLabel>(*window, "lblCcostos"),
           child<QPushButton>(*window, "cmdCCostos"),
           child<statistics::MSFlexGrid>(*window, "MSFlexGrid1"),
           child<QTabWidget>(*window, "SSTab1")};
    QList<int> before;
    for (QWidget *widget : stretching)
        before << widthTwips(widget);
    window->resize(900 + 20, 700);
    for (int index = 0; index < stretching.size(); ++index)
        EXPECT_EQ(widthTwips(stretching[index]) - before[index], 300)
            << stretching[index]->objectName().toStdString();
    EXPECT_EQ(child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->height() * 15,
              child<QGroupBox>(*window, "FrmDetalle")->height() * 15 - 960);
}

TEST_F(WindowTest, ShrinkingBelowTheMarginsShowsNothing)
{
    load();
    window->show();
    window->resize(900, 700);
    const int gridHeight = child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->height();
    window->resize(100, 40);
    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_EQ(child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->height(), gridHeight);
}

// While a definition is being edited the close box asks what Cancelar asks, and No keeps every
// typed line. Closing closes the connections and leaves the event loop: the program ends in
// order, not at once.
TEST_F(WindowTest, ClosingWaitsForTheEditAndThenEndsInOrder)
{
    load();
    window->show();
    fillNewDefinition();
    EXPECT_FALSE(flag("cerrarenabled"));
    dialogs.answer(msgbox::No);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Esta seguro de Cancelar la Carga de Datos"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->TextMatrix(1, 1),
              QStringLiteral("4.1.01"));
    EXPECT_EQ(data::gDB().gCnn->state(), platform::db::adStateOpen);

    dialogs.clearShown();
    dialogs.answer(msgbox::Yes);
    command("CANCELAR");
    QTimer::singleShot(0, window.get(), [this] { command("CERRAR"); });
    EXPECT_EQ(testing_support::execApplication(std::chrono::seconds(5)), 0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(data::gDB().gCnn->state(), platform::db::adStateClosed);
    EXPECT_EQ(data::gDBEstadisticas().gCnn->state(), platform::db::adStateClosed);
    EXPECT_EQ(dialogs.count(), 1);
}

// The window previews its controls' keys for the toolbar: one key, one command.
TEST_F(WindowTest, ShortcutKeyInAFieldRunsItsCommandOnce)
{
    load();
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    acceptName(QStringLiteral("Nueva"));
    headerField(*window, 0)->setFocus();
    dialogs.answer(msgbox::No);
    QTest::keyClick(headerField(*window, 0), Qt::Key_F4);
    EXPECT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Esta seguro de Cancelar la Carga de Datos"));
}

// ---- The computation's cancel step and error tail --------------------------------------------

TEST_F(WindowTest, CancelQuestionStopsOrGoesOn)
{
    load();
    auto &progress = platform::gProgreso();
    progress.Mostrar(QStringLiteral("Actualizando Estadistica"));

    dialogs.answer(msgbox::No);
    EXPECT_FALSE(window->ConfirmarCancelacion());
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Desea Cancelar el Proceso?"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Cancelado por el usuario"));
    EXPECT_EQ(dialogs.last().style, msgbox::YesNo | msgbox::Information);
    EXPECT_TRUE(progress.window().isVisible());

    dialogs.answer(msgbox::Yes).answer(msgbox::Ok);
    EXPECT_TRUE(window->ConfirmarCancelacion());
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Grabacion Abortada!"));
    EXPECT_EQ(dialogs.last().style, msgbox::OkOnly);
    EXPECT_FALSE(progress.window().isVisible());
}

TEST_F(WindowTest, ErrorTailHidesTheProgressAndFollowsTheAnswer)
{
    load();
    const std::pair<int, platform::Resume> cases[] = {
        {msgbox::Retry, platform::Resume::Retry},
        {msgbox::Ignore, platform::Resume::Next},
        {msgbox::Abort, platform::Resume::Leave},
    };
    for (const auto &[answer, resume] : cases) {
        platform::gProgreso().Mostrar(QStringLiteral("Actualizando Estadistica"));
        dialogs.answer(answer);
        EXPECT_EQ(window->ErrorGeneraAuxiliar(platform::Error(13, QStringLiteral("Type mismatch"))),
                  resume);
        EXPECT_FALSE(platform::gProgreso().window().isVisible());
        EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("GeneraAuxiliar")));
    }
}

} // namespace
