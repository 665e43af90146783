// The main window as its user drives it: keys pressed on the focused widget and clicks on the
// grid's cells, on the demo database, each scenario ending with what MA_PANELCTA holds.

#include "core/mod_global.h"
#include "data/sql_rewriting.h"
#include "lookup/lib_frm_cons3.h"
#include "lookup/lib_frm_cons3_list_view.h"
#include "platform/brezakit/brezactl.h"
#include "platform/runtime.h"
#include "platform/suite/progreso.h"
#include "statistics/breakdown_report.h"
#include "statistics/frm_est_cta_gpo.h"
#include "statistics/frm_estadistica.h"
#include "statistics/msflexgrid.h"
#include "statistics_database_test.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

using statistics::frm_Estadistica;
using statistics::MSFlexGrid;
using statistics_testing::chooseInList;
using testing_support::ScriptedDialogs;
namespace msgbox = platform::msgbox;

enum Column { Group, Account, Description, Debit, Credit };

const QString Monthly = QStringLiteral("Resultado mensual");
const QString FailureTitle = QStringLiteral("Aviso al operador...");

class ScenarioTest : public statistics_testing::StatisticsDatabaseTest
{
protected:
    void SetUp() override
    {
        StatisticsDatabaseTest::SetUp();
        insertSampleRows(8);
        statistics::setBreakdownReport(&breakdown);
    }

    void TearDown() override
    {
        window.reset();
        statistics::setBreakdownReport(nullptr);
        core::gParametroAdicional.clear();
        StatisticsDatabaseTest::TearDown();
    }

    // Starts the window as the program does and puts the caret in the name box.
    void start(const QString &additionalParameter = {})
    {
        core::gParametroAdicional = additionalParameter;
        window = std::make_unique<frm_Estadistica>();
        window->Form_Load();
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QObject::connect(window->BrezaCtl1, &platform::BrezaCtl::Accion,
                         [this](QString &clave) { commands << clave; });
        if (window->txtfields[0]->isEnabled())
            QTest::mouseClick(window->txtfields[0], Qt::LeftButton);
    }

    static QWidget *focused() { return QApplication::focusWidget(); }

    // A scripted dialog is never on screen, yet the window loses its activation to it; the
    // window system gives it back when a real dialog closes.
    void pressOpeningDialog(Qt::Key key)
    {
        press(key);
        QApplication::processEvents();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 1000));
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        ASSERT_TRUE(focused());
        QTest::keyClick(focused(), key, modifiers);
    }

    // Each character goes to the widget that has the focus when it is typed: the first one
    // typed on the grid opens the cell editor, which takes the rest.
    void type(const QString &text)
    {
        for (const QChar character : text) {
            ASSERT_TRUE(focused());
            QTest::keyClick(focused(), character.toLatin1());
        }
    }

    // Types into a header box as a user does: click it, select what it holds, type over it.
    void retype(QLineEdit &box, const QString &text)
    {
        QTest::mouseClick(&box, Qt::LeftButton);
        press(Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            press(Qt::Key_Delete);
        type(text);
    }

    void openDefinition(const QString &name)
    {
        retype(*window->txtfields[0], name);
        press(Qt::Key_Return);
    }

    static void clickBox(QWidget *box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }

    // "Apertura por cuenta" as the report is to run, set by a click when it reads otherwise.
    void tickBreakdown(bool ticked)
    {
        if (window->chkDetalle->isChecked() != ticked)
            clickBox(window->chkDetalle);
        ASSERT_EQ(window->chkDetalle->isChecked(), ticked);
    }

    MSFlexGrid &grid() { return *window->MSFlexGrid1; }

    QPoint cellCentre(int row, int col)
    {
        return grid().visualRect(grid().model()->index(row - 1, col)).center();
    }

    void clickCell(int row, int col)
    {
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(row, col));
    }

    // The press before the double click is what the view compares the double click with.
    void doubleClickCell(int row, int col)
    {
        const QPoint centre = cellCentre(row, col);
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, centre);
    }

    QStringList gridLines() { return statistics_testing::gridLines(grid()); }

    // The rows of the name, as group|account|debit|credit|ranking, in the order written.
    QStringList stored(const QString &name)
    {
        return rowsOf(QStringLiteral("SELECT GRUPO,CUENTA,DEBE,Haber,EsRanking FROM MA_PANELCTA "
                                     "WHERE NOMBRE = '%1' ORDER BY ID")
                          .arg(data::escapeSqlQuotes(name)));
    }

    static QStringList sorted(QStringList texts)
    {
        texts.sort();
        return texts;
    }

    QStringList storedDefinitions() { return stored(Monthly) + allNames(); }

    QStringList allNames()
    {
        return rowsOf(QStringLiteral("SELECT DISTINCT NOMBRE FROM MA_PANELCTA ORDER BY NOMBRE"));
    }

    statistics_testing::RecordingBreakdown breakdown;
    std::unique_ptr<frm_Estadistica> window;
    QStringList commands; // what the toolbar raised
};

