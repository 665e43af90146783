#include "data/db_dll.h"
#include "lib_frm_cons3_fixture.h"
#include "lookup/lib_frm_cons3_rules.h"
#include "services_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <optional>

namespace {

namespace msgbox = platform::msgbox;
using list_dialog_testing::ListDialogTest;
using lookup::Lib_FrmCons3;

const QString Clients = QStringLiteral("SELECT CODIGO, NOMBRE FROM VT_CLIENTES ORDER BY CODIGO");

class InteractionTest : public ListDialogTest
{
protected:
    // Keys go where the keyboard sends them: a search box's to the box, which holds the focus
    // for its text field.
    static void press(QWidget &widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(&widget, key, modifiers);
    }

    static QLineEdit &searchBox(Lib_FrmCons3 &dialog, int index)
    {
        return *dialog.CmbSearch(index).lineEdit();
    }
};

TEST_F(InteractionTest, TypingInASearchBoxSelectsTheFirstRowStartingWithTheText)
{
    struct Case
    {
        int box;
        const char *text;
        int selected; // row 2 is selected before
    };
    const Case cases[] = {
        {1, "", 1}, {1, "MARC", 3}, {1, "  ju ", 2}, {0, "c4", 4}, {1, "zz", 2}, {0, "C", 1},
    };
    auto dialog = loaded(Clients);
    for (const Case &c : cases) {
        dialog->CmbSearch(c.box).setEditText(QStringLiteral("x"));
        dialog->ListView1().selectRow(2);
        dialog->CmbSearch(c.box).setEditText(QString::fromLatin1(c.text));
        EXPECT_EQ(selectedRow(*dialog), c.selected) << c.box << " " << c.text;
    }
}

TEST_F(InteractionTest, BusquedaAndIndiceColumnaCountFromOne)
{
    auto dialog = loaded(Clients);
    EXPECT_EQ(dialog->Busqueda(0, QStringLiteral("C3")), 3);
    EXPECT_EQ(dialog->Busqueda(-1, QStringLiteral("c2")), 2);
    EXPECT_EQ(dialog->Busqueda(1, QStringLiteral("ana")), 4);
    EXPECT_EQ(dialog->Busqueda(1, QStringLiteral("Zorro")), 0);
    EXPECT_EQ(dialog->IndiceColumna(QStringLiteral(" nombre ")), 2);
    EXPECT_EQ(dialog->IndiceColumna(QStringLiteral("CODIGO")), 1);
    EXPECT_EQ(dialog->IndiceColumna(QStringLiteral("SALDO")), 0);
}

TEST_F(InteractionTest, F5NarrowsTheStatementOnTheServerAndNuevaBusquedaUndoesIt)
{
    struct Search
    {
        int box;
        const char *text;
        const char *statement;
        int rows;
    };
    struct Case
    {
        const char *sql;
        bool anywhere;
        std::vector<Search> searches;
    };
    const Case cases[] = {
        {"SELECT CODIGO, NOMBRE FROM VT_CLIENTES ORDER BY NOMBRE",
         true,
         {{1, "juan per",
           "SELECT CODIGO, NOMBRE FROM VT_CLIENTES  where NOMBRE like '%juan%per%' ORDER BY "
           "NOMBRE  ",
           1},
          {0, "C",
           "SELECT CODIGO, NOMBRE FROM VT_CLIENTES  where NOMBRE like '%juan%per%'  and CODIGO "
           "like '%C%' ORDER BY NOMBRE   ",
           1}}},
        {"SELECT CODIGO, NOMBRE FROM VT_CLIENTES ORDER BY NOMBRE",
         false,
         {{1, "ju*an",
           "SELECT CODIGO, NOMBRE FROM VT_CLIENTES  where NOMBRE like 'ju%an%' ORDER BY NOMBRE  ",
           1}}},
        {"SELECT CODIGO, NOMBRE FROM VT_CLIENTES",
         true,
         {{1, "", "SELECT CODIGO, NOMBRE FROM VT_CLIENTES  where NOMBRE like '%%'  ", 4}}},
        {"SELECT NOMBRE, COUNT(*) AS N FROM VT_CLIENTES GROUP BY NOMBRE ORDER BY NOMBRE",
         false,
         {{0, "mar",
           "SELECT NOMBRE, COUNT(*) AS N FROM VT_CLIENTES  where NOMBRE like 'mar%' GROUP BY "
           "NOMBRE ORDER BY NOMBRE  ",
           2}}},
        {"SELECT CODIGO, NOMBRE FROM VT_CLIENTES",
         false,
         {{1, "Ana O'N", "SELECT CODIGO, NOMBRE FROM VT_CLIENTES  where NOMBRE like 'Ana O''N%'  ",
           1}}},
    };
    for (const Case &c : cases) {
        const QString sql = QString::fromLatin1(c.sql);
        auto dialog = loaded(sql, [&](Lib_FrmCons3 &d) { d.CfgUsaConsultaLIKE = c.anywhere; });
        for (const Search &search : c.searches) {
            dialog->CmbSearch(search.box).setEditText(QString::fromLatin1(search.text));
            press(dialog->CmbSearch(search.box), Qt::Key_F5);
            EXPECT_EQ(dialog->SQL, QString::fromLatin1(search.statement)) << c.sql;
            EXPECT_EQ(dialog->ListView1().rowCount(), search.rows) << search.statement;
            EXPECT_EQ(dialog->CmbSearch(search.box).currentText(), QString()) << c.sql;
        }
        dialog->CmdNueva().click();
        EXPECT_EQ(dialog->SQL, sql + QStringLiteral("  ")) << c.sql;
        EXPECT_EQ(dialog->ListView1().rowCount(), 4) << c.sql;
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(InteractionTest, AHeaderClickSortsByThatColumnTogglingTheOrder)
{
    auto dialog = loaded(Clients);
    lookup::ListView &list = dialog->ListView1();
    whileShown(*dialog, [&] {
        const auto clickHeader = [&](int column) {
            QHeaderView *header = list.header();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column - 1) + 5, 5));
        };
        clickHeader(2);
        EXPECT_EQ(columnValues(*dialog, 2),
                  (QStringList{"Maria Lopez", "marcos Diaz", "Juan Perez", "Ana O'Neil"}));
        clickHeader(2);
        EXPECT_EQ(columnValues(*dialog, 2),
                  (QStringList{"Ana O'Neil", "Juan Perez", "marcos Diaz", "Maria Lopez"}));
        clickHeader(1);
        EXPECT_EQ(columnValues(*dialog, 1), (QStringList{"C4", "C3", "C2", "C1"}));
        dialog->cmdCancelar().click();
    });
}

