#include "../data/qt_printers.h"
#include "core/query_masks.h"
#include "core_database_test.h"
#include "data/db_dll.h"
#include "lookup/lib_cls_cons3.h"
#include "lookup/lib_frm_cons3.h"
#include "lookup/lib_frm_cons3_tree.h"
#include "lookup/lib_frm_cons3_twips.h"
#include "mask_records.h"
#include "platform/legacy_files.h"

#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QPushButton>
#include <QTreeWidget>
#include <memory>
#include <sys/stat.h>

namespace {

namespace msgbox = platform::msgbox;
using lookup::Lib_ClsCons3;
using lookup::Lib_FrmCons3;
using lookup::Lib_FrmCons3Tree;
using lookup_testing::maskRecord;

// The suite's master views that the lookups read, reduced to the columns they use, and two
// tables of no mask for the statements built from a table's columns.
const char *const FixtureStatements[] = {
    "CREATE TABLE VT_CLIENTES (CODIGO varchar(6) NOT NULL PRIMARY KEY, "
    "RAZON_SOCIAL varchar(60) NULL, CONTACTO varchar(40) NULL, Dada_De_Baja bit NOT NULL)",
    "CREATE TABLE VT_PROVEEDORES (CODIGO varchar(6) NOT NULL PRIMARY KEY, "
    "RAZON_SOCIAL varchar(60) NULL, Dada_De_Baja bit NOT NULL)",
    "CREATE TABLE VT_MA_ARTICULOS (IDARTICULO varchar(25) NOT NULL PRIMARY KEY, "
    "DESCRIPCION varchar(60) NULL, SUSPENDIDO bit NOT NULL)",
    "CREATE TABLE V_TA_DEPOSITO (IdDeposito varchar(4) NOT NULL PRIMARY KEY, "
    "Descripcion varchar(40) NULL, UnidadNegocio varchar(4) NULL)",
    "CREATE TABLE SALDOS (CODIGO varchar(6) NOT NULL, DESCRIPCION varchar(40) NULL, "
    "SALDO money NULL)",
    "CREATE TABLE CUOTAS (CODIGO varchar(6) NOT NULL, SALDO money NULL)",
    "CREATE TABLE SELLOS (ID int NOT NULL, CODIGO varchar(6) NULL, "
    "FECHAHORA_MODIFICACION datetime NULL)",
    "CREATE TABLE v_mv_mutuales (ID int NOT NULL, CODIGO varchar(6) NULL, "
    "FECHAHORA_GRABACION datetime NULL)",
    "CREATE TABLE MARCAS (ID int NOT NULL, FECHAHORA_GRABACION datetime NULL)",
    "CREATE TABLE CLIENTES_SELECTOS (CODIGO varchar(6) NOT NULL, NOMBRE varchar(40) NULL)",
    "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, Titulo) VALUES ('1', 'Activo', 1)",
    "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, Titulo) VALUES ('11', 'Caja', 0)",
    "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, Titulo) VALUES ('2', 'Pasivo', 1)",
    "INSERT INTO VT_CLIENTES VALUES ('C1', 'Alfa SA', 'Ana', 0)",
    "INSERT INTO VT_CLIENTES VALUES ('C2', 'Beta SRL', 'Luis', 1)",
};

// What a lookup handed to its dialog, and what it left in the caller's variables.
struct LookupSeen
{
    QString statement;
    QString campoBusqueda;
    QString where;
    bool ordenarPorLwv = false;
};

class LookupServiceTest : public core_testing::CoreDatabaseTest
{
protected:
    void SetUp() override
    {
        CoreDatabaseTest::SetUp();
        for (const char *statement : FixtureStatements)
            runOnMain(QString::fromLatin1(statement));
        m_masksPath = tempFolder() + QStringLiteral("/consultas.tvc");
        core::DefinirConsultas(m_masksPath);
    }

    void TearDown() override
    {
        lookup::twips::setScreenWidthForTesting(0);
        CoreDatabaseTest::TearDown();
    }

