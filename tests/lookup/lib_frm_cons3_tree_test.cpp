#include "core_database_test.h"
#include "data/sql_rewriting.h"
#include "lookup/lib_frm_cons3_tree.h"
#include "lookup/lib_frm_cons3_tree_nodes.h"
#include "platform/user_dialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <memory>

namespace {

using lookup::Lib_FrmCons3Tree;
using lookup::TreeNodes;
using platform::msgbox::Abort;
using platform::msgbox::Ignore;

const QString CodesInOrder
    = QStringLiteral("SELECT CODIGO, DESCRIPCION FROM T_CODIGOS ORDER BY ORDEN");

// The family statement as the data layer sends it: the family view under its own name.
const QString FamilyStatementSent
    = QStringLiteral("SELECT     TOP 100 PERCENT IdFamilia, Descripcion, (SELECT     TOP 1 "
                     "idfamilia FROM v_ta_familias a   Where a.IdFamilia < b.IdFamilia And "
                     "(Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia))))  ORDER BY "
                     "idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b Where IdFamilia<>'' "
                     "ORDER BY IdFamilia");

// A tree as nested codes: "*" is the root, a node's children follow it between brackets.
QString shape(const QTreeWidgetItem &node)
{
    const QString code = TreeNodes::keyOf(node).mid(1);
    QString text = code.isEmpty() ? QStringLiteral("*") : code;
    QStringList children;
    for (int i = 0; i < node.childCount(); ++i)
        children << shape(*node.child(i));
    if (!children.isEmpty())
        text += QLatin1Char('[') + children.join(QLatin1Char(' ')) + QLatin1Char(']');
    return text;
}

QString shape(const Lib_FrmCons3Tree &dialog)
{
    QStringList tops;
    for (int i = 0; i < dialog.TreeV().topLevelItemCount(); ++i)
        tops << shape(*dialog.TreeV().topLevelItem(i));
    return tops.join(QLatin1Char(' '));
}

// Keys of the checked nodes, in tree order.
QStringList checkedKeys(const Lib_FrmCons3Tree &dialog)
{
    QStringList keys;
    for (QTreeWidgetItemIterator it(&dialog.TreeV()); *it; ++it) {
        if ((*it)->checkState(0) == Qt::Checked)
            keys << TreeNodes::keyOf(**it);
    }
    return keys;
}

QString selectedKey(const Lib_FrmCons3Tree &dialog)
{
    const QList<QTreeWidgetItem *> selected = dialog.TreeV().selectedItems();
    return selected.isEmpty() ? QString() : TreeNodes::keyOf(*selected.first());
}

QString sqlText(const QString &value)
{
    return value.isNull() ? QStringLiteral("NULL")
                          : QLatin1Char('\'') + data::escapeSqlQuotes(value) + QLatin1Char('\'');
}

void pressKey(QWidget &widget, Qt::Key key)
{
    QTest::keyClick(&widget, key);
}

class TreeDialogTest : public core_testing::CoreDatabaseTest
{
protected:
    void SetUp() override
    {
        CoreDatabaseTest::SetUp();
        runOnMain(QStringLiteral("CREATE TABLE TA_FAMILIAS (IdFamilia varchar(10) NOT NULL "
                                 "PRIMARY KEY, Descripcion varchar(50) NULL)"));
        runOnMain(QStringLiteral(
            "CREATE VIEW V_TA_FAMILIAS AS SELECT IdFamilia, Descripcion FROM TA_FAMILIAS"));
        runOnMain(QStringLiteral("CREATE TABLE MA_POSICIONES (IDPOSICION varchar(10) NOT NULL "
                                 "PRIMARY KEY, Descripcion varchar(50) NULL)"));
        runOnMain(QStringLiteral("CREATE TABLE T_CODIGOS (ORDEN int NOT NULL, CODIGO varchar(20) "
                                 "NULL, DESCRIPCION varchar(50) NULL, EXTRA varchar(10) NULL, "
                                 "NOWHERE int NULL)"));
        runOnMain(QStringLiteral(
            "CREATE TABLE T_NOMBRES (CODIGO varchar(10) NOT NULL, NOMBRE varchar(50) NULL)"));
    }

