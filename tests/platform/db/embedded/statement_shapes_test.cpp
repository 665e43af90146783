#include "demo/suite_database.h"
#include "engine_fixture.h"
#include "platform/db/embedded/sql_server_functions.h"
#include "platform/db/embedded/sqlite_database.h"
#include "platform/db/embedded/tsql_translator.h"
#include "platform/error.h"
#include "platform/variant.h"

#include <QDateTime>
#include <sqlite3.h>

using namespace platform::db;
using platform::Currency;

namespace {

// The suite's schema as the demo maker creates it, with a few rows whose sums are known.
class SuiteSchemaTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        demo::createSchema(*m_connection);
        run(QStringLiteral(
            "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, Titulo) VALUES ('11', 'Caja y bancos', "
            "1)\r"
            "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, Titulo) VALUES ('1101', 'Caja', 0)\r"
            "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, Titulo) VALUES ('1102', 'Banco Nación', "
            "0)\r"
            "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, Titulo) VALUES ('2101', 'Proveedores', "
            "0)\r"
            "INSERT INTO TA_CPTE (Codigo, Descripcion) VALUES ('FA', 'Factura')\r"
            "INSERT INTO TA_CPTE (Codigo, Descripcion) VALUES ('NC', 'Nota de crédito')\r"
            "INSERT INTO TA_CPTE (Codigo, Descripcion) VALUES ('ÿRS', 'Asiento resumen')\r"
            "INSERT INTO TA_UNIDADNEGOCIO (CODIGO, Descripcion) VALUES ('   2', NULL)\r"
            "INSERT INTO TA_UNIDADNEGOCIO (CODIGO, Descripcion) VALUES ('   1', 'Central')\r"
            "INSERT INTO TA_CCOSTO (CODIGO, Descripcion, Titulo) VALUES ('  20', 'Admin', NULL)\r"
            "INSERT INTO TA_CCOSTO (CODIGO, Descripcion, Titulo) VALUES ('  10', 'Ventas', 0)\r"
            "INSERT INTO TA_CCOSTO (CODIGO, Descripcion, Titulo) VALUES ('   1', 'Todos', 1)\r"
            "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NOMBRE', 'Empresa Demo')\r"
            "INSERT INTO TA_USUARIOS (Nombre, Administrador) VALUES ('ADMIN', 1)\r"
            "INSERT INTO TA_USUARIOS (Nombre, Administrador) VALUES ('ANA', 0)\r"
            "INSERT INTO TA_MENU (MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,HABILITADO)  "
            "VALUES('KORU','D957011','D95701101' ,'Caja','Reportes','shell:RP_PANELCTA "
            "@PARAMETROADICIONAL= CFG_Caja',1)\r"
            "INSERT INTO TA_TAREAS (USUARIO,SISTEMA,TAREA) VALUES "
            "('ANA','CN000PR','D95701101')\r"));
        const char *journal[] = {
            "'1101', '15/02/2024', 'D', 100.10, 'FA', '   1', 0",
            "'1101', '15/02/2024', 'D', 0.20, 'FA', '   2', 0",
            "'1101', '20/03/2024', 'H', 50, 'NC', '   1', 0",
            "'1102', '15/02/2024', 'D', 30, 'FA', '   1', 0",
            "'1101', '15/02/2024', 'D', 999, 'ÿRS', '   1', 1",
            "'2101', '01/03/2024', 'H', 70, 'FA', '   2', 0",
        };
        for (const char *line : journal) {
            run(QStringLiteral("INSERT INTO MV_ASIENTOS (CUENTA, FECHA, [DEBE-HABER], IMPORTE, TC, "
                               "UNEGOCIO, EsResumen) VALUES (%1)")
                    .arg(QString::fromUtf8(line)));
        }
        run(QStringLiteral(
            "INSERT INTO MV_ASIENTOS_CCOSTO (IdAsiento, CCOSTO, IMPORTECC) VALUES (1, '  10', "
            "60.10) "
            "INSERT INTO MV_ASIENTOS_CCOSTO (IdAsiento, CCOSTO, IMPORTECC) VALUES (1, '  20', 40) "
            "INSERT INTO MV_ASIENTOS_CCOSTO (IdAsiento, CCOSTO, IMPORTECC) VALUES (3, '  10', "
            "50)"));
        for (const char *line :
             {"'Caja', 'Disponible (+)', '1101'", "'caja', 'DISPONIBLE (+)', '1102'",
              "'Otra', 'Pasivo (-)', '2101'"}) {
            run(QStringLiteral("INSERT INTO MA_PANELCTA (NOMBRE, Grupo, Cuenta, DEBE, Haber, "
                               "TipoGrafico, PERIODICIDAD) VALUES (%1, 1, 1, 0, 4)")
                    .arg(QString::fromUtf8(line)));
        }
    }

    QStringList shownColumn(const QString &sql, const QString &field)
    {
        QStringList values;
        Recordset rows = m_connection->execute(sql);
        for (; !rows.eof(); rows.moveNext())
            values.append(shown(rows.field(field).value()));
        return values;
    }
};

struct ShapeCase
{
    const char *id;
    const char *sql;
    const char *field;
    QStringList expected; // in this order when the statement orders its rows
};

