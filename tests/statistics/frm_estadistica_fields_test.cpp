// Header fields, validation, lookups, filter lists and grouping options of the main window, on a
// fresh embedded database with the demo data.

#include "data/db_dll.h"
#include "demo/suite_database.h"
#include "lookup/lib_frm_cons3.h"
#include "lookup/lib_frm_cons3_list_view.h"
#include "platform/brezakit/brezactl.h"
#include "platform/regional_settings.h"
#include "platform/user_dialogs.h"
#include "statistics/frm_estadistica.h"
#include "statistics/msflexgrid.h"
#include "statistics/statistic_filters.h"
#include "statistics_database_test.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <memory>

namespace {

using statistics::frm_Estadistica;
using statistics_testing::child;
using statistics_testing::chooseInList;
using statistics_testing::headerField;
using statistics_testing::headerFields;
using testing_support::ScriptedDialogs;
namespace msgbox = platform::msgbox;

const QString FailureTitle = QStringLiteral("Aviso al operador...");
const QString NameStatement
    = QStringLiteral("SELECT DISTINCT NOMBRE FROM MA_PANELCTA Where EsRanking = 0 ORDER BY NOMBRE");
const QString AccountStatement
    = QStringLiteral("SELECT CODIGO,DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO");

QStringList itemTexts(const QListWidget &list)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row)
        texts << list.item(row)->text();
    return texts;
}

int selectedCount(const QListWidget &list)
{
    return int(list.selectedItems().size());
}

class FieldsTest : public statistics_testing::StatisticsDatabaseTest
{
protected:
    void SetUp() override
    {
        StatisticsDatabaseTest::SetUp();
        insertSampleRows(8);
        window = std::make_unique<frm_Estadistica>();
        // The load sequence, not run here, gives the combos their entries; a stored definition
        // selects its positions in them.
        for (int position = 0; position < 7; ++position)
            child<QComboBox>(*window, "CmbPeriodicidad")->addItem(QString::number(position));
        for (int position = 0; position < 8; ++position)
            child<QComboBox>(*window, "CmbTG")->addItem(QString::number(position));
    }

    void TearDown() override
    {
        window.reset();
        StatisticsDatabaseTest::TearDown();
    }

    QLineEdit &nameField() { return *headerField(*window, 0); }
    QLineEdit &firstDateField() { return *headerField(*window, 1); }
    QLineEdit &lastDateField() { return *headerField(*window, 2); }

    // A grid with the header and one empty line, the editor serving the column of that line.
    void editLine(int column)
    {
        window->ArmarGrilla();
        child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->setRows(2);
        child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->setRow(1);
        child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->setCol(column);
        window->TextPropiedades(child<QLineEdit>(*window, "TxtEdit"), column);
    }

    QString cell(int row, int column) const
    {
        return child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->TextMatrix(row, column);
    }

    QString accountDescription(const QString &code)
    {
        return valueOnMain(QStringLiteral("SELECT DESCRIPCION FROM MA_CUENTAS WHERE CODIGO = '")
                           + code + QLatin1Char('\''))
            .toString();
    }

