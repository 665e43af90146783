#include "demo/suite_database.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/error.h"
#include "platform/suite/utilidades.h"
#include "platform/variant.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using platform::db::Connection;

// Every database of these tests lives in one temporary data folder.
void useTemporaryDataFolder()
{
    static QTemporaryDir folder;
    qputenv("RP_PANELCTA_DATOS", folder.path().toUtf8());
}

std::shared_ptr<Connection> openDatabase(const QString &connectionText)
{
    auto connection = Connection::create();
    connection->open(connectionText);
    return connection;
}

QVariant firstValue(Connection &connection, const QString &sql)
{
    auto rows = connection.execute(sql);
    return rows.field(0).value();
}

qint64 countOf(Connection &connection, const QString &fromClause)
{
    return firstValue(connection, u"SELECT COUNT(*) AS CANTIDAD " % fromClause).toLongLong();
}

QVariantList columnValues(Connection &connection, const QString &sql)
{
    QVariantList values;
    for (auto rows = connection.execute(sql); !rows.eof(); rows.moveNext())
        values << rows.field(0).value();
    return values;
}

double amountOf(const QVariant &value)
{
    return platform::isCurrency(value) ? value.value<platform::Currency>().toDouble()
                                       : value.toDouble();
}

const QString hiddenVoucher = QStringLiteral("ÿRS");

// The default sample database, made once for the tests that only read it.
class SampleDatabase : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        useTemporaryDataFolder();
        connectionText = new QString(demo::createSuiteDatabase(QStringLiteral("MUESTRA")));
    }
    static void TearDownTestSuite()
    {
        delete connectionText;
        connectionText = nullptr;
    }

    void SetUp() override { db = openDatabase(*connectionText); }

    qint64 countOf(const QString &fromClause) { return ::countOf(*db, fromClause); }

    static QString *connectionText;
    std::shared_ptr<Connection> db;
    const demo::SampleOptions options;
};

QString *SampleDatabase::connectionText = nullptr;

TEST_F(SampleDatabase, JournalHasTheRequestedLinesBalancedOverTwoYears)
{
    EXPECT_EQ(countOf(QStringLiteral("FROM MV_ASIENTOS")), options.journalLines);

    QHash<QString, double> sides;
    for (auto rows = db->execute(QStringLiteral("SELECT [DEBE-HABER], SUM(IMPORTE) AS IMPORTE FROM "
                                                "MV_ASIENTOS GROUP BY [DEBE-HABER]"));
         !rows.eof(); rows.moveNext())
        sides[rows.field(QStringLiteral("Debe-Haber")).value().toString()]
            = amountOf(rows.field(QStringLiteral("IMPORTE")).value());
    ASSERT_EQ(sides.size(), 2);
    EXPECT_GT(sides.value(QStringLiteral("D")), 0);
    EXPECT_NEAR(sides.value(QStringLiteral("D")), sides.value(QStringLiteral("H")), 0.005);

    EXPECT_EQ(firstValue(*db, QStringLiteral("SELECT TOP 1 FECHA FROM MV_ASIENTOS ORDER BY FECHA"))
                  .toDate(),
              options.firstDay);
    EXPECT_EQ(
        firstValue(*db, QStringLiteral("SELECT TOP 1 FECHA FROM MV_ASIENTOS ORDER BY FECHA DESC"))
            .toDate(),
        demo::lastJournalDay(options));
}

TEST_F(SampleDatabase, JournalPostsOnlyToDetailAccountsOfTheChart)
{
    EXPECT_GT(countOf(QStringLiteral("FROM MA_CUENTAS WHERE Titulo = 1")), 0);
    EXPECT_GT(countOf(QStringLiteral("FROM MA_CUENTAS WHERE Titulo = 0")), 0);
    EXPECT_EQ(countOf(QStringLiteral("FROM MV_ASIENTOS LEFT JOIN MA_CUENTAS ON "
                                     "MA_CUENTAS.CODIGO = MV_ASIENTOS.CUENTA WHERE "
                                     "MA_CUENTAS.CODIGO IS NULL OR MA_CUENTAS.Titulo = 1")),
              0);
}