// The quantity keys change the quantity cell of the selected row.
class QuantityTest : public InteractionTest
{
protected:
    void SetUp() override
    {
        InteractionTest::SetUp();
        runOnMain(QStringLiteral("CREATE TABLE PEDIDO (IDARTICULO varchar(25), CANTIDAD "
                                 "varchar(10))"));
    }

    std::unique_ptr<Lib_FrmCons3> order(const QString &quantity, bool usaCantidades = true)
    {
        runOnMain(QStringLiteral("DELETE FROM PEDIDO"));
        runOnMain(QStringLiteral("INSERT INTO PEDIDO VALUES ('A1', '%1')").arg(quantity));
        auto dialog = loaded(QStringLiteral("SELECT IDARTICULO, CANTIDAD AS [**Cantidad**] FROM "
                                            "PEDIDO"),
                             [&](Lib_FrmCons3 &d) {
                                 d.CheckBoxes = true;
                                 d.UsaCantidades = usaCantidades;
                             });
        dialog->ListView1().selectRow(1);
        return dialog;
    }
};

TEST_F(QuantityTest, InsertAndDeleteStepTheQuantityAndItsCheckMark)
{
    struct Case
    {
        const char *before;
        bool checkedBefore;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool comma;
        const char *after;
        bool checkedAfter;
    };
    const Case cases[] = {
        {"1.0", true, Qt::Key_Delete, {}, false, "0.00", false},
        {"0.00", false, Qt::Key_Delete, {}, false, "0.00", false},
        {"", false, Qt::Key_Delete, {}, false, "0.00", false},
        {"3.0", true, Qt::Key_Delete, {}, false, "2.0", true},
        {"", false, Qt::Key_Insert, {}, false, "1.0", true},
        {" 1 2.5x", false, Qt::Key_Insert, {}, false, "13.5", true},
        {"1,5", false, Qt::Key_Insert, {}, true, "2,0", true},
        {"2", false, Qt::Key_Insert, Qt::ControlModifier, false, "2", false},
        {"2", true, Qt::Key_Delete, Qt::AltModifier, false, "2", true},
        {"2", true, Qt::Key_Delete, Qt::ShiftModifier, false, "2", true},
    };
    for (const Case &c : cases) {
        const core_testing::ScopedRegionalSettings settings(
            c.comma ? platform::RegionalSettings::spanishArgentina()
                    : core_testing::englishSettings());
        auto dialog = order(QString::fromLatin1(c.before));
        dialog->ListView1().setChecked(1, c.checkedBefore);
        press(dialog->ListView1(), c.key, c.modifiers);
        EXPECT_EQ(dialog->ListView1().cell(1, 2), QString::fromLatin1(c.after)) << c.before;
        EXPECT_EQ(dialog->ListView1().isChecked(1), c.checkedAfter) << c.before;
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(QuantityTest, ShiftInsertAsksForTheQuantity)
{
    struct Case
    {
        const char *answer;
        const char *after;
        bool checked;
    };
    const Case cases[] = {
        {"3", "3.00", true}, {" 2.456 ", "2.46", true}, {"0", "1.0", false},
        {"", "1.0", false},  {"abc", "1.0", false},
    };
    const core_testing::ScopedRegionalSettings settings(core_testing::englishSettings());
    for (const Case &c : cases) {
        auto dialog = order(QStringLiteral("1.0"));
        dialogs.type(QString::fromLatin1(c.answer));
        press(dialog->ListView1(), Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(dialogs.last().kind, testing_support::ScriptedDialogs::Shown::Kind::InputBox);
        EXPECT_EQ(dialogs.last().text, QStringLiteral("Ingrese la Cantidad del Articulo..."));
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Carga de Datos"));
        EXPECT_EQ(dialog->ListView1().cell(1, 2), QString::fromLatin1(c.after)) << c.answer;
        EXPECT_EQ(dialog->ListView1().isChecked(1), c.checked) << c.answer;
    }
}

TEST_F(QuantityTest, QuantityKeysDoNothingWhileQuantitiesAreOff)
{
    auto dialog = order(QStringLiteral("1.0"), false);
    for (const Qt::Key key : {Qt::Key_Insert, Qt::Key_Delete})
        press(dialog->ListView1(), key);
    EXPECT_EQ(dialog->ListView1().cell(1, 2), QStringLiteral("1.0"));
    EXPECT_FALSE(dialog->ListView1().isChecked(1));
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(QuantityTest, AQuantityKeyWithoutARowOrAQuantityColumnIsReported)
{
    auto noRow = order(QStringLiteral("1.0"));
    noRow->ListView1().clearSelection();
    dialogs.answer(msgbox::Abort);
    press(noRow->ListView1(), Qt::Key_Insert);
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_TRUE(dialogs.last().title.contains(QStringLiteral("ListView1_KeyDown")));

    auto noColumn = loaded(Clients, [](Lib_FrmCons3 &d) { d.UsaCantidades = true; });
    noColumn->ListView1().selectRow(1);
    dialogs.answer(msgbox::Ignore);
    press(noColumn->ListView1(), Qt::Key_Delete);
    ASSERT_EQ(dialogs.count(), 2);
    EXPECT_EQ(columnValues(*noColumn, 1), (QStringList{"C1", "C2", "C3", "C4"}));
}

TEST_F(InteractionTest, KeysTypedInTheListGoOnInTheLastSearchBox)
{
    auto dialog = loaded(Clients);
    whileShown(*dialog, [&] {
        QLineEdit &nameBox = searchBox(*dialog, 1);
        nameBox.setFocus();
        EXPECT_EQ(dialog->CmbSearch(1).palette().color(QPalette::Base), QColor(0, 255, 255));
        press(dialog->CmbSearch(1), Qt::Key_Down);
        EXPECT_TRUE(dialog->ListView1().hasFocus());
        EXPECT_EQ(dialog->CmbSearch(1).palette().color(QPalette::Base), QColor(Qt::white));

        lookup::ListView &list = dialog->ListView1();
        QTest::keyClicks(&list, QStringLiteral("jx"));
        EXPECT_EQ(nameBox.text(), QStringLiteral("jx"));
        list.setFocus();
        press(list, Qt::Key_Backspace);
        EXPECT_EQ(nameBox.text(), QStringLiteral("j"));
        EXPECT_EQ(selectedRow(*dialog), 2);
        list.setFocus();
        for (const Qt::Key ignored : {Qt::Key_F2, Qt::Key_F5, Qt::Key_Comma, Qt::Key_Minus}) {
            press(list, ignored);
            EXPECT_EQ(nameBox.text(), QStringLiteral("j"));
        }
        press(list, Qt::Key_Space);
        EXPECT_EQ(nameBox.text(), QStringLiteral("j "));
        list.setFocus();
        press(list, Qt::Key_1, Qt::KeypadModifier);
        EXPECT_EQ(nameBox.text(), QStringLiteral("j 1"));
        dialog->cmdCancelar().click();
    });
}

TEST_F(InteractionTest, SpaceTogglesTheCheckMarkOfAListWithCheckBoxes)
{
    auto dialog = loaded(Clients, [](Lib_FrmCons3 &d) { d.CheckBoxes = true; });
    whileShown(*dialog, [&] {
        lookup::ListView &list = dialog->ListView1();
        list.setFocus();
        list.selectRow(2);
        press(list, Qt::Key_Space);
        EXPECT_EQ(checkMarks(*dialog), (QList<bool>{false, true, false, false}));
        EXPECT_EQ(dialog->CmbSearch(0).currentText(), QString());
        dialog->cmdCancelar().click();
    });
}

TEST_F(InteractionTest, MarcarInvertsEveryCheckMark)
{
    auto dialog = loaded(Clients, [](Lib_FrmCons3 &d) { d.CheckBoxes = true; });
    dialog->ListView1().setChecked(3, true);
    dialog->CmdTodos().click();
    EXPECT_EQ(checkMarks(*dialog), (QList<bool>{true, true, false, true}));
    dialog->CmdTodos().click();
    EXPECT_EQ(checkMarks(*dialog), (QList<bool>{false, false, true, false}));
}

TEST_F(InteractionTest, AcceptLeavesTheChosenValuesInTheMembers)
{
    struct Case
    {
        const char *name;
        bool checkBoxes;
        QList<int> checked;
        int selected;
        const char *campoDevuelto;
        std::optional<QStringList> cmpsDevueltos;
        QStringList valores;
        const char *valorDevuelto;
        const char *campoDevueltoAfter;
    };
    const Case cases[] = {
        {"checked rows by the first column",
         true,
         {1, 3},
         0,
         "",
         {},
         {"C1", "C3"},
         "antes",
         "CODIGO"},
        {"checked rows by a named column",
         true,
         {4},
         0,
         "nombre",
         {},
         {"Ana O'Neil"},
         "antes",
         "nombre"},
        {"no checked row", true, {}, 2, "", {}, {}, "antes", "CODIGO"},
        {"checked rows of a missing column",
         true,
         {1, 2},
         0,
         "SALDO",
         {},
         {"", ""},
         "antes",
         "SALDO"},
        {"the last requested field",
         false,
         {},
         2,
         "",
         QStringList{"NOMBRE", "CODIGO"},
         {"Juan Perez", "C2"},
         "C2",
         ""},
        {"the returned field",
         false,
         {},
         2,
         "NOMBRE",
         QStringList{"CODIGO"},
         {"C2"},
         "Juan Perez",
         "NOMBRE"},
        {"a missing field reads empty",
         false,
         {},
         2,
         "",
         QStringList{"NOMBRE", "SALDO"},
         {"Juan Perez", ""},
         "",
         ""},
        {"no requested fields", false, {}, 3, "", std::nullopt, {}, "", ""},
    };
    for (const Case &c : cases) {
        auto dialog = loaded(Clients, [&](Lib_FrmCons3 &d) {
            d.CheckBoxes = c.checkBoxes;
            d.CampoDevuelto = QString::fromLatin1(c.campoDevuelto);
            if (c.cmpsDevueltos)
                d.CmpsDevueltos = std::make_shared<QStringList>(*c.cmpsDevueltos);
            d.ValorDevuelto = QStringLiteral("antes");
        });
        for (const int row : c.checked)
            dialog->ListView1().setChecked(row, true);
        if (c.selected)
            dialog->ListView1().selectRow(c.selected);
        const bool hidden = whileShown(*dialog, [&] { dialog->cmdAceptar().click(); });
        EXPECT_TRUE(hidden) << c.name;
        ASSERT_TRUE(dialog->Valores) << c.name;
        EXPECT_EQ(*dialog->Valores, c.valores) << c.name;
        EXPECT_EQ(dialog->ValorDevuelto, QVariant(QString::fromLatin1(c.valorDevuelto))) << c.name;
        EXPECT_EQ(dialog->CampoDevuelto, QString::fromLatin1(c.campoDevueltoAfter)) << c.name;
    }
    EXPECT_EQ(dialogs.count(), int(std::size(cases)));
}

TEST_F(InteractionTest, AcceptWithoutASelectedRowChangesNoMember)
{
    auto dialog = loaded(Clients, [](Lib_FrmCons3 &d) {
        d.CmpsDevueltos = std::make_shared<QStringList>(QStringList{"CODIGO"});
        d.ValorDevuelto = QStringLiteral("antes");
    });
    EXPECT_TRUE(whileShown(*dialog, [&] {
        dialog->ListView1().clearSelection();
        dialog->cmdAceptar().click();
    }));
    EXPECT_TRUE(dialog->Valores->isEmpty());
    EXPECT_EQ(dialog->ValorDevuelto, QVariant(QStringLiteral("antes")));
}

TEST_F(InteractionTest, ButtonCaptionsAreInThePlainFontTheyFit)
{
    auto dialog = loaded(Clients);
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        EXPECT_FALSE(button->font().bold()) << button->text().toStdString();
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text().remove(QLatin1Char('&'))),
                  button->width())
            << button->text().toStdString();
    }
}

TEST_F(InteractionTest, TheDialogOpensReadyForTypingAndEnterTakesTheCurrentRow)
{
    struct Case
    {
        const char *name;
        const char *initialFilter;
        const char *typed;
        const char *returned;
    };
    const Case cases[] = {
        {"Enter at once takes the first row", "", "", "C1"},
        {"typing searches in the first box", "", "c3", "C3"},
        {"an initial filter's row stays current", "C2", "", "C2"},
    };
    for (const Case &c : cases) {
        auto dialog = loaded(Clients, [&](Lib_FrmCons3 &d) {
            d.CampoDevuelto = QStringLiteral("CODIGO");
            d.FiltroInicial = QString::fromLatin1(c.initialFilter);
        });
        EXPECT_TRUE(whileShown(*dialog, [&] {
            QWidget *focused = QApplication::focusWidget();
            EXPECT_EQ(focused, &dialog->CmbSearch(0)) << c.name;
            if (!focused)
                return;
            QTest::keyClicks(focused, QString::fromLatin1(c.typed));
            QTest::keyClick(focused, Qt::Key_Return);
        })) << c.name;
        EXPECT_EQ(dialog->ValorDevuelto, QVariant(QString::fromLatin1(c.returned))) << c.name;
    }
}

// Every reload of the list, narrowed by F5 or back to the whole by "Nueva Busqueda", leaves the
// first row current as at opening, so Enter takes a row the user sees.
TEST_F(InteractionTest, AfterEveryReloadEnterTakesTheFirstRow)
{
    struct Case
    {
        const char *name;
        std::function<void(Lib_FrmCons3 &)> reload;
        const char *returned;
    };
    const Case cases[] = {
        {"F5 in a search box",
         [](Lib_FrmCons3 &dialog) {
             QTest::keyClicks(&searchBox(dialog, 1), QStringLiteral("mar"));
             press(searchBox(dialog, 1), Qt::Key_F5);
         },
         "C1"},
        {"F5, then Nueva Busqueda",
         [](Lib_FrmCons3 &dialog) {
             QTest::keyClicks(&searchBox(dialog, 1), QStringLiteral("marcos"));
             press(searchBox(dialog, 1), Qt::Key_F5);
             QTest::mouseClick(&dialog.CmdNueva(), Qt::LeftButton);
         },
         "C1"},
        {"F5 narrowing to a later row",
         [](Lib_FrmCons3 &dialog) {
             QTest::keyClicks(&searchBox(dialog, 1), QStringLiteral("juan"));
             press(searchBox(dialog, 1), Qt::Key_F5);
         },
         "C2"},
    };
    for (const Case &c : cases) {
        auto dialog = loaded(Clients, [](Lib_FrmCons3 &d) {
            d.CampoDevuelto = QStringLiteral("CODIGO");
            d.CfgUsaConsultaLIKE = true;
        });
        EXPECT_TRUE(whileShown(*dialog, [&] {
            c.reload(*dialog);
            EXPECT_GT(selectedRow(*dialog), 0) << c.name;
            ASSERT_TRUE(QApplication::focusWidget()) << c.name;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        })) << c.name;
        EXPECT_EQ(dialog->ValorDevuelto, QVariant(QString::fromLatin1(c.returned))) << c.name;
    }
}

TEST_F(InteractionTest, EnterAndADoubleClickInTheListAcceptAsAceptarDoes)
{
    const std::function<void(Lib_FrmCons3 &)> ways[] = {
        [](Lib_FrmCons3 &dialog) { QTest::keyClick(&dialog.ListView1(), Qt::Key_Return); },
        [](Lib_FrmCons3 &dialog) {
            lookup::ListView &list = dialog.ListView1();
            const QPoint cell = list.visualItemRect(list.topLevelItem(2)).center();
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell);
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell);
        },
    };
    for (const auto &way : ways) {
        auto dialog
            = loaded(Clients, [](Lib_FrmCons3 &d) { d.CampoDevuelto = QStringLiteral("NOMBRE"); });
        dialog->ListView1().selectRow(3);
        EXPECT_TRUE(whileShown(*dialog, [&] { way(*dialog); }));
        EXPECT_EQ(dialog->ValorDevuelto, QVariant(QStringLiteral("marcos Diaz")));
    }
}

