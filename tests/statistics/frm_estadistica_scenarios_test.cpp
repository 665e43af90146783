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
using statistics_testing::child;
using statistics_testing::chooseInList;
using statistics_testing::headerField;
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
        // The window ends the program itself; the test's event loops must not end with it.
        QApplication::setQuitOnLastWindowClosed(false);
        insertSampleRows(8);
        statistics::setBreakdownReport(&breakdown);
    }

    void TearDown() override
    {
        window.reset();
        statistics::setBreakdownReport(nullptr);
        core::gParametroAdicional.clear();
        QApplication::setQuitOnLastWindowClosed(true);
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
        QObject::connect(child<platform::BrezaCtl>(*window, "BrezaCtl1"),
                         &platform::BrezaCtl::Accion,
                         [this](QString &clave) { commands << clave; });
        if (headerField(*window, 0)->isEnabled())
            QTest::mouseClick(headerField(*window, 0), Qt::LeftButton);
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
        retype(*headerField(*window, 0), name);
        press(Qt::Key_Return);
    }

    static void clickBox(QWidget *box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }

    // "Apertura por cuenta" as the report is to run, set by a click when it reads otherwise.
    void tickBreakdown(bool ticked)
    {
        if (child<QCheckBox>(*window, "chkDetalle")->isChecked() != ticked)
            clickBox(child<QCheckBox>(*window, "chkDetalle"));
        ASSERT_EQ(child<QCheckBox>(*window, "chkDetalle")->isChecked(), ticked);
    }

    MSFlexGrid &grid() { return *child<MSFlexGrid>(*window, "MSFlexGrid1"); }

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

    // The entries anchored to the statistics menu, as name|command.
    QStringList menuEntries()
    {
        return rowsOf(QStringLiteral("SELECT NOMBRE, PROCESO FROM TA_MENU WHERE TITULO = "
                                     "'D957011' ORDER BY NOMBRE"));
    }

    // Presses the close box as the window system does, inside the program's event loop, which
    // a close that goes through ends; true when the program ended.
    bool closeBoxEndsTheProgram()
    {
        QTimer::singleShot(0, window.get(), [this] {
            if (!window->close())
                QCoreApplication::exit(2);
        });
        QTimer::singleShot(5000, window.get(), [] { QCoreApplication::exit(1); });
        return QCoreApplication::exec() == 0;
    }

    // Replaces the text of the current line's cell by typing over it in the cell editor.
    void retypeCell(int row, int col, const QString &text)
    {
        const qsizetype length = grid().TextMatrix(row, col).size();
        doubleClickCell(row, col);
        for (qsizetype typed = 0; typed < length; ++typed)
            press(Qt::Key_Backspace);
        type(text);
        press(Qt::Key_Return);
    }

    QStringList allNames()
    {
        return rowsOf(QStringLiteral("SELECT DISTINCT NOMBRE FROM MA_PANELCTA ORDER BY NOMBRE"));
    }

    statistics_testing::RecordingBreakdown breakdown;
    statistics_testing::FormState state() { return statistics_testing::FormState(*window); }

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
    EXPECT_EQ(focused(), headerField(*window, 0));

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

    EXPECT_EQ(headerField(*window, 0)->text(), Monthly);
    EXPECT_EQ(gridLines().first(),
              QStringLiteral("Costos (-)|5101|Costo de mercaderías vendidas|N|S"));
    QTest::mouseClick(headerField(*window, 0), Qt::LeftButton);
    press(Qt::Key_Return);
    EXPECT_EQ(focused(), headerField(*window, 0));
    EXPECT_EQ(gridLines().first(),
              QStringLiteral("Costos (-)|5101|Costo de mercaderías vendidas|N|S"));
    EXPECT_EQ(dialogs.count(), 0);

    press(Qt::Key_F5);
    EXPECT_EQ(stored(Monthly).first(), QStringLiteral("Costos (-)|5101|false|true|false"));
    EXPECT_EQ(stored(Monthly).size(), 4);
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
    EXPECT_EQ(headerField(*window, 0)->text(), Monthly);
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
            QTest::mouseClick(headerField(*window, 0), Qt::RightButton);
        else
            pressOpeningDialog(Qt::Key_F3);
        QApplication::processEvents();
        EXPECT_EQ(dialogs.count(), 1);
        EXPECT_TRUE(dialogs.allAnswered());
        EXPECT_EQ(headerField(*window, 0)->text(), Monthly);
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
            if (!state().ModoMenu)
                openDefinition(Monthly);
            retype(*headerField(*window, 1), QString::fromLatin1(fault.fechaD));
            retype(*headerField(*window, 2), QString::fromLatin1(fault.fechaH));
            tickBreakdown(mode.breakdown);

            dialogs.answer(msgbox::Ok);
            press(Qt::Key_F7);

            ASSERT_EQ(dialogs.count(), 1);
            EXPECT_EQ(dialogs.last().text, QString::fromUtf8(fault.message));
            EXPECT_EQ(dialogs.last().title, FailureTitle);
            QWidget *expectedFocus = child<QComboBox>(*window, "CmbTG");
            if (fault.focusField >= 0)
                expectedFocus = headerField(*window, fault.focusField);
            else if (fault.focusField == -1)
                expectedFocus = child<QComboBox>(*window, "CmbPeriodicidad");
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
        if (!state().ModoMenu)
            openDefinition(Monthly);
        retype(*headerField(*window, 1), QStringLiteral("01/03/2023"));
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
        EXPECT_EQ(storedStart().startsWith(QStringLiteral("2023-03-01")), !state().ModoMenu)
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
    EXPECT_FALSE(child<QTabWidget>(*window, "SSTab1")->isTabEnabled(2));

    openDefinition(QStringLiteral("Gastos por centro de costo"));
    EXPECT_TRUE(child<QTabWidget>(*window, "SSTab1")->isTabEnabled(2));
    dialogs.answer(msgbox::Yes);
    press(Qt::Key_F4);
    openDefinition(Monthly);
    EXPECT_TRUE(child<QRadioButton>(*window, "optFecha")->isChecked());
    EXPECT_FALSE(child<QTabWidget>(*window, "SSTab1")->isTabEnabled(2));
    EXPECT_EQ(child<QCheckBox>(*window, "chkModCptes")->checkState(), Qt::Checked);

    clickBox(child<QRadioButton>(*window, "optUNeg"));
    clickBox(child<QCheckBox>(*window, "chkDetalle"));
    clickBox(child<QCheckBox>(*window, "chkDetalle"));
    EXPECT_FALSE(child<QCheckBox>(*window, "chkCalculaSI")->isEnabled());
    for (int click = 0; click < 3; ++click) {
        clickBox(child<QCheckBox>(*window, "chkModUneg"));
        EXPECT_NE(child<QCheckBox>(*window, "chkModUneg")->checkState(), Qt::PartiallyChecked);
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

// ---- Nothing typed or stored is lost without a question
// ------------------------------------------

const QString Branches = QStringLiteral("Disponibilidades por sucursal");
const QString EmptyGridMessage = QStringLiteral("Debe informar al menos un Grupo con una Cuenta");
const QString CancelQuestion = QStringLiteral("Esta seguro de Cancelar la Carga de Datos");

QString menuEntry(const QString &name)
{
    return name + QStringLiteral("|shell:RP_PANELCTA @PARAMETROADICIONAL= CFG_") + name;
}

// Runs a real dialog modally and drives it with the script once it is up; a dialog the script
// leaves open is closed after a while, so the test never waits for a person.
testing_support::ScriptedDialogs::DialogScript driveDialog(std::function<void(QDialog &)> script)
{
    return [script](QDialog &shown) {
        QTimer::singleShot(0, &shown, [&shown, script] { script(shown); });
        QTimer::singleShot(5000, &shown, &QDialog::reject);
        return shown.exec();
    };
}

struct Emptying
{
    const char *name;
    int linesLeft;
    std::function<void()> empty;
};

// Grabar and Reporte on a grid left with no line to store: the message, the focus in the grid,
// and the stored definition and its menu entry as they were.
TEST_F(ScenarioTest, AGridWithNoLineToStoreIsRefusedAndTheDefinitionStays)
{
    start();
    openDefinition(Branches);
    clickBox(child<QCheckBox>(*window, "chkAlMenu"));
    press(Qt::Key_F5);
    const QStringList before = stored(Branches);
    ASSERT_EQ(before.size(), 2);
    ASSERT_EQ(menuEntries(), QStringList{menuEntry(Branches)});

    const Emptying ways[] = {
        {"every account cleared", 2,
         [this] {
             retypeCell(1, Account, QString());
             retypeCell(2, Account, QString());
         }},
        {"lines deleted down to one without an account", 1,
         [this] {
             clickCell(2, Account);
             press(Qt::Key_Insert);
             clickCell(1, Account);
             press(Qt::Key_Delete);
             press(Qt::Key_Delete);
         }},
    };
    for (const Emptying &way : ways) {
        SCOPED_TRACE(way.name);
        openDefinition(Branches);
        way.empty();
        ASSERT_EQ(gridLines().size(), way.linesLeft);
        dialogs.clearShown();

        for (const Qt::Key command : {Qt::Key_F5, Qt::Key_F7}) {
            dialogs.answer(msgbox::Ok);
            press(command);
            ASSERT_EQ(dialogs.count(), 1);
            EXPECT_EQ(dialogs.last().text, EmptyGridMessage);
            EXPECT_EQ(dialogs.last().title, FailureTitle);
            EXPECT_EQ(focused(), &grid());
            EXPECT_TRUE(child<platform::BrezaCtl>(*window, "BrezaCtl1")
                            ->flag(QStringLiteral("grabarenabled")));
            dialogs.clearShown();
        }
        EXPECT_TRUE(breakdown.computed.isEmpty());
        EXPECT_EQ(stored(Branches), before);
        EXPECT_EQ(menuEntries(), QStringList{menuEntry(Branches)});
        dialogs.answer(msgbox::Yes);
        press(Qt::Key_F4);
    }
}

// The group box takes only what the column holds with any sign after it, so the save never
// meets the engine's length check; the name box likewise.
TEST_F(ScenarioTest, TheGroupAndNameBoxesTakeWhatTheirColumnsHold)
{
    start();
    const QString longName(230, u'n');
    openDefinition(longName);
    EXPECT_EQ(headerField(*window, 0)->text(), QString(200, u'n'));
    press(Qt::Key_Tab);
    type(QStringLiteral("01/01/2026"));
    press(Qt::Key_Return);
    type(QStringLiteral("31/12/2026"));

    clickCell(1, Group);
    QString typedGroup;
    dialogs.onDialog(driveDialog([&](QDialog &shown) {
        auto &dialog = dynamic_cast<statistics::FrmEstCtaGpo &>(shown);
        QTest::keyClicks(dialog.txtGrupo, QString(120, u'G'));
        typedGroup = dialog.txtGrupo->text();
        QTest::keyClick(dialog.cboSigno, Qt::Key_Down);
        QTest::mouseClick(dialog.cmdAceptar, Qt::LeftButton);
    }));
    pressOpeningDialog(Qt::Key_F8);
    EXPECT_EQ(typedGroup.size(), 96);
    const QString label = QString(96, u'G') + QStringLiteral(" (+)");
    EXPECT_EQ(grid().TextMatrix(1, Group), label);
    clickCell(1, Account);
    type(QStringLiteral("1101"));
    press(Qt::Key_Return);

    dialogs.clearShown();
    press(Qt::Key_F5);
    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_EQ(stored(QString(200, u'n')),
              QStringList{label + QStringLiteral("|1101|true|true|false")});
    EXPECT_TRUE(menuEntries().isEmpty());
}

// A row the table refuses (its account is too long for a table declared narrower) abandons the
// save whatever the answer: the old rows stay, the window keeps every typed line, and Reporte
// after it prints nothing.
TEST_F(ScenarioTest, ASaveWhoseRowFailsKeepsTheWindowAndPrintsNothing)
{
    runOnMain(QStringLiteral("DROP TABLE MA_PANELCTA"));
    runOnMain(QStringLiteral(
        "CREATE TABLE MA_PANELCTA (ID int IDENTITY(1,1) PRIMARY KEY, NOMBRE varchar(200), "
        "FechaD datetime, FechaH datetime, Grupo varchar(100), Cuenta varchar(3), DEBE bit, "
        "Haber bit, TipoGrafico smallint, PERIODICIDAD smallint, Comprobantes varchar(max), "
        "unegocios varchar(max), CCostos varchar(max), PermiteModificar char(3), Agrupar "
        "varchar(10), anclaralmenu smallint, InvierteFilCol smallint, ignoraceros smallint, "
        "calculasi smallint, aperturaCuentas smallint, EsRanking bit NOT NULL DEFAULT (0))"));
    for (const char *account : {"41", "51"})
        runOnMain(QStringLiteral("INSERT INTO MA_PANELCTA (NOMBRE,FechaD,FechaH,Grupo,Cuenta,DEBE,"
                                 "Haber,TipoGrafico,PERIODICIDAD,PermiteModificar,Agrupar) VALUES "
                                 "('Corta','2023-01-01','2023-12-31','Resultado','%1',1,1,6,3,"
                                 "'000','Fecha')")
                      .arg(QLatin1String(account)));
    const QStringList before = stored(QStringLiteral("Corta"));
    ASSERT_EQ(before.size(), 2);

    start();
    openDefinition(QStringLiteral("Corta"));
    clickCell(2, Account);
    press(Qt::Key_Insert);
    clickCell(3, Account);
    type(QStringLiteral("4201"));
    press(Qt::Key_Return);
    const QStringList typed = gridLines();
    ASSERT_EQ(typed.size(), 3);

    for (const Qt::Key command : {Qt::Key_F5, Qt::Key_F7}) {
        dialogs.clearShown();
        dialogs.answer(msgbox::Ignore);
        press(command);
        ASSERT_EQ(dialogs.count(), 1);
        EXPECT_EQ(dialogs.last().style & 0xF, msgbox::AbortRetryIgnore);
        EXPECT_EQ(gridLines(), typed);
        EXPECT_EQ(headerField(*window, 0)->text(), QStringLiteral("Corta"));
        EXPECT_TRUE(
            child<platform::BrezaCtl>(*window, "BrezaCtl1")->flag(QStringLiteral("grabarenabled")));
        EXPECT_EQ(stored(QStringLiteral("Corta")), before);
    }
    EXPECT_EQ(valueOnMain(QStringLiteral("SELECT COUNT(*) FROM AUX_PANELCTA")).toInt(), 0);
    EXPECT_TRUE(menuEntries().isEmpty());
}

struct OtherDefinitionPath
{
    const char *name;
    bool lookup; // chosen in the list with F3 instead of typed
};

// Another stored name reaching the name box over typed lines asks first: No keeps the lines
// and the name they belong to, Yes loads the other definition. Nothing is stored either way.
TEST_F(ScenarioTest, AnotherDefinitionAsksBeforeItLoadsOverTypedLines)
{
    const QStringList monthlyBefore = stored(Monthly);
    const QStringList branchesBefore = stored(Branches);
    const OtherDefinitionPath paths[] = {{"typed, Enter", false}, {"chosen with F3", true}};
    for (const OtherDefinitionPath &path : paths) {
        for (const int answer : {msgbox::No, msgbox::Yes}) {
            SCOPED_TRACE(std::string(path.name) + (answer == msgbox::Yes ? ", Yes" : ", No"));
            start();
            openDefinition(Monthly);
            retypeCell(1, Account, QStringLiteral("5101"));
            const QStringList typed = gridLines();
            dialogs.clearShown();
            dialogs.answer(answer);
            QString statement;
            if (path.lookup) {
                QTest::mouseClick(headerField(*window, 0), Qt::LeftButton);
                dialogs.onDialog(chooseInList(Branches, statement));
                pressOpeningDialog(Qt::Key_F3);
            } else {
                openDefinition(Branches);
            }

            ASSERT_EQ(dialogs.count(), path.lookup ? 2 : 1);
            EXPECT_EQ(dialogs.last().text, CancelQuestion);
            EXPECT_EQ(dialogs.last().title, QStringLiteral("Atención!!!"));
            if (answer == msgbox::No) {
                EXPECT_EQ(headerField(*window, 0)->text(), Monthly);
                EXPECT_EQ(gridLines(), typed);
            } else {
                EXPECT_EQ(headerField(*window, 0)->text(), Branches);
                EXPECT_EQ(gridLines().size(), 2);
                EXPECT_TRUE(child<QRadioButton>(*window, "optUNeg")->isChecked());
            }
            EXPECT_EQ(stored(Monthly), monthlyBefore);
            EXPECT_EQ(stored(Branches), branchesBefore);
            EXPECT_TRUE(menuEntries().isEmpty());
            window.reset();
        }
    }

    // Nothing typed since the load: nothing to lose, nothing asked.
    start();
    openDefinition(Monthly);
    dialogs.clearShown();
    openDefinition(Branches);
    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_EQ(headerField(*window, 0)->text(), Branches);
}

// A slip in the name while editing (a name no definition has), then the right name again: the
// lines stay, the definition loaded is the one saved. Tab from the grid goes on to the name box
// without selecting the name, so the next key cannot replace it.
TEST_F(ScenarioTest, TheLoadedNameIsKeptUntilASave)
{
    start();
    openDefinition(Monthly);
    retypeCell(1, Account, QStringLiteral("5101"));
    ASSERT_EQ(focused(), &grid());
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), headerField(*window, 0));
    EXPECT_TRUE(headerField(*window, 0)->selectedText().isEmpty());
    EXPECT_EQ(headerField(*window, 0)->cursorPosition(), Monthly.size());

    const QStringList typed = gridLines();
    dialogs.clearShown();
    openDefinition(QStringLiteral("Resultado mensua"));
    EXPECT_EQ(gridLines(), typed);
    openDefinition(Monthly);
    EXPECT_EQ(gridLines(), typed);
    EXPECT_EQ(dialogs.count(), 0);

    press(Qt::Key_F5);
    EXPECT_EQ(stored(Monthly).first(), QStringLiteral("Costos (-)|5101|true|false|false"));
    EXPECT_FALSE(allNames().contains(QStringLiteral("Resultado mensua")));
    EXPECT_TRUE(menuEntries().isEmpty());
}