// Every non-summary line of a result account, and no other, is split over cost centres, and
// its splits add up to it: in the table and in the view the per-centre sums read.
void expectSplitsMatchTheirLines(Connection &db)
{
    const QString resultLines = QStringLiteral(
        "FROM MV_ASIENTOS WHERE EsResumen = 0 AND (CUENTA LIKE '4%' OR CUENTA LIKE '5%')");
    const qint64 splitLines = countOf(
        db,
        QStringLiteral("FROM MV_ASIENTOS WHERE ID IN (SELECT IdAsiento FROM MV_ASIENTOS_CCOSTO)"));
    EXPECT_GT(splitLines, 0);
    EXPECT_EQ(splitLines, countOf(db, resultLines));
    EXPECT_EQ(
        countOf(db,
                QStringLiteral("FROM MV_ASIENTOS INNER JOIN (SELECT IdAsiento, SUM(IMPORTECC) AS "
                               "TOTAL FROM MV_ASIENTOS_CCOSTO GROUP BY IdAsiento) SPLITS ON "
                               "SPLITS.IdAsiento = MV_ASIENTOS.ID WHERE ABS(SPLITS.TOTAL - "
                               "MV_ASIENTOS.IMPORTE) > 0.00005")),
        0);
    EXPECT_NEAR(amountOf(firstValue(db,
                                    QStringLiteral("SELECT SUM(IMPORTECC) AS IMPORTE FROM "
                                                   "Vt_ASIENTOS_Ccosto WHERE EsResumen = 0"))),
                amountOf(firstValue(db, u"SELECT SUM(IMPORTE) AS IMPORTE " % resultLines)), 0.005);
}

TEST_F(SampleDatabase, CostCentreSplitsAddUpToTheirLines)
{
    expectSplitsMatchTheirLines(*db);
}

TEST_F(SampleDatabase, SummaryLinesCarryTheVoucherTypeTheProgramHides)
{
    EXPECT_GT(countOf(QStringLiteral("FROM MV_ASIENTOS WHERE EsResumen = 1")), 0);
    EXPECT_EQ(countOf(u"FROM MV_ASIENTOS WHERE EsResumen = 1 AND TC <> '" % hiddenVoucher % u"'"),
              0);
    EXPECT_EQ(countOf(u"FROM MV_ASIENTOS WHERE EsResumen = 0 AND TC = '" % hiddenVoucher % u"'"),
              0);

    const qint64 voucherTypes = countOf(QStringLiteral("FROM Vt_TA_Cpte"));
    const QVariantList listed = columnValues(*db,
                                             u"Select * from Vt_TA_Cpte where Codigo <> '"
                                                 % hiddenVoucher % u"' Order By Descripcion");
    EXPECT_EQ(listed.size(), voucherTypes - 1);
    EXPECT_FALSE(listed.contains(hiddenVoucher));
    EXPECT_EQ(
        columnValues(*db, u"SELECT Codigo FROM TA_CPTE WHERE Codigo = '" % hiddenVoucher % u"'"),
        QVariantList{hiddenVoucher});
}

TEST_F(SampleDatabase, UnitAndCostCentreCodesAreStoredAsTheProgramFitsThem)
{
    const char *const codeColumns[] = {
        "SELECT CODIGO FROM V_TA_UNIDADNEGOCIO",
        "SELECT CODIGO FROM TA_CCOSTO",
        "SELECT DISTINCT UNEGOCIO FROM MV_ASIENTOS",
        "SELECT DISTINCT CCOSTO FROM Vt_ASIENTOS_Ccosto",
        "SELECT UNegocio FROM TA_USUARIOS",
    };
    for (const char *sql : codeColumns) {
        SCOPED_TRACE(sql);
        const QVariantList codes = columnValues(*db, QString::fromUtf8(sql));
        ASSERT_FALSE(codes.isEmpty());
        for (const QVariant &code : codes)
            EXPECT_EQ(code.toString(), platform::gUtil().FormatoCodigo(code.toString(), 4));
    }
    // Leading blanks count in a comparison: the fitted code is the only one that matches.
    EXPECT_EQ(countOf(QStringLiteral("FROM V_TA_UNIDADNEGOCIO WHERE CODIGO = '   1'")), 1);
    EXPECT_EQ(countOf(QStringLiteral("FROM V_TA_UNIDADNEGOCIO WHERE CODIGO = '1'")), 0);
}

TEST_F(SampleDatabase, ConfigurationAndUsersAreThoseTheStartUpReads)
{
    const struct
    {
        const char *key;
        const char *value; // nullptr: any non-blank text
    } settings[] = {{"NOMBRE", nullptr}, {"SS_Confidencialidad", "NO"}, {"CantidadDecimales", "2"}};
    for (const auto &setting : settings) {
        SCOPED_TRACE(setting.key);
        const QVariantList values = columnValues(
            *db,
            u"SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = '"
                % QString::fromUtf8(setting.key) % u"'");
        ASSERT_EQ(values.size(), 1);
        if (setting.value)
            EXPECT_EQ(values.first().toString(), QString::fromUtf8(setting.value));
        else
            EXPECT_FALSE(values.first().toString().trimmed().isEmpty());
    }

    for (const demo::SuiteUser *user : {&demo::administratorUser(), &demo::operatorUser()}) {
        SCOPED_TRACE(user->name.toStdString());
        auto rows = db->execute(u"SELECT TOP 1 * FROM ta_usuarios with(nolock)  WHERE "
                                u"LTRIM(RTRIM(nombre)) ='"
                                % user->name % u"' ");
        ASSERT_FALSE(rows.eof());
        EXPECT_EQ(rows.field(QStringLiteral("Administrador")).value().toInt() == 1,
                  user->administrator);
    }
}