    void configure(const QString &key, const QString &value)
    {
        runOnMain(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('") + key
                  + QStringLiteral("', '") + value + QStringLiteral("')"));
    }

    // The service as the start-up leaves it: masks on, read from the test's file.
    std::unique_ptr<Lib_ClsCons3> newService() const
    {
        auto service = std::make_unique<Lib_ClsCons3>();
        service->gUsarMascarasConsultas = true;
        service->gRutaMascaraConsultas = m_masksPath;
        return service;
    }

    // Runs a lookup whose list dialog is cancelled once loaded, and tells what it was given.
    LookupSeen lookupStatement(Lib_ClsCons3 &service, const QString &sql,
                               const QString &campoBusqueda = {}, const QString &where = {},
                               const QString &sentenciaOpcional = {})
    {
        LookupSeen seen;
        dialogs.onDialog([&](QDialog &shown) {
            auto &list = dynamic_cast<Lib_FrmCons3 &>(shown);
            // The load ends the statement with one blank of its own.
            EXPECT_TRUE(list.SQL.endsWith(QLatin1Char(' '))) << list.SQL.toStdString();
            seen.statement = list.SQL.chopped(1);
            seen.ordenarPorLwv = list.OrdenarPorLwv;
            list.cmdCancelar().click();
            return int(QDialog::Rejected);
        });
        seen.campoBusqueda = campoBusqueda;
        seen.where = where;
        service.ConsultaSearch(sql, service.CmpsDevueltos, QString(), seen.campoBusqueda,
                               seen.where, sentenciaOpcional);
        return seen;
    }

    QString m_masksPath;
};

// ---- Which statement a lookup shows -----------------------------------------------------------

TEST_F(LookupServiceTest, ACompleteStatementIsShownAsGivenWithTheCallersCondition)
{
    struct Case
    {
        QString sql;
        QString where;
        QString statement;
        QString whereAfter;
    };
    const Case cases[] = {
        {QStringLiteral("select CODIGO, DESCRIPCION from MA_CUENTAS order by CODIGO"),
         {},
         QStringLiteral("select CODIGO, DESCRIPCION from MA_CUENTAS order by CODIGO"),
         {}},
        {QStringLiteral("select CODIGO, DESCRIPCION from MA_CUENTAS"),
         QStringLiteral("CODIGO = '1'"),
         QStringLiteral("select CODIGO, DESCRIPCION from MA_CUENTAS WHERE  (CODIGO = '1') "),
         QStringLiteral(" WHERE  (CODIGO = '1') ")},
        {QStringLiteral("SELECT IDARTICULO, DESCRIPCION FROM v_ma_articulos"),
         {},
         QStringLiteral("SELECT IDARTICULO, DESCRIPCION FROM VT_MA_ARTICULOS"),
         {}},
        // A name holding the letters of the word is taken for a statement.
        {QStringLiteral("CLIENTES_SELECTOS"), {}, QStringLiteral("CLIENTES_SELECTOS"), {}},
    };
    auto service = newService();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql.toStdString());
        const LookupSeen seen = lookupStatement(*service, c.sql, {}, c.where);
        EXPECT_EQ(seen.statement, c.statement);
        EXPECT_EQ(seen.where, c.whereAfter);
        EXPECT_EQ(seen.campoBusqueda, QString());
        EXPECT_EQ(seen.ordenarPorLwv, !c.sql.contains(QStringLiteral("order by")));
    }
}