const ShapeCase readShapes[] = {
    {"S10",
     "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'nombre'",
     "VALOR",
     {"Empresa Demo"}},
    {"S12",
     "Select * from ta_usuarios  with(nolock)  where Nombre = 'ana'",
     "Administrador",
     {"0"}},
    {"S13",
     "SELECT TOP 1 * FROM ta_usuarios with(nolock)  WHERE LTRIM(RTRIM(nombre)) ='admin' ",
     "Administrador",
     {"1"}},
    {"S19",
     "SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , TA_MENU.Nombre  FROM TA_TAREAS  "
     "with(nolock) INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave  WHERE "
     "(TA_TAREAS.USUARIO = 'ANA ') AND (TA_MENU.Proceso LIKE '%rp_panelcta%')",
     "Nombre",
     {"Caja"}},
    {"S32",
     "SELECT DISTINCT NOMBRE FROM MA_PANELCTA Where EsRanking = 0 ORDER BY NOMBRE ",
     "NOMBRE",
     {"Caja", "Otra"}},
    {"S33",
     "SELECT CODIGO,DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO",
     "CODIGO",
     {"11", "1101", "1102", "2101"}},
    {"S34",
     "SELECT TOP 1 * FROM MA_PANELCTA with(nolock)  WHERE EsRanking = 0 and Nombre = 'OTRA'",
     "Cuenta",
     {"2101"}},
    {"S35",
     "SELECT TOP 1  * FROM MA_CUENTAS with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='1102'",
     "Descripcion",
     {"Banco Nación"}},
    {"S36", "SELECT * FROM MA_PANELCTA WHERE NOMBRE= 'otra'", "Grupo", {"Pasivo (-)"}},
    {"S37",
     "SELECT * FROM MA_PANELCTA WHERE NOMBRE = 'caja' ORDER BY NOMBRE,GRUPO,CUENTA",
     "CUENTA",
     {"1101", "1102"}},
    {"S38",
     "SELECT TOP 1 * FROM ma_cuentas with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='1101' ",
     "descripcion",
     {"Caja"}},
    {"S41",
     "Select * from Vt_TA_Cpte where Codigo <> 'ÿRS' Order By Descripcion",
     "Codigo",
     {"FA", "NC"}},
    {"S42", "SELECT * FROM V_TA_UNIDADNEGOCIO ORDER BY CODIGO", "CODIGO", {"   1", "   2"}},
    {"S43",
     "SELECT * FROM TA_CCOSTO where titulo = 0 or titulo is null ORDER BY CODIGO",
     "CODIGO",
     {"  10", "  20"}},
    {"S44",
     "SELECT * FROM TA_MENU WHERE TITULO =  'D957011'  ORDER BY CLAVE",
     "CLAVE",
     {"D95701101"}},
    {"S46",
     "SELECT * FROM TA_MENU WHERE TITULO = 'D957011' AND NOMBRE = 'CAJA'",
     "Clave",
     {"D95701101"}},
    {"S48",
     "SELECT TOP 1 * FROM TA_TAREAS with(nolock)  WHERE USUARIO = 'ana' AND SISTEMA = 'CN000PR' "
     "AND TAREA = 'D95701101'",
     "TAREA",
     {"D95701101"}},
    {"S50",
     "SELECT TOP 1 * FROM TA_MENU with(nolock)  WHERE LTRIM(RTRIM(TITULO)) ='D957011'  AND  "
     "TITULO = 'D957011' AND NOMBRE = 'Caja'",
     "Clave",
     {"D95701101"}},
    {"S53", "SELECT * FROM TA_MENU WHERE TITULO = 'D957011'", "NOMBRE", {"Caja"}},
    {"S57",
     "select * from MA_PANELCTA where nombre = 'Caja ' and EsRanking = 0 order by grupo,cuenta",
     "Cuenta",
     {"1101", "1102"}},
    {"S58",
     "SELECT NOMBRE, GRUPO  From MA_PANELCTA  WHERE EsRanking = 0  GROUP BY NOMBRE, GRUPO HAVING "
     "(NOMBRE = 'CAJA')",
     "NOMBRE",
     {"Caja"}},
    {"S59",
     "select * from v_ta_unidadnegocio  where CODIGO IN ('   2')  order by codigo",
     "CODIGO",
     {"   2"}},
    {"S60",
     "select * from ta_CCOSTO Where Titulo = 0  and CODIGO IN ('  10','  20')  order by codigo",
     "CODIGO",
     {"  10"}},
    {"S65 daily exact",
     "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
     "(EsResumen = 0)   GROUP BY CUENTA, FECHA, [DEBE-HABER]  HAVING (CUENTA = '1101' AND FECHA "
     ">='01/02/2024' AND Fecha <='29/02/2024' AND [DEBE-HABER] = 'D' )",
     "IMPORTE",
     {"100.3"}},
    {"S65 periodic title",
     "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
     "(EsResumen = 0)  and TC IN ('FA','NC')  GROUP BY CUENTA, FECHA, [DEBE-HABER]  HAVING "
     "(substring(CUENTA,1,2) = '11' AND FECHA >='01/02/2024' AND Fecha <'01/03/2024'AND "
     "[DEBE-HABER] = 'D' )",
     "IMPORTE",
     {"100.3", "30"}},
    {"S66",
     "Select substring(CUENTA,1,2), [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, UNEGOCIO  From "
     "MV_ASIENTOS  WHERE (EsResumen = 0)   and  UNEGOCIO = '   1' AND FECHA >='01/02/2024' AND "
     "Fecha <='31/03/2024' GROUP BY substring(CUENTA,1,2), [DEBE-HABER], UNEGOCIO  HAVING "
     "(substring(CUENTA,1,2) = '11' )",
     "IMPORTE",
     {"130.1", "50"}},
    {"S67",
     "Select CUENTA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, UNEGOCIO  From MV_ASIENTOS  WHERE "
     "(EsResumen = 0)  and TC IN ('FA','NC')  and  UNEGOCIO = '   1' AND FECHA >='01/02/2024' "
     "AND Fecha <='31/03/2024' GROUP BY CUENTA, [DEBE-HABER], UNEGOCIO  HAVING (CUENTA = '1101' "
     "AND [DEBE-HABER] = 'H' )",
     "IMPORTE",
     {"50"}},
    {"S68",
     "Select substring(CUENTA,1,2), [DEBE-HABER], SUM(IMPORTECC) AS IMPORTE, CCOSTO  From "
     "Vt_ASIENTOS_Ccosto  WHERE (EsResumen = 0)   and  CCOSTO = '  10' AND FECHA >='01/02/2024' "
     "AND Fecha <='31/03/2024' GROUP BY substring(CUENTA,1,2), [DEBE-HABER], CCOSTO  HAVING "
     "(substring(CUENTA,1,2) = '11' )",
     "IMPORTE",
     {"60.1", "50"}},
    {"S69",
     "Select CUENTA, [DEBE-HABER], SUM(IMPORTECC) AS IMPORTE, CCOSTO  From Vt_ASIENTOS_Ccosto  "
     "WHERE (EsResumen = 0)  and  UNEGOCIO IN ('   1')  and  CCOSTO = '  20' AND FECHA "
     ">='01/02/2024' AND Fecha <='31/03/2024' GROUP BY CUENTA, [DEBE-HABER], CCOSTO  HAVING "
     "(CUENTA = '1101' )",
     "IMPORTE",
     {"40"}},
    {"S70",
     "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
     "(EsResumen = 0)   GROUP BY CUENTA, FECHA, [DEBE-HABER]  HAVING (CUENTA = '1101' AND FECHA "
     "<='29/02/2024' )",
     "IMPORTE",
     {"100.3"}},
    {"S71",
     "SELECT TOP 1 * FROM ma_cuentas with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='11' ",
     "Titulo",
     {"1"}},
    {"S79 name",
     "SELECT DISTINCT NOMBRE FROM MA_PANELCTA Where EsRanking = 0 and NOMBRE like '%AJ%' ORDER "
     "BY NOMBRE ",
     "NOMBRE",
     {"Caja"}},
    {"S79 account",
     "SELECT CODIGO,DESCRIPCION FROM MA_CUENTAS where DESCRIPCION like '%banco%NACIÓN%' ORDER BY "
     "CODIGO ",
     "CODIGO",
     {"1102"}},
    {"S84",
     "SELECT NOMBRE, GRUPO,CUENTA  From MA_PANELCTA  WHERE EsRanking = 0  GROUP BY NOMBRE, "
     "GRUPO,CUENTA HAVING (NOMBRE = 'caja')",
     "CUENTA",
     {"1101", "1102"}},
};