    // Rows of T_CODIGOS in the order given; each description is "Cuenta " and the code.
    void insertCodes(const QStringList &codes)
    {
        for (int i = 0; i < codes.size(); ++i)
            insertCode(i + 1, codes[i], QStringLiteral("Cuenta ") + codes[i]);
    }

    void insertCode(int order, const QString &code, const QString &description)
    {
        runOnMain(QStringLiteral("INSERT INTO T_CODIGOS (ORDEN, CODIGO, DESCRIPCION, EXTRA) "
                                 "VALUES (%1, %2, %3, 'x')")
                      .arg(order)
                      .arg(sqlText(code), sqlText(description)));
    }

    void insertRows(const QString &table, const QList<QStringList> &rows)
    {
        for (const QStringList &row : rows) {
            QStringList values;
            for (const QString &value : row)
                values << sqlText(value);
            runOnMain(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                          .arg(table, values.join(QLatin1Char(','))));
        }
    }

    std::unique_ptr<Lib_FrmCons3Tree>
    dialogFor(const QString &sql, const QString &campoDevuelto = QString(), bool checkBoxes = false)
    {
        auto dialog = std::make_unique<Lib_FrmCons3Tree>();
        dialog->SQL = sql;
        dialog->CampoDevuelto = campoDevuelto;
        dialog->CheckBoxes = checkBoxes;
        return dialog;
    }

    // Shows the dialog as the lookup service does; the script acts as the user.
    int show(Lib_FrmCons3Tree &dialog, const std::function<void(Lib_FrmCons3Tree &)> &script)
    {
        dialogs.onDialog([script](QDialog &shown) {
            auto &tree = static_cast<Lib_FrmCons3Tree &>(shown);
            script(tree);
            return tree.result();
        });
        return dialog.showModal();
    }