TEST_F(LookupServiceTest, ATableWithAMaskIsReadThroughTheMask)
{
    struct Case
    {
        QString table;
        QString campoBusqueda;
        QString where;
        QString statement;
        QString campoBusquedaAfter;
    };
    const Case cases[] = {
        {QStringLiteral("MA_CUENTAS"),
         {},
         {},
         QStringLiteral("SELECT TOP 1000 DESCRIPCION,CODIGO FROM MA_CUENTAS  with(nolock)  "
                        "ORDER BY DESCRIPCION"),
         QStringLiteral("DESCRIPCION")},
        {QStringLiteral(" ma_cuentas "), QStringLiteral("CODIGO"), QStringLiteral("Titulo = 1"),
         QStringLiteral("SELECT TOP 1000 DESCRIPCION,CODIGO FROM MA_CUENTAS  with(nolock)  "
                        "WHERE  (Titulo = 1)  ORDER BY CODIGO"),
         QStringLiteral("CODIGO")},
        {QStringLiteral("VT_CLIENTES"),
         {},
         {},
         QStringLiteral("SELECT TOP 1000 RAZON_SOCIAL,CODIGO,CONTACTO FROM VT_CLIENTES  "
                        "with(nolock)  WHERE Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL"),
         QStringLiteral("RAZON_SOCIAL")},
        {QStringLiteral("VT_CLIENTES"),
         {},
         QStringLiteral("CODIGO = 'C2'"),
         QStringLiteral("SELECT TOP 1000 RAZON_SOCIAL,CODIGO,CONTACTO FROM VT_CLIENTES  "
                        "with(nolock)  WHERE  (CODIGO = 'C2')  ORDER BY RAZON_SOCIAL"),
         QStringLiteral("RAZON_SOCIAL")},
        {QStringLiteral("vt_proveedores"),
         {},
         {},
         QStringLiteral("SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES  with(nolock)  "
                        "WHERE Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL"),
         QStringLiteral("RAZON_SOCIAL")},
        {QStringLiteral("V_MA_ARTICULOS"),
         {},
         {},
         QStringLiteral("SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS  "
                        "with(nolock)  WHERE SUSPENDIDO = 0 ORDER BY DESCRIPCION"),
         QStringLiteral("DESCRIPCION")},
        {QStringLiteral("V_MA_ARTICULOS"),
         {},
         QStringLiteral("IDARTICULO = 'A'"),
         QStringLiteral("SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS  "
                        "with(nolock)  WHERE  (IDARTICULO = 'A')  ORDER BY DESCRIPCION"),
         QStringLiteral("DESCRIPCION")},
    };
    auto service = newService();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.table.toStdString() + " " + c.where.toStdString());
        const LookupSeen seen = lookupStatement(*service, c.table, c.campoBusqueda, c.where);
        EXPECT_EQ(seen.statement, c.statement);
        EXPECT_EQ(seen.campoBusqueda, c.campoBusquedaAfter);
        EXPECT_FALSE(seen.ordenarPorLwv);
    }
}

TEST_F(LookupServiceTest, AMasksOwnConditionReplacesTheCallers)
{
    ASSERT_TRUE(lookup_testing::writeMaskRecords(
        m_masksPath, {maskRecord("MA_CUENTAS", "|CODIGO|DESCRIPCION|", "Titulo = 1")}));
    auto service = newService();

    const LookupSeen seen = lookupStatement(*service, QStringLiteral("MA_CUENTAS"), {},
                                            QStringLiteral("CODIGO = '11'"));

    EXPECT_EQ(seen.statement,
              QStringLiteral("SELECT TOP 1000 CODIGO,DESCRIPCION FROM MA_CUENTAS  with(nolock)  "
                             "WHERE Titulo = 1 ORDER BY CODIGO"));
}

TEST_F(LookupServiceTest, TheRowLimitComesFromTheConfiguration)
{
    struct Case
    {
        QString configured; // empty: no row for the key
        QString limit;
    };
    const Case cases[] = {
        {{}, QStringLiteral("1000")},
        {QStringLiteral("0"), QStringLiteral("1000")},
        {QStringLiteral("muchas"), QStringLiteral("1000")},
        {QStringLiteral("250"), QStringLiteral("250")},
        {QStringLiteral("250 filas"), QStringLiteral("250")},
        {QStringLiteral("12.5"), QStringLiteral("12")},
        {QStringLiteral("13.5"), QStringLiteral("14")},
        // A limit that would return nothing or fail the statement.
        {QStringLiteral("0.4"), QStringLiteral("1000")},
        {QStringLiteral("-5"), QStringLiteral("1000")},
    };
    auto service = newService();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.configured.toStdString());
        runOnMain(QStringLiteral("DELETE FROM TA_CONFIGURACION"));
        if (!c.configured.isEmpty())
            configure(QStringLiteral("TopConsArt"), c.configured);
        const LookupSeen seen = lookupStatement(*service, QStringLiteral("MA_CUENTAS"));
        EXPECT_TRUE(seen.statement.startsWith(QStringLiteral("SELECT TOP ") + c.limit
                                              + QStringLiteral(" DESCRIPCION,CODIGO FROM")))
            << seen.statement.toStdString();
    }
}