// ---- The grid ----------------------------------------------------------------------------------

// Insert, then Delete on the line that names the group: the label goes down to the line below,
// which Grabar then stores under it. F8 opens the group dialog; Insert, Delete and Enter in the
// grid and its editor raise no toolbar command.
TEST_F(ScenarioTest, DeletingTheLineThatNamesAGroupHandsTheLabelDown)
{
    start();
    openDefinition(QStringLiteral("Prueba"));
    press(Qt::Key_Tab);
    type(QStringLiteral("01/01/2026"));
    press(Qt::Key_Return);
    type(QStringLiteral("31/12/2026"));

    clickCell(1, Group);
    dialogs.onDialog(statistics_testing::answerGroupDialog(QStringLiteral("Ventas"), 1, true));
    pressOpeningDialog(Qt::Key_F8);
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Generar Grupo"));
    type(QStringLiteral("4101"));
    press(Qt::Key_Return);
    press(Qt::Key_Insert);
    clickCell(2, Account);
    type(QStringLiteral("4102"));
    press(Qt::Key_Return);
    EXPECT_EQ(
        gridLines(),
        (QStringList{"Ventas (+)|4101|Ventas de mercaderías||", "|4102|Servicios prestados||"}));

    clickCell(1, Account);
    press(Qt::Key_Delete);
    EXPECT_EQ(gridLines(), QStringList{"Ventas (+)|4102|Servicios prestados||"});
    EXPECT_TRUE(commands.isEmpty()) << commands.join(u',').toStdString();

    press(Qt::Key_F5);
    EXPECT_EQ(commands, QStringList{"GRABAR"});
    EXPECT_EQ(dialogs.count(), 1);
    // The sides left empty are the "S" their validation stands for, and come back as such.
    EXPECT_EQ(stored(QStringLiteral("Prueba")), QStringList{"Ventas (+)|4102|true|true|false"});
    openDefinition(QStringLiteral("Prueba"));
    EXPECT_EQ(gridLines(), QStringList{"Ventas (+)|4102|Servicios prestados|S|S"});
}