    // Titles of the boxes shown so far, without the dialog itself.
    QStringList boxTitles() const
    {
        QStringList titles;
        for (const auto &shown : dialogs.shown()) {
            if (shown.kind != testing_support::ScriptedDialogs::Shown::Kind::Dialog)
                titles << shown.title;
        }
        return titles;
    }
};

// ---- Building -----------------------------------------------------------------------------------

TEST_F(TreeDialogTest, AutomaticTreeHangsEachCodeUnderTheLongestCodeAddedBeforeThatBeginsIt)
{
    struct Case
    {
        QStringList codes;
        QString shape;
    };
    const Case cases[] = {
        {{"1", "11", "111", "12", "2", "21"}, "*[1[11[111] 12] 2[21]]"},
        {{"11", "1"}, "*[11 1]"},
        {{"1", "10", "100", "2"}, "*[1[10[100]] 2]"},
        {{"AB", "abc"}, "*[AB[abc]]"},
        {{"1", "12", "123", "13", "1234"}, "*[1[12[123[1234]] 13]]"},
        {{}, "*"},
    };
    for (const Case &c : cases) {
        runOnMain(QStringLiteral("DELETE FROM T_CODIGOS"));
        insertCodes(c.codes);
        auto dialog = dialogFor(CodesInOrder);
        dialog->load();

        EXPECT_EQ(shape(*dialog), c.shape) << c.codes.join(',').toStdString();
        EXPECT_TRUE(dialog->nodeByKey("A")->isExpanded());
        for (const QString &code : c.codes)
            EXPECT_FALSE(dialog->nodeByKey("A" + code)->isExpanded()) << code.toStdString();
    }
    EXPECT_TRUE(boxTitles().isEmpty());
}

TEST_F(TreeDialogTest, NodeTextJoinsTheFirstTwoColumnsAndIgnoresTheRest)
{
    insertCode(1, "1", "Uno");
    insertCode(2, "2", QString());
    auto dialog = dialogFor(
        QStringLiteral("SELECT CODIGO, DESCRIPCION, EXTRA FROM T_CODIGOS ORDER BY ORDEN"));
    dialog->load();

    EXPECT_EQ(dialog->nodeByKey("A")->text(0), "Consulta...");
    EXPECT_EQ(dialog->nodeByKey("A1")->text(0), "1 - Uno");
    EXPECT_EQ(dialog->nodeByKey("A2")->text(0), "2 - ");
    EXPECT_EQ(dialog->windowTitle(), "Consulta...");
}

TEST_F(TreeDialogTest, FamilyTreeHangsEachFamilyUnderTheHighestShorterCodeBelowIt)
{
    struct Case
    {
        QStringList families;
        QString shape;
    };
    const Case cases[] = {
        {{"01", "0100", "0101"}, "*[01[0100 0101]]"},
        {{"01", "015", "0199"}, "*[01[015[0199]]]"},
        {{"02", "01", "0201"}, "*[01 02[0201]]"},
        {{"", "01"}, "*[01]"},
    };
    for (const Case &c : cases) {
        runOnMain(QStringLiteral("DELETE FROM TA_FAMILIAS"));
        for (const QString &family : c.families)
            insertRows("TA_FAMILIAS", {{family, "Familia " + family}});
        // Whatever statement names the family view, the fixed family statement replaces it.
        auto dialog = dialogFor(QStringLiteral("select * from v_TA_Familias where 1 = 0"));
        dialog->load();

        EXPECT_EQ(shape(*dialog), c.shape) << c.families.join(',').toStdString();
        EXPECT_EQ(dialog->SQL, FamilyStatementSent);
        EXPECT_EQ(dialog->nodeByKey("A01")->text(0), "01 - Familia 01");
    }
    EXPECT_TRUE(boxTitles().isEmpty());
}

TEST_F(TreeDialogTest, RowThatCannotBecomeANodeIsReportedAndTheAnswerDecidesTheRest)
{
    struct Case
    {
        const char *name;
        QStringList codes; // a null code is a row without one
        QString sql;
        QList<int> answers;
        QString shape;
        QString errorNumber;
    };
    const Case cases[] = {
        {"duplicate skipped", {"1", "2", "1", "3"}, CodesInOrder, {Ignore}, "*[1 2 3]", "(35602)"},
        {"duplicate aborts", {"1", "1", "2"}, CodesInOrder, {Abort}, "*[1]", "(35602)"},
        {"null code skipped", {QString(), "1"}, CodesInOrder, {Ignore}, "*[1]", "(94)"},
        {"one column",
         {"1", "2"},
         "SELECT CODIGO FROM T_CODIGOS ORDER BY ORDEN",
         {Ignore, Ignore},
         "*",
         "(9)"},
    };
    for (const Case &c : cases) {
        runOnMain(QStringLiteral("DELETE FROM T_CODIGOS"));
        insertCodes(c.codes);
        dialogs.clearShown();
        for (int answer : c.answers)
            dialogs.answer(answer);
        auto dialog = dialogFor(c.sql);
        dialog->load();

        EXPECT_EQ(shape(*dialog), c.shape) << c.name;
        ASSERT_EQ(dialogs.count(), c.answers.size()) << c.name;
        EXPECT_TRUE(dialogs.last().title.contains("ArmarTreeVAutomatico")) << c.name;
        EXPECT_TRUE(dialogs.last().text.contains(c.errorNumber)) << c.name;
    }
}

TEST_F(TreeDialogTest, StatementTheServerRejectsLeavesOnlyTheRootAfterBothReports)
{
    struct Case
    {
        const char *name;
        QString sql;
        QString routine;
    };
    const Case cases[] = {
        {"no such table", "SELECT CODIGO, DESCRIPCION FROM T_NO_EXISTE", "ArmarTreeVAutomatico"},
        {"family view missing", "SELECT * FROM V_TA_FAMILIAS", "ArmarTreeVFamilias"},
    };
    runOnMain(QStringLiteral("DROP VIEW V_TA_FAMILIAS"));
    for (const Case &c : cases) {
        dialogs.clearShown();
        dialogs.answer(Abort).answer(Abort);
        auto dialog = dialogFor(c.sql);
        dialog->load();

        EXPECT_EQ(shape(*dialog), "*") << c.name;
        ASSERT_EQ(dialogs.count(), 2) << c.name;
        EXPECT_TRUE(dialogs.shown()[0].text.contains("AbrirRecordset")
                    || dialogs.shown()[0].title.contains("AbrirRecordset"))
            << c.name;
        EXPECT_TRUE(dialogs.shown()[1].title.contains(c.routine)) << c.name;
    }
}

// ---- Searching ----------------------------------------------------------------------------------

TEST_F(TreeDialogTest, TypingSelectsTheFirstNodeWhoseCodeOrDescriptionBeginsWithTheText)
{
    insertCode(1, "01", "Activo");
    insertCode(2, "01-02", "Caja");
    insertCode(3, "02", "Bancos");
    struct Case
    {
        QString typed;
        QString selected;
    };
    // Before each search the node "01" is selected; a text that matches nothing leaves it so.
    const Case cases[]
        = {{"", "A"},        {"con", "A"}, // the root's description part is "Consulta..."
           {"02", "A01-02"}, // "01-02 - Caja" splits at its first "-": description "02 - Caja"
           {"caj", "A01"}, // so "Caja" begins no part
           {"BAN", "A02"}, // letter case ignored
           {"zz", "A01"}, // no match
           {" 02", "A01"}, // the text is not trimmed
           {"01-02", "A01"}, // nor is the code part the whole code
           {"activo", "A01"}}; // the match itself
    auto dialog = dialogFor(CodesInOrder);
    show(*dialog, [&](Lib_FrmCons3Tree &tree) {
        for (const Case &c : cases) {
            tree.CmbSearch().setEditText(QStringLiteral("x"));
            tree.TreeV().setCurrentItem(tree.nodeByKey("A01"));
            tree.CmbSearch().setEditText(c.typed);
            EXPECT_EQ(selectedKey(tree), c.selected) << c.typed.toStdString();
        }
        tree.CmbSearch().setEditText(QString());
        QTest::keyClicks(tree.CmbSearch().lineEdit(), QStringLiteral("02 - c"));
        EXPECT_EQ(selectedKey(tree), "A01-02");
        EXPECT_TRUE(tree.nodeByKey("A01")->isExpanded()) << "the found node is brought into view";
        tree.cmdCancelar().click();
    });
}

TEST_F(TreeDialogTest, F5NarrowsTheStatementByDescriptionAndRebuildsTheTree)
{
    insertRows("TA_CCOSTO",
               {{"1", "Ventas", "0"},
                {"2", "Compras", "0"},
                {"11", "Eventos", "0"},
                {"21", "Ventas en O'Brien", "0"}});
    struct Case
    {
        QString sql;
        QStringList searches;
        QString narrowed;
        QString shape;
    };
    const Case cases[] = {
        {"SELECT CODIGO, DESCRIPCION FROM TA_CCOSTO ORDER BY CODIGO",
         {"ven"},
         "SELECT CODIGO, DESCRIPCION FROM TA_CCOSTO  where Descripcion like '%ven%' ORDER BY "
         "CODIGO",
         "*[1[11] 21]"},
        {"SELECT CODIGO, DESCRIPCION FROM TA_CCOSTO",
         {"ven", "en "},
         "SELECT CODIGO, DESCRIPCION FROM TA_CCOSTO where Descripcion like '%ven%'  and "
         "Descripcion like '%en %' ",
         "*[21]"},
        {"SELECT CODIGO, DESCRIPCION FROM TA_CCOSTO WHERE CODIGO <> '2' ORDER BY CODIGO",
         {"o"},
         "SELECT CODIGO, DESCRIPCION FROM TA_CCOSTO WHERE CODIGO <> '2'  and Descripcion like "
         "'%o%' ORDER BY CODIGO",
         "*[11 21]"},
        // A quote in the text stays inside the condition's literal.
        {"SELECT CODIGO, DESCRIPCION FROM TA_CCOSTO ORDER BY CODIGO",
         {"O'Brien"},
         "SELECT CODIGO, DESCRIPCION FROM TA_CCOSTO  where Descripcion like '%O''Brien%' ORDER "
         "BY CODIGO",
         "*[21]"},
    };
    for (const Case &c : cases) {
        auto dialog = dialogFor(c.sql, "CODIGO", true);
        show(*dialog, [&](Lib_FrmCons3Tree &tree) {
            for (const QString &text : c.searches) {
                tree.CmbSearch().setEditText(text);
                pressKey(*tree.CmbSearch().lineEdit(), Qt::Key_F5);
                EXPECT_EQ(tree.CmbSearch().currentText(), "");
            }
            tree.cmdCancelar().click();
        });
        EXPECT_EQ(dialog->SQL, c.narrowed);
        EXPECT_EQ(shape(*dialog), c.shape) << c.sql.toStdString();
        EXPECT_FALSE(dialog->nodeByKey("A")->data(0, Qt::CheckStateRole).isNull())
            << "the reload keeps the check boxes";
    }
    EXPECT_TRUE(boxTitles().isEmpty());
}

TEST_F(TreeDialogTest, F5ThatMakesAStatementTheServerRejectsLeavesOnlyTheRoot)
{
    insertRows("T_NOMBRES", {{"1", "Uno"}});
    insertCodes({"1"});
    struct Case
    {
        const char *name;
        QString sql;
        QString narrowed;
    };
    const Case cases[] = {
        {"no Descripcion column", "SELECT CODIGO, NOMBRE FROM T_NOMBRES",
         "SELECT CODIGO, NOMBRE FROM T_NOMBRES where Descripcion like '%u%' "},
        // "where" inside the ordering part still makes the joiner " and ".
        {"where only in the ordering",
         "SELECT CODIGO, DESCRIPCION FROM T_CODIGOS ORDER BY NOWHERE, ORDEN",
         "SELECT CODIGO, DESCRIPCION FROM T_CODIGOS  and Descripcion like '%u%' ORDER BY "
         "NOWHERE, ORDEN"},
    };
    for (const Case &c : cases) {
        auto dialog = dialogFor(c.sql);
        show(*dialog, [&](Lib_FrmCons3Tree &tree) {
            EXPECT_EQ(shape(tree), "*[1]") << c.name;
            dialogs.clearShown();
            dialogs.answer(Abort).answer(Abort);
            tree.CmbSearch().setEditText("u");
            pressKey(*tree.CmbSearch().lineEdit(), Qt::Key_F5);
            EXPECT_EQ(boxTitles().size(), 2) << c.name;
            tree.cmdCancelar().click();
        });
        EXPECT_EQ(dialog->SQL, c.narrowed) << c.name;
        EXPECT_EQ(shape(*dialog), "*") << c.name;
    }
}

TEST_F(TreeDialogTest, F5OnTheFamilyTreeRebuildsTheWholeFamilyTree)
{
    insertRows("TA_FAMILIAS", {{"01", "Bebidas"}, {"0101", "Gaseosas"}, {"02", "Almacen"}});
    auto dialog = dialogFor("SELECT IdFamilia, Descripcion FROM V_TA_FAMILIAS");
    show(*dialog, [&](Lib_FrmCons3Tree &tree) {
        tree.CmbSearch().setEditText("gas");
        pressKey(*tree.CmbSearch().lineEdit(), Qt::Key_F5);
        EXPECT_EQ(tree.CmbSearch().currentText(), "");
        tree.cmdCancelar().click();
    });
    EXPECT_EQ(dialog->SQL, FamilyStatementSent);
    EXPECT_EQ(shape(*dialog), "*[01[0101] 02]");
}

TEST_F(TreeDialogTest, NuevaBusquedaRebuildsFromTheNarrowedStatementAndForgetsCheckMarks)
{
    insertCodes({"1", "2", "21"});
    runOnMain("UPDATE T_CODIGOS SET DESCRIPCION = 'Otra' WHERE CODIGO = '1'");
    auto dialog = dialogFor(CodesInOrder, "CODIGO", true);
    show(*dialog, [&](Lib_FrmCons3Tree &tree) {
        tree.CmbSearch().setEditText("cuenta");
        pressKey(*tree.CmbSearch().lineEdit(), Qt::Key_F5);
        const lookup::StringCollection valores = tree.Valores;
        const QString narrowed = tree.SQL;
        tree.nodeByKey("A2")->setCheckState(0, Qt::Checked);
        runOnMain("INSERT INTO T_CODIGOS (ORDEN, CODIGO, DESCRIPCION) VALUES (9, '22', 'Cuenta')");

        tree.CmdNueva().click();
        EXPECT_EQ(shape(tree), "*[2[21 22]]");
        EXPECT_EQ(tree.SQL, narrowed);
        EXPECT_EQ(tree.Valores, valores);
        EXPECT_EQ(checkedKeys(tree), QStringList());
        EXPECT_FALSE(tree.nodeByKey("A22")->data(0, Qt::CheckStateRole).isNull());
        tree.cmdCancelar().click();
    });
}

TEST_F(TreeDialogTest, ArrowAndPageKeysInTheSearchBoxMoveTheFocusToTheTree)
{
    insertCodes({"1", "2"});
    auto dialog = dialogFor(CodesInOrder);
    show(*dialog, [&](Lib_FrmCons3Tree &tree) {
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp}) {
            tree.CmbSearch().setFocus();
            pressKey(*tree.CmbSearch().lineEdit(), key);
            EXPECT_EQ(tree.focusWidget(), &tree.TreeV()) << key;
        }
        tree.cmdCancelar().click();
    });
}