TEST_F(InteractionTest, CancelEmptiesTheResultsWhateverWasChosen)
{
    const std::function<void(Lib_FrmCons3 &)> ways[] = {
        [](Lib_FrmCons3 &dialog) { dialog.cmdCancelar().click(); },
        [](Lib_FrmCons3 &dialog) { QTest::keyClick(&dialog.ListView1(), Qt::Key_Escape); },
    };
    for (const auto &way : ways) {
        auto caller = std::make_shared<QStringList>(QStringList{"CODIGO"});
        auto dialog = loaded(Clients, [&](Lib_FrmCons3 &d) {
            d.CheckBoxes = true;
            d.CmpsDevueltos = caller;
            d.ValorDevuelto = QStringLiteral("antes");
        });
        const lookup::StringCollection cantidades = dialog->Cantidades;
        dialog->ListView1().setChecked(1, true);
        dialog->ListView1().selectRow(1);
        EXPECT_TRUE(whileShown(*dialog, [&] { way(*dialog); }));
        EXPECT_EQ(dialog->ValorDevuelto, QVariant(QString()));
        EXPECT_EQ(dialog->Valores, nullptr);
        EXPECT_EQ(dialog->CmpsDevueltos, nullptr);
        EXPECT_EQ(dialog->Cantidades, cantidades);
        EXPECT_EQ(*caller, QStringList{"CODIGO"});
    }
}