TEST_F(LookupServiceTest, ATableWithoutAMaskIsReadThroughItsOwnColumns)
{
    struct Case
    {
        QString table;
        QString where;
        QString statement;
        QString campoBusqueda;
    };
    const Case cases[] = {
        {QStringLiteral("SALDOS"),
         {},
         QStringLiteral("SELECT TOP 1000 SALDO,DESCRIPCION,CODIGO FROM SALDOS  ORDER BY "
                        "DESCRIPCION"),
         QStringLiteral("DESCRIPCION")},
        {QStringLiteral("CUOTAS"), QStringLiteral("SALDO > 0"),
         QStringLiteral("SELECT TOP 1000 SALDO,CODIGO FROM CUOTAS WHERE   (SALDO > 0)  ORDER BY "
                        "CODIGO"),
         QStringLiteral("CODIGO")},
        {QStringLiteral("SELLOS"),
         {},
         QStringLiteral("SELECT TOP 1000 CODIGO FROM SELLOS  ORDER BY CODIGO"),
         QStringLiteral("CODIGO")},
        {QStringLiteral("v_mv_mutuales"),
         {},
         QStringLiteral("SELECT TOP 1000 FECHAHORA_GRABACION,CODIGO,ID FROM v_mv_mutuales  "
                        "ORDER BY FECHAHORA_GRABACION"),
         QStringLiteral("FECHAHORA_GRABACION")},
        // Only stamps: every column, and no ordering by a column that is not there.
        {QStringLiteral("MARCAS"), {}, QStringLiteral("SELECT TOP 1000  *  FROM MARCAS "), {}},
    };
    auto service = newService();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.table.toStdString());
        const LookupSeen seen = lookupStatement(*service, c.table, {}, c.where);
        EXPECT_EQ(seen.statement, c.statement);
        EXPECT_EQ(seen.campoBusqueda, c.campoBusqueda);
        EXPECT_EQ(seen.ordenarPorLwv, c.campoBusqueda.isEmpty());
    }
}

TEST_F(LookupServiceTest, TheColumnsOfATableAreUsedWhenMasksAreOffOrTheirFileIsMissing)
{
    const QString byColumns = QStringLiteral(
        "SELECT TOP 1000 Titulo,DESCRIPCION,CODIGO FROM MA_CUENTAS  ORDER BY DESCRIPCION");
    auto service = newService();
    service->gUsarMascarasConsultas = false;
    EXPECT_EQ(lookupStatement(*service, QStringLiteral("MA_CUENTAS")).statement, byColumns);

    service->gUsarMascarasConsultas = true;
    ASSERT_TRUE(QFile::remove(m_masksPath));
    EXPECT_EQ(lookupStatement(*service, QStringLiteral("MA_CUENTAS")).statement, byColumns);

    EXPECT_EQ(lookupStatement(*service, QStringLiteral("V_TA_DEPOSITO")).statement,
              QStringLiteral("SELECT TOP 1000 Descripcion,IdDeposito,UnidadNegocio FROM "
                             "V_TA_DEPOSITO  ORDER BY IDDEPOSITO"));
}

// A mask's condition goes into the statement as it stands: one that other users could have
// written is not used, and the user is told which file it is.
TEST_F(LookupServiceTest, AMaskFileOthersCanChangeIsRefusedByName)
{
    ASSERT_TRUE(lookup_testing::writeMaskRecords(
        m_masksPath, {maskRecord("MA_CUENTAS", "|CODIGO|DESCRIPCION|", "1 = 1) OR (1 = 1")}));
    ::chmod(QFile::encodeName(m_masksPath).constData(), 0666);
    auto service = newService();
    dialogs.answer(msgbox::Ok);

    EXPECT_EQ(lookupStatement(*service, QStringLiteral("MA_CUENTAS")).statement,
              QStringLiteral("SELECT TOP 1000 Titulo,DESCRIPCION,CODIGO FROM MA_CUENTAS  ORDER "
                             "BY DESCRIPCION"))
        << "read through the table's own columns";
    ASSERT_GE(dialogs.count(), 1);
    EXPECT_TRUE(
        dialogs.shown()[0].text.startsWith(QStringLiteral("No se usa el archivo ") + m_masksPath));
}

TEST_F(LookupServiceTest, AnOptionalStatementReplacesTheOneBuiltFromTheColumns)
{
    auto service = newService();
    const QString optional = QStringLiteral("SELECT CODIGO FROM SALDOS");

    const LookupSeen seen
        = lookupStatement(*service, QStringLiteral("SALDOS"), QStringLiteral("CODIGO"),
                          QStringLiteral("SALDO > 0"), optional);

    EXPECT_EQ(seen.statement, optional);
    EXPECT_TRUE(seen.ordenarPorLwv);
}