// ---- Check marks --------------------------------------------------------------------------------

TEST_F(TreeDialogTest, CheckMarkReachesSixGenerationsDownAndNeverUp)
{
    insertCodes({"1", "12", "123", "1234", "12345", "123456", "1234567", "12345678", "2"});
    struct Mark
    {
        QString key;
        Qt::CheckState state;
    };
    struct Case
    {
        const char *name;
        QList<Mark> marks;
        QStringList checked;
    };
    const Case cases[] = {
        {"root",
         {{"A", Qt::Checked}},
         {"A", "A1", "A12", "A123", "A1234", "A12345", "A123456", "A2"}},
        {"inner node",
         {{"A12", Qt::Checked}},
         {"A12", "A123", "A1234", "A12345", "A123456", "A1234567", "A12345678"}},
        {"uncheck over marks set one by one",
         {{"A123456", Qt::Checked}, {"A1", Qt::Checked}, {"A1", Qt::Unchecked}},
         {"A12345678"}},
    };
    for (const Case &c : cases) {
        auto dialog = dialogFor(CodesInOrder, "CODIGO", true);
        dialog->load();
        ASSERT_EQ(shape(*dialog), "*[1[12[123[1234[12345[123456[1234567[12345678]]]]]]] 2]");
        for (const Mark &mark : c.marks)
            dialog->nodeByKey(mark.key)->setCheckState(0, mark.state);
        EXPECT_EQ(checkedKeys(*dialog), c.checked) << c.name;
    }
}