TEST_F(SuiteSchemaTest, ReadShapesGiveTheRowsTheServerWouldGive)
{
    for (const ShapeCase &shape : readShapes) {
        SCOPED_TRACE(shape.id);
        QStringList values;
        try {
            values = shownColumn(QString::fromUtf8(shape.sql), QLatin1String(shape.field));
        } catch (const platform::Error &error) {
            ADD_FAILURE() << error.what();
            continue;
        }
        QStringList expected = shape.expected;
        if (!QString::fromUtf8(shape.sql).contains(QLatin1String("order by"),
                                                   Qt::CaseInsensitive)) {
            values.sort();
            expected.sort();
        }
        EXPECT_EQ(values.join(u'|').toLower(), expected.join(u'|').toLower());
    }
}

TEST_F(SuiteSchemaTest, WorkTableRunOfAStatistic)
{
    std::int32_t affected = 0;
    // S61: one bucket per period; dates in an order that day-first text would get wrong.
    for (const char *bucket :
         {"'Disponible (+)','15/01/2024','31/01/2024'",
          "'Disponible (+)','01/02/2024','29/02/2024'",
          "'Disponible (+)','20/12/2023','31/12/2023'", "'Pasivo (-)','01/02/2024','29/02/2024'"}) {
        m_connection->execute(
            QStringLiteral("INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo, "
                           "FechaD,FechaH,ImporteG1)   Values  ('PC|ANA','Caja',%1,0)")
                .arg(QString::fromUtf8(bucket)),
            &affected);
        EXPECT_EQ(affected, 1);
    }
    // S85: the first buckets by date.
    EXPECT_EQ(shownColumn(QStringLiteral("Select top 2 * from  Aux_PanelCta where Nombre = 'Caja' "
                                         "and Grupo = 'disponible (+)' and usuario = 'pc|ana' "
                                         "ORDER BY FECHAD"),
                          QStringLiteral("FechaD")),
              (QStringList{QStringLiteral("2023-12-20"), QStringLiteral("2024-01-15")}));

    // S64: the sum rows are written through an updatable recordset.
    for (const char *group : {"Disponible (+)", "Pasivo (-)"}) {
        Recordset rows;
        rows.open(QStringLiteral("Select * from Aux_PanelCta where Nombre = 'Caja' and Grupo = "
                                 "'%1' and usuario = 'PC|ANA'")
                      .arg(QLatin1String(group)),
                  m_connection, adOpenDynamic, adLockOptimistic);
        for (; !rows.eof(); rows.moveNext()) {
            rows.field(QStringLiteral("ImporteG1")).setValue(-25.5);
            rows.update();
        }
    }
    // S72 and S73: signs of the signed groups.
    run(QStringLiteral("Update AUX_PanelCta set ImporteG1 = Abs(ImporteG1), ImporteG2 = "
                       "Abs(ImporteG2) where Grupo LIKE '%(+)' and USUARIO = 'PC|ANA'"));
    run(QStringLiteral("Update AUX_PanelCta set ImporteG1 = ImporteG1 * -1, ImporteG2 = ImporteG2 "
                       "* -1 where Grupo like '%(-)' and usuario = 'PC|ANA'"));
    EXPECT_EQ(shownColumn(QStringLiteral("SELECT Grupo, ImporteG1, ImporteG2 FROM AUX_PANELCTA "
                                         "ORDER BY Grupo, FechaD"),
                          QStringLiteral("ImporteG1")),
              (QStringList{QStringLiteral("25.5"), QStringLiteral("25.5"), QStringLiteral("25.5"),
                           QStringLiteral("25.5")}));
    EXPECT_TRUE(platform::isNull(scalar(QStringLiteral("SELECT ImporteG2 FROM AUX_PANELCTA"))));

    // S56: the user's rows go.
    m_connection->execute(QStringLiteral("DELETE FROM AUX_PANELCTA WHERE USUARIO = 'pc|ana'"),
                          &affected);
    EXPECT_EQ(affected, 4);

    // S62 and S63: the buckets of a unit or a cost-centre grouping.
    for (const char *insert :
         {"INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1,Unegocio)   "
          "Values  ('PC|ANA','Caja','Disponible (+)','01/02/2024','29/02/2024',0,'   1')",
          "INSERT INTO AUX_PANELCTA  (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1,CCOSTO)   "
          "Values   ('PC|ANA','Caja','Disponible (+)','01/02/2024','29/02/2024',0,'  10')"}) {
        m_connection->execute(QString::fromUtf8(insert), &affected);
        EXPECT_EQ(affected, 1);
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM AUX_PANELCTA WHERE FechaD = "
                                    "'01/02/2024' AND (Unegocio = '   1' OR CCOSTO = '  10')"))
                  .toInt(),
              2);
}