TEST_F(LookupServiceTest, AMaskOfOneColumnWithoutASearchColumnIsRefusedWithoutADialog)
{
    ASSERT_TRUE(lookup_testing::writeMaskRecords(
        m_masksPath, {maskRecord("UNA_COLUMNA", "|CODIGO|"), maskRecord("SIN_COLUMNAS", "||")},
        QIODevice::Append));

    struct Case
    {
        QString table;
        QString where;
        QString whereAfter;
    };
    // The caller's condition is already rewritten when the refusal comes.
    const Case cases[] = {
        {QStringLiteral("UNA_COLUMNA"), QStringLiteral("X = 1"), QStringLiteral(" (X = 1) ")},
        {QStringLiteral("SIN_COLUMNAS"), QStringLiteral("X"), QStringLiteral("X")},
        {QStringLiteral("una_columna"), QStringLiteral("(X = 1)"), QStringLiteral("(X = 1)")},
    };
    auto service = newService();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.table.toStdString());
        dialogs.clearShown();
        service->CampoDevuelto = QStringLiteral("CODIGO");
        service->Checks = true;
        service->CmpsDevueltos->append(QStringLiteral("CODIGO"));
        QString campoBusqueda;
        QString where = c.where;
        dialogs.answer(msgbox::Ok);

        service->ConsultaSearch(c.table, service->CmpsDevueltos, QString(), campoBusqueda, where);

        ASSERT_EQ(dialogs.count(), 1);
        EXPECT_EQ(dialogs.last().text,
                  QStringLiteral("Debe configurar la consulta para esta tabla"));
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Aviso al operador"));
        EXPECT_EQ(dialogs.last().style, msgbox::OkOnly | msgbox::Information);
        EXPECT_EQ(where, c.whereAfter);
        EXPECT_EQ(campoBusqueda, QString());
        // The call ends before its resets.
        EXPECT_EQ(*service->CmpsDevueltos, QStringList{QStringLiteral("CODIGO")});
        EXPECT_EQ(service->CampoDevuelto, QStringLiteral("CODIGO"));
        EXPECT_TRUE(service->Checks);
        service->CmpsDevueltos->clear();
    }

    // A search column named by the caller makes one column enough.
    QString campoBusqueda = QStringLiteral("CODIGO");
    QString where;
    dialogs.onDialog([](QDialog &shown) {
        auto &list = dynamic_cast<Lib_FrmCons3 &>(shown);
        EXPECT_EQ(list.SQL,
                  QStringLiteral("SELECT TOP 1000 CODIGO FROM UNA_COLUMNA  with(nolock)  ORDER "
                                 "BY CODIGO "));
        list.cmdCancelar().click();
        return int(QDialog::Rejected);
    });
    runOnMain(QStringLiteral("CREATE TABLE UNA_COLUMNA (CODIGO varchar(6) NULL)"));
    service->ConsultaSearch(QStringLiteral("UNA_COLUMNA"), service->CmpsDevueltos, QString(),
                            campoBusqueda, where);
}

// ---- What the dialogs are given and what comes back -------------------------------------------