TEST_F(InteractionTest, EachListedTableHasItsMaintenanceProgram)
{
    struct Case
    {
        const char *table;
        const char *program;
        const char *parameter;
    };
    const Case cases[] = {
        {"V_TA_RUBROS", "SHELL:V_TA_TABLAS", "V_TA_RUBROS"},
        {"v_ta_unidad", "SHELL:V_TA_TABLAS", "v_ta_unidad"},
        {"VT_CLIENTES", "SHELL:V_MA_CLIENTES", "1"},
        {"vt_proveedores", "SHELL:V_MA_CLIENTES", "0"},
        {"V_TA_TECNICOS", "SHELL:V_TA_Tecnicos", ""},
        {"V_TA_Vendedores", "SHELL:V_TA_VENDEDORES", ""},
        {"V_MA_ARTICULOS", "SHELL:V_MA_ARTICULOS", ""},
        {"VT_MA_ARTICULOS", "SHELL:V_MA_ARTICULOS", ""},
        {"MA_CUENTAS", "SHELL:V_TA_TABLAS", "MA_CUENTAS"},
    };
    for (const Case &c : cases) {
        const auto chosen = lookup::list_rules::maintenanceProgramFor(QString::fromLatin1(c.table));
        EXPECT_EQ(chosen.program, QString::fromLatin1(c.program)) << c.table;
        EXPECT_EQ(chosen.parameter, QString::fromLatin1(c.parameter)) << c.table;
    }
}