TEST_F(SuiteSchemaTest, MenuAnchoringAndAuditStatements)
{
    struct Case
    {
        const char *id;
        const char *sql;
        std::int32_t affected; // -1: fails silently as a duplicate (2627)
    };
    const Case cases[] = {
        {"S45",
         "INSERT INTO TA_MENU (MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,HABILITADO)  "
         "VALUES('KORU','D9570','D957011' ,'Panel de Cuentas','Reportes','',1)",
         1},
        {"S45 again",
         "INSERT INTO TA_MENU (MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,HABILITADO)  "
         "VALUES('KORU','D9570','D957011' ,'Panel de Cuentas','Reportes','',1)",
         -1},
        {"S47",
         "INSERT INTO TA_MENU (MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,HABILITADO)  "
         "VALUES('KORU','D957011','D95701102' ,'Otra','Reportes','shell:RP_PANELCTA "
         "@PARAMETROADICIONAL= CFG_Otra',1)",
         1},
        {"S49", "INSERT INTO TA_TAREAS (USUARIO,SISTEMA,TAREA) VALUES ('ANA','CN000PR','D957011')",
         1},
        {"S52 empty key", "DELETE TA_TAREAS WHERE TAREA = '' ", 0},
        {"S51", "DELETE TA_MENU WHERE TITULO = 'D957011' AND NOMBRE = 'caja'", 1},
        {"S52", "DELETE TA_TAREAS WHERE TAREA = 'D95701101'", 1},
        {"S54", "DELETE TA_MENU WHERE CLAVE = 'D957011'", 1},
        {"S55", "DELETE TA_TAREAS WHERE TAREA = 'D957011'", 1},
        {"S39", "DELETE MA_PANELCTA WHERE NOMBRE = 'Caja' ", 2},
        {"S15 audit",
         "BEGIN TRANSACTION \r\r\rINSERT INTO Control_Acceso (Maquina,Usuario,Formulario,Tarea,"
         "Ingreso,NombreUsuario) VALUES ('PC','ANA','RP_PANELCTA','CAJA','05/03/24 09:15','ana')\r",
         1},
        {"S16", "COMMIT TRANSACTION", -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::int32_t affected = 0;
        try {
            m_connection->execute(QString::fromUtf8(c.sql), &affected);
            EXPECT_EQ(affected, c.affected == -1 ? -1 : c.affected);
        } catch (const platform::Error &error) {
            EXPECT_EQ(c.affected, -1) << error.what();
            EXPECT_EQ(m_connection->errors().item(0).nativeError, native::DuplicateKey);
        }
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT Ingreso FROM Control_Acceso")),
              QVariant(QDateTime(QDate(2024, 3, 5), QTime(9, 15))));
}

struct DateCase
{
    const char *literal;
    QDateTime stored; // invalid: fails with 242
};

TEST_F(EngineTest, DateLiteralsAreReadInTheRegionalOrderAndStoredAsDates)
{
    run(QStringLiteral("CREATE TABLE D (N int NOT NULL, FECHA datetime NULL)"));
    const DateCase cases[] = {
        {"01/03/2024", QDateTime(QDate(2024, 3, 1), QTime(0, 0))},
        {"1/3/24", QDateTime(QDate(2024, 3, 1), QTime(0, 0))},
        {"01/03/51", QDateTime(QDate(1951, 3, 1), QTime(0, 0))},
        {"15/03/2024 10:30", QDateTime(QDate(2024, 3, 15), QTime(10, 30))},
        {"20240315", QDateTime(QDate(2024, 3, 15), QTime(0, 0))},
        {"2024-03-15 10:30:45", QDateTime(QDate(2024, 3, 15), QTime(10, 30, 45))},
        {"", QDateTime(QDate(1900, 1, 1), QTime(0, 0))},
        {"31/02/2024", QDateTime()},
        {"15/13/2024", QDateTime()},
    };
    int n = 0;
    for (const DateCase &c : cases) {
        SCOPED_TRACE(c.literal);
        const QString insert = QStringLiteral("INSERT INTO D (N, FECHA) VALUES (%1, '%2')")
                                   .arg(++n)
                                   .arg(QLatin1String(c.literal));
        if (!c.stored.isValid()) {
            EXPECT_EQ(failureOf(insert), hresult::CantConvertValue);
            EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{native::DateOutOfRange});
            continue;
        }
        run(insert);
        EXPECT_EQ(scalar(QStringLiteral("SELECT FECHA FROM D WHERE N = %1").arg(n)),
                  QVariant(c.stored));
        EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM D WHERE N = %1 AND FECHA = '%2'")
                             .arg(n)
                             .arg(QLatin1String(c.literal)))
                      .toInt(),
                  1)
            << "the same literal finds the row again";
    }
}