// Tab and Shift+Tab in the cell editor commit the cell and walk the grid; the focus never leaves
// it, so no key lands in the name. Escape drops an edit, and Enter on the name while editing
// checks it without reloading over the typed lines.
TEST_F(ScenarioTest, TabInTheCellEditorWalksTheGrid)
{
    start();
    openDefinition(Monthly);
    ASSERT_EQ(gridLines().first(), QStringLiteral("Costos (-)|51|COSTOS|S|N"));
    EXPECT_EQ(focused(), window->txtfields[0]);

    doubleClickCell(1, Account);
    press(Qt::Key_Backspace);
    press(Qt::Key_Backspace);
    type(QStringLiteral("5101"));
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), &grid());
    EXPECT_EQ(grid().Col(), Debit);
    type(QStringLiteral("N"));
    press(Qt::Key_Tab);
    EXPECT_EQ(grid().Col(), Credit);
    type(QStringLiteral("S"));
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), &grid());
    EXPECT_EQ(grid().Col(), Debit);
    type(QStringLiteral("x"));
    press(Qt::Key_Escape);
    EXPECT_EQ(focused(), &grid());
    type(QStringLiteral("zz"));
    press(Qt::Key_Escape);

    EXPECT_EQ(window->txtfields[0]->text(), Monthly);
    EXPECT_EQ(gridLines().first(),
              QStringLiteral("Costos (-)|5101|Costo de mercaderías vendidas|N|S"));
    QTest::mouseClick(window->txtfields[0], Qt::LeftButton);
    press(Qt::Key_Return);
    EXPECT_EQ(focused(), window->txtfields[0]);
    EXPECT_EQ(gridLines().first(),
              QStringLiteral("Costos (-)|5101|Costo de mercaderías vendidas|N|S"));
    EXPECT_EQ(dialogs.count(), 0);

    press(Qt::Key_F5);
    EXPECT_EQ(stored(Monthly).first(), QStringLiteral("Costos (-)|5101|false|true|false"));
    EXPECT_EQ(stored(Monthly).size(), 4);
}

// While one definition is edited, another stored name opens that definition instead of keeping
// this window's lines under it, so a save cannot write them over the other definition.
TEST_F(ScenarioTest, AnotherStoredNameOpensItsDefinitionAndASaveKeepsBoth)
{
    const QString other = QStringLiteral("Disponibilidades por sucursal");
    const QStringList monthlyBefore = stored(Monthly);
    const QStringList otherBefore = stored(other);
    ASSERT_FALSE(otherBefore.isEmpty());
    start();
    openDefinition(Monthly);
    doubleClickCell(1, Account);
    press(Qt::Key_Backspace);
    press(Qt::Key_Backspace);
    type(QStringLiteral("5101"));
    press(Qt::Key_Return);

    openDefinition(other);
    EXPECT_EQ(window->txtfields[0]->text(), other);
    EXPECT_EQ(gridLines().first().section(u'|', 0, 1), QStringLiteral("Caja y bancos|1101"));
    press(Qt::Key_F5);
    EXPECT_EQ(stored(other), otherBefore);
    EXPECT_EQ(stored(Monthly), monthlyBefore);
}

// A cancelled account lookup leaves the line as it was; a chosen account is written with its
// description.
TEST_F(ScenarioTest, ACancelledAccountLookupLeavesTheLineAsItWas)
{
    start();
    openDefinition(Monthly);
    const QStringList before = gridLines();
    clickCell(1, Account);
    QString statement;
    dialogs.onDialog(chooseInList(QString(), statement));
    pressOpeningDialog(Qt::Key_F3);
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(gridLines(), before);

    clickCell(2, Account);
    dialogs.onDialog(chooseInList(QStringLiteral("5202"), statement));
    pressOpeningDialog(Qt::Key_F3);
    EXPECT_EQ(gridLines()[1], QStringLiteral("Gastos (-)|5202|Alquileres|S|N"));

    press(Qt::Key_F5);
    EXPECT_EQ(stored(Monthly),
              (QStringList{"Costos (-)|51|true|false|false", "Gastos (-)|5202|true|false|false",
                           "Otros ingresos (+)|4201|false|true|false",
                           "Ventas (+)|41|false|true|false"}));
}

// F3 in the name box opens one lookup, even when the dialog took the focus with it.
TEST_F(ScenarioTest, OneKeyPressOpensOneLookup)
{
    start();
    QString statement;
    dialogs.onDialog([&](QDialog &dialog) {
        // A real modal dialog leaves the main window without a focused control.
        if (focused())
            focused()->clearFocus();
        return chooseInList(Monthly, statement)(dialog);
    });
    pressOpeningDialog(Qt::Key_F3);
    EXPECT_EQ(dialogs.count(), 1);
    EXPECT_EQ(window->txtfields[0]->text(), Monthly);
    EXPECT_EQ(gridLines().size(), 4);
    EXPECT_EQ(stored(Monthly).size(), 4);
}