TEST_F(LookupServiceTest, TheListDialogGetsTheCallersSettingsAndItsChoiceComesBack)
{
    configure(QStringLiteral("Stk_Nivel1"), QStringLiteral("255"));
    configure(QStringLiteral("Stk_Nivel3"), QString());
    configure(QStringLiteral("MostrarStockenConsultas"), QStringLiteral("SI"));
    configure(QStringLiteral("UsaConsultaLike"), QStringLiteral("si"));
    auto service = newService();
    service->CampoDevuelto = QStringLiteral("CODIGO");
    service->UsaCantidades = true;
    const lookup::StringCollection wanted = service->CmpsDevueltos;
    wanted->append({QStringLiteral("DESCRIPCION"), QStringLiteral("CODIGO")});

    dialogs.onDialog([&](QDialog &shown) {
        auto &list = dynamic_cast<Lib_FrmCons3 &>(shown);
        EXPECT_EQ(list.StkNivel1, QVariant(QStringLiteral("255")));
        EXPECT_EQ(list.StkNivel2, QVariant(QStringLiteral(" "))); // no row for the key
        EXPECT_EQ(list.StkNivel3, QVariant(0));
        EXPECT_EQ(list.MuestraStock, QStringLiteral("SI"));
        EXPECT_TRUE(list.CfgUsaConsultaLIKE);
        EXPECT_EQ(list.FiltroInicial, QStringLiteral("Ca"));
        EXPECT_EQ(list.CampoBusqueda, QStringLiteral("DESCRIPCION"));
        EXPECT_EQ(list.CampoDevuelto, QStringLiteral("CODIGO"));
        EXPECT_EQ(list.gConnString, data::gDB().gConnString);
        EXPECT_FALSE(list.CheckBoxes);
        EXPECT_TRUE(list.UsaCantidades);
        EXPECT_EQ(list.ValoresDefault, QStringLiteral("|11|"));
        EXPECT_EQ(list.CmpsDevueltos, wanted); // the caller's own collection
        // The initial filter selected the row of "Caja".
        EXPECT_EQ(list.ListView1().cell(list.ListView1().selectedRow(), 2), QStringLiteral("11"));
        list.cmdAceptar().click();
        return int(QDialog::Accepted);
    });
    QString campoBusqueda;
    QString where;
    service->ConsultaSearch(QStringLiteral("MA_CUENTAS"), service->CmpsDevueltos,
                            QStringLiteral("Ca"), campoBusqueda, where, {}, false,
                            QStringLiteral("|11|"));

    EXPECT_EQ(service->ValorDevuelto.toString(), QStringLiteral("11"));
    ASSERT_TRUE(service->Valores);
    EXPECT_EQ(*service->Valores, (QStringList{QStringLiteral("Caja"), QStringLiteral("11")}));
    ASSERT_TRUE(service->Cantidades);
    EXPECT_TRUE(service->Cantidades->isEmpty());
    EXPECT_EQ(service->gConnString, data::gDB().gConnString);
    // The caller's collection is left empty for the next lookup, and the one-shot members reset.
    EXPECT_EQ(service->CmpsDevueltos, wanted);
    EXPECT_TRUE(wanted->isEmpty());
    EXPECT_EQ(service->CampoDevuelto, QString());
    EXPECT_TRUE(service->UsaCantidades);
}

TEST_F(LookupServiceTest, ACancelledListLeavesAnEmptyChoice)
{
    auto service = newService();
    service->gConnString = QStringLiteral("propia");
    service->ValorDevuelto = QStringLiteral("anterior");
    service->CmpsDevueltos->append(QStringLiteral("CODIGO"));
    service->Checks = true;
    dialogs.onDialog([](QDialog &shown) {
        auto &list = dynamic_cast<Lib_FrmCons3 &>(shown);
        EXPECT_EQ(list.gConnString, QStringLiteral("propia"));
        list.ListView1().setChecked(1, true);
        list.cmdCancelar().click();
        return int(QDialog::Rejected);
    });
    QString campoBusqueda;
    QString where;

    service->ConsultaSearch(QStringLiteral("select CODIGO from MA_CUENTAS"), service->CmpsDevueltos,
                            QString(), campoBusqueda, where);

    EXPECT_EQ(service->ValorDevuelto, QVariant(QString()));
    EXPECT_FALSE(service->Valores);
    ASSERT_TRUE(service->Cantidades);
    EXPECT_TRUE(service->Cantidades->isEmpty());
    EXPECT_FALSE(service->Checks);
    EXPECT_TRUE(service->CmpsDevueltos->isEmpty());
    EXPECT_EQ(service->gConnString, QStringLiteral("propia"));
}

TEST_F(LookupServiceTest, CheckBoxesStartFromTheDefaultValuesAndLastOneLookup)
{
    auto service = newService();
    service->Checks = true;
    service->CampoDevuelto = QStringLiteral("CODIGO");
    dialogs.onDialog([](QDialog &shown) {
        auto &list = dynamic_cast<Lib_FrmCons3 &>(shown);
        EXPECT_TRUE(list.CheckBoxes);
        lookup::ListView &rows = list.ListView1();
        QStringList checked;
        for (int row = 1; row <= rows.rowCount(); ++row)
            if (rows.isChecked(row))
                checked << rows.cell(row, 1);
        EXPECT_EQ(checked, (QStringList{QStringLiteral("1"), QStringLiteral("11")}));
        list.cmdAceptar().click();
        return int(QDialog::Accepted);
    });
    QString campoBusqueda;
    QString where;

    service->ConsultaSearch(QStringLiteral("select CODIGO, DESCRIPCION from MA_CUENTAS order by "
                                           "CODIGO"),
                            service->CmpsDevueltos, QString(), campoBusqueda, where, {}, false,
                            QStringLiteral("|11|"));

    ASSERT_TRUE(service->Valores);
    EXPECT_EQ(*service->Valores, (QStringList{QStringLiteral("1"), QStringLiteral("11")}));
    EXPECT_FALSE(service->Checks);
}