TEST_F(EngineTest, DateOrderFollowsSetDateFormatAndDatesSortAsDates)
{
    run(QStringLiteral("CREATE TABLE D (FECHA datetime NULL, TEXTO varchar(10) NULL)"));
    run(QStringLiteral("INSERT INTO D (FECHA, TEXTO) VALUES ('02/01/2024', '02/01/2024') "
                       "INSERT INTO D (FECHA, TEXTO) VALUES ('10/12/2023', '10/12/2023') "
                       "INSERT INTO D (FECHA, TEXTO) VALUES ('01/02/2024', '01/02/2024')"));
    EXPECT_EQ(column(QStringLiteral("SELECT TEXTO FROM D ORDER BY FECHA")),
              (QStringList{QStringLiteral("10/12/2023"), QStringLiteral("02/01/2024"),
                           QStringLiteral("01/02/2024")}))
        << "texts outside date columns stay as written";
    const QString sameDay = QStringLiteral("SELECT TEXTO FROM D WHERE FECHA = '01/02/2024'");
    EXPECT_EQ(column(sameDay), QStringList{QStringLiteral("01/02/2024")});
    run(QStringLiteral("SET DATEFORMAT mdy"));
    EXPECT_EQ(column(sameDay), QStringList{QStringLiteral("02/01/2024")})
        << "a text sent before is read again in the new order";
}

TEST_F(EngineTest, ATextSentBeforeItsDateColumnExistedIsReadAgain)
{
    const QString insert = QStringLiteral("INSERT INTO L (ALTA) VALUES ('10/12/2023')");
    EXPECT_EQ(failureOf(insert), hresult::NoTable);
    auto other = Connection::create();
    other->open(connectionString());
    other->execute(QStringLiteral("CREATE TABLE L (ALTA datetime NULL)"));
    run(insert);
    EXPECT_EQ(scalar(QStringLiteral("SELECT ALTA FROM L")),
              QVariant(QDateTime(QDate(2023, 12, 10), QTime(0, 0))));
}

struct CollationCase
{
    const char *stored;
    const char *condition;
    bool matches;
};

TEST_F(EngineTest, TextComparesAsTheServersDefaultCollation)
{
    run(QStringLiteral("CREATE TABLE C (NOMBRE varchar(30) NULL)"));
    const CollationCase cases[] = {
        {"JUAN", "NOMBRE = 'juan'", true},
        {"JUAN", "NOMBRE = 'JUAN   '", true},
        {"JUAN  ", "LTRIM(RTRIM(NOMBRE)) = 'juan'", true},
        {"Ñandú", "NOMBRE = 'ñANDÚ'", true},
        {"Ñandú", "NOMBRE = 'Ñandu'", false},
        {" JUAN", "NOMBRE = 'JUAN'", false},
        {"Peña", "NOMBRE LIKE '%EÑ%'", true},
        {"Peña", "NOMBRE LIKE 'pe_a'", true},
        {"Peña", "NOMBRE LIKE '%en%'", false},
        {"Ventas", "NOMBRE IN ('VENTAS', 'x')", true},
        {"Ventas (+)", "NOMBRE LIKE '%(+)'", true},
        {"Neto (-) ", "NOMBRE LIKE '%(-)'", true},
        {"Neto (-) ", "NOMBRE LIKE '%(-) '", true},
        {"Neto (-) x", "NOMBRE LIKE '%(-)'", false},
        {"Neto", "NOMBRE LIKE 'Neto '", false},
        {"abc", "NOMBRE < 'ABD'", true},
    };
    for (const CollationCase &c : cases) {
        SCOPED_TRACE(c.condition);
        run(QStringLiteral("DELETE FROM C"));
        run(QStringLiteral("INSERT INTO C (NOMBRE) VALUES ('%1')")
                .arg(QString::fromUtf8(c.stored)));
        EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM C WHERE %1")
                             .arg(QString::fromUtf8(c.condition)))
                      .toInt(),
                  c.matches ? 1 : 0);
    }
}