// The real list dialog, run modally and driven by the keys and clicks of a user once it is up.
// A dialog the script leaves open is closed after a while, so the test never waits for a person.
testing_support::ScriptedDialogs::DialogScript
driveListDialog(std::function<void(lookup::Lib_FrmCons3 &)> script)
{
    return [script](QDialog &shown) {
        auto &list = dynamic_cast<lookup::Lib_FrmCons3 &>(shown);
        QTimer::singleShot(0, &list, [&list, script] { script(list); });
        QTimer::singleShot(5000, &list, &QDialog::reject);
        return list.exec();
    };
}

void pressInDialog(QDialog &dialog, Qt::Key key)
{
    QTest::keyClick(dialog.focusWidget() ? dialog.focusWidget() : &dialog, key);
}

struct NameLookupPath
{
    const char *name;
    bool rightClick; // the lookup opened by the right button instead of F3
    std::function<void(lookup::Lib_FrmCons3 &)> choose;
};

// The definition is chosen in the real list dialog (the demo's third name); the Enter or the
// double click that closes it must not reach the name box and open the lookup again.
TEST_F(ScenarioTest, ANameChosenInTheListDialogOpensOneLookup)
{
    const NameLookupPath paths[] = {
        {"typed in the search box, Enter", false,
         [](lookup::Lib_FrmCons3 &list) {
             QTest::keyClicks(list.focusWidget(), QStringLiteral("Res"));
             pressInDialog(list, Qt::Key_Return);
         }},
        {"arrow keys, Enter", false,
         [](lookup::Lib_FrmCons3 &list) {
             // The first Down takes the focus from the search box to the current row.
             for (int press = 0; press < 3; ++press)
                 pressInDialog(list, Qt::Key_Down);
             pressInDialog(list, Qt::Key_Enter);
         }},
        {"right button, double click on the row", true,
         [](lookup::Lib_FrmCons3 &list) {
             lookup::ListView &rows = list.ListView1();
             const QPoint centre = rows.visualItemRect(rows.topLevelItem(2)).center();
             QTest::mouseClick(rows.viewport(), Qt::LeftButton, {}, centre);
             QTest::mouseDClick(rows.viewport(), Qt::LeftButton, {}, centre);
         }},
    };
    for (const NameLookupPath &path : paths) {
        SCOPED_TRACE(path.name);
        start();
        dialogs.clearShown();
        dialogs.onDialog(driveListDialog(path.choose));
        if (path.rightClick)
            QTest::mouseClick(window->txtfields[0], Qt::RightButton);
        else
            pressOpeningDialog(Qt::Key_F3);
        QApplication::processEvents();
        EXPECT_EQ(dialogs.count(), 1);
        EXPECT_TRUE(dialogs.allAnswered());
        EXPECT_EQ(window->txtfields[0]->text(), Monthly);
        EXPECT_EQ(gridLines().size(), 4);
        EXPECT_EQ(stored(Monthly).size(), 4);
        window.reset();
    }
}

// ---- The report
// ----------------------------------------------------------------------------------

struct ReportMode
{
    const char *name;
    const char *parameter; // start-up parameter
    bool breakdown; // "Apertura por cuenta" ticked by a click
};

struct HeaderFault
{
    const char *name;
    const char *fechaD;
    const char *fechaH;
    int periodicidad; // stored position; -1 selects nothing
    int tipoGrafico;
    const char *message;
    int focusField; // header box that gets the focus; -1 the period combo, -2 the layout
};