struct BranchesStart
{
    const char *name;
    const char *parameter;
};

// "Disponibilidades por sucursal" is stored grouped by unit with the opening balance on: the box
// shows it off, and the report prints no column without a unit, from either start.
TEST_F(ScenarioTest, AUnitGroupingLoadsAndPrintsWithoutOpeningBalance)
{
    const BranchesStart starts[] = {{"typed", ""}, {"menu", "CFG_Disponibilidades por sucursal"}};
    for (const BranchesStart &how : starts) {
        SCOPED_TRACE(how.name);
        runOnMain(QStringLiteral("UPDATE MA_PANELCTA SET calculasi = 1 WHERE NOMBRE = '%1'")
                      .arg(Branches));
        start(QString::fromLatin1(how.parameter));
        if (!state().ModoMenu)
            openDefinition(Branches);
        EXPECT_TRUE(child<QRadioButton>(*window, "optUNeg")->isChecked());
        EXPECT_FALSE(child<QCheckBox>(*window, "chkCalculaSI")->isChecked());
        EXPECT_FALSE(child<QCheckBox>(*window, "chkCalculaSI")->isEnabled());
        tickBreakdown(false);

        dialogs.clearShown();
        dialogs.onDialog([](QDialog &) { return int(QDialog::Accepted); });
        press(Qt::Key_F7);
        EXPECT_EQ(dialogs.count(), 1);
        EXPECT_GT(valueOnMain(QStringLiteral("SELECT COUNT(*) FROM AUX_PANELCTA")).toInt(), 0);
        EXPECT_EQ(valueOnMain(QStringLiteral("SELECT COUNT(*) FROM AUX_PANELCTA WHERE Unegocio "
                                             "IS NULL OR Unegocio = ''"))
                      .toInt(),
                  0);
        // The typed start saved what it showed; the menu start saves nothing.
        EXPECT_EQ(rowsOf(QStringLiteral("SELECT DISTINCT calculasi FROM MA_PANELCTA WHERE "
                                        "NOMBRE = '%1'")
                             .arg(Branches)),
                  QStringList{state().ModoMenu ? "1" : "0"});
        EXPECT_TRUE(menuEntries().isEmpty());
        window.reset();
    }
}