TEST_F(SampleDatabase, DefinitionsCoverSignsTitlesSidesAndGroupings)
{
    EXPECT_EQ(columnValues(*db,
                           QStringLiteral("SELECT DISTINCT NOMBRE FROM MA_PANELCTA Where "
                                          "EsRanking = 0 ORDER BY NOMBRE"))
                  .size(),
              3);
    EXPECT_EQ(countOf(QStringLiteral("FROM MA_PANELCTA WHERE EsRanking <> 0")), 0);

    const char *const conditions[] = {
        "Grupo LIKE '%(+)'",
        "Grupo LIKE '%(-)'",
        "Grupo NOT LIKE '%(+)' AND Grupo NOT LIKE '%(-)'",
        "Cuenta IN (SELECT CODIGO FROM MA_CUENTAS WHERE Titulo = 1)",
        "Cuenta IN (SELECT CODIGO FROM MA_CUENTAS WHERE Titulo = 0)",
        "DEBE = 1 AND Haber = 0",
        "DEBE = 0 AND Haber = 1",
        "DEBE = 1 AND Haber = 1",
        "Agrupar = 'Fecha'",
        // Selections stored as the window stores them: the codes as its lists show them.
        "Agrupar = 'UNegocio' AND unegocios LIKE '%''1''%'",
        "Agrupar = 'CCostos' AND CCostos LIKE '%''1''%'",
    };
    for (const char *condition : conditions) {
        SCOPED_TRACE(condition);
        EXPECT_GT(countOf(u"FROM MA_PANELCTA WHERE " % QString::fromUtf8(condition)), 0);
    }
}

class FreshDatabase : public ::testing::Test
{
protected:
    void SetUp() override { useTemporaryDataFolder(); }

    // A database of its own for each test, named after it.
    static QString uniqueName(const char *stem)
    {
        static int serial = 0;
        return QString::fromUtf8(stem) + QString::number(++serial);
    }
};

TEST_F(FreshDatabase, EmptySchemaHasEveryObjectTheProgramUsesAndNoRows)
{
    const auto db = openDatabase(
        demo::createSuiteDatabase(uniqueName("VACIA"), {.sampleData = false, .sample = {}}));
    const struct
    {
        const char *object;
        const char *columns;
    } objects[] = {
        {"MA_PANELCTA",
         "ID, NOMBRE, FechaD, FechaH, Grupo, Cuenta, DEBE, Haber, TipoGrafico, "
         "PERIODICIDAD, Comprobantes, unegocios, CCostos, PermiteModificar, "
         "Agrupar, anclaralmenu, InvierteFilCol, ignoraceros, calculasi, "
         "aperturaCuentas, EsRanking"},
        {"AUX_PANELCTA",
         "ID, USUARIO, Nombre, Grupo, FechaD, FechaH, ImporteG1, ImporteG2, Unegocio, CCOSTO"},
        {"MV_ASIENTOS", "ID, CUENTA, FECHA, [DEBE-HABER], IMPORTE, TC, UNEGOCIO, EsResumen"},
        {"MV_ASIENTOS_CCOSTO", "IdAsiento, CCOSTO, IMPORTECC"},
        {"Vt_ASIENTOS_Ccosto",
         "CUENTA, FECHA, [DEBE-HABER], TC, UNEGOCIO, EsResumen, CCOSTO, IMPORTECC"},
        {"MA_CUENTAS", "CODIGO, DESCRIPCION, Titulo"},
        {"SS_MA_CUENTAS", "CODIGO, DESCRIPCION, Titulo"},
        {"TA_CPTE", "Codigo, Descripcion"},
        {"Vt_TA_Cpte", "Codigo, Descripcion"},
        {"TA_UNIDADNEGOCIO", "CODIGO, Descripcion"},
        {"V_TA_UNIDADNEGOCIO", "CODIGO, Descripcion"},
        {"TA_CCOSTO", "CODIGO, Descripcion, Titulo"},
        {"TA_CONFIGURACION", "CLAVE, VALOR, ValorAux, Grupo, PoliticaNegocio"},
        {"TA_USUARIOS", "Nombre, Administrador, UNegocio, verproforma, Grupo"},
        {"TA_MENU", "CLAVE, MENU, TITULO, NOMBRE, IMAGEN, PROCESO, HABILITADO"},
        {"TA_TAREAS", "USUARIO, SISTEMA, TAREA"},
        {"Control_Acceso", "Id, Maquina, Usuario, Formulario, Tarea, Ingreso, NombreUsuario"},
        {"AUX_ERR", "Id, Proceso, Fecha, Error, Descripcion, SQL, PC, Usuario"},
        {"V_MV_FALTANTES", "FechaHora, IdArticulo, Descripcion, Usuario"},
    };
    for (const auto &object : objects) {
        SCOPED_TRACE(object.object);
        const QString name = QString::fromUtf8(object.object);
        EXPECT_NO_THROW(db->execute(u"SELECT " % QString::fromUtf8(object.columns) % u" FROM "
                                    % name % u" WHERE 1 = 0"));
        EXPECT_EQ(countOf(*db, u"FROM " % name), 0);
    }
}