TEST_F(InteractionTest, NuevoStartsTheMaintenanceProgramOfTheListedTable)
{
    core_testing::RecordingLauncher launcher;
    auto dialog = loaded(QStringLiteral("SELECT CODIGO FROM  MA_CUENTAS"));
    auto clients = loaded(QStringLiteral("select codigo from vt_clientes where codigo > 'C1'"));
    dialog->CmdNuevo().click();
    clients->CmdNuevo().click();
    ASSERT_EQ(launcher.started.size(), 2u);
    // Two blanks after "from" leave no table name: the general table editor gets none.
    EXPECT_TRUE(launcher.started[0].program.endsWith(QStringLiteral("/V_TA_TABLAS")));
    EXPECT_TRUE(
        launcher.started[0].arguments.value(0).contains(QStringLiteral("@ParametroAdicional=;")));
    EXPECT_TRUE(launcher.started[1].program.endsWith(QStringLiteral("/V_MA_CLIENTES")));
    EXPECT_TRUE(
        launcher.started[1].arguments.value(0).contains(QStringLiteral("@ParametroAdicional=1;")));
    EXPECT_EQ(clients->ListView1().rowCount(), 3);
}

// F12 reports the selected article as a stock shortage.
class ShortageTest : public InteractionTest
{
protected:
    void SetUp() override
    {
        InteractionTest::SetUp();
        runOnMain(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION) VALUES "
                                 "('A1', ' Tornillo '), ('B2', 'Llave O''Brien')"));
    }

    QVariant shortages()
    {
        return valueOnMain(QStringLiteral("SELECT COUNT(*) FROM V_MV_FALTANTES"));
    }
};