// ---- Accept and cancel --------------------------------------------------------------------------

TEST_F(TreeDialogTest, SingleChoiceReturnsTheStoredValueOfTheTableTheFieldBelongsTo)
{
    insertCodes({"7", "8", "9", "01", "02", "P1"});
    insertRows("TA_CCOSTO", {{"  7", "Centro siete", "0"}});
    insertRows("MA_CUENTAS", {{"7", "Cuenta siete", "0"}, {"8", "Cuenta ocho", "0"}});
    insertRows("TA_FAMILIAS", {{"01", "Bebidas"}});
    insertRows("MA_POSICIONES", {{"P1", "Posicion uno"}});
    struct Case
    {
        QString campoDevuelto;
        QString node;
        QVariant returned;
    };
    const QVariant untouched = QStringLiteral("sin cambio");
    const Case cases[] = {
        {"CODIGO", "A7", "  7"}, // a cost centre before an account
        {"codigo", "A8", "8"},       {"CODIGO", "A9", ""},
        {"CODIGO", "A", ""}, // the root's code is empty
        {"IDFAMILIA", "A01", "01"},  {"IdFamilia", "A02", ""},
        {"IDPOSICION", "AP1", "P1"}, {"IDPOSICION", "A7", ""},
        {"NOMBRE", "A7", untouched},
    };
    for (const Case &c : cases) {
        auto dialog = dialogFor(CodesInOrder, c.campoDevuelto);
        dialog->ValorDevuelto = untouched;
        const int result = show(*dialog, [&](Lib_FrmCons3Tree &tree) {
            tree.TreeV().setCurrentItem(tree.nodeByKey(c.node));
            tree.cmdAceptar().click();
            EXPECT_FALSE(tree.isVisible());
        });
        EXPECT_EQ(result, QDialog::Accepted);
        EXPECT_EQ(dialog->ValorDevuelto, c.returned)
            << c.campoDevuelto.toStdString() << " " << c.node.toStdString();
        ASSERT_TRUE(dialog->Valores);
        EXPECT_TRUE(dialog->Valores->isEmpty());
    }
    EXPECT_TRUE(boxTitles().isEmpty());
}

