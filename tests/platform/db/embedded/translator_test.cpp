#include "platform/db/embedded/tsql_translator.h"

#include <gtest/gtest.h>

using namespace platform::db::embedded;
using platform::DateOrder;
using Kind = EngineStatement::Kind;

namespace {

// The date columns of the suite's tables the program compares and writes.
TranslationContext suiteContext(DateOrder order = DateOrder::DayMonthYear)
{
    TranslationContext context;
    context.dateOrder = order;
    context.isDateColumn = [](const QString &column) {
        static const QStringList dates{QStringLiteral("FECHA"), QStringLiteral("FechaD"),
                                       QStringLiteral("FechaH"), QStringLiteral("Ingreso"),
                                       QStringLiteral("FechaHora")};
        return dates.contains(column, Qt::CaseInsensitive);
    };
    return context;
}

TranslatedBatch translate(const QString &tsql, DateOrder order = DateOrder::DayMonthYear)
{
    return translateBatch(tsql, suiteContext(order));
}

// Runs of blanks collapse: tokens dropped from the text leave their blanks behind.
std::string squeezed(const QString &text)
{
    return text.simplified().toStdString();
}

std::vector<Kind> kindsOf(const TranslatedBatch &batch)
{
    std::vector<Kind> kinds;
    for (const EngineStatement &statement : batch.statements)
        kinds.push_back(statement.kind);
    return kinds;
}

// The one SQL statement a text translates to.
std::string sqlOf(const QString &tsql, DateOrder order = DateOrder::DayMonthYear)
{
    const TranslatedBatch batch = translate(tsql, order);
    if (batch.error)
        return "error " + std::to_string(batch.error->nativeError) + ": "
            + batch.error->message.toStdString();
    if (batch.statements.size() != 1)
        return "statements: " + std::to_string(batch.statements.size());
    const EngineStatement &statement = batch.statements.front();
    if (statement.kind == Kind::Fail)
        return "fail " + std::to_string(statement.nativeError);
    return squeezed(statement.sql);
}

struct Shape
{
    const char *id;
    const char *tsql;
    const char *sqlite;
};

// Parameter names in test listings instead of the parameter's bytes.
void PrintTo(const Shape &shape, std::ostream *out)
{
    *out << shape.id;
}

class StatementShapes : public testing::TestWithParam<Shape>
{ };

TEST_P(StatementShapes, TranslateToSqlite)
{
    const Shape &shape = GetParam();
    EXPECT_EQ(sqlOf(QString::fromUtf8(shape.tsql)), shape.sqlite) << shape.id;
}

// The statements of the program, with the values its callers put in.
const Shape programShapes[] = {
    {"S04_S35", "SELECT TOP 1  * FROM MA_CUENTAS with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='1101'",
     "SELECT * FROM MA_CUENTAS WHERE LTRIM(RTRIM(Codigo)) ='1101' COLLATE TSQL_CI_AS LIMIT 1"},
    {"S06_S34",
     "SELECT TOP 1 * FROM MA_PANELCTA with(nolock)  WHERE EsRanking = 0 and Nombre = 'Ventas'",
     "SELECT * FROM MA_PANELCTA WHERE EsRanking = 0 and Nombre = 'Ventas' COLLATE TSQL_CI_AS "
     "LIMIT 1"},
    {"S08_hash_date", "SELECT TOP 1 * FROM MV_ASIENTOS with(nolock)  WHERE FECHA = #01/03/2024# ",
     "SELECT * FROM MV_ASIENTOS WHERE FECHA = '2024-03-01 00:00:00' LIMIT 1"},
    {"S09",
     "ALTER TABLE dbo.MA_PANELCTA ADD Orden int Null  CONSTRAINT DF_MA_PANELCTA_Orden DEFAULT (0)",
     "ALTER TABLE MA_PANELCTA ADD Orden int Null CONSTRAINT DF_MA_PANELCTA_Orden DEFAULT (0) "
     "CONSTRAINT ck_type_Orden CHECK (typeof(\"Orden\") IN ('integer', 'real', 'null')); "
     "UPDATE MA_PANELCTA SET Orden = NULL"},
    {"S09_text", "ALTER TABLE dbo.MA_PANELCTA ADD Obs varchar(30) Not Null ",
     "ALTER TABLE MA_PANELCTA ADD Obs varchar(30) COLLATE TSQL_CI_AS Not Null CONSTRAINT "
     "ck_len_Obs CHECK (length(rtrim(\"Obs\")) <= 30)"},
    {"S10", "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'NOMBRE'",
     "SELECT VALOR, valoraux FROM TA_CONFIGURACION WHERE CLAVE = 'NOMBRE' COLLATE TSQL_CI_AS"},
    {"S12", "Select * from ta_usuarios  with(nolock)  where Nombre = 'sa'",
     "Select * from ta_usuarios where Nombre = 'sa' COLLATE TSQL_CI_AS"},
    {"S13", "SELECT TOP 1 * FROM ta_usuarios with(nolock)  WHERE LTRIM(RTRIM(nombre)) ='sa' ",
     "SELECT * FROM ta_usuarios WHERE LTRIM(RTRIM(nombre)) ='sa' COLLATE TSQL_CI_AS LIMIT 1"},
    {"S14", "select  top 1 * from AUX_ERR  with(nolock) ", "select * from AUX_ERR LIMIT 1"},
    {"S18", "INSERT INTO AUX_ERR (Proceso,Fecha,Error) VALUES ('Grabar','05/02/2024 10:30',3)",
     "INSERT INTO AUX_ERR (Proceso,Fecha,Error) VALUES ('Grabar','2024-02-05 10:30:00',3)"},
    {"S19",
     "SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , TA_MENU.Nombre  FROM TA_TAREAS  "
     "with(nolock) INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave  WHERE "
     "(TA_TAREAS.USUARIO = 'JUAN ') AND (TA_MENU.Proceso LIKE '%RP_PANELCTA%')",
     "SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , TA_MENU.Nombre FROM TA_TAREAS "
     "INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave WHERE (TA_TAREAS.USUARIO = 'JUAN ' "
     "COLLATE TSQL_CI_AS) AND (TA_MENU.Proceso LIKE '%RP_PANELCTA%')"},
    {"S20",
     "INSERT INTO Control_Acceso (Maquina,Usuario,Formulario,Tarea,Ingreso,NombreUsuario) VALUES "
     "('PC1','JUAN','RP_PANELCTA','PANEL DE CUENTAS','05/02/24 10:30','juan')",
     "INSERT INTO Control_Acceso (Maquina,Usuario,Formulario,Tarea,Ingreso,NombreUsuario) VALUES "
     "('PC1','JUAN','RP_PANELCTA','PANEL DE CUENTAS','2024-02-05 10:30:00','juan')"},
    {"S30_plain", "CREATE VIEW dbo.SS_MA_CUENTAS  AS  SELECT *  FROM MA_CUENTAS",
     "CREATE VIEW SS_MA_CUENTAS AS SELECT * FROM MA_CUENTAS"},
    {"S30_confidential",
     "CREATE VIEW dbo.SS_MA_CUENTAS  AS  SELECT MA_CUENTAS.*  FROM MA_CUENTAS_USUARIOS INNER JOIN  "
     "MA_CUENTAS ON   MA_CUENTAS_USUARIOS.Cuenta = MA_CUENTAS.CODIGO INNER   Join TA_USUARIOS ON  "
     "MA_CUENTAS_USUARIOS.GrupoUser = TA_USUARIOS.Grupo   Where (TA_USUARIOS.Nombre = SYSTEM_USER)",
     "CREATE VIEW SS_MA_CUENTAS AS SELECT MA_CUENTAS.* FROM MA_CUENTAS_USUARIOS INNER JOIN "
     "MA_CUENTAS ON MA_CUENTAS_USUARIOS.Cuenta = MA_CUENTAS.CODIGO INNER Join TA_USUARIOS ON "
     "MA_CUENTAS_USUARIOS.GrupoUser = TA_USUARIOS.Grupo Where (TA_USUARIOS.Nombre = "
     "system_user())"},
    {"S32", "SELECT DISTINCT NOMBRE FROM MA_PANELCTA Where EsRanking = 0 ORDER BY NOMBRE ",
     "SELECT DISTINCT NOMBRE FROM MA_PANELCTA Where EsRanking = 0 ORDER BY NOMBRE"},
    {"S33", "SELECT CODIGO,DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO",
     "SELECT CODIGO,DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO"},
    {"S36", "SELECT * FROM MA_PANELCTA WHERE NOMBRE= 'Ventas'",
     "SELECT * FROM MA_PANELCTA WHERE NOMBRE= 'Ventas' COLLATE TSQL_CI_AS"},
    {"S37", "SELECT * FROM MA_PANELCTA WHERE NOMBRE = 'Ventas' ORDER BY NOMBRE,GRUPO,CUENTA",
     "SELECT * FROM MA_PANELCTA WHERE NOMBRE = 'Ventas' COLLATE TSQL_CI_AS ORDER BY "
     "NOMBRE,GRUPO,CUENTA"},
    {"S39", "DELETE MA_PANELCTA WHERE NOMBRE = 'Ventas' ",
     "DELETE FROM MA_PANELCTA WHERE NOMBRE = 'Ventas' COLLATE TSQL_CI_AS"},
    {"S41", "Select * from Vt_TA_Cpte where Codigo <> 'ÿRS' Order By Descripcion",
     "Select * from Vt_TA_Cpte where Codigo <> 'ÿRS' COLLATE TSQL_CI_AS Order By Descripcion"},
    {"S42", "SELECT * FROM V_TA_UNIDADNEGOCIO ORDER BY CODIGO",
     "SELECT * FROM V_TA_UNIDADNEGOCIO ORDER BY CODIGO"},
    {"S43", "SELECT * FROM TA_CCOSTO where titulo = 0 or titulo is null ORDER BY CODIGO",
     "SELECT * FROM TA_CCOSTO where titulo = 0 or titulo is null ORDER BY CODIGO"},
    {"S44", "SELECT * FROM TA_MENU WHERE TITULO =  'D957011'  ORDER BY CLAVE",
     "SELECT * FROM TA_MENU WHERE TITULO = 'D957011' COLLATE TSQL_CI_AS ORDER BY CLAVE"},
    {"S45",
     "INSERT INTO TA_MENU (MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,HABILITADO)  "
     "VALUES('KORU','D9570','D957011' ,'Panel de Cuentas','Reportes','',1)",
     "INSERT INTO TA_MENU (MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,HABILITADO) "
     "VALUES('KORU','D9570','D957011' ,'Panel de Cuentas','Reportes','',1)"},
    {"S48",
     "SELECT TOP 1 * FROM TA_TAREAS with(nolock)  WHERE USUARIO = 'JUAN' AND SISTEMA = 'CN000PR' "
     "AND TAREA = 'D95701101'",
     "SELECT * FROM TA_TAREAS WHERE USUARIO = 'JUAN' COLLATE TSQL_CI_AS AND SISTEMA = 'CN000PR' "
     "COLLATE TSQL_CI_AS AND TAREA = 'D95701101' COLLATE TSQL_CI_AS LIMIT 1"},
    {"S50",
     "SELECT TOP 1 * FROM TA_MENU with(nolock)  WHERE LTRIM(RTRIM(TITULO)) ='D957011'  AND  TITULO "
     "= 'D957011' AND NOMBRE = 'Ventas'",
     "SELECT * FROM TA_MENU WHERE LTRIM(RTRIM(TITULO)) ='D957011' COLLATE TSQL_CI_AS AND TITULO = "
     "'D957011' COLLATE TSQL_CI_AS AND NOMBRE = 'Ventas' COLLATE TSQL_CI_AS LIMIT 1"},
    {"S51", "DELETE TA_MENU WHERE TITULO = 'D957011' AND NOMBRE = 'Ventas'",
     "DELETE FROM TA_MENU WHERE TITULO = 'D957011' COLLATE TSQL_CI_AS AND NOMBRE = 'Ventas' "
     "COLLATE TSQL_CI_AS"},
    {"S52_empty_key", "DELETE TA_TAREAS WHERE TAREA = ''",
     "DELETE FROM TA_TAREAS WHERE TAREA = '' COLLATE TSQL_CI_AS"},
    {"S56", "DELETE FROM AUX_PANELCTA WHERE USUARIO = 'PC1|JUAN'",
     "DELETE FROM AUX_PANELCTA WHERE USUARIO = 'PC1|JUAN' COLLATE TSQL_CI_AS"},
    {"S57",
     "select * from MA_PANELCTA where nombre = 'Ventas ' and EsRanking = 0 order by grupo,cuenta",
     "select * from MA_PANELCTA where nombre = 'Ventas ' COLLATE TSQL_CI_AS and EsRanking = 0 "
     "order by grupo,cuenta"},
    {"S58",
     "SELECT NOMBRE, GRUPO  From MA_PANELCTA  WHERE EsRanking = 0  GROUP BY NOMBRE, GRUPO HAVING "
     "(NOMBRE = 'Ventas')",
     "SELECT NOMBRE, GRUPO From MA_PANELCTA WHERE ( EsRanking = 0) AND ((NOMBRE = 'Ventas' COLLATE "
     "TSQL_CI_AS)) GROUP BY NOMBRE, GRUPO"},
    {"S59", "select * from v_ta_unidadnegocio  where CODIGO IN ('   1','   2')  order by codigo",
     "select * from v_ta_unidadnegocio where CODIGO IN (' 1',' 2') order by codigo"},
    {"S60", "select * from ta_CCOSTO Where Titulo = 0  and CODIGO IN ('  10')  order by codigo",
     "select * from ta_CCOSTO Where Titulo = 0 and CODIGO IN (' 10') order by codigo"},
    {"S61",
     "INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1)   Values  "
     "('PC1|JUAN','Ventas','Caja (+)','01/01/2024','31/01/2024',0)",
     "INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1) Values "
     "('PC1|JUAN','Ventas','Caja (+)','2024-01-01 00:00:00','2024-01-31 00:00:00',0)"},
    {"S62",
     "INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1,Unegocio)   Values  "
     "('PC1|JUAN','Ventas','Caja','01/01/2024','31/01/2024',0,'   1')",
     "INSERT INTO AUX_PANELCTA (USUARIO,Nombre,Grupo, FechaD,FechaH,ImporteG1,Unegocio) Values "
     "('PC1|JUAN','Ventas','Caja','2024-01-01 00:00:00','2024-01-31 00:00:00',0,' 1')"},
    {"S64",
     "Select * from Aux_PanelCta where Nombre = 'Ventas' and Grupo = 'Caja (+)' and usuario = "
     "'PC1|JUAN'",
     "Select * from Aux_PanelCta where Nombre = 'Ventas' COLLATE TSQL_CI_AS and Grupo = 'Caja (+)' "
     "COLLATE TSQL_CI_AS and usuario = 'PC1|JUAN' COLLATE TSQL_CI_AS"},
    {"S65_daily_title",
     "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
     "(EsResumen = 0)  and TC IN ('FA','NC')  GROUP BY CUENTA, FECHA, [DEBE-HABER]  HAVING ( "
     "substring(CUENTA,1,2) = '11' AND FECHA >='01/03/2024' AND Fecha <='31/03/2024'AND "
     "[DEBE-HABER] = 'D' )",
     "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE From MV_ASIENTOS WHERE ( "
     "(EsResumen = 0) and TC IN ('FA','NC')) AND (( (prefix_equals(CUENTA, 2, '11', 1) AND CUENTA "
     ">= '11' COLLATE TSQL_CI_AS AND CUENTA < '12' COLLATE TSQL_CI_AS) AND "
     "FECHA >='2024-03-01 00:00:00' AND Fecha <='2024-03-31 00:00:00' AND "
     "[DEBE-HABER] = 'D' COLLATE TSQL_CI_AS )) GROUP BY CUENTA, FECHA, [DEBE-HABER]"},
    {"S65_periodic_exact",
     "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
     "(EsResumen = 0)    GROUP BY CUENTA, FECHA, [DEBE-HABER]  HAVING (CUENTA = '1101' AND FECHA "
     ">='01/03/2024' AND Fecha <'01/04/2024' )",
     "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE From MV_ASIENTOS WHERE ( "
     "(EsResumen = 0)) AND ((CUENTA = '1101' COLLATE TSQL_CI_AS AND FECHA >='2024-03-01 00:00:00' "
     "AND Fecha <'2024-04-01 00:00:00' )) GROUP BY CUENTA, FECHA, [DEBE-HABER]"},
    {"S66",
     "Select substring(CUENTA,1,2), [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, UNEGOCIO  From "
     "MV_ASIENTOS  WHERE (EsResumen = 0)   and  UNEGOCIO = '   1' AND FECHA >='01/03/2024' AND "
     "Fecha <='31/03/2024' GROUP BY substring(CUENTA,1,2), [DEBE-HABER], UNEGOCIO  HAVING "
     "(substring(CUENTA,1,2) = '11' )",
     "Select substring(CUENTA,1,2), [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, UNEGOCIO From "
     "MV_ASIENTOS WHERE ( (EsResumen = 0) and UNEGOCIO = ' 1' COLLATE TSQL_CI_AS AND FECHA "
     ">='2024-03-01 00:00:00' AND Fecha <='2024-03-31 00:00:00') AND (((prefix_equals(CUENTA, "
     "2, '11', 1) AND CUENTA >= '11' COLLATE TSQL_CI_AS AND CUENTA < '12' COLLATE "
     "TSQL_CI_AS) )) GROUP BY substring(CUENTA,1,2), [DEBE-HABER], UNEGOCIO"},
    {"S69",
     "Select CUENTA, [DEBE-HABER], SUM(IMPORTECC) AS IMPORTE, CCOSTO  From Vt_ASIENTOS_Ccosto  "
     "WHERE (EsResumen = 0)  and  UNEGOCIO IN ('   1')  and  CCOSTO = '  10' AND FECHA "
     ">='01/03/2024' AND Fecha <='31/03/2024' GROUP BY CUENTA, [DEBE-HABER], CCOSTO  HAVING "
     "(CUENTA = '1101' AND [DEBE-HABER] = 'H' )",
     "Select CUENTA, [DEBE-HABER], SUM(IMPORTECC) AS IMPORTE, CCOSTO From Vt_ASIENTOS_Ccosto WHERE "
     "( (EsResumen = 0) and UNEGOCIO IN (' 1') and CCOSTO = ' 10' COLLATE TSQL_CI_AS AND FECHA "
     ">='2024-03-01 00:00:00' AND Fecha <='2024-03-31 00:00:00') AND ((CUENTA = '1101' COLLATE "
     "TSQL_CI_AS AND [DEBE-HABER] = 'H' COLLATE TSQL_CI_AS )) GROUP BY CUENTA, [DEBE-HABER], "
     "CCOSTO"},
    {"S70",
     "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From MV_ASIENTOS  WHERE "
     "(EsResumen = 0)    GROUP BY CUENTA, FECHA, [DEBE-HABER]  HAVING (CUENTA = '1101' AND FECHA "
     "<='29/02/2024' )",
     "Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE From MV_ASIENTOS WHERE ( "
     "(EsResumen = 0)) AND ((CUENTA = '1101' COLLATE TSQL_CI_AS AND FECHA <='2024-02-29 00:00:00' "
     ")) GROUP BY CUENTA, FECHA, [DEBE-HABER]"},
    {"S72",
     "Update AUX_PanelCta set ImporteG1 = Abs(ImporteG1), ImporteG2 = Abs(ImporteG2) where Grupo "
     "LIKE '%(+)' and USUARIO = 'PC1|JUAN'",
     "Update AUX_PanelCta set ImporteG1 = Abs(ImporteG1), ImporteG2 = Abs(ImporteG2) where Grupo "
     "LIKE '%(+)' and USUARIO = 'PC1|JUAN' COLLATE TSQL_CI_AS"},
    {"S73",
     "Update AUX_PanelCta set ImporteG1 = ImporteG1 * -1, ImporteG2 = ImporteG2 * -1 where Grupo "
     "like '%(-)' and usuario = 'PC1|JUAN'",
     "Update AUX_PanelCta set ImporteG1 = ImporteG1 * -1, ImporteG2 = ImporteG2 * -1 where Grupo "
     "like '%(-)' and usuario = 'PC1|JUAN' COLLATE TSQL_CI_AS"},
    {"S79",
     "SELECT CODIGO,DESCRIPCION FROM MA_CUENTAS  where DESCRIPCION like '%caja%' ORDER BY CODIGO",
     "SELECT CODIGO,DESCRIPCION FROM MA_CUENTAS where DESCRIPCION like '%caja%' ORDER BY CODIGO"},
    {"S81",
     "SELECT     TOP 100 PERCENT IdFamilia, Descripcion, (SELECT     TOP 1 idfamilia FROM "
     "v_ta_familias a   Where a.IdFamilia < b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) < "
     "Len(LTrim(RTrim(b.IdFamilia))))  ORDER BY idfamilia DESC) AS [relative] FROM "
     "dbo.V_TA_FAMILIAS b Where IdFamilia<>'' ORDER BY IdFamilia",
     "SELECT IdFamilia, Descripcion, (SELECT idfamilia FROM v_ta_familias a Where a.IdFamilia < "
     "b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia)))) ORDER BY "
     "idfamilia DESC LIMIT 1) AS [relative] FROM V_TA_FAMILIAS b Where IdFamilia<>'' COLLATE "
     "TSQL_CI_AS ORDER BY IdFamilia"},
    {"S84",
     "SELECT NOMBRE, GRUPO,CUENTA  From MA_PANELCTA  WHERE EsRanking = 0  GROUP BY NOMBRE, "
     "GRUPO,CUENTA HAVING (NOMBRE = 'Ventas')",
     "SELECT NOMBRE, GRUPO,CUENTA From MA_PANELCTA WHERE ( EsRanking = 0) AND ((NOMBRE = 'Ventas' "
     "COLLATE TSQL_CI_AS)) GROUP BY NOMBRE, GRUPO,CUENTA"},
    {"S85",
     "Select top 7 * from  Aux_PanelCta where Nombre = 'Ventas' and Grupo = '1101' and usuario = "
     "'PC1|JUAN' ORDER BY FECHAD",
     "Select * from Aux_PanelCta where Nombre = 'Ventas' COLLATE TSQL_CI_AS and Grupo = '1101' "
     "COLLATE TSQL_CI_AS and usuario = 'PC1|JUAN' COLLATE TSQL_CI_AS ORDER BY FECHAD LIMIT 7"},
};
INSTANTIATE_TEST_SUITE_P(Program, StatementShapes, testing::ValuesIn(programShapes));

// The other forms of the same constructs: hints, TOP, owner prefixes, literals.
const Shape dialectForms[] = {
    {"hint_upper", "SELECT a FROM t WITH (NOLOCK) WHERE b = 1", "SELECT a FROM t WHERE b = 1"},
    {"hint_list", "SELECT a FROM t WITH (NOLOCK, ROWLOCK) x", "SELECT a FROM t x"},
    {"hint_old", "SELECT a FROM t (nolock) JOIN u (NOLOCK) ON t.a = u.a",
     "SELECT a FROM t JOIN u ON t.a = u.a"},
    {"top_parenthesised", "SELECT TOP (5) a FROM t ORDER BY a",
     "SELECT a FROM t ORDER BY a LIMIT (5)"},
    {"top_zero", "SELECT TOP 0 * FROM t", "SELECT * FROM t LIMIT 0"},
    {"top_distinct", "SELECT DISTINCT TOP 3 a FROM t", "SELECT DISTINCT a FROM t LIMIT 3"},
    {"top_in_subquery_and_outer",
     "SELECT TOP 2 a FROM t WHERE a IN (SELECT TOP 3 b FROM u ORDER BY b) ORDER BY a",
     "SELECT a FROM t WHERE a IN (SELECT b FROM u ORDER BY b LIMIT 3) ORDER BY a LIMIT 2"},
    {"top_insert_select", "INSERT INTO t (a) SELECT TOP 1 b FROM u",
     "INSERT INTO t (a) SELECT b FROM u LIMIT 1"},
    {"top_after_comment", "SELECT TOP 1 a FROM t -- the first\n", "SELECT a FROM t LIMIT 1"},
    {"owner_bracketed", "SELECT * FROM [dbo].[MA_CUENTAS]", "SELECT * FROM [MA_CUENTAS]"},
    {"national_string", "SELECT * FROM t WHERE a = N'Peña'",
     "SELECT * FROM t WHERE a = 'Peña' COLLATE TSQL_CI_AS"},
    {"national_value", "INSERT INTO t (a) VALUES (N'x')", "INSERT INTO t (a) VALUES ('x')"},
    {"literal_on_the_left", "SELECT * FROM t WHERE 'a' < b",
     "SELECT * FROM t WHERE 'a' COLLATE TSQL_CI_AS < b"},
    {"literal_with_collation", "SELECT * FROM t WHERE a = 'x' COLLATE Latin1_General_CI_AI",
     "SELECT * FROM t WHERE a = 'x' COLLATE TSQL_CI_AI"},
    {"update_assignment_has_no_collation", "UPDATE t SET a = 'x', b = 'y' WHERE c = 'z'",
     "UPDATE t SET a = 'x', b = 'y' WHERE c = 'z' COLLATE TSQL_CI_AS"},
    {"case_in_update", "UPDATE t SET a = CASE WHEN b = 'x' THEN 1 ELSE 0 END, t.c = 'y'",
     "UPDATE t SET a = CASE WHEN b = 'x' COLLATE TSQL_CI_AS THEN 1 ELSE 0 END, t.c = 'y'"},
    {"negated_operators", "SELECT * FROM t WHERE a !< 1 AND b !> 'x'",
     "SELECT * FROM t WHERE a >= 1 AND b <= 'x' COLLATE TSQL_CI_AS"},
    {"having_without_where", "SELECT a FROM t GROUP BY a HAVING a = 'x' ORDER BY a",
     "SELECT a FROM t WHERE (a = 'x' COLLATE TSQL_CI_AS) GROUP BY a ORDER BY a"},
    {"having_with_aggregate_stays", "SELECT a FROM t WHERE b = 1 GROUP BY a HAVING SUM(b) > 0",
     "SELECT a FROM t WHERE b = 1 GROUP BY a HAVING SUM(b) > 0"},
    {"delete_top_level_only", "DELETE FROM t WHERE a IN (SELECT a FROM u)",
     "DELETE FROM t WHERE a IN (SELECT a FROM u)"},
    {"truncate", "TRUNCATE TABLE dbo.AUX_PANELCTA", "DELETE FROM AUX_PANELCTA"},
    {"temp_table_read", "SELECT * FROM #TTEmp", "SELECT * FROM temp.\"#TTEmp\""},
    {"temp_table_drop", "DROP TABLE #TTEmp", "DROP TABLE temp.\"#TTEmp\""},
    {"comment_inside", "SELECT a /* DELETE b */ FROM t", "SELECT a FROM t"},
    {"isnull_function", "SELECT ISNULL(a, 0) FROM t WHERE b IS NULL",
     "SELECT IFNULL(a, 0) FROM t WHERE b IS NULL"},
    {"left_function", "SELECT LEFT(a, 2) FROM t LEFT JOIN u ON t.a = u.a",
     "SELECT substr(a, 1, 2) FROM t LEFT JOIN u ON t.a = u.a"},
    {"prefix_range_of_left_with_a_quote", "SELECT a FROM t WHERE LEFT(t.a, 2) = 'X''' OR b = 1",
     "SELECT a FROM t WHERE (prefix_equals(t.a, 2, 'X''', 1) AND t.a >= 'X''' "
     "COLLATE TSQL_CI_AS AND t.a < 'x(' COLLATE TSQL_CI_AS) OR b = 1"},
    {"prefix_range_trailing_blanks_and_own_collation",
     "SELECT a FROM t WHERE NOT substring(a,1,3) = 'Az ' COLLATE Latin1_General_CI_AI",
     "SELECT a FROM t WHERE NOT (prefix_equals(a, 3, 'Az ', 0) AND a >= 'Az' "
     "COLLATE TSQL_CI_AI AND a < 'a{' COLLATE TSQL_CI_AI)"},
    {"no_prefix_range_for_other_letters", "SELECT a FROM t WHERE substring(a,1,1) = 'Ñ'",
     "SELECT a FROM t WHERE substring(a,1,1) = 'Ñ' COLLATE TSQL_CI_AS"},
    {"no_prefix_range_inside_an_expression",
     "SELECT a FROM t WHERE 2 * substring(a,1,1) = '1' AND substring(a,2,1) = '1'",
     "SELECT a FROM t WHERE 2 * text_operand(substring(a,1,1), 2, 'multiply') = '1' COLLATE "
     "TSQL_CI_AS AND substring(a,2,1) = '1' COLLATE TSQL_CI_AS"},
};
INSTANTIATE_TEST_SUITE_P(Dialect, StatementShapes, testing::ValuesIn(dialectForms));

// Table definitions of the demo database and of scripts written for SQL Server.
const Shape definitions[] = {
    {"identity_column_key",
     "CREATE TABLE dbo.MA_PANELCTA (ID int IDENTITY(1,1) PRIMARY KEY CLUSTERED, NOMBRE "
     "varchar(200) "
     "NOT NULL, FechaD datetime NULL, Comprobantes varchar(max) NULL, DEBE bit NULL, EsRanking bit "
     "NOT NULL DEFAULT 0) ON [PRIMARY] TEXTIMAGE_ON [PRIMARY]",
     "CREATE TABLE MA_PANELCTA (ID INTEGER PRIMARY KEY AUTOINCREMENT , NOMBRE varchar(200) COLLATE "
     "TSQL_CI_AS NOT NULL CONSTRAINT ck_len_NOMBRE CHECK (length(rtrim(\"NOMBRE\")) <= 200), "
     "FechaD "
     "datetime NULL, Comprobantes TEXT COLLATE TSQL_CI_AS NULL, DEBE bit NULL, EsRanking bit NOT "
     "NULL DEFAULT 0)"},
    {"identity_table_key",
     "CREATE TABLE [dbo].[T] ([Id] [int] IDENTITY(1,1) NOT NULL, [Nombre] [nvarchar](50) COLLATE "
     "Latin1_General_CI_AI NULL, CONSTRAINT [PK_T] PRIMARY KEY CLUSTERED ([Id] ASC) WITH "
     "(PAD_INDEX = OFF, IGNORE_DUP_KEY = OFF) ON [PRIMARY]) ON [PRIMARY]",
     "CREATE TABLE [T] ([Id] INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, [Nombre] nvarchar(50) "
     "COLLATE TSQL_CI_AI NULL CONSTRAINT ck_len_Nombre CHECK (length(rtrim(\"Nombre\")) <= 50))"},
    {"identity_table_key_first",
     "CREATE TABLE T (CONSTRAINT PK_T PRIMARY KEY (Id), Id int IDENTITY NOT NULL)",
     "CREATE TABLE T ( Id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL)"},
    {"identity_without_key", "CREATE TABLE T (Id bigint IDENTITY(1,1), a int)",
     "CREATE TABLE T (Id INTEGER PRIMARY KEY AUTOINCREMENT, a int CONSTRAINT ck_type_a CHECK "
     "(typeof(\"a\") IN ('integer', 'real', 'null')))"},
    {"composite_key",
     "CREATE TABLE TA_TAREAS (USUARIO varchar(50) NOT NULL, TAREA char(20) NOT NULL, CONSTRAINT "
     "PK_TA_TAREAS PRIMARY KEY NONCLUSTERED (USUARIO, TAREA))",
     "CREATE TABLE TA_TAREAS (USUARIO varchar(50) COLLATE TSQL_CI_AS NOT NULL CONSTRAINT "
     "ck_len_USUARIO CHECK (length(rtrim(\"USUARIO\")) <= 50), TAREA char(20) COLLATE TSQL_CI_AS "
     "NOT NULL CONSTRAINT ck_len_TAREA CHECK (length(rtrim(\"TAREA\")) <= 20), CONSTRAINT "
     "PK_TA_TAREAS PRIMARY KEY (USUARIO, TAREA))"},
    {"bracketed_odd_name", "CREATE TABLE M ([DEBE-HABER] char(1) NOT NULL)",
     "CREATE TABLE M ([DEBE-HABER] char(1) COLLATE TSQL_CI_AS NOT NULL CONSTRAINT "
     "\"ck_len_DEBE-HABER\" CHECK (length(rtrim(\"DEBE-HABER\")) <= 1))"},
    {"getdate_default", "CREATE TABLE L (Alta datetime NOT NULL DEFAULT GETDATE(), Obs text)",
     "CREATE TABLE L (Alta datetime NOT NULL DEFAULT (GETDATE()), Obs text COLLATE TSQL_CI_AS)"},
    {"date_default", "CREATE TABLE L (Alta datetime DEFAULT ('31/12/1999'))",
     "CREATE TABLE L (Alta datetime DEFAULT ('1999-12-31 00:00:00'))"},
    {"binary_max", "CREATE TABLE B (Datos varbinary(max))", "CREATE TABLE B (Datos BLOB)"},
    {"temp_table", "CREATE TABLE #TTEmp (a int)",
     "CREATE TEMP TABLE \"#TTEmp\" (a int CONSTRAINT ck_type_a CHECK (typeof(\"a\") IN "
     "('integer', 'real', 'null')))"},
    {"index", "CREATE NONCLUSTERED INDEX IX_A ON dbo.MV_ASIENTOS (CUENTA, FECHA) ON [PRIMARY]",
     "CREATE INDEX IX_A ON MV_ASIENTOS (CUENTA, FECHA)"},
    {"unique_index", "CREATE UNIQUE CLUSTERED INDEX IX_B ON T (A DESC) WITH (FILLFACTOR = 90)",
     "CREATE UNIQUE INDEX IX_B ON T (A DESC)"},
    {"drop_column", "ALTER TABLE dbo.T DROP COLUMN Obs", "ALTER TABLE T DROP COLUMN Obs"},
};
INSTANTIATE_TEST_SUITE_P(Definitions, StatementShapes, testing::ValuesIn(definitions));

TEST(StatementKinds, TransactionsAndSessionSettings)
{
    const TranslatedBatch batch = translate(
        QStringLiteral("BEGIN TRANSACTION COMMIT TRANSACTION BEGIN TRAN ROLLBACK TRAN "
                       "ROLLBACK COMMIT SET NOCOUNT ON SET ANSI_NULLS ON SET "
                       "QUOTED_IDENTIFIER OFF SET TRANSACTION ISOLATION LEVEL READ "
                       "UNCOMMITTED GRANT SELECT ON T TO public REVOKE SELECT ON T FROM "
                       "public"));
    ASSERT_FALSE(batch.error) << batch.error->message.toStdString();
    EXPECT_EQ(
        kindsOf(batch),
        (std::vector{Kind::BeginTransaction, Kind::CommitTransaction, Kind::BeginTransaction,
                     Kind::RollbackTransaction, Kind::RollbackTransaction, Kind::CommitTransaction,
                     Kind::NoOp, Kind::NoOp, Kind::NoOp, Kind::NoOp, Kind::NoOp, Kind::NoOp}));
}

TEST(StatementKinds, AuditScriptInOneTransaction)
{
    // S15: one text, CR only, no separators.
    const TranslatedBatch batch = translate(QStringLiteral(
        "BEGIN TRANSACTION \r\r\rINSERT INTO Control_Acceso (Maquina,Ingreso) VALUES "
        "('PC1','05/02/24 10:30')\r\rINSERT INTO Control_Acceso (Maquina) VALUES ('PC2')\r"));
    ASSERT_FALSE(batch.error);
    ASSERT_EQ(kindsOf(batch), (std::vector{Kind::BeginTransaction, Kind::Sql, Kind::Sql}));
    EXPECT_EQ(squeezed(batch.statements[1].sql),
              "INSERT INTO Control_Acceso (Maquina,Ingreso) VALUES ('PC1','2024-02-05 10:30:00')");
    EXPECT_EQ(batch.statements[2].original.toStdString(),
              "INSERT INTO Control_Acceso (Maquina) VALUES ('PC2')");
}

TEST(StatementKinds, LoginProvisioning)
{
    // S21 to S26: logins, roles and the statistics database, as the program sends them.
    const TranslatedBatch login = translate(
        QStringLiteral("EXEC  sp_addlogin N'TVUSER', 'se''creto', 'TV_ESTADISTICAS','Spanish'"));
    ASSERT_EQ(kindsOf(login), std::vector{Kind::AddLogin});
    EXPECT_EQ(login.statements[0].arguments,
              (QStringList{"TVUSER", "se'creto", "TV_ESTADISTICAS"}));

    const TranslatedBatch named = translate(
        QStringLiteral("EXEC master.dbo.sp_addlogin @loginame = 'L', @defdb = 'D', @passwd = 'P'"));
    ASSERT_EQ(kindsOf(named), std::vector{Kind::AddLogin});
    EXPECT_EQ(named.statements[0].arguments, (QStringList{"L", "P", "D"}));

    QString roles = QStringLiteral(" EXEC sp_grantdbaccess @loginame = 'L' , @name_in_db ='L'");
    for (const char *role : {"sysadmin", "securityadmin", "serveradmin", " setupadmin",
                             "processadmin", "diskadmin", "dbcreator"})
        roles += QStringLiteral(" EXEC sp_addsrvrolemember N'L', %1").arg(QLatin1String(role));
    roles += QStringLiteral(" EXEC sp_addrolemember N'db_owner', N'L'");
    EXPECT_EQ(kindsOf(translate(roles)), std::vector<Kind>(9, Kind::NoOp));

    const TranslatedBatch database = translate(
        QStringLiteral("Create Database TV_ESTADISTICAS COLLATE Latin1_General_CI_AI \r\n"));
    ASSERT_EQ(kindsOf(database), std::vector{Kind::CreateDatabase});
    EXPECT_EQ(database.statements[0].arguments,
              (QStringList{"TV_ESTADISTICAS", "Latin1_General_CI_AI"}));
    EXPECT_EQ(translate(QStringLiteral("CREATE DATABASE [Nueva]")).statements[0].arguments,
              (QStringList{"Nueva", ""}));

    const TranslatedBatch use = translate(QStringLiteral("USE TV_ESTADISTICAS\r\nEXEC  sp_addlogin "
                                                         "N'L', 'P', 'TV_ESTADISTICAS'\r\n"));
    ASSERT_EQ(kindsOf(use), (std::vector{Kind::UseDatabase, Kind::AddLogin}));
    EXPECT_EQ(use.statements[0].arguments, QStringList{"TV_ESTADISTICAS"});
}

TEST(StatementKinds, UnknownProcedureFailsWhenReached)
{
    const TranslatedBatch batch = translate(QStringLiteral("EXEC sp_who SELECT 1"));
    ASSERT_FALSE(batch.error);
    ASSERT_EQ(kindsOf(batch), (std::vector{Kind::Fail, Kind::Sql}));
    EXPECT_EQ(batch.statements[0].nativeError, 2812);
    EXPECT_TRUE(batch.statements[0].message.contains(u"sp_who"));
}

TEST(StatementKinds, ExistenceTestRunsOneStatement)
{
    const TranslatedBatch batch = translate(QStringLiteral(
        "IF NOT EXISTS (SELECT TOP 1 * FROM sysobjects WHERE name = 'AUX_ERR') CREATE TABLE "
        "AUX_ERR "
        "(Id int IDENTITY(1,1) PRIMARY KEY, Fecha datetime)\r\n"
        "IF EXISTS (SELECT * FROM AUX_ERR) DELETE AUX_ERR WHERE Fecha < '01/01/2020'"));
    ASSERT_FALSE(batch.error) << batch.error->message.toStdString();
    ASSERT_EQ(kindsOf(batch), (std::vector{Kind::ConditionalSql, Kind::ConditionalSql}));
    const EngineStatement &create = batch.statements[0];
    EXPECT_TRUE(create.negated);
    EXPECT_EQ(squeezed(create.condition),
              "SELECT * FROM sysobjects WHERE name = 'AUX_ERR' COLLATE TSQL_CI_AS LIMIT 1");
    EXPECT_EQ(squeezed(create.sql),
              "CREATE TABLE AUX_ERR (Id INTEGER PRIMARY KEY AUTOINCREMENT , Fecha datetime)");
    const EngineStatement &purge = batch.statements[1];
    EXPECT_FALSE(purge.negated);
    EXPECT_EQ(squeezed(purge.sql), "DELETE FROM AUX_ERR WHERE Fecha < '2020-01-01 00:00:00'");
}

TEST(BatchSplitting, StatementsWithoutSeparators)
{
    struct Case
    {
        const char *tsql;
        std::vector<Kind> kinds;
    };
    const Case cases[] = {
        {"SELECT 1 SELECT 2", {Kind::Sql, Kind::Sql}},
        {"SELECT 1; SELECT 2;", {Kind::Sql, Kind::Sql}},
        {" ; ;\r\n", {}},
        {"INSERT INTO t (a) SELECT a FROM u", {Kind::Sql}},
        {"INSERT t SELECT a FROM u UNION ALL SELECT b FROM v", {Kind::Sql}},
        {"CREATE VIEW v AS SELECT a FROM t UNION SELECT b FROM u SELECT 1", {Kind::Sql, Kind::Sql}},
        {"UPDATE t SET a = 1 WHERE b = 2 SET NOCOUNT ON", {Kind::Sql, Kind::NoOp}},
        {"ALTER TABLE dbo.t DROP COLUMN c DROP TABLE u", {Kind::Sql, Kind::Sql}},
        {"DELETE t WHERE a = (SELECT MAX(a) FROM t) INSERT INTO t VALUES (1)",
         {Kind::Sql, Kind::Sql}},
        {"SELECT 1\r\nCOMMIT", {Kind::Sql, Kind::CommitTransaction}},
    };
    for (const Case &c : cases) {
        const TranslatedBatch batch = translate(QString::fromUtf8(c.tsql));
        ASSERT_FALSE(batch.error) << c.tsql << ": " << batch.error->message.toStdString();
        EXPECT_EQ(kindsOf(batch), c.kinds) << c.tsql;
    }
}

TEST(BatchSplitting, QuotedTextsAndCommentsStayIntact)
{
    const QString insert = QStringLiteral(
        "INSERT INTO TA_MENU (NOMBRE,PROCESO) VALUES ('Ventas; DELETE x "
        "GO\r\nGO\r\n','shell:RP_PANELCTA "
        "@PARAMETROADICIONAL= CFG_Ventas -- /* [x] #01/01/2024# WITH(NOLOCK) TOP 5 N''a'' dbo.t')");
    const TranslatedBatch batch = translate(insert
                                            + QStringLiteral("\r\n-- SELECT 1\r\n/* DROP /* "
                                                             "TABLE */ t */ SELECT 2"));
    ASSERT_FALSE(batch.error) << batch.error->message.toStdString();
    ASSERT_EQ(batch.statements.size(), 2);
    EXPECT_EQ(batch.statements[0].sql, insert);
    EXPECT_EQ(batch.statements[1].sql, QStringLiteral("SELECT 2"));
}

TEST(BatchSplitting, SyntaxErrorsFailTheWholeBatch)
{
    for (const char *tsql :
         {"SELECT 1\r\nGO\r\nSELECT 2", "select 1\ngo", "SELECT (1", "SELECT 1)", "SELECT 'abc",
          "SELECT [a", "SELECT 1 /* open",
          "INSERT INTO t VALUES (1) SELECT * FROM @Admin_MA_CUENTAS", "SELECT TOP FROM t"}) {
        const TranslatedBatch batch = translate(QString::fromUtf8(tsql));
        ASSERT_TRUE(batch.error) << tsql;
        EXPECT_EQ(batch.error->nativeError, 102) << tsql;
        EXPECT_TRUE(batch.statements.isEmpty()) << tsql;
    }
    EXPECT_FALSE(translate(QStringLiteral("SELECT 1 AS go")).error);
}

TEST(UnsupportedConstructs, FailTheWholeBatchNamingTheConstruct)
{
    struct Case
    {
        const char *tsql;
        const char *construct;
    };
    const Case cases[] = {
        {"DECLARE @x int", "DECLARE"},
        {"INSERT INTO t (a) VALUES (1) SELECT @@IDENTITY", "@@IDENTITY"},
        {"SELECT * FROM t WHERE a = @nombre", "variable @nombre"},
        {"WHILE 1 = 1 SELECT 1", "WHILE"},
        {"IF EXISTS (SELECT 1 FROM t) SELECT 1 ELSE SELECT 2", "IF … ELSE"},
        {"IF EXISTS (SELECT 1 FROM t) BEGIN SELECT 1 END", "BEGIN … END"},
        {"IF OBJECT_ID('t') IS NULL CREATE TABLE t (a int)", "IF sin EXISTS"},
        {"SELECT CONVERT(varchar(10), FECHA, 103) FROM t", "CONVERT"},
        {"SELECT SCOPE_IDENTITY()", "SCOPE_IDENTITY()"},
        {"SELECT a INTO #copia FROM t", "SELECT … INTO"},
        {"DROP DATABASE TV_ESTADISTICAS", "DROP DATABASE"},
        {"BACKUP DATABASE x TO DISK = 'x.bak'", "BACKUP"},
        {"RESTORE DATABASE x FROM DISK = 'x.bak'", "RESTORE"},
        {"DBCC CHECKDB", "DBCC"},
        {"EXEC sp_configure 'show advanced options', 1", "sp_configure"},
        {"SELECT TOP 10 PERCENT * FROM t", "TOP n PERCENT"},
        {"CREATE PROCEDURE p AS SELECT 1", "CREATE PROCEDURE"},
        {"CREATE TABLE t (a int PRIMARY KEY, b int IDENTITY)",
         "IDENTITY fuera de la clave primaria"},
        {"DELETE t FROM t INNER JOIN u ON t.a = u.a", "DELETE <tabla> FROM"},
        {"SET LANGUAGE Spanish", "SET LANGUAGE"},
    };
    for (const Case &c : cases) {
        const TranslatedBatch batch
            = translate(QStringLiteral("SELECT 0 ") + QString::fromUtf8(c.tsql));
        ASSERT_TRUE(batch.error) << c.tsql;
        EXPECT_EQ(batch.error->nativeError, 50000) << c.tsql;
        EXPECT_EQ(batch.error->message.toStdString(),
                  std::string("Sentencia no soportada por el motor embebido: ") + c.construct);
        EXPECT_TRUE(batch.statements.isEmpty()) << c.tsql;
    }
}

struct DateCase
{
    const char *literal;
    DateOrder order;
    const char *canonical; // "" for no valid date
};

void PrintTo(const DateCase &c, std::ostream *out)
{
    *out << c.literal;
}

class CanonicalDates : public testing::TestWithParam<DateCase>
{ };

TEST_P(CanonicalDates, ReadInTheGivenOrder)
{
    const DateCase &c = GetParam();
    const std::optional<QString> canonical
        = canonicalDateTime(QString::fromUtf8(c.literal), c.order);
    EXPECT_EQ(canonical.value_or(QString()).toStdString(), c.canonical) << c.literal;
}

constexpr DateOrder dmy = DateOrder::DayMonthYear;
constexpr DateOrder mdy = DateOrder::MonthDayYear;
constexpr DateOrder ymd = DateOrder::YearMonthDay;

const DateCase dateCases[] = {
    {"05/02/2024", dmy, "2024-02-05 00:00:00"},
    {"05/02/2024", mdy, "2024-05-02 00:00:00"},
    {"24/02/05", ymd, "2024-02-05 00:00:00"},
    {"5/2/24", dmy, "2024-02-05 00:00:00"},
    {"1/1/49", dmy, "2049-01-01 00:00:00"},
    {"1/1/50", dmy, "1950-01-01 00:00:00"},
    {"31.12.2024", dmy, "2024-12-31 00:00:00"},
    {"31-12-2024", dmy, "2024-12-31 00:00:00"},
    {"31/12/2024 23:59", dmy, "2024-12-31 23:59:00"},
    {"31/12/24 7:05:09", dmy, "2024-12-31 07:05:09"},
    {"20240229", mdy, "2024-02-29 00:00:00"},
    {"2024-03-01", dmy, "2024-03-01 00:00:00"},
    {"2024-03-01 10:30", mdy, "2024-03-01 10:30:00"},
    {" 2024-03-01 10:30:15 ", dmy, "2024-03-01 10:30:15"},
    {"", dmy, "1900-01-01 00:00:00"},
    {"31/02/2024", dmy, ""},
    {"29/02/2023", dmy, ""},
    {"13/01/2024", mdy, ""},
    {"2024-13-01", dmy, ""},
    {"01/01/1700", dmy, ""},
    {"01/01/2024 24:00", dmy, ""},
    {"1/1/2024 10:5", dmy, ""},
    {"1/1/2024 10", dmy, ""},
    {"01/2024", dmy, ""},
    {"01/01-2024", dmy, ""},
    {"01/01/124", dmy, ""},
    {"abc", dmy, ""},
    {"Juan", dmy, ""},
};
INSTANTIATE_TEST_SUITE_P(Forms, CanonicalDates, testing::ValuesIn(dateCases));

// Dates: a text becomes a date where a date column takes it, and nowhere else.
const Shape dateRules[] = {
    {"reversed", "SELECT * FROM MV_ASIENTOS WHERE '01/03/2024' <= FECHA",
     "SELECT * FROM MV_ASIENTOS WHERE '2024-03-01 00:00:00' <= FECHA"},
    {"qualified", "SELECT * FROM MV_ASIENTOS m WHERE m.[Fecha] > '01/03/2024'",
     "SELECT * FROM MV_ASIENTOS m WHERE m.[Fecha] > '2024-03-01 00:00:00'"},
    {"qualified_right", "SELECT * FROM MV_ASIENTOS m WHERE '01/03/2024' > dbo.m.Fecha",
     "SELECT * FROM MV_ASIENTOS m WHERE '2024-03-01 00:00:00' > m.Fecha"},
    {"between", "SELECT * FROM t WHERE FECHA NOT BETWEEN '01/03/2024' AND '31/03/2024 23:59'",
     "SELECT * FROM t WHERE FECHA NOT BETWEEN '2024-03-01 00:00:00' AND '2024-03-31 23:59:00'"},
    {"in_list", "SELECT * FROM t WHERE FechaD IN ('01/03/2024', '02/03/2024')",
     "SELECT * FROM t WHERE FechaD IN ('2024-03-01 00:00:00', '2024-03-02 00:00:00')"},
    {"update", "UPDATE AUX_PANELCTA SET FechaD = '01/01/2024', Nombre = '01/01/2024'",
     "UPDATE AUX_PANELCTA SET FechaD = '2024-01-01 00:00:00', Nombre = '01/01/2024'"},
    {"hash_anywhere", "SELECT #1/3/2024 10:30#", "SELECT '2024-03-01 10:30:00'"},
    {"text_column_untouched", "SELECT * FROM t WHERE Nombre = '01/03/2024'",
     "SELECT * FROM t WHERE Nombre = '01/03/2024' COLLATE TSQL_CI_AS"},
    {"text_value_untouched", "INSERT INTO t (Nombre, FechaH) VALUES ('01/03/2024', '')",
     "INSERT INTO t (Nombre, FechaH) VALUES ('01/03/2024', '1900-01-01 00:00:00')"},
    {"several_rows", "INSERT INTO t (FechaD) VALUES ('01/03/2024'), ('02/03/2024')",
     "INSERT INTO t (FechaD) VALUES ('2024-03-01 00:00:00'), ('2024-03-02 00:00:00')"},
    {"expression_value_untouched", "INSERT INTO t (FechaD, a) VALUES (getdate(), '1/1/2024')",
     "INSERT INTO t (FechaD, a) VALUES (getdate(), '1/1/2024')"},
};
INSTANTIATE_TEST_SUITE_P(DateRules, StatementShapes, testing::ValuesIn(dateRules));

TEST(DateLiterals, ReadInTheSessionOrder)
{
    const QString select = QStringLiteral("SELECT * FROM t WHERE FECHA = '02/05/2024'");
    EXPECT_EQ(sqlOf(select, DateOrder::MonthDayYear),
              "SELECT * FROM t WHERE FECHA = '2024-02-05 00:00:00'");

    const TranslatedBatch batch
        = translate(select + QStringLiteral(" SET DATEFORMAT mdy ") + select);
    ASSERT_FALSE(batch.error);
    ASSERT_EQ(kindsOf(batch), (std::vector{Kind::Sql, Kind::SetDateFormat, Kind::Sql}));
    EXPECT_EQ(squeezed(batch.statements[0].sql),
              "SELECT * FROM t WHERE FECHA = '2024-05-02 00:00:00'");
    EXPECT_EQ(batch.statements[1].dateOrder, DateOrder::MonthDayYear);
    EXPECT_EQ(squeezed(batch.statements[2].sql),
              "SELECT * FROM t WHERE FECHA = '2024-02-05 00:00:00'");
}

TEST(DateLiterals, ImpossibleDateFailsOnlyItsStatement)
{
    const TranslatedBatch batch = translate(QStringLiteral(
        "INSERT INTO AUX_PANELCTA (Nombre, FechaD) VALUES ('x', '31/02/2024') SELECT #31/02/2024# "
        "SELECT * FROM MV_ASIENTOS WHERE FECHA >= 'ayer' SELECT 1"));
    ASSERT_FALSE(batch.error);
    ASSERT_EQ(kindsOf(batch), (std::vector{Kind::Fail, Kind::Fail, Kind::Fail, Kind::Sql}));
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_EQ(batch.statements[i].nativeError, 242);
}

TEST(DateLiterals, ColumnsDeclaredInTheSameBatchCount)
{
    const TranslatedBatch batch = translate(QStringLiteral(
        "CREATE TABLE Vencimientos (Id int, Vence smalldatetime, Marca timestamp) "
        "INSERT INTO Vencimientos (Vence, Marca) VALUES ('01/02/2024', '01/02/2024')"));
    ASSERT_FALSE(batch.error);
    ASSERT_EQ(batch.statements.size(), 2);
    EXPECT_EQ(squeezed(batch.statements[1].sql),
              "INSERT INTO Vencimientos (Vence, Marca) VALUES ('2024-02-01 00:00:00', "
              "'01/02/2024')");
}

} // namespace