TEST_F(FreshDatabase, JournalHasExactlyTheRequestedLines)
{
    for (const int lines : {0, 1, 7}) {
        SCOPED_TRACE(lines);
        const auto db = openDatabase(
            demo::createSuiteDatabase(uniqueName("LINEAS"), {.sample = {.journalLines = lines}}));
        EXPECT_EQ(countOf(*db, QStringLiteral("FROM MV_ASIENTOS")), lines);
    }
}

QVector<QVector<QVariant>> journalOf(const demo::SampleOptions &options, const QString &name)
{
    const auto db = openDatabase(demo::createSuiteDatabase(name, {.sample = options}));
    auto lines = db->execute(QStringLiteral(
        "SELECT MV_ASIENTOS.*, MV_ASIENTOS_CCOSTO.CCOSTO, MV_ASIENTOS_CCOSTO.IMPORTECC FROM "
        "MV_ASIENTOS LEFT JOIN MV_ASIENTOS_CCOSTO ON MV_ASIENTOS_CCOSTO.IdAsiento = "
        "MV_ASIENTOS.ID ORDER BY MV_ASIENTOS.ID, MV_ASIENTOS_CCOSTO.CCOSTO"));
    return lines.getRows();
}

TEST_F(FreshDatabase, SameSeedGivesTheSameJournalAndAnotherSeedAnotherOne)
{
    const demo::SampleOptions first{.journalLines = 300, .seed = 7};
    const auto journal = journalOf(first, uniqueName("SEMILLA"));
    EXPECT_EQ(journalOf(first, uniqueName("SEMILLA")), journal);
    EXPECT_NE(journalOf({.journalLines = 300, .seed = 8}, uniqueName("SEMILLA")), journal);
}

TEST_F(FreshDatabase, ExistingDatabaseIsRefusedAndKeptWhole)
{
    const QString name = uniqueName("DOBLE");
    const auto db = openDatabase(demo::createSuiteDatabase(name, {.sample = {.journalLines = 10}}));

    EXPECT_THROW(demo::createSuiteDatabase(name), platform::Error);
    EXPECT_EQ(
        countOf(*openDatabase(demo::connectionString(name)), QStringLiteral("FROM MV_ASIENTOS")),
        10);
}

TEST_F(FreshDatabase, FailedSampleDataLeavesNothingWritten)
{
    const auto db = openDatabase(
        demo::createSuiteDatabase(uniqueName("FALLA"), {.sampleData = false, .sample = {}}));
    // The administrator is written after the masters and the configuration.
    db->execute(u"INSERT INTO TA_USUARIOS (Nombre, Administrador) VALUES ('"
                % demo::administratorUser().name % u"', 1)");

    EXPECT_THROW(demo::insertSampleData(*db), platform::Error);
    for (const char *table : {"MA_CUENTAS", "TA_CPTE", "TA_CONFIGURACION", "MA_PANELCTA",
                              "MV_ASIENTOS", "MV_ASIENTOS_CCOSTO"})
        EXPECT_EQ(countOf(*db, u"FROM " % QString::fromUtf8(table)), 0) << table;
}

TEST_F(FreshDatabase, SplitsNameTheirLinesInAJournalWhoseIdsMovedOn)
{
    const auto db = openDatabase(
        demo::createSuiteDatabase(uniqueName("HUECO"), {.sampleData = false, .sample = {}}));
    // A deleted line leaves the identity past the highest id.
    db->execute(QStringLiteral("INSERT INTO MV_ASIENTOS (CUENTA, FECHA, [DEBE-HABER], IMPORTE, TC, "
                               "UNEGOCIO) VALUES ('5201', '01/01/2023', 'D', 1, 'AS', '   1')"));
    db->execute(QStringLiteral("DELETE MV_ASIENTOS"));

    demo::insertSampleData(*db, {.journalLines = 2500});
    expectSplitsMatchTheirLines(*db);
}

} // namespace