// Every mode of the report validates the header before anything is saved or computed: the
// message of the first refused field, the focus on it, MA_PANELCTA as it was, nothing printed.
TEST_F(ScenarioTest, TheReportRefusesABadHeaderInEveryMode)
{
    const ReportMode modes[] = {
        {"plain", "", false},
        {"breakdown", "", true},
        {"menu", "CFG_Resultado mensual", false},
        {"menu with breakdown", "CFG_Resultado mensual", true},
    };
    const HeaderFault faults[] = {
        {"no such day", "31/02/2023", "31/12/2023", 3, 2, "Fecha Incorrecta", 1},
        {"ends before it starts", "01/06/2023", "31/05/2023", 3, 2, "Fecha Incorrecta", 2},
        {"no period", "01/01/2023", "31/12/2023", -1, 2, "Debe informar la Periodicidad", -1},
        {"no layout", "01/01/2023", "31/12/2023", 3, -1, "Debe informar el Tipo de Gráfico", -2},
    };
    const QStringList before = storedDefinitions();
    for (const ReportMode &mode : modes) {
        for (const HeaderFault &fault : faults) {
            SCOPED_TRACE(std::string(mode.name) + ", " + fault.name);
            runOnMain(QStringLiteral("UPDATE MA_PANELCTA SET PERIODICIDAD = %1, TipoGrafico = %2 "
                                     "WHERE NOMBRE = '%3'")
                          .arg(fault.periodicidad)
                          .arg(fault.tipoGrafico)
                          .arg(Monthly));
            dialogs.clearShown();
            start(QString::fromLatin1(mode.parameter));
            if (!window->ModoMenu)
                openDefinition(Monthly);
            retype(*window->txtfields[1], QString::fromLatin1(fault.fechaD));
            retype(*window->txtfields[2], QString::fromLatin1(fault.fechaH));
            tickBreakdown(mode.breakdown);

            dialogs.answer(msgbox::Ok);
            press(Qt::Key_F7);

            ASSERT_EQ(dialogs.count(), 1);
            EXPECT_EQ(dialogs.last().text, QString::fromUtf8(fault.message));
            EXPECT_EQ(dialogs.last().title, FailureTitle);
            QWidget *expectedFocus = window->CmbTG;
            if (fault.focusField >= 0)
                expectedFocus = window->txtfields[fault.focusField];
            else if (fault.focusField == -1)
                expectedFocus = window->CmbPeriodicidad;
            EXPECT_EQ(focused(), expectedFocus);
            EXPECT_TRUE(breakdown.computed.isEmpty());
            runOnMain(QStringLiteral("UPDATE MA_PANELCTA SET PERIODICIDAD = 3, TipoGrafico = 2 "
                                     "WHERE NOMBRE = '%1'")
                          .arg(Monthly));
            EXPECT_EQ(storedDefinitions(), before);
            window.reset();
        }
    }
}

// A valid header goes on: the breakdown saves first, except from a menu start, which shows its
// definition read-only; the printed report comes with the progress window already hidden.
TEST_F(ScenarioTest, AValidHeaderReportsAndSavesOnlyOutsideAMenuStart)
{
    const ReportMode modes[] = {
        {"breakdown", "", true},
        {"menu with breakdown", "CFG_Resultado mensual", true},
        {"plain", "", false},
    };
    const auto storedStart = [this] {
        return rowsOf(QStringLiteral("SELECT DISTINCT FechaD FROM MA_PANELCTA WHERE NOMBRE = '%1'")
                          .arg(Monthly))
            .join(u',');
    };
    const QString originalStart = storedStart().left(10); // yyyy-MM-dd
    for (const ReportMode &mode : modes) {
        SCOPED_TRACE(mode.name);
        runOnMain(QStringLiteral("UPDATE MA_PANELCTA SET FechaD = '%1' WHERE NOMBRE = '%2'")
                      .arg(originalStart, Monthly));
        const QStringList before = stored(Monthly);
        breakdown.computed.clear();
        dialogs.clearShown();
        start(QString::fromLatin1(mode.parameter));
        if (!window->ModoMenu)
            openDefinition(Monthly);
        retype(*window->txtfields[1], QStringLiteral("01/03/2023"));
        tickBreakdown(mode.breakdown);
        bool progressShownUnderTheReport = true;
        if (!mode.breakdown)
            dialogs.onDialog([&](QDialog &) {
                progressShownUnderTheReport = platform::gProgreso().window().isVisible();
                return int(QDialog::Accepted);
            });

        press(Qt::Key_F7);

        EXPECT_EQ(breakdown.computed, mode.breakdown ? QStringList{Monthly} : QStringList());
        if (!mode.breakdown) {
            EXPECT_EQ(dialogs.count(), 1);
            EXPECT_FALSE(progressShownUnderTheReport);
        }
        EXPECT_EQ(storedStart().startsWith(QStringLiteral("2023-03-01")), !window->ModoMenu)
            << storedStart().toStdString();
        EXPECT_EQ(sorted(stored(Monthly)), sorted(before));
        window.reset();
    }
}