TEST_F(LookupServiceTest, ATreeLookupShowsTheTreeDialogAndReturnsItsChoice)
{
    auto service = newService();
    service->CampoDevuelto = QStringLiteral("CODIGO");
    service->Checks = true;
    const QString statement
        = QStringLiteral("SELECT CODIGO, DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO");
    dialogs.onDialog([&](QDialog &shown) {
        auto &tree = dynamic_cast<Lib_FrmCons3Tree &>(shown);
        EXPECT_EQ(tree.SQL, statement);
        EXPECT_EQ(tree.CampoDevuelto, QStringLiteral("CODIGO"));
        EXPECT_TRUE(tree.CheckBoxes);
        QTreeWidgetItem *caja = tree.nodeByKey(QStringLiteral("A11"));
        EXPECT_NE(caja, nullptr);
        if (caja)
            caja->setCheckState(0, Qt::Checked);
        tree.cmdAceptar().click();
        return int(QDialog::Accepted);
    });
    QString campoBusqueda;
    QString where;

    service->ConsultaSearch(statement, service->CmpsDevueltos, QString(), campoBusqueda, where, {},
                            true);

    ASSERT_TRUE(service->Valores);
    EXPECT_EQ(*service->Valores, QStringList{QStringLiteral("11")});
    EXPECT_FALSE(service->Checks);
    EXPECT_EQ(service->CampoDevuelto, QString());

    // A single choice comes back as the account's stored code.
    service->CampoDevuelto = QStringLiteral("CODIGO");
    dialogs.onDialog([](QDialog &shown) {
        auto &tree = dynamic_cast<Lib_FrmCons3Tree &>(shown);
        EXPECT_FALSE(tree.CheckBoxes);
        tree.TreeV().setCurrentItem(tree.nodeByKey(QStringLiteral("A2")));
        tree.cmdAceptar().click();
        return int(QDialog::Accepted);
    });
    service->ConsultaSearch(statement, service->CmpsDevueltos, QString(), campoBusqueda, where, {},
                            true);
    EXPECT_EQ(service->ValorDevuelto.toString(), QStringLiteral("2"));
}

TEST_F(LookupServiceTest, TheConfigurationIsReadWhenTheServiceIsCreated)
{
    configure(QStringLiteral("Stk_Nivel4"), QStringLiteral("65280"));
    configure(QStringLiteral("UsaConsultaLike"), QStringLiteral("NO"));
    const Lib_ClsCons3 connected;
    EXPECT_EQ(connected.StkNivel4, QVariant(QStringLiteral("65280")));
    EXPECT_EQ(connected.MuestraStock, QStringLiteral(" "));

    // Without a connection every key reads empty: colours 0, no stock, prefix searches.
    closeProgramConnection(data::gDB());
    const Lib_ClsCons3 unconnected;
    for (const QVariant &level : {unconnected.StkNivel1, unconnected.StkNivel2,
                                  unconnected.StkNivel3, unconnected.StkNivel4})
        EXPECT_EQ(level, QVariant(0));
    EXPECT_EQ(unconnected.MuestraStock, QString());
    EXPECT_TRUE(unconnected.CmpsDevueltos && unconnected.CmpsDevueltos->isEmpty());
    EXPECT_TRUE(unconnected.Valores && unconnected.Valores->isEmpty());
    EXPECT_FALSE(unconnected.Cantidades);
    EXPECT_TRUE(platform::isEmpty(unconnected.ValorDevuelto));
}

// ---- Option lists -----------------------------------------------------------------------------

