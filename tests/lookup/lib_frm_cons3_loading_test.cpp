#include "lib_frm_cons3_fixture.h"
#include "lookup/lib_frm_cons3_twips.h"
#include "services_test_support.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <sys/stat.h>

namespace {

namespace msgbox = platform::msgbox;
namespace twips = lookup::twips;
using list_dialog_testing::ListDialogTest;
using lookup::Lib_FrmCons3;

using LoadingTest = ListDialogTest;

TEST_F(LoadingTest, ABlankStatementGivesNoColumnsNoRowsAndNoMessage)
{
    for (const char *sql : {"", "   "}) {
        auto dialog = loaded(QString::fromLatin1(sql));
        EXPECT_EQ(dialog->ListView1().headerCount(), 0) << sql;
        EXPECT_EQ(dialog->ListView1().rowCount(), 0) << sql;
        EXPECT_EQ(dialog->SQL, QString::fromLatin1(sql)) << sql;
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(LoadingTest, ColumnsAndSearchBoxesFollowTheStatementsFields)
{
    auto dialog = loaded(QStringLiteral("SELECT NOMBRE, CODIGO, SALDO FROM VT_CLIENTES ORDER BY "
                                        "NOMBRE"));
    EXPECT_EQ(headers(*dialog), (QStringList{"NOMBRE", "CODIGO", "SALDO"}));
    EXPECT_EQ(columnValues(*dialog, 1),
              (QStringList{"Ana O'Neil", "Juan Perez", "marcos Diaz", "Maria Lopez"}));
    EXPECT_EQ(columnValues(*dialog, 2), (QStringList{"C4", "C2", "C3", "C1"}));
    EXPECT_EQ(columnValues(*dialog, 3), (QStringList{"75", "20", "0", "150,5"}));
    ASSERT_GE(dialog->CmbSearchCount(), 3);
    for (int k = 1; k <= 3; ++k) {
        QComboBox &box = dialog->CmbSearch(k - 1);
        EXPECT_FALSE(box.isHidden());
        EXPECT_EQ(twips::left(box), dialog->ListView1().headerLeft(k));
        EXPECT_EQ(twips::width(box), dialog->ListView1().headerWidth(k) - 50);
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(LoadingTest, AStatementWithoutRowsStillBuildsItsColumns)
{
    auto dialog = loaded(QStringLiteral("SELECT CODIGO, NOMBRE FROM VT_CLIENTES WHERE 1 = 0"));
    EXPECT_EQ(headers(*dialog), (QStringList{"CODIGO", "NOMBRE"}));
    EXPECT_EQ(dialog->ListView1().rowCount(), 0);
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(LoadingTest, ColumnWidthsCountLettersByFieldKind)
{
    struct Case
    {
        const char *valoresDefault;
        int text; // NOMBRE varchar(100)
        int amount; // SALDO money
        int whole; // CUOTAS int
    };
    const Case cases[] = {
        {"", 60, 12, 4},
        {"@10", 70, 22, 14},
        {"@10x", 60, 12, 4},
        {"x@10", 60, 12, 4},
    };
    for (const Case &c : cases) {
        auto dialog = loaded(
            QStringLiteral("SELECT NOMBRE, SALDO, CUOTAS FROM VT_CLIENTES"),
            [&](Lib_FrmCons3 &d) { d.ValoresDefault = QString::fromLatin1(c.valoresDefault); });
        lookup::ListView &list = dialog->ListView1();
        EXPECT_EQ(list.headerWidth(1), lettersWidth(*dialog, c.text)) << c.valoresDefault;
        EXPECT_EQ(list.headerWidth(2), lettersWidth(*dialog, c.amount)) << c.valoresDefault;
        EXPECT_EQ(list.headerWidth(3), lettersWidth(*dialog, c.whole)) << c.valoresDefault;
    }
}

TEST_F(LoadingTest, PriceColumnsOfArticleListsAreHeadedByThePriceClassNames)
{
    runOnMain(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                             "('NOM_PCLASE1', 'Mayorista')"));
    runOnMain(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                             "('NOM_PCLASE2', 'Minorista')"));
    runOnMain(QStringLiteral("CREATE TABLE LISTA_PRECIOS (IDARTICULO varchar(25), PRECIO1 money, "
                             "PRECIO2 money)"));
    struct Case
    {
        const char *sql;
        QStringList headers;
        const char *valoresDefault;
    };
    const Case cases[] = {
        {"SELECT IDARTICULO, PRECIO1, PRECIO2 FROM V_MA_ARTICULOS",
         {"IDARTICULO", "Mayorista", "Minorista"},
         "@10"},
        {"SELECT IDARTICULO, PRECIO1, PRECIO2 FROM LISTA_PRECIOS",
         {"IDARTICULO", "PRECIO1", "PRECIO2"},
         ""},
    };
    for (const Case &c : cases) {
        auto dialog = loaded(QString::fromLatin1(c.sql), [&](Lib_FrmCons3 &d) {
            d.ValoresDefault = QString::fromLatin1(c.valoresDefault);
        });
        EXPECT_EQ(headers(*dialog), c.headers) << c.sql;
    }
    // An article list never widens its columns for "@10".
    auto dialog = loaded(QString::fromLatin1(cases[0].sql),
                         [](Lib_FrmCons3 &d) { d.ValoresDefault = QStringLiteral("@10"); });
    EXPECT_EQ(dialog->ListView1().headerWidth(1), lettersWidth(*dialog, 25));
}

// Rows of article lists are bold in the colour of their stock state.
class StockColouringTest : public ListDialogTest
{
protected:
    void SetUp() override
    {
        ListDialogTest::SetUp();
        runOnMain(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, "
                                 "PUNTOPEDIDO, Stock) VALUES "
                                 "('A1', 'Tornillo', 0, 5), ('A2', 'Tuerca', 10, 15), "
                                 "('A3', 'Arandela', 10, 3), ('A4', 'Clavo', 10, 10), "
                                 "('A5', 'Grampa', 0, 0), ('A6', 'Perno', -1, 4)"));
        runOnMain(QStringLiteral("CREATE TABLE V_ARTICULOS_X (IDARTICULO varchar(25), "
                                 "DESCRIPCION varchar(60), PUNTOPEDIDO money, Stock money, "
                                 "PRECIO1 money)"));
        runOnMain(QStringLiteral("INSERT INTO V_ARTICULOS_X VALUES ('X1', 'Tornillo', 0, 5, 1)"));
    }

    std::unique_ptr<Lib_FrmCons3> articles(const QString &sql, const QString &muestraStock)
    {
        return loaded(sql, [&](Lib_FrmCons3 &d) {
            d.MuestraStock = muestraStock;
            d.StkNivel1 = 255; // red
            d.StkNivel2 = 65280; // green
            d.StkNivel3 = 16711680; // blue
            d.StkNivel4 = 0; // black
        });
    }

    // The colour of each row's text and last cell, or an invalid colour when not coloured.
    static QList<QColor> rowColours(Lib_FrmCons3 &dialog)
    {
        QList<QColor> colours;
        lookup::ListView &list = dialog.ListView1();
        for (int row = 1; row <= list.rowCount(); ++row) {
            const QColor first = list.cellColour(row, 1);
            EXPECT_EQ(first, list.cellColour(row, list.headerCount()));
            colours << first;
        }
        return colours;
    }
};

TEST_F(StockColouringTest, EachStockStateHasItsColour)
{
    auto dialog = articles(QStringLiteral("SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO, Stock "
                                          "FROM V_MA_ARTICULOS ORDER BY IDARTICULO"),
                           QStringLiteral("SI"));
    const QList<QColor> expected{Qt::red, Qt::green, Qt::blue, Qt::black, Qt::black, Qt::black};
    EXPECT_EQ(rowColours(*dialog), expected);
    EXPECT_TRUE(dialog->ListView1().cellBold(1, 2));
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(StockColouringTest, RowsStayUncolouredWithoutTheSwitchTheFieldsOrASecondField)
{
    const struct
    {
        const char *sql;
        const char *muestraStock;
    } cases[] = {
        {"SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO, Stock FROM V_MA_ARTICULOS", "NO"},
        {"SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO FROM V_MA_ARTICULOS", "SI"},
        {"SELECT IDARTICULO FROM V_MA_ARTICULOS", "SI"},
        {"SELECT CODIGO, NOMBRE, SALDO AS PUNTOPEDIDO, SALDO AS Stock FROM VT_CLIENTES", "SI"},
    };
    for (const auto &c : cases) {
        auto dialog = articles(QString::fromLatin1(c.sql), QString::fromLatin1(c.muestraStock));
        ASSERT_GT(dialog->ListView1().rowCount(), 0) << c.sql;
        for (const QColor &colour : rowColours(*dialog))
            EXPECT_FALSE(colour.isValid()) << c.sql;
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(StockColouringTest, AnyStatementNamingArticulosIsColouredButOnlyArticleViewsRenamePrices)
{
    runOnMain(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                             "('NOM_PCLASE1', 'Mayorista')"));
    auto dialog = articles(QStringLiteral("SELECT IDARTICULO, PUNTOPEDIDO, Stock, PRECIO1 FROM "
                                          "V_ARTICULOS_X"),
                           QStringLiteral("SI"));
    EXPECT_EQ(rowColours(*dialog), QList<QColor>{Qt::red});
    EXPECT_EQ(headers(*dialog).last(), QStringLiteral("PRECIO1"));
}

TEST_F(LoadingTest, RowsWhoseValueOccursInTheDefaultValuesStartChecked)
{
    runOnMain(QStringLiteral("CREATE TABLE MARCAS (CODIGO varchar(6) NULL, NOMBRE varchar(20))"));
    runOnMain(QStringLiteral("INSERT INTO MARCAS VALUES ('A1', 'uno'), ('B2', 'dos'), "
                             "('C3', 'tres'), ('A', 'cuatro'), ('1', 'cinco'), (NULL, 'nulo')"));
    const QString sql = QStringLiteral("SELECT NOMBRE, CODIGO FROM MARCAS");
    struct Case
    {
        bool checkBoxes;
        const char *valoresDefault;
        QList<bool> marks;
    };
    const Case cases[] = {
        {true, "|A1|B2|", {true, true, false, true, true, false}},
        {true, "|a1|", {true, false, false, true, true, false}},
        {true, "", {false, false, false, false, false, false}},
        {false, "|A1|B2|", {false, false, false, false, false, false}},
    };
    for (const Case &c : cases) {
        auto dialog = loaded(sql, [&](Lib_FrmCons3 &d) {
            d.CheckBoxes = c.checkBoxes;
            d.CampoDevuelto = QStringLiteral("CODIGO");
            d.ValoresDefault = QString::fromLatin1(c.valoresDefault);
        });
        EXPECT_EQ(checkMarks(*dialog), c.marks) << c.valoresDefault;
        EXPECT_EQ(dialog->ListView1().checkBoxes(), c.checkBoxes);
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(LoadingTest, AnInitialFilterFillsTheFirstSearchBoxAndSelectsItsFirstRow)
{
    const QString sql = QStringLiteral("SELECT NOMBRE, CODIGO FROM VT_CLIENTES ORDER BY CODIGO");
    struct Case
    {
        const char *filter;
        const char *boxText;
        int selected;
    };
    const Case cases[] = {
        {"   ", "", 0},
        {"MAR", "MAR", 1},
        {"jua", "jua", 2},
        {" marc", " marc", 3},
    };
    for (const Case &c : cases) {
        auto dialog = loaded(
            sql, [&](Lib_FrmCons3 &d) { d.FiltroInicial = QString::fromLatin1(c.filter); });
        EXPECT_EQ(dialog->CmbSearch(0).currentText(), QString::fromLatin1(c.boxText)) << c.filter;
        EXPECT_EQ(selectedRow(*dialog), c.selected) << c.filter;
    }
}

TEST_F(LoadingTest, SavedWidthsApplyToTheColumnsOfTheirTable)
{
    const QString sql = QStringLiteral("SELECT CODIGO, NOMBRE, SALDO FROM VT_CLIENTES");
    struct Case
    {
        const char *name;
        QStringList lines;
        QList<double> widths; // empty: the widths measured from the fields
    };
    const Case cases[] = {
        {"quoted", {"\"VT_CLIENTES\",\"1440|2115|960|\""}, {1440, 2115, 960}},
        {"other case, no quotes", {"vt_clientes,1500|2000|1000|"}, {1500, 2000, 1000}},
        {"the later line wins",
         {"\"VT_CLIENTES\",\"1440|2115|960|\"", "\"MA_CUENTAS\",\"1|2|3|\"",
          "\"VT_CLIENTES\",\"900|800|700|\""},
         {900, 800, 700}},
        {"a short list stops the reading",
         {"\"VT_CLIENTES\",\"1200|1300|\"", "\"VT_CLIENTES\",\"100|200|300|\""},
         {1200, 1300, 0}},
        {"decimals in the regional form",
         {"\"VT_CLIENTES\",\"1440,5|2115|960|\""},
         {1440.5, 2115, 960}},
        {"another table only", {"\"MA_CUENTAS\",\"1|2|3|\""}, {}},
    };
    {
        auto measured = loaded(sql);
        for (const Case &c : cases) {
            writeWidthFile(c.lines);
            auto dialog = loaded(sql);
            lookup::ListView &list = dialog->ListView1();
            for (int k = 1; k <= 3; ++k) {
                const double expected = c.widths.isEmpty() || c.widths[k - 1] == 0
                    ? measured->ListView1().headerWidth(k)
                    : c.widths[k - 1];
                EXPECT_EQ(list.headerWidth(k), expected) << c.name << " column " << k;
            }
        }
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(LoadingTest, AWidthFileOthersCanChangeIsRefusedByName)
{
    const QString sql = QStringLiteral("SELECT CODIGO, NOMBRE, SALDO FROM VT_CLIENTES");
    auto measured = loaded(sql);
    writeWidthFile({"\"VT_CLIENTES\",\"1440|2115|960|\""});
    ::chmod(QFile::encodeName(widthFilePath()).constData(), 0666);
    dialogs.answer(msgbox::Ok);

    auto dialog = loaded(sql);

    EXPECT_EQ(dialog->ListView1().headerWidth(1), measured->ListView1().headerWidth(1));
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_TRUE(
        dialogs.last().text.startsWith(QStringLiteral("No se usa el archivo ") + widthFilePath()));
}

TEST_F(LoadingTest, WindowWidthAndScrollRangeFollowTheColumns)
{
    const QString sql = QStringLiteral("SELECT CODIGO, NOMBRE FROM VT_CLIENTES");
    struct Case
    {
        const char *widths;
        double screen;
        double window;
        int scrollMaximum;
    };
    const Case cases[] = {
        {"4000|5000|", 30000, 9640, 5904},     {"4000|5000|", 9721, 9640, 5904},
        {"4000|5000|", 9720, 9240, 5904},      {"4000|5640|", 30000, 10280, 6288},
        {"16000|16340|", 40000, 32980, 19908}, {"20000|20000|", 30000, 29520, 32700},
    };
    for (const Case &c : cases) {
        twips::setScreenWidthForTesting(c.screen);
        writeWidthFile({QStringLiteral("\"VT_CLIENTES\",\"%1\"").arg(QLatin1String(c.widths))});
        auto dialog = loaded(sql);
        EXPECT_EQ(dialog->windowWidth(), c.window) << c.widths << " on " << c.screen;
        EXPECT_EQ(dialog->HScroll1().maximum(), c.scrollMaximum) << c.widths;
    }
}

TEST_F(LoadingTest, ScrollingShiftsTheColumnArea)
{
    writeWidthFile({QStringLiteral("\"VT_CLIENTES\",\"16000|16340|\"")});
    auto dialog = loaded(QStringLiteral("SELECT CODIGO, NOMBRE FROM VT_CLIENTES"));
    dialog->HScroll1().setValue(4500);
    EXPECT_EQ(twips::left(dialog->picFields()), -4500);
}

TEST_F(LoadingTest, TheResizeLayoutPlacesTheButtonsByTheWindowWidth)
{
    auto dialog = loaded(QStringLiteral("SELECT CODIGO FROM VT_CLIENTES"));
    dialog->setWindowHeight(6000);
    dialog->setWindowWidth(8000);
    EXPECT_EQ(twips::height(dialog->picFields()), 6000 - 375 - 480);
    EXPECT_EQ(twips::height(dialog->ListView1()), 6000 - 375 - 480 - 375 - 600);
    EXPECT_EQ(twips::width(dialog->picFields()), 7880);
    EXPECT_EQ(twips::width(dialog->ListView1()), 7860);
    EXPECT_EQ(twips::top(dialog->Frame1()), 6000 - 375 - 520);
    EXPECT_EQ(twips::width(dialog->Frame1()), 8000);
    EXPECT_EQ(twips::left(dialog->cmdAceptar()), 100);
    EXPECT_EQ(twips::left(dialog->cmdCancelar()), (8000 - 1695) / 2.0);
    EXPECT_EQ(twips::left(dialog->CmdNueva()), 8000 - (1695 + 150));
    EXPECT_EQ(twips::width(dialog->Label1()), 7860 - 1095);
}

TEST_F(LoadingTest, WithoutNuevaBusquedaTheCancelButtonMovesRightAndNarrowWindowsHalveBoth)
{
    auto dialog = loaded(QStringLiteral("SELECT CODIGO FROM VT_CLIENTES"));
    dialog->CmdNueva().hide();
    dialog->setWindowWidth(8000);
    EXPECT_EQ(twips::left(dialog->cmdCancelar()), twips::left(dialog->CmdNueva()));
    EXPECT_EQ(twips::width(dialog->cmdAceptar()), 1695);

    const double expectedWidths[] = {847.5, 423.75};
    for (const double expected : expectedWidths) {
        dialog->setWindowWidth(2000);
        EXPECT_EQ(twips::width(dialog->cmdAceptar()), expected);
        EXPECT_EQ(twips::width(dialog->cmdCancelar()), expected);
        EXPECT_EQ(twips::left(dialog->cmdAceptar()), 100);
        EXPECT_EQ(twips::left(dialog->cmdCancelar()), 2000 - (expected + 150));
    }
}

TEST_F(LoadingTest, AReloadKeepsTheFirstStatementAndAddsOneBlank)
{
    const QString sql = QStringLiteral("SELECT CODIGO, NOMBRE FROM VT_CLIENTES");
    auto dialog = loaded(sql);
    EXPECT_EQ(dialog->SQL, sql + QStringLiteral(" "));
    dialog->CmdNueva().click();
    EXPECT_EQ(dialog->SQL, sql + QStringLiteral("  "));
    EXPECT_EQ(dialog->ListView1().rowCount(), 4);
}

TEST_F(LoadingTest, AStatementThatCannotBeOpenedIsReportedAndLeavesAnEmptyList)
{
    // The data layer's box, then row filling's error box on the closed statement.
    dialogs.answer(msgbox::Ignore).answer(msgbox::Ignore);
    auto dialog = loaded(QStringLiteral("SELECT CODIGO FROM NO_EXISTE"));
    ASSERT_EQ(dialogs.count(), 2);
    EXPECT_TRUE(dialogs.shown()[1].title.contains(QStringLiteral("FORM_LOAD")))
        << dialogs.shown()[1].title.toStdString();
    EXPECT_EQ(dialog->ListView1().headerCount(), 0);
    EXPECT_EQ(dialog->ListView1().rowCount(), 0);
}

// The maintenance program a dialog starts names the table the load settled on.
class SavedWidthsKeyTest : public ListDialogTest
{
protected:
    core_testing::RecordingLauncher launcher;
};

TEST_F(SavedWidthsKeyTest, StockArticlesAreKeyedAsArticlesOnlyWhenTheWidthFileExists)
{
    runOnMain(QStringLiteral("CREATE TABLE STK_MA_ARTICULOS (IDARTICULO varchar(25))"));
    const QString sql = QStringLiteral("SELECT IDARTICULO FROM Stk_Ma_Articulos");
    {
        auto dialog = loaded(sql);
        dialog->CmdNuevo().click();
    }
    writeWidthFile({QStringLiteral("\"OTRA\",\"1|\"")});
    {
        auto dialog = loaded(sql);
        dialog->CmdNuevo().click();
    }
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_TRUE(launcher.started[0].program.endsWith(QStringLiteral("/V_TA_TABLAS")));
    EXPECT_TRUE(launcher.started[0].arguments.value(0).contains(
        QStringLiteral("@ParametroAdicional=Stk_Ma_Articulos;")));
    EXPECT_TRUE(launcher.started[1].program.endsWith(QStringLiteral("/V_MA_ARTICULOS")));
}

TEST_F(LoadingTest, UnloadSavesTheWidthsOnlyWhenAsked)
{
    const QString sql = QStringLiteral("SELECT CODIGO, NOMBRE, SALDO FROM VT_CLIENTES");
    const QByteArray others
        = "\"A\",\"1|2|\"\r\n\"VT_CLIENTES\",\"500|600|700|\"\r\n\"C\",\"3|\"\r\n";
    struct Case
    {
        const char *name;
        QByteArray before; // empty: no file
        bool grabarCfg;
        QByteArray after;
    };
    const Case cases[] = {
        {"not asked", others, false, others},
        {"no file", {}, true, "\"VT_CLIENTES\",\"1440|2115,5|960|\"\r\n"},
        {"other keys kept in order", others, true,
         "\"A\",\"1|2|\"\r\n\"C\",\"3|\"\r\n\"VT_CLIENTES\",\"1440|2115,5|960|\"\r\n"},
    };
    for (const Case &c : cases) {
        QFile::remove(widthFilePath());
        if (!c.before.isEmpty()) {
            QFile file(widthFilePath());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.before);
        }
        auto dialog = loaded(sql, [&](Lib_FrmCons3 &d) { d.UsarUDBC = false; });
        lookup::ListView &list = dialog->ListView1();
        list.setHeaderWidth(1, 1440);
        list.setHeaderWidth(2, 2115.5);
        list.setHeaderWidth(3, 960);
        dialog->GrabarCfg = c.grabarCfg;
        dialog->UsarUDBC = true;
        dialog->unload();
        EXPECT_FALSE(dialog->UsarUDBC);
        EXPECT_EQ(list.rowCount(), 0);
        EXPECT_EQ(widthFileBytes(), c.after) << c.name;
        EXPECT_FALSE(QFile::exists(programFolder() + QStringLiteral("/CONSULTASLEN.AUX")));
    }
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(LoadingTest, AFailedSaveIsReportedAndLeavesTheWidthFileAsItWas)
{
    const QByteArray before = "\"A\",\"1|2|\"\r\n\"VT_CLIENTES\"\r\n";
    {
        QFile file(widthFilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    auto dialog = loaded(QStringLiteral("SELECT CODIGO FROM VT_CLIENTES"));
    dialog->GrabarCfg = true;
    dialogs.answer(msgbox::Ok);
    dialog->unload();
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Aviso al Operador"));
    EXPECT_EQ(dialogs.last().style, msgbox::Critical | msgbox::OkOnly);
    EXPECT_EQ(widthFileBytes(), before);
    EXPECT_FALSE(QFile::exists(programFolder() + QStringLiteral("/CONSULTASLEN.AUX")));
}

} // namespace