    // Shows the window and makes it the active one, so focus and keys reach its fields.
    void showActive()
    {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void expectOneFailure(const QString &message)
    {
        ASSERT_EQ(dialogs.count(), 1);
        EXPECT_EQ(dialogs.last().text, message);
        EXPECT_EQ(dialogs.last().title, FailureTitle);
        EXPECT_EQ(dialogs.last().style, msgbox::Critical | msgbox::OkOnly);
    }

    statistics_testing::FormState state() { return statistics_testing::FormState(*window); }

    std::unique_ptr<frm_Estadistica> window;
};

// ---- Lists --------------------------------------------------------------------------------------

TEST_F(FieldsTest, TheThreeListsShowTheDemoMastersWithTheirCodes)
{
    window->CargaCpte();
    window->CargarUNeg();
    window->CargarCCostos();

    // Ordered by description; the summary voucher type is never offered.
    EXPECT_EQ(itemTexts(*child<QListWidget>(*window, "LstCpte")),
              (QStringList{"Asiento manual (AS)", "Factura (FA)", "Nota de crédito (NC)",
                           "Orden de pago (OP)", "Recibo (RC)"}));
    // Ordered by code; the codes the suite pads to four characters show without the blanks.
    EXPECT_EQ(itemTexts(*child<QListWidget>(*window, "LstUNeg")),
              (QStringList{"Casa central (1)", "Sucursal norte (2)", "Sucursal sur (3)"}));
    // The grouping entry (title 1) is left out; a null title counts as a leaf.
    EXPECT_EQ(
        itemTexts(*child<QListWidget>(*window, "LstCCostos")),
        (QStringList{"Administración (1)", "Comercial (2)", "Logística (3)", "Producción (4)"}));
    for (const QListWidget *list :
         {child<QListWidget>(*window, "LstCpte"), child<QListWidget>(*window, "LstUNeg"),
          child<QListWidget>(*window, "LstCCostos")})
        EXPECT_EQ(selectedCount(*list), 0);
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(FieldsTest, ItemsKeepTheDescriptionAsStoredAndShowNullAsNothing)
{
    runOnMain(QStringLiteral("INSERT INTO TA_UNIDADNEGOCIO (CODIGO, Descripcion) VALUES ('07', "
                             "NULL), ('08  ', 'Oeste  ')"));
    runOnMain(QStringLiteral("INSERT INTO TA_CCOSTO (CODIGO, Descripcion, Titulo) VALUES ('  10', "
                             "NULL, 0), ('  11', 'Rubro', 1)"));
    runOnMain(QStringLiteral("INSERT INTO TA_CPTE (Codigo, Descripcion) VALUES ('ZZ ', 'Zeta')"));

    window->CargarUNeg();
    window->CargarCCostos();
    window->CargaCpte();

    EXPECT_EQ(itemTexts(*child<QListWidget>(*window, "LstUNeg")).mid(3),
              (QStringList{" (07)", "Oeste   (08)"}));
    EXPECT_EQ(itemTexts(*child<QListWidget>(*window, "LstCCostos")).mid(4), QStringList{" (10)"});
    // A voucher code is shown as stored.
    EXPECT_EQ(itemTexts(*child<QListWidget>(*window, "LstCpte")).last(),
              QStringLiteral("Zeta (ZZ )"));
}

TEST_F(FieldsTest, TheCodesOfSelectedItemsMakeTheRunsFilterLists)
{
    window->CargarUNeg();
    child<QListWidget>(*window, "LstUNeg")->item(0)->setSelected(true);
    child<QListWidget>(*window, "LstUNeg")->item(2)->setSelected(true);

    const statistics::FilterList units = statistics::buildFilterList(
        statistics::listItems(*child<QListWidget>(*window, "LstUNeg")),
        statistics::CodeForm::FixedWidth4, QStringLiteral("Todas"));

    // Padded again as the journal stores them, so the filter compares equal.
    EXPECT_EQ(units.codes, QStringLiteral("'   1','   3'"));
}

TEST_F(FieldsTest, AReloadReplacesTheItemsAndClearsTheSelection)
{
    window->CargaCpte();
    child<QListWidget>(*window, "LstCpte")->item(1)->setSelected(true);

    window->CargaCpte();

    EXPECT_EQ(child<QListWidget>(*window, "LstCpte")->count(), 5);
    EXPECT_EQ(selectedCount(*child<QListWidget>(*window, "LstCpte")), 0);
}

TEST_F(FieldsTest, AMasterThatCannotBeReadLeavesItsListEmptyAndTheWindowUsable)
{
    struct Case
    {
        const char *name;
        QStringList breakage;
        int boxesOfTheDataLayer;
    };
    const Case cases[] = {
        {"no rows", {QStringLiteral("DELETE FROM TA_UNIDADNEGOCIO")}, 0},
        // The data layer reports the statement; the list itself adds no message.
        {"missing view", {QStringLiteral("DROP VIEW V_TA_UNIDADNEGOCIO")}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        child<QListWidget>(*window, "LstUNeg")->addItem(QStringLiteral("Anterior (X)"));
        for (const QString &statement : c.breakage)
            runOnMain(statement);
        dialogs.clearShown();
        for (int box = 0; box < c.boxesOfTheDataLayer; ++box)
            dialogs.answer(msgbox::Abort);

        window->CargarUNeg();

        EXPECT_EQ(child<QListWidget>(*window, "LstUNeg")->count(), 0);
        EXPECT_EQ(dialogs.count(), c.boxesOfTheDataLayer);
    }
}

// ---- Select-all buttons -------------------------------------------------------------------------

TEST_F(FieldsTest, TheSelectAllButtonSelectsThenDeselectsAndTellsWhatComesNext)
{
    window->CargaCpte();
    child<QListWidget>(*window, "LstCpte")->setCurrentRow(2, QItemSelectionModel::NoUpdate);

    child<QPushButton>(*window, "CmdTodos")->click();
    EXPECT_EQ(selectedCount(*child<QListWidget>(*window, "LstCpte")), 5);
    EXPECT_EQ(child<QPushButton>(*window, "CmdTodos")->text(), QStringLiteral("&Desmarcar Todos"));
    EXPECT_EQ(child<QListWidget>(*window, "LstCpte")->currentRow(), 2);

    child<QPushButton>(*window, "CmdTodos")->click();
    EXPECT_EQ(selectedCount(*child<QListWidget>(*window, "LstCpte")), 0);
    EXPECT_EQ(child<QPushButton>(*window, "CmdTodos")->text(), QStringLiteral("&Marcar Todos"));
    EXPECT_EQ(child<QListWidget>(*window, "LstCpte")->currentRow(), 2);
}

TEST_F(FieldsTest, EachListHasItsOwnSelectAllButton)
{
    window->CargarUNeg();
    window->CargarCCostos();
    child<QRadioButton>(*window, "optCCostos")->setChecked(true); // the cost-centre tab is usable
    child<QListWidget>(*window, "LstUNeg")->item(0)->setSelected(true);

    child<QPushButton>(*window, "cmdCCostos")->click();

    EXPECT_EQ(selectedCount(*child<QListWidget>(*window, "LstCCostos")), 4);
    EXPECT_EQ(selectedCount(*child<QListWidget>(*window, "LstUNeg")), 1);
    EXPECT_EQ(child<QPushButton>(*window, "CmdUNeg")->text(), QStringLiteral("&Marcar Todos"));

    child<QPushButton>(*window, "CmdUNeg")->click();
    EXPECT_EQ(selectedCount(*child<QListWidget>(*window, "LstUNeg")), 3);
}

TEST_F(FieldsTest, TheSelectAllButtonOnAnEmptyListOnlyFlipsItsCaption)
{
    runOnMain(QStringLiteral("DELETE FROM TA_CCOSTO"));
    window->CargarCCostos();
    child<QRadioButton>(*window, "optCCostos")->setChecked(true);

    child<QPushButton>(*window, "cmdCCostos")->click();

    EXPECT_EQ(child<QListWidget>(*window, "LstCCostos")->count(), 0);
    EXPECT_EQ(child<QPushButton>(*window, "cmdCCostos")->text(),
              QStringLiteral("&Desmarcar Todos"));
}

// ---- Grouping and report options ----------------------------------------------------------------

TEST_F(FieldsTest, TheGroupingDecidesPeriodCostCentreTabAndOpeningBalance)
{
    struct Case
    {
        const char *name;
        const char *before; // the option selected first and the one selected next, by name
        const char *option;
        bool periodShown;
        bool costCentresAvailable;
        bool openingBalanceEnabled;
    };
    const Case cases[] = {
        {"by business unit", "optFecha", "optUNeg", false, false, false},
        {"by cost centre", "optFecha", "optCCostos", false, true, false},
        {"back to dates", "optUNeg", "optFecha", true, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        child<QRadioButton>(*window, c.before)->setChecked(true);
        frm_Estadistica::setCheckValue(*child<QCheckBox>(*window, "chkCalculaSI"), 1);

        child<QRadioButton>(*window, c.option)->setChecked(true);

        EXPECT_EQ(!child<QLabel>(*window, "lblPeriodicidad")->isHidden(), c.periodShown);
        EXPECT_EQ(!child<QComboBox>(*window, "CmbPeriodicidad")->isHidden(), c.periodShown);
        EXPECT_EQ(child<QTabWidget>(*window, "SSTab1")->isTabEnabled(2), c.costCentresAvailable);
        EXPECT_TRUE(child<QTabWidget>(*window, "SSTab1")->isTabEnabled(1));
        EXPECT_EQ(child<QCheckBox>(*window, "chkCalculaSI")->isEnabled(), c.openingBalanceEnabled);
    }
}

TEST_F(FieldsTest, LeavingTheDateGroupingClearsTheOpeningBalanceForGood)
{
    child<QRadioButton>(*window, "optFecha")->setChecked(true);
    frm_Estadistica::setCheckValue(*child<QCheckBox>(*window, "chkCalculaSI"), 1);

    child<QRadioButton>(*window, "optUNeg")->setChecked(true);
    EXPECT_EQ(frm_Estadistica::checkValue(*child<QCheckBox>(*window, "chkCalculaSI")), 0);

    child<QRadioButton>(*window, "optFecha")->setChecked(true);
    EXPECT_TRUE(child<QCheckBox>(*window, "chkCalculaSI")->isEnabled());
    EXPECT_EQ(frm_Estadistica::checkValue(*child<QCheckBox>(*window, "chkCalculaSI")), 0);
}

TEST_F(FieldsTest, TheAccountBreakdownTurnsOffTheOptionsOfThePrintedReport)
{
    child<QRadioButton>(*window, "optUNeg")->setChecked(true);
    for (QCheckBox *box : {child<QCheckBox>(*window, "ChkInvertirFilCol"),
                           child<QCheckBox>(*window, "chkIgnorarCeros")})
        frm_Estadistica::setCheckValue(*box, 1);
    const QList<QCheckBox *> reportOptions{child<QCheckBox>(*window, "chkCalculaSI"),
                                           child<QCheckBox>(*window, "ChkInvertirFilCol"),
                                           child<QCheckBox>(*window, "chkIgnorarCeros")};

    frm_Estadistica::setCheckValue(*child<QCheckBox>(*window, "chkDetalle"), 1);
    for (const QCheckBox *box : reportOptions) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_FALSE(box->isEnabled());
        EXPECT_EQ(frm_Estadistica::checkValue(*box), 0);
    }

    // Unticking gives the options back with their ticks cleared; the opening balance only
    // under the date grouping, which alone has an opening bucket.
    const std::pair<QRadioButton *, bool> groupings[]
        = {{child<QRadioButton>(*window, "optUNeg"), false},
           {child<QRadioButton>(*window, "optFecha"), true}};
    for (const auto &[grouping, openingBalance] : groupings) {
        grouping->setChecked(true);
        frm_Estadistica::setCheckValue(*child<QCheckBox>(*window, "chkDetalle"), 1);
        frm_Estadistica::setCheckValue(*child<QCheckBox>(*window, "chkDetalle"), 0);
        for (const QCheckBox *box : reportOptions) {
            SCOPED_TRACE(box->objectName().toStdString());
            EXPECT_EQ(box->isEnabled(),
                      box != child<QCheckBox>(*window, "chkCalculaSI") || openingBalance);
            EXPECT_EQ(frm_Estadistica::checkValue(*box), 0);
        }
    }
}

// ---- Field validation ---------------------------------------------------------------------------

TEST_F(FieldsTest, EachFieldIsValidatedByItsDataField)
{
    struct Case
    {
        const char *name;
        int control; // a header field's index, or -1 - the grid column the editor serves
        QString text;
        QString failure; // empty: valid
    };
    const Case cases[] = {
        {"blank name", 0, QStringLiteral("   "), QStringLiteral("Debe informar un Nombre")},
        {"empty name", 0, QString(), QStringLiteral("Debe informar un Nombre")},
        {"day that does not exist", 1, QStringLiteral("31/02/2026"),
         QStringLiteral("Fecha Incorrecta")},
        {"empty first date", 1, QString(), QStringLiteral("Fecha Incorrecta")},
        {"text as last date", 2, QStringLiteral("mañana"), QStringLiteral("Fecha Incorrecta")},
        {"regional date", 2, QStringLiteral("05/03/2026"), QString()},
        {"unknown account", -1 - 1, QStringLiteral("9999"),
         QStringLiteral("La Cuenta Informada es inexistente!")},
        {"no account", -1 - 1, QString(), QString()},
        {"a quote in the account", -1 - 1, QStringLiteral("41'01"),
         QStringLiteral("La Cuenta Informada es inexistente!")},
        {"debit other than S or N", -1 - 3, QStringLiteral("X"),
         QStringLiteral("Debe Informar S o N")},
        {"credit as a digit", -1 - 4, QStringLiteral("1"), QStringLiteral("Debe Informar S o N")},
        {"lower-case debit", -1 - 3, QStringLiteral("s"), QString()},
        {"lower-case credit", -1 - 4, QStringLiteral("n"), QString()},
        {"group", -1 - 0, QStringLiteral("cualquier cosa"), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clearShown();
        QLineEdit *control = child<QLineEdit>(*window, "TxtEdit");
        if (c.control >= 0)
            control = headerField(*window, c.control);
        else
            editLine(-1 - c.control);
        control->setText(c.text);
        if (!c.failure.isEmpty())
            dialogs.answer(msgbox::Ok);

        window->Campo_Valida(control);

        EXPECT_EQ(state().HayError, !c.failure.isEmpty());
        if (c.failure.isEmpty())
            EXPECT_EQ(dialogs.count(), 0);
        else
            expectOneFailure(c.failure);
        // What was typed stays as typed.
        EXPECT_EQ(control->text(), c.text);
    }
}

TEST_F(FieldsTest, AFailureIsClearedByTheNextValidField)
{
    firstDateField().setText(QStringLiteral("xx"));
    dialogs.answer(msgbox::Ok);
    window->Campo_Valida(&firstDateField());
    ASSERT_TRUE(state().HayError);

    firstDateField().setText(QStringLiteral("01/01/2024"));
    window->Campo_Valida(&firstDateField());

    EXPECT_FALSE(state().HayError);
}

TEST_F(FieldsTest, AKnownAccountIsLookedUpTrimmedAndDescribedBesideIt)
{
    editLine(1);
    child<QLineEdit>(*window, "TxtEdit")->setText(QStringLiteral(" 1101 "));

    window->Campo_Valida(child<QLineEdit>(*window, "TxtEdit"));

    EXPECT_FALSE(state().HayError);
    EXPECT_EQ(cell(1, 2), accountDescription(QStringLiteral("1101")));
    EXPECT_FALSE(cell(1, 2).isEmpty());
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(FieldsTest, AnEmptyDebitOrCreditBecomesSOnALineWithAnAccount)
{
    struct Case
    {
        const char *name;
        int column;
        QString account;
        QString expected;
    };
    const Case cases[] = {
        {"debit with account", 3, QStringLiteral("1101"), QStringLiteral("S")},
        {"credit with account", 4, QStringLiteral("1101"), QStringLiteral("S")},
        {"debit without account", 3, QString(), QString()},
        {"credit without account", 4, QString(), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        editLine(c.column);
        child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->setTextMatrix(1, 1, c.account);
        child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")
            ->setTextMatrix(1, c.column, QStringLiteral("previo"));
        child<QLineEdit>(*window, "TxtEdit")->clear();

        window->Campo_Valida(child<QLineEdit>(*window, "TxtEdit"));

        EXPECT_FALSE(state().HayError);
        EXPECT_EQ(cell(1, c.column), c.expected);
    }
}

// ---- The name check -----------------------------------------------------------------------------

TEST_F(FieldsTest, TheNameDecidesBetweenANewAndAStoredDefinition)
{
    runOnMain(QStringLiteral("INSERT INTO MA_PANELCTA (NOMBRE, Grupo, Cuenta, EsRanking) VALUES "
                             "('Ranking de ventas', 'Ventas', '41', 1)"));
    struct Case
    {
        const char *name;
        QString typed;
        bool stored;
    };
    const Case cases[] = {
        {"stored definition", QStringLiteral("Resultado mensual"), true},
        {"stored, typed between blanks", QStringLiteral("  Resultado mensual "), true},
        {"a ranking is no statistic of this window", QStringLiteral("Ranking de ventas"), false},
        {"new name", QStringLiteral("Nueva estadistica"), false},
        {"a quote in the name", QStringLiteral("Ventas d'Alba"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        state().Validando = true;
        state().Borrando = true;
        nameField().setEnabled(true);
        nameField().setText(c.typed);

        window->Campo_Valida(&nameField());

        EXPECT_FALSE(state().HayError);
        EXPECT_EQ(state().Existe, c.stored);
        EXPECT_EQ(state().Nuevo, !c.stored);
        EXPECT_FALSE(state().Borrando);
        EXPECT_TRUE(state().Editando);
        // During a full validation a stored name stays locked.
        EXPECT_EQ(nameField().isEnabled(), !c.stored);
        EXPECT_EQ(dialogs.count(), 0);
    }
}

TEST_F(FieldsTest, AcceptingAStoredNameLoadsItAndOpensEveryHeaderField)
{
    window->ModoEdicion(false);
    nameField().setText(QStringLiteral("Resultado mensual"));

    window->Campo_Valida(&nameField());

    EXPECT_TRUE(state().Existe);
    EXPECT_TRUE(state().Editando);
    for (const QLineEdit *field : headerFields(*window))
        EXPECT_TRUE(field->isEnabled()) << field->objectName().toStdString();
    // The stored lines are in the grid: four accounts of the demo definition.
    EXPECT_EQ(child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->Rows(), 5);
    EXPECT_EQ(child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->TextMatrix(0, 0),
              QStringLiteral("Grupo"));
}

TEST_F(FieldsTest, DuringAFullValidationTheScreenIsNotReloaded)
{
    editLine(1);
    child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")
        ->setTextMatrix(1, 1, QStringLiteral("typed"));
    state().Validando = true;
    nameField().setText(QStringLiteral("Resultado mensual"));

    window->Campo_Valida(&nameField());

    EXPECT_EQ(cell(1, 1), QStringLiteral("typed"));
}

// ---- Validating the whole header ----------------------------------------------------------------

TEST_F(FieldsTest, TheHeaderIsValidatedUpToTheFirstFailingField)
{
    struct Case
    {
        const char *name;
        QString nameText, firstDate, lastDate;
        QString failure; // empty: valid
    };
    const Case cases[] = {
        {"empty name and wrong date", QString(), QStringLiteral("99/99/9999"),
         QStringLiteral("01/01/2024"), QStringLiteral("Debe informar un Nombre")},
        {"wrong last date", QStringLiteral("Nueva"), QStringLiteral("01/01/2024"),
         QStringLiteral("31/04/2024"), QStringLiteral("Fecha Incorrecta")},
        {"all valid", QStringLiteral("Nueva"), QStringLiteral("01/01/2024"),
         QStringLiteral("31/12/2024"), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clearShown();
        state().Validando = false;
        nameField().setText(c.nameText);
        firstDateField().setText(c.firstDate);
        lastDateField().setText(c.lastDate);
        if (!c.failure.isEmpty())
            dialogs.answer(msgbox::Ok);

        EXPECT_EQ(window->ValidarCampos(), c.failure.isEmpty());

        if (c.failure.isEmpty())
            EXPECT_EQ(dialogs.count(), 0);
        else
            expectOneFailure(c.failure);
        // Resetting it is the caller's step.
        EXPECT_TRUE(state().Validando);
    }
}

// ---- Lookups ------------------------------------------------------------------------------------

TEST_F(FieldsTest, ALookupOffersNothingForAFieldWithoutALookupTable)
{
    state().ControlActivo = nullptr;
    window->Consultar();

    state().ControlActivo = &firstDateField();
    window->Consultar();

    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(FieldsTest, TheNameLookupPutsTheChosenDefinitionInAndLoadsIt)
{
    QString statement;
    dialogs.onDialog(chooseInList(QStringLiteral("Gastos por centro de costo"), statement));
    state().ControlActivo = &nameField();

    window->Consultar();

    EXPECT_EQ(statement, NameStatement);
    EXPECT_EQ(nameField().text(), QStringLiteral("Gastos por centro de costo"));
    EXPECT_TRUE(state().Existe);
    EXPECT_TRUE(child<QRadioButton>(*window, "optCCostos")->isChecked());
}

TEST_F(FieldsTest, ACancelledNameLookupLeavesTheNameAsItWas)
{
    QString statement;
    dialogs.onDialog(chooseInList(QString(), statement));
    nameField().setText(QStringLiteral("Anterior"));
    state().ControlActivo = &nameField();

    window->Consultar();

    EXPECT_EQ(nameField().text(), QStringLiteral("Anterior"));
    EXPECT_FALSE(state().HayError);
    EXPECT_EQ(dialogs.count(), 1); // the list, and no message after it
}

TEST_F(FieldsTest, TheAccountLookupFillsTheLineAndMovesOnToTheDebit)
{
    QString statement;
    dialogs.onDialog(chooseInList(QStringLiteral("5201"), statement));
    editLine(1);
    state().ControlActivo = child<QLineEdit>(*window, "TxtEdit");

    window->Consultar();

    EXPECT_EQ(statement, AccountStatement);
    EXPECT_EQ(cell(1, 1), QStringLiteral("5201"));
    EXPECT_EQ(cell(1, 2), accountDescription(QStringLiteral("5201")));
    EXPECT_EQ(child<statistics::MSFlexGrid>(*window, "MSFlexGrid1")->Col(), 3);
}

// ---- Header-field events ------------------------------------------------------------------------

TEST_F(FieldsTest, EnterOnADateMovesOnOnlyWhenTheDateIsValid)
{
    showActive();
    struct Case
    {
        const char *name;
        QString date;
        bool movesOn;
    };
    const Case cases[] = {
        {"valid date", QStringLiteral("01/02/2024"), true},
        {"wrong date", QStringLiteral("30/02/2024"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        firstDateField().setEnabled(true);
        lastDateField().setEnabled(true);
        firstDateField().setFocus();
        firstDateField().setText(c.date);
        if (!c.movesOn)
            dialogs.answer(msgbox::Ok);

        QTest::keyClick(&firstDateField(), Qt::Key_Return);

        EXPECT_EQ(QApplication::focusWidget() != &firstDateField(), c.movesOn);
        EXPECT_EQ(firstDateField().text(), c.date);
    }
}

TEST_F(FieldsTest, EnterOnTheNameValidatesItAndGoesNoFurther)
{
    showActive();
    nameField().setFocus();
    nameField().setText(QStringLiteral("Nueva estadistica"));

    QTest::keyClick(&nameField(), Qt::Key_Return);

    EXPECT_TRUE(state().Nuevo);
    EXPECT_TRUE(state().Editando);
    EXPECT_EQ(QApplication::focusWidget(), &nameField());
}

TEST_F(FieldsTest, TheFocusedFieldBecomesTheActiveControlAndOffersItsLookup)
{
    showActive();
    window->ModoEdicion(true);
    struct Case
    {
        int field;
        QString tag;
        bool lookupOffered;
    };
    // The dates' tag names no lookup table, yet the command is offered: the lookup then does
    // nothing.
    const Case cases[] = {{1, QStringLiteral("FECHA"), true},
                          {2, QStringLiteral("  "), false},
                          {0, QStringLiteral("MA_PANELCTA"), true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.field);
        headerField(*window, c.field)->setProperty("Tag", c.tag);
        headerField(*window, c.field)->setFocus();

        EXPECT_EQ(state().ControlActivo, headerField(*window, c.field));
        EXPECT_EQ(child<platform::BrezaCtl>(*window, "BrezaCtl1")
                      ->flag(QStringLiteral("consultaenabled")),
                  c.lookupOffered);
    }
}

TEST_F(FieldsTest, TheRightButtonOnTheNameOpensItsLookup)
{
    showActive();
    QString statement;
    dialogs.onDialog(chooseInList(QStringLiteral("Resultado mensual"), statement));

    QTest::mouseClick(&nameField(), Qt::RightButton);

    EXPECT_EQ(statement, NameStatement);
    EXPECT_EQ(nameField().text(), QStringLiteral("Resultado mensual"));
    EXPECT_TRUE(state().Existe);
}

TEST_F(FieldsTest, ThePeriodIsChosenFromTheListAndEnterMovesOn)
{
    showActive();
    child<QComboBox>(*window, "CmbPeriodicidad")->clear();
    child<QComboBox>(*window, "CmbPeriodicidad")
        ->addItems({"Diario", "Semanal", "Quicenal", "Mensual"});
    child<QComboBox>(*window, "CmbPeriodicidad")->setCurrentIndex(0);
    child<QComboBox>(*window, "CmbPeriodicidad")->setFocus();

    QTest::keyClicks(child<QComboBox>(*window, "CmbPeriodicidad"), QStringLiteral("Me"));
    EXPECT_EQ(child<QComboBox>(*window, "CmbPeriodicidad")->currentIndex(), 0);

    QTest::keyClick(child<QComboBox>(*window, "CmbPeriodicidad"), Qt::Key_Return);
    EXPECT_NE(QApplication::focusWidget(), child<QComboBox>(*window, "CmbPeriodicidad"));
}

} // namespace