struct SideCell
{
    const char *name;
    int column;
    const char *typed;
    const char *shown;
};

// A validated cell shows at once what is stored and summed: an empty side reads "S".
TEST_F(ScenarioTest, AValidatedCellShowsWhatIsStored)
{
    const SideCell cells[] = {
        {"empty debit", Debit, "", "S"},
        {"empty credit", Credit, "", "S"},
        {"lower-case n", Credit, "n", "n"},
    };
    start();
    openDefinition(Monthly);
    for (const SideCell &c : cells) {
        SCOPED_TRACE(c.name);
        retypeCell(1, c.column, QString::fromLatin1(c.typed));
        EXPECT_EQ(grid().TextMatrix(1, c.column), QString::fromLatin1(c.shown));
    }
    press(Qt::Key_F5);
    EXPECT_EQ(stored(Monthly).first(), QStringLiteral("Costos (-)|51|true|false|false"));
    EXPECT_TRUE(menuEntries().isEmpty());
}

struct LoadPath
{
    const char *name;
    bool lookup;
};

// After a load, by Enter or by the lookup, one click on each box available ticks or clears it;
// the save stores every box so, the menu entry included.
TEST_F(ScenarioTest, OneClickOnEachBoxAfterALoadChangesIt)
{
    const LoadPath paths[] = {{"Enter", false}, {"F3", true}};
    for (const QString &name : {Monthly, Branches, QStringLiteral("Gastos por centro de costo")}) {
        for (const LoadPath &path : paths) {
            SCOPED_TRACE(name.toStdString() + ", " + path.name);
            start();
            if (path.lookup) {
                QString statement;
                dialogs.onDialog(chooseInList(name, statement));
                pressOpeningDialog(Qt::Key_F3);
            } else {
                openDefinition(name);
            }
            ASSERT_EQ(headerField(*window, 0)->text(), name);
            for (QCheckBox *box :
                 {child<QCheckBox>(*window, "chkAlMenu"), child<QCheckBox>(*window, "chkModCptes"),
                  child<QCheckBox>(*window, "chkModUneg"),
                  child<QCheckBox>(*window, "chkModCCostos"),
                  child<QCheckBox>(*window, "ChkInvertirFilCol"),
                  child<QCheckBox>(*window, "chkIgnorarCeros"),
                  child<QCheckBox>(*window, "chkCalculaSI"),
                  child<QCheckBox>(*window, "chkDetalle")}) {
                if (!box->isEnabled())
                    continue;
                const bool before = box->isChecked();
                clickBox(box);
                EXPECT_NE(box->isChecked(), before) << box->text().toStdString();
            }
            const bool anchored = child<QCheckBox>(*window, "chkAlMenu")->isChecked();
            const bool breakdownTicked = child<QCheckBox>(*window, "chkDetalle")->isChecked();
            press(Qt::Key_F5);
            EXPECT_EQ(
                rowsOf(QStringLiteral("SELECT DISTINCT anclaralmenu, aperturaCuentas FROM "
                                      "MA_PANELCTA WHERE NOMBRE = '%1'")
                           .arg(name)),
                QStringList{QStringLiteral("%1|%2").arg(int(anchored)).arg(int(breakdownTicked))});
            EXPECT_EQ(menuEntries().contains(menuEntry(name)), anchored);
            window.reset();
        }
    }
}