TEST_F(TreeDialogTest, EnterAndDoubleClickAcceptAsTheAcceptButtonDoes)
{
    insertCodes({"7", "8"});
    insertRows("MA_CUENTAS", {{"8", "Cuenta ocho", "0"}});
    const std::function<void(Lib_FrmCons3Tree &)> ways[] = {
        [](Lib_FrmCons3Tree &tree) { pressKey(*tree.CmbSearch().lineEdit(), Qt::Key_Return); },
        [](Lib_FrmCons3Tree &tree) { pressKey(tree.TreeV(), Qt::Key_Enter); },
        [](Lib_FrmCons3Tree &tree) {
            QWidget *viewport = tree.TreeV().viewport();
            const QRect rect = tree.TreeV().visualItemRect(tree.nodeByKey("A8"));
            QTest::mouseClick(viewport, Qt::LeftButton, {}, rect.center());
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, rect.center());
        },
    };
    for (const auto &accept : ways) {
        auto dialog = dialogFor(CodesInOrder, "CODIGO");
        const int result = show(*dialog, [&](Lib_FrmCons3Tree &tree) {
            tree.TreeV().setCurrentItem(tree.nodeByKey("A8"));
            accept(tree);
        });
        EXPECT_EQ(result, QDialog::Accepted);
        EXPECT_EQ(dialog->ValorDevuelto, "8");
        EXPECT_FALSE(dialog->isVisible());
    }
}

