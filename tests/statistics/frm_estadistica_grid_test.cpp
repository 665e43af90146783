// The definition grid of the main window, its cell editor, the group rows with the group dialog,
// and the flexible grid they are built on, on a fresh embedded database with the demo data.

#include "data/db_dll.h"
#include "demo/suite_database.h"
#include "platform/error.h"
#include "platform/regional_settings.h"
#include "platform/suite/controles.h"
#include "platform/user_dialogs.h"
#include "statistics/frm_est_cta_gpo.h"
#include "statistics/frm_estadistica.h"
#include "statistics/msflexgrid.h"
#include "statistics_database_test.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <memory>

namespace {

using statistics::frm_Estadistica;
using statistics::FrmEstCtaGpo;
using statistics::MSFlexGrid;
using statistics_testing::answerGroupDialog;
using statistics_testing::child;
using statistics_testing::headerField;
using testing_support::ScriptedDialogs;
namespace msgbox = platform::msgbox;

enum Column { Group, Account, Description, Debit, Credit };

const QString DuplicateGroup = QStringLiteral(
    "El nombre ingresado ya fue asignado a un Grupo o a un Subgrupo, Ingrese otro, "
    "y vuelva a intentarlo");

class GridTest : public statistics_testing::StatisticsDatabaseTest
{
protected:
    void SetUp() override
    {
        StatisticsDatabaseTest::SetUp();
        insertSampleRows(4);
        window = std::make_unique<frm_Estadistica>();
        window->ArmarGrilla();
    }

    void TearDown() override
    {
        window.reset();
        StatisticsDatabaseTest::TearDown();
    }

    MSFlexGrid &grid() { return *child<MSFlexGrid>(*window, "MSFlexGrid1"); }
    QLineEdit &editor() { return *child<QLineEdit>(*window, "TxtEdit"); }
    bool editing() const { return !child<QLineEdit>(*window, "TxtEdit")->isHidden(); }

    // Definition lines below the header, each its five cells separated by "|".
    void setLines(const QStringList &lines)
    {
        grid().setRows(int(lines.size()) + 1);
        for (int row = 1; row <= lines.size(); ++row) {
            const QStringList cells = lines[row - 1].split(u'|');
            for (int col = 0; col < cells.size(); ++col)
                grid().setTextMatrix(row, col, cells[col]);
        }
    }

    QStringList lines() { return statistics_testing::gridLines(grid()); }

    void goTo(int row, int col)
    {
        grid().setRow(row);
        grid().setCol(col);
    }

    // Opens the editor on a cell as a double click does and types over its text.
    void editCell(int row, int col, const QString &typed)
    {
        goTo(row, col);
        window->MSFlexGridEdit(grid(), editor(), 32);
        ASSERT_TRUE(editing());
        editor().setText(typed);
    }

    QString dataField() const
    {
        return child<QLineEdit>(*window, "TxtEdit")
            ->property(platform::Controles::DataFieldProperty)
            .toString();
    }

    statistics_testing::FormState state() { return statistics_testing::FormState(*window); }