// ---- Options and definitions
// ---------------------------------------------------------------------

// The cost-centre tab is usable only under its grouping, from a fresh start and after every
// load; leaving the breakdown gives the opening balance back only under the date grouping; the
// boxes have two states, and a stored permission 2 reads as granted.
TEST_F(ScenarioTest, OptionsFollowTheGroupingAfterEveryLoad)
{
    runOnMain(QStringLiteral("UPDATE MA_PANELCTA SET PermiteModificar = '201' WHERE NOMBRE = '%1'")
                  .arg(Monthly));
    start();
    EXPECT_FALSE(window->SSTab1->isTabEnabled(2));

    openDefinition(QStringLiteral("Gastos por centro de costo"));
    EXPECT_TRUE(window->SSTab1->isTabEnabled(2));
    dialogs.answer(msgbox::Yes);
    press(Qt::Key_F4);
    openDefinition(Monthly);
    EXPECT_TRUE(window->optFecha->isChecked());
    EXPECT_FALSE(window->SSTab1->isTabEnabled(2));
    EXPECT_EQ(window->chkModCptes->checkState(), Qt::Checked);

    clickBox(window->optUNeg);
    clickBox(window->chkDetalle);
    clickBox(window->chkDetalle);
    EXPECT_FALSE(window->chkCalculaSI->isEnabled());
    for (int click = 0; click < 3; ++click) {
        clickBox(window->chkModUneg);
        EXPECT_NE(window->chkModUneg->checkState(), Qt::PartiallyChecked);
    }

    press(Qt::Key_F5);
    EXPECT_EQ(rowsOf(QStringLiteral("SELECT DISTINCT PermiteModificar, Agrupar, calculasi, "
                                    "aperturaCuentas FROM MA_PANELCTA WHERE NOMBRE = '%1'")
                         .arg(Monthly)),
              QStringList{"111|UNegocio|0|0"});
}

// A ranking of the same name belongs to another program: loading, saving and deleting the
// statistic never touch it, and the rows the window writes are statistics.
TEST_F(ScenarioTest, ARankingOfTheSameNameIsLeftAlone)
{
    runOnMain(QStringLiteral("INSERT INTO MA_PANELCTA (NOMBRE,Grupo,Cuenta,DEBE,Haber,EsRanking) "
                             "VALUES ('%1','Ranking','1101',1,1,1)")
                  .arg(Monthly));
    start();
    openDefinition(Monthly);
    EXPECT_EQ(gridLines().size(), 4);

    press(Qt::Key_F5);
    QStringList rows = stored(Monthly);
    EXPECT_EQ(rows.first(), QStringLiteral("Ranking|1101|true|true|true"));
    EXPECT_EQ(rows.size(), 5);
    EXPECT_EQ(rows.filter(QStringLiteral("|false")).size(), 4);

    openDefinition(Monthly);
    dialogs.answer(msgbox::Yes);
    press(Qt::Key_F6);
    EXPECT_EQ(stored(Monthly), QStringList{"Ranking|1101|true|true|true"});
}

} // namespace