TEST_F(LookupServiceTest, CheckOptionsListTheOptionsTickedByTheirFirstCharacter)
{
    auto service = newService();
    dialogs.onDialog([](QDialog &shown) {
        auto &list = dynamic_cast<Lib_FrmCons3 &>(shown);
        EXPECT_EQ(list.windowTitle(), QStringLiteral("Columnas"));
        EXPECT_TRUE(list.CmdNueva().isHidden());
        lookup::ListView &rows = list.ListView1();
        EXPECT_TRUE(rows.checkBoxes());
        EXPECT_EQ(rows.headerCount(), 1);
        EXPECT_EQ(rows.headerText(1), QStringLiteral("Columnas"));
        EXPECT_EQ(rows.rowCount(), 3);
        const QString texts[]
            = {QStringLiteral("Uno"), QStringLiteral("Dos"), QStringLiteral("Tres largo")};
        const bool ticked[] = {true, false, false};
        for (int row = 1; row <= 3; ++row) {
            EXPECT_EQ(rows.cell(row, 1), texts[row - 1]);
            EXPECT_EQ(rows.isChecked(row), ticked[row - 1]);
        }
        // At least 120 twips a letter of the longest option, first character included, and
        // wide enough for the longest text as the list draws it.
        EXPECT_GE(list.windowWidth(), 120.0 * 11);
        const double drawn
            = QFontMetrics(rows.font()).horizontalAdvance(QStringLiteral("Tres largo")) * 15.0;
        EXPECT_GT(rows.headerWidth(1), drawn);
        EXPECT_LE(rows.headerWidth(1), lookup::twips::width(rows));
        rows.setChecked(3, true);
        list.cmdAceptar().click();
        return int(QDialog::Accepted);
    });

    const QString result = service->CheckOpciones(
        QStringLiteral("Columnas"), nullptr,
        {QStringLiteral("1Uno"), QStringLiteral("0Dos"), QStringLiteral("xTres largo")});

    EXPECT_EQ(result, QString());
    ASSERT_TRUE(service->Valores);
    EXPECT_EQ(*service->Valores,
              (QStringList{QStringLiteral("Uno"), QStringLiteral("Tres largo")}));
}

TEST_F(LookupServiceTest, AMenuReturnsTheOptionChosenAndListsASingleOption)
{
    auto service = newService();
    struct Case
    {
        QStringList options;
        int chosenRow; // 0: cancelled
        QString result;
    };
    const Case cases[] = {
        {{QStringLiteral("Imprimir"), QStringLiteral("Exportar")}, 2, QStringLiteral("Exportar")},
        {{QStringLiteral("Imprimir")}, 1, QStringLiteral("Imprimir")},
        {{QStringLiteral("Imprimir"), QStringLiteral("Exportar")}, 0, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.result.toStdString());
        dialogs.onDialog([&](QDialog &shown) {
            auto &list = dynamic_cast<Lib_FrmCons3 &>(shown);
            EXPECT_FALSE(list.ListView1().checkBoxes());
            EXPECT_EQ(list.ListView1().rowCount(), c.options.size());
            if (c.chosenRow == 0) {
                list.cmdCancelar().click();
                return int(QDialog::Rejected);
            }
            list.ListView1().selectRow(c.chosenRow);
            list.cmdAceptar().click();
            return int(QDialog::Accepted);
        });
        EXPECT_EQ(service->MenuOpciones(QStringLiteral("Salida"), c.options), c.result);
    }
}

TEST_F(LookupServiceTest, AFileLookupListsItsLinesAndAMissingFileIsReported)
{
    auto service = newService();
    const QString missing = tempFolder() + QStringLiteral("/no_esta.txt");
    dialogs.answer(msgbox::Ok);

    EXPECT_EQ(service->ConsultaDesdeArchivo(QStringLiteral("Lineas"), missing), QString());
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().text,
              QStringLiteral("No existe el archivo ") + missing
                  + QStringLiteral(" que desea consultar consulta "));
    EXPECT_EQ(dialogs.last().style, msgbox::OkOnly);

    const QString path = tempFolder() + QStringLiteral("/lineas.txt");
    platform::writeTextLines(path, {QStringLiteral("Año uno"), QStringLiteral("Segunda")});
    lookup::twips::setScreenWidthForTesting(600);
    dialogs.onDialog([](QDialog &shown) {
        auto &list = dynamic_cast<Lib_FrmCons3 &>(shown);
        EXPECT_EQ(list.ListView1().rowCount(), 2);
        EXPECT_DOUBLE_EQ(list.windowWidth(), 600); // no wider than the screen
        list.ListView1().selectRow(1);
        list.cmdAceptar().click();
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(service->ConsultaDesdeArchivo(QStringLiteral("Lineas"), path),
              QStringLiteral("Año uno"));
}

} // namespace