// SQL Server reads a literal and the token right after it as two tokens; the literal's
// rewriting must not run into that token.
TEST_F(EngineTest, ALiteralNeverRunsIntoTheTokenAfterIt)
{
    run(QStringLiteral("CREATE TABLE C (NOMBRE varchar(30) NULL, LADO char(1) NULL, FECHA "
                       "datetime NULL)"));
    run(QStringLiteral("INSERT INTO C (NOMBRE, LADO, FECHA) VALUES ('52', 'D', '01/03/2024')"));
    run(QStringLiteral("INSERT INTO C (NOMBRE, LADO, FECHA) VALUES ('53', 'H', '02/03/2024')"));
    const struct
    {
        const char *condition;
        int count;
    } cases[] = {
        {"NOMBRE = '52'AND LADO = 'D'", 1},
        {"NOMBRE = '52'OR LADO = 'H'", 2},
        {"(NOMBRE = '52')", 1},
        {"(NOMBRE = '52'AND [LADO] = 'D' )", 1},
        {"NOMBRE IN ('52','53')AND LADO = 'H'", 1},
        {"FECHA >='01/03/2024'AND FECHA <'02/03/2024'", 1},
        {"FECHA ='02/03/2024'OR NOMBRE ='52'", 2},
        {"NOMBRE = N'53'AND LADO = 'H'", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.condition);
        EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM C WHERE %1")
                             .arg(QString::fromUtf8(c.condition)))
                      .toInt(),
                  c.count);
    }
    EXPECT_EQ(column(QStringLiteral("SELECT NOMBRE FROM C WHERE LADO = 'D'ORDER BY NOMBRE")),
              QStringList{QStringLiteral("52")});
    EXPECT_EQ(column(QStringLiteral("SELECT NOMBRE FROM C WITH(NOLOCK)WHERE LADO = 'H'")),
              QStringList{QStringLiteral("53")});
}

TEST_F(EngineTest, GroupingDistinctAndOrderFollowTheCollation)
{
    run(QStringLiteral("CREATE TABLE C (NOMBRE varchar(30) NULL)"));
    for (const char *name :
         {"Ventas", "VENTAS", "ventas ", "ábaco", "Zorro", "árbol", "Ñu", "nube"})
        run(QStringLiteral("INSERT INTO C (NOMBRE) VALUES ('%1')").arg(QString::fromUtf8(name)));
    EXPECT_EQ(column(QStringLiteral("SELECT COUNT(*) FROM C GROUP BY NOMBRE ORDER BY NOMBRE")),
              (QStringList{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"),
                           QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("1")}));
    QStringList ordered = column(QStringLiteral("SELECT DISTINCT NOMBRE FROM C ORDER BY NOMBRE"));
    ordered.replaceInStrings(QStringLiteral("VENTAS"), QStringLiteral("Ventas"),
                             Qt::CaseInsensitive);
    // Accents count after the letters, as in the server's Latin-1 general order: Ñu before nube.
    EXPECT_EQ(
        ordered,
        (QStringList{QStringLiteral("ábaco"), QStringLiteral("árbol"), QStringLiteral("Ñu"),
                     QStringLiteral("nube"), QStringLiteral("Ventas"), QStringLiteral("Zorro")}));
}

TEST_F(EngineTest, ServerFunctions)
{
    struct Case
    {
        const char *expression;
        QVariant expected;
    };
    const Case cases[] = {
        {"UPPER('ñandú')", QStringLiteral("ÑANDÚ")},
        {"LOWER('ÁRBOL')", QStringLiteral("árbol")},
        {"LEN('ab  ')", 2},
        {"LEN(LTRIM(RTRIM('  ab ')))", 2},
        {"CHARINDEX('B', 'abc')", 2},
        {"CHARINDEX('x', 'abc')", 0},
        {"substring('110203', 1, 4)", QStringLiteral("1102")},
        {"Abs(-2.5)", -2.5 * -1},
        {"SYSTEM_USER", QStringLiteral("prueba")},
        {"ISNULL(NULL, 'x')", QStringLiteral("x")},
        {"ISNULL('a', 'x')", QStringLiteral("a")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expression);
        EXPECT_EQ(scalar(QStringLiteral("SELECT %1").arg(QString::fromUtf8(c.expression))),
                  c.expected);
    }
    EXPECT_TRUE(scalar(QStringLiteral("SELECT LEN(NULL)")).isNull());
    EXPECT_TRUE(scalar(QStringLiteral("SELECT GETDATE()")).toString().startsWith(u'2'));
}