TEST_F(ShortageTest, TheAnswerDecidesWhetherTheArticleIsReported)
{
    const QString articles
        = QStringLiteral("SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS ORDER BY IDARTICULO");
    auto dialog = loaded(articles);
    dialog->ListView1().selectRow(1);
    dialogs.answer(msgbox::No);
    press(dialog->ListView1(), Qt::Key_F12);
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(
        dialogs.last().text,
        QStringLiteral("Desea informar el articulo A1 Tornillo\r\ncomo un faltante de stock?"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Atención!"));
    EXPECT_EQ(dialogs.last().style, msgbox::YesNo | msgbox::Question);
    EXPECT_EQ(shortages(), QVariant(0));

    dialog->ListView1().selectRow(2);
    dialogs.answer(msgbox::Yes);
    press(dialog->CmbSearch(0), Qt::Key_F12, Qt::ShiftModifier);
    EXPECT_EQ(dialogs.count(), 2);
    platform::db::Recordset row;
    data::gDB().AbrirRecordset(QStringLiteral("SELECT * FROM V_MV_FALTANTES"), row);
    ASSERT_FALSE(row.eof());
    EXPECT_EQ(row.field("FechaHora").value().toDateTime(), FixedNow);
    EXPECT_EQ(row.field("IdArticulo").value(), QVariant(QStringLiteral("B2").rightJustified(25)));
    EXPECT_EQ(row.field("Descripcion").value(), QVariant(QStringLiteral("Llave O'Brien")));
    EXPECT_EQ(row.field("Usuario").value(), QVariant(data::gDB().gUsuario));
    data::gDB().CierraRecordset(row);
}

TEST_F(ShortageTest, F12DoesNothingOutsideArticleListsOrWithoutASelectedRow)
{
    auto clients = loaded(Clients);
    clients->ListView1().selectRow(1);
    press(clients->ListView1(), Qt::Key_F12);
    auto articles = loaded(QStringLiteral("SELECT IDARTICULO FROM V_MA_ARTICULOS WHERE 1 = 0"));
    press(articles->ListView1(), Qt::Key_F12);
    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_EQ(shortages(), QVariant(0));
}

} // namespace