TEST_F(TreeDialogTest, SingleChoiceWithoutASelectedNodeIsReported)
{
    insertCodes({"7"});
    struct Case
    {
        int answer;
        QVariant returned;
        bool hidden;
    };
    const Case cases[] = {{Ignore, "", true}, {Abort, "previo", false}};
    for (const Case &c : cases) {
        dialogs.clearShown();
        auto dialog = dialogFor(CodesInOrder, "CODIGO");
        dialog->ValorDevuelto = QStringLiteral("previo");
        show(*dialog, [&](Lib_FrmCons3Tree &tree) {
            tree.TreeV().clearSelection();
            dialogs.answer(c.answer);
            tree.cmdAceptar().click();
            EXPECT_EQ(!tree.isVisible(), c.hidden) << c.answer;
            if (tree.isVisible())
                tree.cmdCancelar().click();
            else
                EXPECT_EQ(tree.ValorDevuelto, c.returned) << c.answer;
        });
        ASSERT_EQ(boxTitles().size(), 1);
        EXPECT_TRUE(boxTitles()[0].contains("cmdAceptar_Click"));
        EXPECT_TRUE(dialogs.last().text.contains("(91)"));
    }
}

TEST_F(TreeDialogTest, CheckedNodesReturnTheirCodesOrTheirStoredPositions)
{
    insertCodes({"8", "9", "  5 ", "P1", "P2"});
    insertRows("MA_POSICIONES", {{"P1", "Posicion uno"}});
    struct Case
    {
        QString sql;
        QString campoDevuelto;
        QStringList checkedNodes;
        QStringList valores;
    };
    const QString empty = QStringLiteral("SELECT CODIGO, DESCRIPCION FROM T_CODIGOS WHERE 1 = 0");
    const Case cases[] = {
        {CodesInOrder, "CODIGO", {"A9", "A  5 ", "A8"}, {"8", "9", "5"}}, // in node order
        {CodesInOrder, "idfamilia", {"A9", "AP2"}, {"9", "P2"}}, // no lookup
        {CodesInOrder, "IDPOSICION", {"AP1", "AP2"}, {"P1"}},
        {CodesInOrder, "NOMBRE", {"A8"}, {}},
        {empty, "CODIGO", {"A"}, {""}},
        {empty, "IDPOSICION", {"A"}, {}},
    };
    for (const Case &c : cases) {
        auto dialog = dialogFor(c.sql, c.campoDevuelto, true);
        dialog->ValorDevuelto = QStringLiteral("sin cambio");
        show(*dialog, [&](Lib_FrmCons3Tree &tree) {
            for (const QString &key : c.checkedNodes)
                tree.nodeByKey(key)->setCheckState(0, Qt::Checked);
            tree.cmdAceptar().click();
        });
        ASSERT_TRUE(dialog->Valores);
        EXPECT_EQ(*dialog->Valores, c.valores) << c.campoDevuelto.toStdString();
        EXPECT_EQ(dialog->ValorDevuelto, "sin cambio");
    }
    EXPECT_TRUE(boxTitles().isEmpty());
}