// A cancelled name lookup leaves the name as it was, with no message, in browse state and
// while a definition is edited.
TEST_F(ScenarioTest, ACancelledNameLookupLeavesTheNameAsItWas)
{
    const QStringList before = storedDefinitions();
    for (const bool editing : {false, true}) {
        SCOPED_TRACE(editing ? "editing" : "browse");
        start();
        if (editing)
            openDefinition(Monthly);
        else
            type(QStringLiteral("Nuev"));
        const QString name = headerField(*window, 0)->text();
        const QStringList lines = gridLines();
        dialogs.clearShown();
        QString statement;
        dialogs.onDialog(chooseInList(QString(), statement));
        pressOpeningDialog(Qt::Key_F3);
        EXPECT_EQ(dialogs.count(), 1);
        EXPECT_EQ(headerField(*window, 0)->text(), name);
        EXPECT_EQ(gridLines(), lines);
        EXPECT_FALSE(state().HayError);
        window.reset();
    }
    EXPECT_EQ(storedDefinitions(), before);
    EXPECT_TRUE(menuEntries().isEmpty());
}

// The close box while editing asks what Cancelar asks: No goes on editing with every line,
// Yes closes without storing anything.
TEST_F(ScenarioTest, TheCloseBoxAsksBeforeTypedLinesAreLost)
{
    const QStringList before = stored(Monthly);
    start();
    openDefinition(Monthly);
    retypeCell(1, Account, QStringLiteral("5101"));
    const QStringList typed = gridLines();

    dialogs.clearShown();
    dialogs.answer(msgbox::No);
    EXPECT_FALSE(window->close());
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().text, CancelQuestion);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(gridLines(), typed);

    dialogs.answer(msgbox::Yes);
    EXPECT_TRUE(closeBoxEndsTheProgram());
    EXPECT_EQ(dialogs.count(), 2);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(valueOnMain(QStringLiteral("SELECT COUNT(*) FROM MA_PANELCTA WHERE Cuenta = '5101'"))
                  .toInt(),
              0);
    EXPECT_EQ(valueOnMain(QStringLiteral("SELECT COUNT(*) FROM TA_MENU")).toInt(), 0);
}

// A definition loaded and left as it was closes at once: nothing would be lost.
TEST_F(ScenarioTest, TheCloseBoxClosesAnUnchangedDefinition)
{
    start();
    openDefinition(Monthly);
    dialogs.clearShown();
    EXPECT_TRUE(closeBoxEndsTheProgram());
    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(
        valueOnMain(
            QStringLiteral("SELECT COUNT(*) FROM MA_PANELCTA WHERE NOMBRE = '%1'").arg(Monthly))
            .toInt(),
        4);
}

} // namespace