// The walk over a title's accounts goes beside the range only where it is one index search a
// step: one table read by its plain name, whose index begins with the column.
TEST(PrefixRanges, DistinctValuesOnlyForOneIndexedTable)
{
    struct Case
    {
        const char *tsql;
        bool walks;
    };
    const Case cases[] = {
        {"SELECT a FROM t WHERE substring(a,1,2) = '11'", true},
        {"SELECT a FROM t WHERE b = 1 AND (LEFT(a, 2) = '11') ORDER BY a", true},
        {"SELECT x FROM u WHERE substring(a,1,2) = '11'", false}, // no index begins with a
        {"SELECT a FROM t JOIN u ON t.a = u.a WHERE substring(a,1,2) = '11'", false},
        {"SELECT a FROM t WHERE substring(t.a,1,2) = '11'", false},
        {"SELECT a FROM t WHERE substring(a,1,2) = '11' COLLATE Latin1_General_CI_AI", false},
        {"UPDATE t SET b = 1 WHERE substring(a,1,2) = '11'", false},
    };
    TranslationContext context = suiteContext();
    context.leadsIndex = [](const QString &table, const QString &column, const QString &collation) {
        return table == u"t" && column == u"a" && collation == u"TSQL_CI_AS";
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tsql);
        const TranslatedBatch batch = translateBatch(QString::fromUtf8(c.tsql), context);
        ASSERT_FALSE(batch.error);
        const QString sql = batch.statements.front().sql;
        EXPECT_TRUE(sql.contains(u">= '11' COLLATE")) << sql.toStdString();
        EXPECT_EQ(sql.contains(u"a IN (WITH RECURSIVE prefix_range_values(v) AS (SELECT MIN(a) "
                               u"FROM t WHERE a >= '11' COLLATE TSQL_CI_AS AND a < '12' COLLATE "
                               u"TSQL_CI_AS UNION ALL SELECT (SELECT MIN(a) FROM t WHERE a > "
                               u"prefix_range_values.v AND a < '12' COLLATE TSQL_CI_AS)"),
                  c.walks)
            << sql.toStdString();
    }
}