TEST_F(TreeDialogTest, CancelReturnsEmptyTextAndNoValoresWhateverWasChosen)
{
    insertCodes({"8", "9"});
    const std::function<void(Lib_FrmCons3Tree &)> ways[] = {
        [](Lib_FrmCons3Tree &tree) { tree.cmdCancelar().click(); },
        [](Lib_FrmCons3Tree &tree) { pressKey(*tree.CmbSearch().lineEdit(), Qt::Key_Escape); },
        [](Lib_FrmCons3Tree &tree) { tree.close(); },
    };
    for (const auto &cancel : ways) {
        auto dialog = dialogFor(CodesInOrder, "CODIGO", true);
        dialog->ValorDevuelto = QStringLiteral("previo");
        const int result = show(*dialog, [&](Lib_FrmCons3Tree &tree) {
            tree.nodeByKey("A8")->setCheckState(0, Qt::Checked);
            tree.TreeV().setCurrentItem(tree.nodeByKey("A9"));
            cancel(tree);
        });
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(dialog->Valores);
        EXPECT_EQ(dialog->ValorDevuelto.metaType(), QMetaType::fromType<QString>());
        EXPECT_EQ(dialog->ValorDevuelto, "");
    }
}

TEST_F(TreeDialogTest, EveryLoadStartsWithANewEmptyValoresAndTheCheckBoxSetting)
{
    insertCodes({"8"});
    for (bool checkBoxes : {false, true}) {
        auto dialog = dialogFor(CodesInOrder, "CODIGO", checkBoxes);
        dialog->Valores = std::make_shared<QStringList>(QStringList{"viejo"});
        const lookup::StringCollection before = dialog->Valores;
        dialog->load();

        ASSERT_TRUE(dialog->Valores);
        EXPECT_NE(dialog->Valores, before);
        EXPECT_TRUE(dialog->Valores->isEmpty());
        EXPECT_EQ(dialog->nodeByKey("A8")->data(0, Qt::CheckStateRole).isValid(), checkBoxes);
    }
}

} // namespace