// Money adds as the server's four-place decimal, not as binary fractions, and a money
// expression is money whatever the values it meets.
TEST_F(EngineTest, MoneyAddsExactlyAndStaysMoney)
{
    run(QStringLiteral("CREATE TABLE M (ID int NOT NULL, A money NULL, B money NULL, C money NULL, "
                       "F float NULL)"));
    run(QStringLiteral("INSERT INTO M (ID, A, B, C, F) VALUES (1, 0.1, 0.2, 0.3, 0.5)"));
    const struct
    {
        const char *expression;
        const char *shown; // the value as the program shows it; "NULL" for a Null
    } cases[] = {
        {"A + B - C", "0"},          {"SUM(A) + SUM(B) - SUM(C)", "0"}, {"SUM(A + B - C)", "0"},
        {"ABS(C - A - B) * 2", "0"}, {"M.A + M.B AS Total", "0.3"},     {"A / 3", "0.0333"},
        {"SUM(A) Alias", "0.1"},     {"ISNULL(SUM(A), 0) - 0.1", "0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expression);
        Recordset rows
            = m_connection->execute(QStringLiteral("SELECT ID, %1 FROM M GROUP BY ID, A, B, C")
                                        .arg(QString::fromUtf8(c.expression)));
        EXPECT_EQ(rows.field(1).type(), adCurrency);
        EXPECT_EQ(shown(rows.field(1).value()), QString::fromUtf8(c.shown));
    }
    // Money with a float is a float; its type is left to the values.
    EXPECT_EQ(m_connection->execute(QStringLiteral("SELECT A + F FROM M")).field(0).type(),
              adDouble);

    // A stored result is rounded to money's places: the zero test finds it zero.
    run(QStringLiteral("UPDATE M SET A = A + B - C, F = A + B - C WHERE ID = 1"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM M WHERE A <> 0")).toInt(), 0);

    // 1,010 lines that total 11; whole amounts, or none at all, give money too.
    run(QStringLiteral("DELETE FROM M"));
    for (int i = 0; i < 1010; ++i)
        run(QStringLiteral("INSERT INTO M (ID, A, B) VALUES (%1, %2, 2)")
                .arg(i)
                .arg(i < 1000 ? QStringLiteral("0.01") : QStringLiteral("0.1")));
    const struct
    {
        const char *query;
        const char *shown;
    } sums[] = {
        {"SELECT SUM(A) FROM M", "11"},
        {"SELECT SUM(B) FROM M", "2020"},
        {"SELECT SUM(A) FROM M WHERE ID < 0", "NULL"},
        {"SELECT SUM(A) - 11 FROM M", "0"},
    };
    for (const auto &c : sums) {
        SCOPED_TRACE(c.query);
        Recordset rows = m_connection->execute(QString::fromUtf8(c.query));
        EXPECT_EQ(rows.field(0).type(), adCurrency);
        const QVariant value = rows.field(0).value();
        EXPECT_EQ(platform::isNull(value) ? QStringLiteral("NULL") : shown(value),
                  QString::fromUtf8(c.shown));
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT SUM(A) FROM M")).value<platform::Currency>(),
              platform::Currency::fromScaled(110000));
}

// Where SQLite would answer something else than SQL Server, the statement fails with the
// server's number instead: a division by zero (8134) and "+" on a date (50000).
TEST_F(SuiteSchemaTest, ConstructsTheEngineCannotAnswerAsTheServerFailClearly)
{
    const struct
    {
        const char *sql;
        std::int32_t number;
    } failures[] = {
        {"SELECT IMPORTE / 0 FROM MV_ASIENTOS", native::DivideByZero},
        {"SELECT SUM(IMPORTE) / (COUNT(*) - COUNT(*)) FROM MV_ASIENTOS", native::DivideByZero},
        {"SELECT 7 % 0", native::DivideByZero},
        {"SELECT 1 / CASE WHEN 1 = 1 THEN 0 ELSE 1 END", native::DivideByZero},
        {"SELECT CUENTA FROM MV_ASIENTOS WHERE IMPORTE / -0.0 > 1", native::DivideByZero},
        {"SELECT FECHA + 1 FROM MV_ASIENTOS", native::Unsupported},
    };
    for (const auto &f : failures) {
        SCOPED_TRACE(f.sql);
        failureOf(QString::fromUtf8(f.sql));
        EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{f.number});
    }
    // Divisions that do not divide by zero, and "+" between numbers, run as before.
    EXPECT_EQ(scalar(QStringLiteral("SELECT 10 / 4")).toInt(), 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT 7 % 4")).toInt(), 3);
    EXPECT_TRUE(scalar(QStringLiteral("SELECT 10 / NULL")).isNull());
    EXPECT_EQ(shown(scalar(QStringLiteral("SELECT MAX(IMPORTE) / 2 FROM MV_ASIENTOS "
                                          "WHERE CUENTA = '1102'"))),
              QStringLiteral("15"));
    EXPECT_EQ(shown(scalar(QStringLiteral("SELECT MAX(IMPORTE + IMPORTE) FROM MV_ASIENTOS "
                                          "WHERE CUENTA = '1102'"))),
              QStringLiteral("60"));
    EXPECT_EQ(column(QStringLiteral("SELECT LEN(CODIGO) + 1 FROM MA_CUENTAS WHERE CODIGO = '11'")),
              QStringList{QStringLiteral("3")});
    // "+" between texts joins them, as the server does.
    EXPECT_EQ(column(QStringLiteral("SELECT MA_CUENTAS.CODIGO + ' ' + MA_CUENTAS.DESCRIPCION FROM "
                                    "MA_CUENTAS WHERE CODIGO = '11'")),
              QStringList{QStringLiteral("11 Caja y bancos")});
}

// Every sum searches an index that holds all it reads, never the table: one statement runs per
// definition line and period over a journal of a million lines.
TEST_F(SuiteSchemaTest, JournalSumsSearchACoveringIndex)
{
    using namespace platform::db::embedded;
    struct Case
    {
        const char *sum;
        const char *search;
    };
    const Case cases[] = {
        {"Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
         "(EsResumen = 0)   GROUP BY CUENTA, FECHA, [DEBE-HABER]  HAVING (CUENTA = '1101' AND "
         "FECHA >='01/02/2024' AND Fecha <='29/02/2024' AND [DEBE-HABER] = 'D' )",
         "SEARCH MV_ASIENTOS USING COVERING INDEX IX_MV_ASIENTOS_CUENTA_FECHA (CUENTA=? AND "
         "FECHA>? AND FECHA<?)"},
        // A title account: its accounts one by one, each over the period only.
        {"Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
         "(EsResumen = 0)   GROUP BY CUENTA, FECHA, [DEBE-HABER]  HAVING (substring(CUENTA,1,2) "
         "= '11' AND FECHA >='01/02/2024' AND Fecha <'15/02/2024' )",
         "SEARCH MV_ASIENTOS USING COVERING INDEX IX_MV_ASIENTOS_CUENTA_FECHA (CUENTA=? AND "
         "FECHA>? AND FECHA<?)"},
        {"Select substring(CUENTA,1,2), [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, UNEGOCIO  From "
         "MV_ASIENTOS  WHERE (EsResumen = 0)   and  UNEGOCIO = '   1' AND FECHA >='01/03/2024' "
         "AND Fecha <='31/03/2024' GROUP BY substring(CUENTA,1,2), [DEBE-HABER], UNEGOCIO  HAVING "
         "(substring(CUENTA,1,2) = '11' )",
         "SEARCH MV_ASIENTOS USING COVERING INDEX IX_MV_ASIENTOS_"},
    };
    FunctionContext functions;
    SqliteDatabase::Opened opened
        = SqliteDatabase::open(m_folder.filePath(QStringLiteral("PRUEBA.db")), &functions);
    ASSERT_TRUE(opened.database);
    SqliteDatabase &database = *opened.database;
    TranslationContext context;
    context.isDateColumn = [&](const QString &column) { return database.isDateColumn(column); };
    context.leadsIndex
        = [&](const QString &table, const QString &column, const QString &collation) {
              return database.leadsIndex(table, column, collation);
          };
    sqlite3 *db = database.handle();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sum);
        const TranslatedBatch batch = translateBatch(QString::fromUtf8(c.sum), context);
        ASSERT_FALSE(batch.error);
        ASSERT_EQ(batch.statements.size(), 1);
        sqlite3_stmt *plan = nullptr;
        const QByteArray sql = "EXPLAIN QUERY PLAN " + batch.statements.front().sql.toUtf8();
        ASSERT_EQ(sqlite3_prepare_v2(db, sql.constData(), -1, &plan, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        QStringList steps;
        while (sqlite3_step(plan) == SQLITE_ROW)
            steps.append(
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(plan, 3))));
        sqlite3_finalize(plan);
        EXPECT_TRUE(steps.join(u'\n').contains(QLatin1String(c.search)))
            << steps.join(u'\n').toStdString();
    }
}

// The range beside a prefix test, and the call the test becomes, keep exactly the rows of the
// test itself, which the reversed comparison runs as written, under each collation's folding
// of case, accents and trailing blanks.
TEST_F(EngineTest, PrefixTestsKeepTheirRowsWithTheIndexRange)
{
    run(QStringLiteral("CREATE TABLE P (ID int IDENTITY(1,1) PRIMARY KEY, CODIGO varchar(10) "
                       "NULL)\rCREATE INDEX IX_P ON P (CODIGO)"));
    for (const char *code :
         {"11", "110", "1105", "11  ", "1", "12", "1A",  "1a",  "1ab", "1@x", "1[",
          "1`", "Ñ1",  "ña",   "z9",   "Z", "{",  "1'x", " 11", "é1",  "e1"})
        run(QStringLiteral("INSERT INTO P (CODIGO) VALUES ('%1')")
                .arg(QString::fromUtf8(code).replace(u'\'', QStringLiteral("''"))));
    run(QStringLiteral("INSERT INTO P (CODIGO) VALUES (NULL)"));
    struct Case
    {
        const char *literal;
        int length;
        int rows;
    };
    const Case cases[] = {
        {"11", 2, 4}, {"1", 1, 13}, {"1a", 2, 3},  {"1A", 2, 3},  {"1@", 2, 1},
        {"Z", 1, 2},  {"z", 1, 2},  {"1''", 2, 1}, {"11 ", 3, 2}, {"ñ", 1, 2},
        {"e", 1, 1},  {"11", 1, 0}, {"{", 1, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.literal);
        const QString literal = QString::fromUtf8(c.literal);
        const auto count = [&](const QString &condition) {
            return scalar(u"SELECT COUNT(*) FROM P WHERE " + condition).toInt();
        };
        const int reversed
            = count(QStringLiteral("'%1' = substring(CODIGO, 1, %2)").arg(literal).arg(c.length));
        EXPECT_EQ(reversed, c.rows);
        EXPECT_EQ(count(QStringLiteral("substring(CODIGO,1,%2) = '%1'").arg(literal).arg(c.length)),
                  reversed);
        EXPECT_EQ(count(QStringLiteral("LEFT(CODIGO, %2) = '%1'").arg(literal).arg(c.length)),
                  reversed);
        EXPECT_EQ(
            count(QStringLiteral("NOT substring(CODIGO,1,%2) = '%1'").arg(literal).arg(c.length)),
            count(
                QStringLiteral("NOT '%1' = substring(CODIGO, 1, %2)").arg(literal).arg(c.length)));
        const QString insensitive = QStringLiteral(" COLLATE Latin1_General_CI_AI");
        EXPECT_EQ(count(QStringLiteral("substring(CODIGO,1,%2) = '%1'").arg(literal).arg(c.length)
                        + insensitive),
                  count(QStringLiteral("'%1'").arg(literal) + insensitive
                        + QStringLiteral(" = substring(CODIGO, 1, %1)").arg(c.length)));
    }
}

} // namespace