    std::unique_ptr<frm_Estadistica> window;
};

// ---- The flexible grid
// ----------------------------------------------------------------------------

TEST_F(GridTest, TheGridIsBuiltWithItsHeaderRowOnly)
{
    setLines({"Ventas|4101|Ventas||"});
    goTo(1, Credit);

    window->ArmarGrilla();

    EXPECT_EQ(grid().Cols(), 5);
    EXPECT_EQ(grid().Rows(), 1);
    EXPECT_EQ(grid().Row(), 0);
    const QStringList headers{"Grupo", "Cuenta", "Descripcion", "Debe(S/N)", "Haber(S/N)"};
    const int letters[] = {41, 15, 32, 9, 9};
    const int xWidth = window->fontMetrics().horizontalAdvance(QStringLiteral("X"));
    for (int col = 0; col < 5; ++col) {
        EXPECT_EQ(grid().TextMatrix(0, col), headers[col]);
        EXPECT_NEAR(grid().ColWidth(col), letters[col] * xWidth * MSFlexGrid::TwipsPerPixel,
                    MSFlexGrid::TwipsPerPixel * letters[col])
            << "column " << col;
    }
}

TEST_F(GridTest, ACellOutsideTheGridRaisesSubscriptOutOfRange)
{
    setLines({"Ventas|4101|Ventas||"});
    const std::function<void()> outside[] = {
        [&] { grid().TextMatrix(-1, 0); }, [&] { grid().TextMatrix(2, 0); },
        [&] { grid().TextMatrix(0, 5); },  [&] { grid().setRow(2); },
        [&] { grid().setCol(-1); },        [&] { grid().RemoveItem(0); },
    };
    for (const auto &access : outside) {
        try {
            access();
            ADD_FAILURE() << "no error raised";
        } catch (const platform::Error &error) {
            EXPECT_EQ(error.number(), MSFlexGrid::InvalidIndex);
        }
    }
}

TEST_F(GridTest, LeavingACellIsAnnouncedWhileItIsStillCurrent)
{
    setLines({"a|1|||", "b|2|||"});
    goTo(1, Account);
    QStringList events;
    QObject::connect(&grid(), &MSFlexGrid::LeaveCell, [&] {
        events << QStringLiteral("leave %1,%2").arg(grid().Row()).arg(grid().Col());
    });
    QObject::connect(&grid(), &MSFlexGrid::EnterCell, [&] {
        events << QStringLiteral("enter %1,%2").arg(grid().Row()).arg(grid().Col());
    });

    grid().setCurrentCell(1, Debit); // as a click on the second line does

    EXPECT_EQ(events, (QStringList{"leave 1,1", "enter 2,3"}));
}

// ---- Editor settings by column ------------------------------------------------------------------

TEST_F(GridTest, TheEditorTakesTheRuleTableAndLengthOfItsColumn)
{
    struct Case
    {
        int column;
        QString dataField;
        QString tag;
        int maxLength;
    };
    const int unlimited = QLineEdit().maxLength();
    const Case cases[] = {
        {Account, "CUENTA", "MA_CUENTAS", 15},
        {Debit, "DEBE", "", 1},
        {Credit, "HABER", "", 1},
        {Group, "", "", unlimited},
        {Description, "", "", unlimited},
    };
    for (const Case &c : cases) {
        window->TextPropiedades(child<QLineEdit>(*window, "TxtEdit"),
                                Account); // what the last column left behind
        window->TextPropiedades(child<QLineEdit>(*window, "TxtEdit"), c.column);
        EXPECT_EQ(dataField(), c.dataField) << "column " << c.column;
        EXPECT_EQ(editor().property(platform::Controles::TagProperty).toString(), c.tag);
        EXPECT_EQ(editor().maxLength(), c.maxLength);
    }

    // Any control other than the cell editor is left alone.
    window->TextPropiedades(headerField(*window, 0), Account);
    EXPECT_EQ(headerField(*window, 0)->property(platform::Controles::DataFieldProperty).toString(),
              QStringLiteral("NOMBRE"));
}

// ---- Starting an edit ---------------------------------------------------------------------------

TEST_F(GridTest, AnEditOpensOnlyOnTypedCellsAndTypingReplacesTheValue)
{
    struct Case
    {
        int row;
        int column;
        int keyAscii;
        bool opens;
        QString editorText;
        int caret;
    };
    const Case cases[] = {
        {1, Group, 32, false, {}, 0},      {1, Description, 32, false, {}, 0},
        {0, Account, 32, false, {}, 0}, // the header row is no definition line
        {1, Account, 32, true, "1101", 4}, // double click: the value, caret at its end
        {1, Account, '7', true, "7", 1}, // a typed digit replaces the value
        {1, Debit, 13, true, "S", 1}, // Enter edits the value too
        {1, Credit, 8, true, "N", 1}, // so does Backspace
    };
    for (const Case &c : cases) {
        setLines({"Caja|1101|Caja|S|N"});
        goTo(c.row, c.column);
        editor().hide();

        window->MSFlexGridEdit(grid(), editor(), c.keyAscii);

        EXPECT_EQ(editing(), c.opens) << "row " << c.row << " column " << c.column;
        if (!c.opens)
            continue;
        EXPECT_EQ(editor().text(), c.editorText);
        EXPECT_EQ(editor().cursorPosition(), c.caret);
        // Laid over the cell it edits.
        const QRect cell = grid().visualItemRect(grid().item(c.row - 1, c.column));
        EXPECT_EQ(editor().geometry().topLeft(),
                  grid().viewport()->mapTo(editor().parentWidget(), cell.topLeft()));
        EXPECT_EQ(editor().width(), grid().columnWidth(c.column));
    }
}

TEST_F(GridTest, ADoubleClickOrAKeyOnTheGridOpensTheEditorForTheCurrentColumn)
{
    setLines({"Caja|1101|Caja|S|N"});
    goTo(1, Account);

    QTest::keyClick(&grid(), Qt::Key_7);

    EXPECT_TRUE(editing());
    EXPECT_EQ(editor().text(), QStringLiteral("7"));
    EXPECT_EQ(state().ControlActivo, child<QLineEdit>(*window, "TxtEdit"));
    EXPECT_EQ(dataField(), QStringLiteral("CUENTA"));

    editor().hide();
    goTo(1, Debit);
    Q_EMIT grid().DblClick();
    EXPECT_TRUE(editing());
    EXPECT_EQ(editor().text(), QStringLiteral("S"));
    EXPECT_EQ(dataField(), QStringLiteral("DEBE"));
}

// ---- Ending an edit and moving ------------------------------------------------------------------

TEST_F(GridTest, EnterCommitsTheEditAndMovesToTheNextTypedCell)
{
    struct Case
    {
        int row;
        int column;
        int rowAfter;
        int columnAfter;
        int rowsAfter;
    };
    const Case cases[] = {
        {1, Group, 1, Account, 3},
        {1, Account, 1, Debit, 3},
        {1, Description, 1, Debit, 3},
        {1, Debit, 1, Credit, 3},
        {1, Credit, 2, Account, 3},
        {2, Credit, 3, Account, 4}, // the last line gains a new one below
    };
    for (const Case &c : cases) {
        setLines({"Caja|1101|Caja|S|N", "|1102|Banco|S|S"});
        goTo(c.row, c.column);
        window->TextPropiedades(child<QLineEdit>(*window, "TxtEdit"), c.column);
        editor().setText(QStringLiteral("Q"));
        editor().show();

        window->EditKeyCode(grid(), editor(), platform::keys::Enter);

        EXPECT_FALSE(editing());
        EXPECT_EQ(grid().TextMatrix(c.row, c.column), QStringLiteral("Q"));
        EXPECT_EQ(grid().Row(), c.rowAfter) << "from " << c.row << "," << c.column;
        EXPECT_EQ(grid().Col(), c.columnAfter) << "from " << c.row << "," << c.column;
        EXPECT_EQ(grid().Rows(), c.rowsAfter);
    }
    EXPECT_EQ(lines().last(), QStringLiteral("||||"));
}

// Tab walks the typed cells as Enter does and Shift+Tab walks them back; neither leaves the grid.
TEST_F(GridTest, TabAndShiftTabCommitTheEditAndWalkTheTypedCells)
{
    struct Case
    {
        int row;
        int column;
        Qt::Key key; // Backtab is Shift+Tab
        int rowAfter;
        int columnAfter;
        int rowsAfter;
    };
    const Case cases[] = {
        {1, Account, Qt::Key_Tab, 1, Debit, 3},
        {1, Credit, Qt::Key_Tab, 2, Account, 3},
        {2, Credit, Qt::Key_Tab, 3, Account, 4}, // the last line gains a new one below
        {1, Credit, Qt::Key_Backtab, 1, Debit, 3},
        {1, Debit, Qt::Key_Backtab, 1, Account, 3},
        {2, Account, Qt::Key_Backtab, 1, Credit, 3},
        {1, Account, Qt::Key_Backtab, 1, Account, 3}, // the first typed cell stays
    };
    for (const Case &c : cases) {
        setLines({"Caja|1101|Caja|S|N", "|1102|Banco|S|S"});
        goTo(c.row, c.column);
        window->MSFlexGridEdit(grid(), editor(), 32);
        ASSERT_TRUE(editing());

        QTest::keyClick(&editor(), c.key,
                        c.key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);

        EXPECT_FALSE(editing());
        EXPECT_EQ(grid().Row(), c.rowAfter) << "from " << c.row << "," << c.column;
        EXPECT_EQ(grid().Col(), c.columnAfter) << "from " << c.row << "," << c.column;
        EXPECT_EQ(grid().Rows(), c.rowsAfter);
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(GridTest, UpDownAndEscapeEndTheEditAsTheirKeySays)
{
    struct Case
    {
        int key;
        int row;
        int rowAfter;
        int columnAfter;
        QString cellAfter;
    };
    const Case cases[] = {
        {platform::keys::Up, 2, 1, Debit, "X"},
        {platform::keys::Up, 1, 1, Debit, "X"}, // never into the header row
        {platform::keys::Down, 1, 2, Description, "X"},
        {platform::keys::Down, 2, 2, Debit, "X"}, // the last line stays
        {platform::keys::Escape, 1, 1, Debit, "S"}, // the typed text is dropped
    };
    for (const Case &c : cases) {
        setLines({"Caja|1101|Caja|S|N", "|1102|Banco|S|S"});
        goTo(c.row, Debit);
        editor().setText(QStringLiteral("X"));
        editor().show();

        window->EditKeyCode(grid(), editor(), c.key);

        EXPECT_FALSE(editing());
        EXPECT_EQ(grid().TextMatrix(c.row, Debit), c.cellAfter) << "key " << c.key;
        EXPECT_EQ(grid().Row(), c.rowAfter) << "key " << c.key << " from row " << c.row;
        EXPECT_EQ(grid().Col(), c.columnAfter) << "key " << c.key << " from row " << c.row;
    }
}

TEST_F(GridTest, AValueIsCheckedBeforeTheEditorLetsItGo)
{
    const QString rent
        = valueOnMain(QStringLiteral("SELECT DESCRIPCION FROM MA_CUENTAS WHERE CODIGO = '5202'"))
              .toString();
    struct Case
    {
        int column;
        QString refused;
        QString message;
        QString accepted;
        QStringList linesAfter;
        int rowAfter;
        int columnAfter;
    };
    const Case cases[] = {
        // A known account is written with its description; the edit goes on to the debit flag.
        {Account,
         "9999",
         "La Cuenta Informada es inexistente!",
         "5202",
         {"Caja|5202|" + rent + "|S|N"},
         1,
         Debit},
        // The credit flag is the line's last cell: a new line follows.
        {Credit, "x", "Debe Informar S o N", "S", {"Caja|1101|Caja|S|S", "||||"}, 2, Account},
    };
    for (const Case &c : cases) {
        window->ArmarGrilla();
        setLines({"Caja|1101|Caja|S|N"});
        dialogs.clearShown();

        // A refused value keeps the editor open on the typed text, and nothing moves.
        editCell(1, c.column, c.refused);
        dialogs.answer(msgbox::Ok);
        QTest::keyClick(&editor(), Qt::Key_Return);
        ASSERT_EQ(dialogs.count(), 1);
        EXPECT_EQ(dialogs.last().text, c.message);
        EXPECT_TRUE(editing());
        EXPECT_EQ(editor().text(), c.refused);
        EXPECT_EQ(grid().Col(), c.column);
        EXPECT_EQ(lines(), QStringList{"Caja|1101|Caja|S|N"});

        editor().setText(c.accepted);
        QTest::keyClick(&editor(), Qt::Key_Return);
        EXPECT_EQ(dialogs.count(), 1);
        EXPECT_FALSE(editing());
        EXPECT_EQ(lines(), c.linesAfter);
        EXPECT_EQ(grid().Row(), c.rowAfter);
        EXPECT_EQ(grid().Col(), c.columnAfter);
    }
}

TEST_F(GridTest, EscapeAbandonsAnEditWithoutCheckingWhatWasTyped)
{
    setLines({"Caja|1101|Caja|S|N"});

    for (const QString &typed : {QStringLiteral("9999"), QStringLiteral("5202")}) {
        editCell(1, Account, typed);
        QTest::keyClick(&editor(), Qt::Key_Escape);

        EXPECT_EQ(dialogs.count(), 0) << typed.toStdString();
        EXPECT_FALSE(editing());
        EXPECT_EQ(lines(), QStringList{"Caja|1101|Caja|S|N"}) << typed.toStdString();
    }
}

TEST_F(GridTest, ScrollingTheGridWhileEditingConfirmsTheEditFirst)
{
    QStringList many;
    for (int line = 0; line < 60; ++line)
        many << QStringLiteral("|1101|Caja|S|N");
    setLines(many);
    window->show();
    editCell(1, Debit, QStringLiteral("N"));

    grid().verticalScrollBar()->setValue(grid().verticalScrollBar()->value() + 5);

    EXPECT_FALSE(editing());
    EXPECT_EQ(grid().TextMatrix(1, Debit), QStringLiteral("N"));
    EXPECT_EQ(grid().Col(), Credit);
}

TEST_F(GridTest, SavingOrReportingCommitsTheOpenEditFirst)
{
    for (const char *command : {"GRABAR", "REPORTE"}) {
        SCOPED_TRACE(command);
        setLines({"Caja|1101|Caja|S|N"});
        editCell(1, Debit, QStringLiteral("N"));
        dialogs.answer(platform::msgbox::Ok); // the nameless header is refused after the commit

        QString clave = QString::fromLatin1(command);
        window->BrezaCtl1_Accion(clave);

        EXPECT_FALSE(editing());
        EXPECT_EQ(lines(), QStringList{"Caja|1101|Caja|N|N"});
    }
}

TEST_F(GridTest, ClickingAnotherCellCommitsTheOpenEdit)
{
    setLines({"Caja|1101|Caja|S|N", "|1102|Banco|S|S"});
    window->show();
    editCell(1, Debit, QStringLiteral("N"));

    const QRect target = grid().visualItemRect(grid().item(1, Credit));
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, target.center());

    EXPECT_FALSE(editing());
    EXPECT_EQ(lines(), (QStringList{"Caja|1101|Caja|N|N", "|1102|Banco|S|S"}));
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_EQ(dataField(), QStringLiteral("HABER"));
}

// ---- Insert and Delete --------------------------------------------------------------------------

TEST_F(GridTest, InsertAddsALineBelowAndDeleteRemovesAllButTheLastLine)
{
    struct Case
    {
        QStringList before;
        int row;
        Qt::Key key;
        QStringList after;
    };
    const Case cases[] = {
        {{}, 0, Qt::Key_Insert, {"||||"}}, // the first line of an empty grid
        {{"a||||", "b||||"}, 1, Qt::Key_Insert, {"a||||", "||||", "b||||"}},
        {{"a||||", "b||||"}, 2, Qt::Key_Insert, {"a||||", "b||||", "||||"}},
        {{"a||||"}, 1, Qt::Key_Delete, {"a||||"}}, // the last line stays
        {{"a||||", "b||||", "c||||"}, 2, Qt::Key_Delete, {"a||||", "c||||"}},
        {{"a||||", "b||||"}, 2, Qt::Key_Delete, {"a||||"}},
        {{"a||||", "b||||"}, 0, Qt::Key_Delete, {"a||||", "b||||"}}, // nor the header
        // The line naming a group hands its label to the line below that continues it.
        {{"Ventas (+)|4101|||", "|4102|||"}, 1, Qt::Key_Delete, {"Ventas (+)|4102|||"}},
        {{"Ventas|4101|||", "Costos|5101|||"}, 1, Qt::Key_Delete, {"Costos|5101|||"}},
        {{"Ventas|4101|||", "|4102|||", "|4103|||"},
         2,
         Qt::Key_Delete,
         {"Ventas|4101|||", "|4103|||"}},
        {{"a||||", "b||||"}, 1, Qt::Key_F5, {"a||||", "b||||"}},
    };
    for (const Case &c : cases) {
        window->ArmarGrilla();
        setLines(c.before);
        goTo(c.row, Account);

        QTest::keyClick(&grid(), c.key);

        EXPECT_EQ(lines(), c.after) << "key " << c.key << " on row " << c.row << " of "
                                    << c.before.join(u',').toStdString();
        EXPECT_EQ(grid().TextMatrix(0, Group), QStringLiteral("Grupo"));
        EXPECT_LT(grid().Row(), grid().Rows());
    }
    EXPECT_EQ(dialogs.count(), 0);
}

// ---- Group names --------------------------------------------------------------------------------

TEST_F(GridTest, AGroupNameIsTakenWhenAnotherRowHoldsTheWholeLabel)
{
    setLines({"Ventas (+)|4101|Ventas||", "Costos|5101|Costo||", "|5202|Alquileres||"});
    struct Case
    {
        QString name;
        int currentRow;
        bool taken;
    };
    const Case cases[] = {
        {"Ventas", 3, false}, // a signed label is another name
        {"ventas (+)", 3, true}, {"  COSTOS ", 3, true}, // trimmed, case ignored
        {"Costos", 2, false}, // the current row's own group
        {"Grupo", 3, true}, // the column's header
        {"grupo", 1, true},      {"Gastos", 3, false},
        {"", 2, true}, // the third line has no group either
    };
    for (const Case &c : cases) {
        grid().setRow(c.currentRow);
        EXPECT_EQ(window->ExisteGrupo(c.name), c.taken)
            << c.name.toStdString() << " from row " << c.currentRow;
    }
}

TEST_F(GridTest, TheGroupDialogGivesTheTrimmedNameAndTheChosenSign)
{
    struct Case
    {
        QString typed;
        int signItem;
        bool accept;
        QString group;
        QString sign;
    };
    const Case cases[] = {
        {"  Ventas ", 0, true, "Ventas", ""},
        {"Ventas", 1, true, "Ventas", "+"},
        {"Costos", 2, true, "Costos", "-"},
        {"Costos", 2, false, "", ""},
    };
    for (const Case &c : cases) {
        FrmEstCtaGpo dialog;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Generar Grupo"));
        EXPECT_EQ(dialog.cboSigno->count(), 3);
        EXPECT_EQ(dialog.cboSigno->itemText(1), QStringLiteral("Positivo"));
        EXPECT_EQ(dialog.cboSigno->itemText(2), QStringLiteral("Negativo"));
        EXPECT_EQ(dialog.cboSigno->currentIndex(), 0);
        EXPECT_TRUE(dialog.pGrupo.isEmpty() && dialog.pSigno.isEmpty());

        dialogs.onDialog(answerGroupDialog(c.typed, c.signItem, c.accept));
        const int result = platform::userDialogs().execModal(dialog);

        EXPECT_EQ(result, c.accept ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(dialog.pGrupo, c.group) << c.typed.toStdString();
        EXPECT_EQ(dialog.pSigno, c.sign) << c.typed.toStdString();
    }
}

TEST_F(GridTest, ClosingTheGroupDialogLeavesNoName)
{
    FrmEstCtaGpo dialog;
    dialogs.onDialog([](QDialog &shown) {
        auto &group = dynamic_cast<FrmEstCtaGpo &>(shown);
        group.txtGrupo->setText(QStringLiteral("Ventas"));
        group.cboSigno->setCurrentIndex(1);
        group.close();
        return group.result();
    });

    platform::userDialogs().execModal(dialog);

    EXPECT_TRUE(dialog.pGrupo.isEmpty());
    EXPECT_TRUE(dialog.pSigno.isEmpty());
}

TEST_F(GridTest, ANewGroupLabelsTheCurrentLineAndMovesToItsAccount)
{
    struct Case
    {
        QString typed;
        int signItem;
        QString label;
    };
    const Case cases[] = {
        {"Ventas", 0, "Ventas"},
        {"Ventas", 2, "Ventas (-)"},
        {" Costos ", 2, "Costos (-)"},
        {"Ingresos", 1, "Ingresos (+)"},
    };
    for (const Case &c : cases) {
        window->ArmarGrilla();
        setLines({"Caja y bancos|1101|Caja|S|S", "||||"});
        goTo(2, Group);
        dialogs.onDialog(answerGroupDialog(c.typed, c.signItem, true));

        window->AgregarGrupo();

        EXPECT_EQ(lines(), (QStringList{"Caja y bancos|1101|Caja|S|S", c.label + "||||"}));
        EXPECT_EQ(grid().Row(), 2);
        EXPECT_EQ(grid().Col(), Account);
    }
    EXPECT_EQ(dialogs.count(), int(std::size(cases)));
}

TEST_F(GridTest, ARefusedOrCancelledGroupChangesNothing)
{
    struct Case
    {
        QString typed;
        int signItem;
        bool accept;
        bool refused;
    };
    const Case cases[] = {
        {"Ventas", 1, false, false}, // cancelled
        {"   ", 1, true, false}, // no name
        {"caja Y BANCOS", 0, true, true}, // another line's group
        {"grupo", 0, true, true}, // the header
    };
    for (const Case &c : cases) {
        setLines({"Caja y bancos|1101|Caja|S|S", "|1102|Banco|S|S"});
        goTo(2, Debit);
        dialogs.clearShown();
        dialogs.onDialog(answerGroupDialog(c.typed, c.signItem, c.accept));
        if (c.refused)
            dialogs.answer(msgbox::Ok);

        window->AgregarGrupo();

        EXPECT_EQ(lines(), (QStringList{"Caja y bancos|1101|Caja|S|S", "|1102|Banco|S|S"}))
            << c.typed.toStdString();
        EXPECT_EQ(grid().Col(), Debit);
        ASSERT_EQ(dialogs.count(), c.refused ? 2 : 1) << c.typed.toStdString();
        if (c.refused) {
            EXPECT_EQ(dialogs.last().text, DuplicateGroup);
            EXPECT_EQ(dialogs.last().title, QStringLiteral(" AVISO AL OPERADOR"));
            EXPECT_EQ(dialogs.last().style, msgbox::Critical | msgbox::OkOnly);
        }
    }
}

TEST_F(GridTest, AGroupMadeWhileTheHeaderIsCurrentGoesToTheFirstLine)
{
    // A fresh grid: the header row is current and there is no line yet.
    dialogs.onDialog(answerGroupDialog(QStringLiteral("Ventas"), 1, true));
    window->AgregarGrupo();
    EXPECT_EQ(grid().TextMatrix(0, Group), QStringLiteral("Grupo"));
    EXPECT_EQ(lines(), QStringList{"Ventas (+)||||"});
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_EQ(grid().Col(), Account);

    // The header's own name is still refused, and the line it would have gone to stays empty.
    window->ArmarGrilla();
    dialogs.onDialog(answerGroupDialog(QStringLiteral("Grupo"), 0, true));
    dialogs.answer(msgbox::Ok);
    window->AgregarGrupo();
    EXPECT_EQ(dialogs.last().text, DuplicateGroup);
    EXPECT_EQ(grid().Rows(), 1);
}

TEST_F(GridTest, OnlyTheFirstToolbarButtonAsksForAGroup)
{
    setLines({"||||"});
    goTo(1, Group);
    const QList<QAction *> buttons = child<QToolBar>(*window, "Toolbar1")->actions();
    ASSERT_EQ(buttons.size(), 4);

    for (int index = 1; index < 4; ++index)
        buttons[index]->trigger();
    EXPECT_EQ(dialogs.count(), 0);

    dialogs.onDialog(answerGroupDialog(QStringLiteral("Ventas"), 0, true));
    buttons[0]->trigger();
    EXPECT_EQ(dialogs.count(), 1);
    EXPECT_EQ(lines(), QStringList{"Ventas||||"});

    // F8 is the first button's key while a definition is being edited.
    window->ModoEdicion(true);
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    grid().setFocus();
    dialogs.onDialog(answerGroupDialog(QStringLiteral("Costos"), 2, true));
    QTest::keyClick(&grid(), Qt::Key_F8);
    EXPECT_EQ(dialogs.count(), 2);
    EXPECT_EQ(lines(), QStringList{"Costos (-)||||"});
}

} // namespace
