#include "data/db_dll.h"
#include "data/services.h"
#include "data/sql_rewriting.h"
#include "platform/regional_settings.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

using data::ColumnAggregate;
using data::ExistenceForm;

namespace {

// Spanish regional settings, the program's home: day-first dates and a decimal comma.
class SpanishSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
    }
};

using LookupStatements = SpanishSettings;
using OracleDialect = SpanishSettings;

} // namespace

TEST(SqlQuoting, DoublesEveryQuoteAndLeavesOtherTextsAlone)
{
    EXPECT_EQ(data::escapeSqlQuotes(QStringLiteral("D'ARTAGNAN")), QStringLiteral("D''ARTAGNAN"));
    EXPECT_EQ(data::escapeSqlQuotes(QStringLiteral("'';--")), QStringLiteral("'''';--"));
    EXPECT_EQ(data::escapeSqlQuotes(QStringLiteral("CAJA \"1\"")), QStringLiteral("CAJA \"1\""));
}

TEST_F(LookupStatements, ExistenceFormsAreWrittenBlankForBlank)
{
    struct Case
    {
        const char *name;
        ExistenceForm form;
        QString valor;
        QString campo;
        QVariant tipo;
        QString condicion;
        QString expected;
    };
    const auto FirstRow = ExistenceForm::FirstRowTrimmed;
    const auto AllRows = ExistenceForm::AllRowsExact;
    const std::vector<Case> cases = {
        {"text trimmed inside the quotes", FirstRow, " 1.1 ", "CODIGO", 8, "",
         "SELECT TOP 1  * FROM MA_CUENTAS with(nolock)  WHERE LTRIM(RTRIM(CODIGO)) ='1.1'"},
        {"text with a quote", FirstRow, "D'ARTAGNAN", "DESCRIPCION", 8, "",
         "SELECT TOP 1  * FROM MA_CUENTAS with(nolock)  WHERE LTRIM(RTRIM(DESCRIPCION)) "
         "='D''ARTAGNAN'"},
        {"date as the caller's literal", FirstRow, " '01/02/2020' ", "ALTA", 7, "",
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE ALTA = '01/02/2020' "},
        {"integer", FirstRow, "2", "NIVEL", 3, "",
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE NIVEL = 2"},
        {"double with a point", FirstRow, "1500.75", "SALDO", 5, "",
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE SALDO = 1500.75"},
        {"single, leading number only", FirstRow, "-2.5x", "SALDO", 4, "",
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE SALDO = -2.5"},
        {"no number gives 0", FirstRow, "abc", "NIVEL", 3, "",
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE NIVEL = 0"},
        {"other type as given", FirstRow, " 1 ", "NIVEL", QVariant(), "",
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE NIVEL =  1 "},
        {"condition replaces the value test", FirstRow, "ignored", "IGNORED", 8, "NIVEL = 1",
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE NIVEL = 1"},
        {"condition holding WHERE", FirstRow, "", "", 8, " where NIVEL = 1",
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)   where NIVEL = 1"},
        {"exact text", AllRows, " 1.1 ", "CODIGO", 8, "",
         "SELECT * FROM MA_CUENTAS with(nolock)   WHERE CODIGO =' 1.1 '"},
        {"exact text with a quote", AllRows, "D'ARTAGNAN", "DESCRIPCION", 8, "",
         "SELECT * FROM MA_CUENTAS with(nolock)   WHERE DESCRIPCION ='D''ARTAGNAN'"},
        {"exact date", AllRows, "'01/02/2020'", "ALTA", 7, "",
         "SELECT * FROM MA_CUENTAS with(nolock)   WHERE ALTA = '01/02/2020' "},
        {"exact number", AllRows, "250.5", "SALDO", 5, "",
         "SELECT * FROM MA_CUENTAS with(nolock)   WHERE SALDO = 250.5"},
        {"exact other", AllRows, "1", "NIVEL", 11, "",
         "SELECT * FROM MA_CUENTAS with(nolock)   WHERE NIVEL = 1"},
        {"exact condition", AllRows, "", "", 8, "NIVEL = 1",
         "SELECT * FROM MA_CUENTAS with(nolock)   WHERE NIVEL = 1"},
        {"exact condition holding WHERE", AllRows, "", "", 8, " WHERE NIVEL = 1",
         "SELECT * FROM MA_CUENTAS with(nolock)    WHERE NIVEL = 1"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(data::existenceStatement(c.form, QStringLiteral("MA_CUENTAS"), c.valor, c.campo,
                                           c.tipo, c.condicion),
                  c.expected)
            << c.name;
}

TEST_F(LookupStatements, FieldLookupAddsTheConditionToTheValueTest)
{
    struct Case
    {
        const char *name;
        QString valor;
        QString campo;
        QVariant tipo;
        QString condicion;
        bool usaTrim;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"trimmed text", " 1.1 ", "CODIGO", 8, "", true,
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE LTRIM(RTRIM(CODIGO)) ='1.1' "},
        {"text as given", " 1.1 ", "CODIGO", 8, "", false,
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE CODIGO =' 1.1 ' "},
        {"text with a quote", "D'ARTAGNAN", "DESCRIPCION", 8, "", true,
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE LTRIM(RTRIM(DESCRIPCION)) "
         "='D''ARTAGNAN' "},
        {"condition after the value test", "1", "CODIGO", 8, "NIVEL = 1", true,
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE LTRIM(RTRIM(CODIGO)) ='1'  AND "
         "NIVEL = 1"},
        {"blank condition adds nothing", "1", "CODIGO", 8, "   ", true,
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE LTRIM(RTRIM(CODIGO)) ='1' "},
        {"date as the program's date literal", " 01/02/2020 ", "ALTA", 7, "", true,
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE ALTA = '01/02/2020' "},
        {"number with a point", "250.5", "SALDO", 5, "", true,
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE SALDO = 250.5"},
        {"other as given", "1", "NIVEL", 2, "", true,
         "SELECT TOP 1 * FROM MA_CUENTAS with(nolock)  WHERE NIVEL = 1"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(data::fieldLookupStatement(QStringLiteral("MA_CUENTAS"), c.valor, c.campo, c.tipo,
                                             c.condicion, c.usaTrim),
                  c.expected)
            << c.name;
}

TEST_F(LookupStatements, FieldLookupRefusesATextThatIsNoDate)
{
    try {
        data::fieldLookupStatement(QStringLiteral("MA_CUENTAS"), QStringLiteral("31/02/2020"),
                                   QStringLiteral("ALTA"), 7, {}, true);
        FAIL() << "no error raised";
    } catch (const platform::Error &error) {
        EXPECT_EQ(error.number(), platform::errors::TypeMismatch);
    }
}

TEST(ColumnLookupStatements, WhereOnlyForAConditionWithText)
{
    struct Case
    {
        const char *name;
        ColumnAggregate aggregate;
        QString condicion;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"maximum", ColumnAggregate::Maximum, "", "SELECT MAX(NIVEL) AS MAYOR FROM MA_CUENTAS"},
        {"maximum, blank condition", ColumnAggregate::Maximum, "   ",
         "SELECT MAX(NIVEL) AS MAYOR FROM MA_CUENTAS"},
        {"maximum, condition trimmed", ColumnAggregate::Maximum, " NIVEL > 1 ",
         "SELECT MAX(NIVEL) AS MAYOR FROM MA_CUENTAS WHERE NIVEL > 1"},
        {"minimum", ColumnAggregate::Minimum, "",
         "SELECT MIN(NIVEL) AS MENOR FROM MA_CUENTAS  with(nolock) "},
        {"minimum, blank condition", ColumnAggregate::Minimum, " ",
         "SELECT MIN(NIVEL) AS MENOR FROM MA_CUENTAS  with(nolock) "},
        {"minimum, condition trimmed", ColumnAggregate::Minimum, " NIVEL > 1 ",
         "SELECT MIN(NIVEL) AS MENOR FROM MA_CUENTAS  with(nolock)  WHERE NIVEL > 1"},
        {"last code, condition as given", ColumnAggregate::LastCode, " NIVEL > 1 ",
         "SELECT MAX(NIVEL) AS MAYOR FROM MA_CUENTAS WHERE  NIVEL > 1 "},
        {"last code, blank condition", ColumnAggregate::LastCode, "  ",
         "SELECT MAX(NIVEL) AS MAYOR FROM MA_CUENTAS"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(data::columnLookupStatement(c.aggregate, QStringLiteral("MA_CUENTAS"),
                                              QStringLiteral("NIVEL"), c.condicion),
                  c.expected)
            << c.name;
}

TEST(RestrictedSynonyms, FollowTheUserAndTheConfidentialityFlag)
{
    struct Case
    {
        const char *name;
        bool administrator;
        bool confidentiality;
        QString sql;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"administrator reads the marked table", true, true,
         "SELECT * FROM @Admin_MA_CUENTAS WHERE NIVEL = 1",
         "SELECT * FROM MA_CUENTAS WHERE NIVEL = 1"},
        {"administrator keeps every name", true, true, "SELECT * FROM MA_CUENTAS WHERE NIVEL = 1",
         "SELECT * FROM MA_CUENTAS WHERE NIVEL = 1"},
        {"followed by a blank", false, false, "SELECT * FROM MA_CUENTAS WHERE NIVEL = 1",
         "SELECT * FROM SS_MA_CUENTAS WHERE NIVEL = 1"},
        {"very last word", false, false, "SELECT * FROM MA_CUENTAS", "SELECT * FROM SS_MA_CUENTAS"},
        {"very first word", false, false, "MA_CUENTAS", "SS_MA_CUENTAS"},
        {"before a parenthesis", false, false, "SELECT * FROM (SELECT * FROM MA_CUENTAS) C",
         "SELECT * FROM (SELECT * FROM SS_MA_CUENTAS) C"},
        {"before and after a comma", false, false, "SELECT * FROM MA_CUENTAS,V_TA_CAJAS",
         "SELECT * FROM SS_MA_CUENTAS,SS_V_TA_CAJAS"},
        {"after line breaks", false, false, "SELECT *\r\nFROM\r\nMA_CUENTAS\r\nWHERE 1 = 1",
         "SELECT *\r\nFROM\r\nSS_MA_CUENTAS\r\nWHERE 1 = 1"},
        {"qualified columns", false, false,
         "SELECT MA_CUENTAS.CODIGO,(MA_CUENTAS.NIVEL) FROM MA_CUENTAS",
         "SELECT SS_MA_CUENTAS.CODIGO,(SS_MA_CUENTAS.NIVEL) FROM SS_MA_CUENTAS"},
        {"report formula braces", false, false, "{MA_CUENTAS.CODIGO} = '1'",
         "{SS_MA_CUENTAS.CODIGO} = '1'"},
        {"bracketed and owner-qualified", false, false, "SELECT * FROM dbo.[MA_CUENTAS]",
         "SELECT * FROM dbo.[SS_MA_CUENTAS]"},
        {"any letter case", false, false, "select * from ma_cuentas where nivel = 1",
         "select * from SS_MA_CUENTAS where nivel = 1"},
        {"marked name stays unrestricted", false, false,
         "SELECT * FROM @Admin_MA_CUENTAS A JOIN MA_CUENTAS B ON A.CODIGO = B.CODIGO",
         "SELECT * FROM MA_CUENTAS A JOIN SS_MA_CUENTAS B ON A.CODIGO = B.CODIGO"},
        {"marker in any letter case", false, false, "SELECT * FROM @admin_ma_cuentas",
         "SELECT * FROM ma_cuentas"},
        {"a quote inside a comment opens no text", false, false,
         "SELECT * FROM T -- the user's accounts\r\nJOIN MA_CUENTAS ON 1 = 1 /* it's */, "
         "V_TA_CAJAS",
         "SELECT * FROM T -- the user's accounts\r\nJOIN SS_MA_CUENTAS ON 1 = 1 /* it's */, "
         "SS_V_TA_CAJAS"},
        {"names inside quoted texts", false, false,
         "SELECT * FROM T WHERE A = 'MA_CUENTAS ' AND B = 'O''Brien MA_CUENTAS.X' AND C = 1",
         "SELECT * FROM T WHERE A = 'MA_CUENTAS ' AND B = 'O''Brien MA_CUENTAS.X' AND C = 1"},
        {"longer identifiers", false, false, "SELECT * FROM MA_CUENTAS_AUX, SS_MA_CUENTAS",
         "SELECT * FROM MA_CUENTAS_AUX, SS_MA_CUENTAS"},
        {"every listed name", false, true,
         "SELECT * FROM V_TA_DEPOSITO, MV_ASIENTOS, V_TA_FAMILIAS, V_TA_CAJAS, AC_CUENTASDIARIO, "
         "AC_CUENTASDIARIO_CCOSTO",
         "SELECT * FROM SS_V_TA_DEPOSITO, SS_MV_ASIENTOS, SS_V_TA_FAMILIAS, SS_V_TA_CAJAS, "
         "SS_AC_CUENTASDIARIO, SS_AC_CUENTAS_DIARIO_CCOSTO"},
        {"journal without the flag: nothing rewritten", false, false,
         "SELECT * FROM MV_ASIENTOS A JOIN @Admin_V_TA_CAJAS C ON 1 = 1, MA_CUENTAS",
         "SELECT * FROM MV_ASIENTOS A JOIN V_TA_CAJAS C ON 1 = 1, MA_CUENTAS"},
        {"journal with the flag", false, true, "SELECT * FROM MV_ASIENTOS A, MA_CUENTAS",
         "SELECT * FROM SS_MV_ASIENTOS A, SS_MA_CUENTAS"},
        {"without the journal the flag does not matter", false, false,
         "SELECT * FROM V_TA_FAMILIAS", "SELECT * FROM SS_V_TA_FAMILIAS"},
    };
    data::DB_Dll db;
    for (const Case &c : cases) {
        db.gEsAdmin = c.administrator;
        data::setConfidentialityReader([&c] { return c.confidentiality; });
        EXPECT_EQ(db.SS_TSinonimos(c.sql), c.expected) << c.name;
    }
    data::setConfidentialityReader(nullptr);
}

TEST(RestrictedSynonyms, StockAndPriceProgramsKeepTheirOwnViews)
{
    const QString sql = QStringLiteral("SELECT * FROM V_TA_DEPOSITO, V_TA_FAMILIAS, MA_CUENTAS");
    const auto rewrittenFor = [&](const char *program) {
        return data::applyRestrictedSynonyms(sql, {false, true, QString::fromLatin1(program)});
    };
    EXPECT_EQ(rewrittenFor("RP_PANELCTA"),
              QStringLiteral("SELECT * FROM SS_V_TA_DEPOSITO, SS_V_TA_FAMILIAS, SS_MA_CUENTAS"));
    EXPECT_EQ(rewrittenFor("st_movstock"),
              QStringLiteral("SELECT * FROM V_TA_DEPOSITO, SS_V_TA_FAMILIAS, SS_MA_CUENTAS"));
    EXPECT_EQ(rewrittenFor("VT_PRECIOS"),
              QStringLiteral("SELECT * FROM SS_V_TA_DEPOSITO, V_TA_FAMILIAS, SS_MA_CUENTAS"));
}

TEST_F(OracleDialect, RewritesEveryConstructOfTheDialect)
{
    struct Case
    {
        const char *name;
        QString sql;
        QString expected;
    };
    const QString dateColumn = QStringLiteral("TO_DATE(TO_CHAR(FECHA,'DD/MM/YYYY'),'DD/MM/YYYY')");
    const std::vector<Case> cases = {
        {"single word LEN", "len", "LENGTH"},
        {"other single word", "MA_CUENTAS", "MA_CUENTAS"},
        {"row limit before ORDER BY",
         "SELECT top 5 CODIGO, DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO",
         "SELECT  CODIGO, DESCRIPCION FROM MA_CUENTAS WHERE ROWNUM <= 5 ORDER BY CODIGO"},
        {"row limit joins a condition", "SELECT TOP 1 * FROM MA_CUENTAS WHERE CODIGO = '1'",
         "SELECT  * FROM MA_CUENTAS WHERE CODIGO = '1' AND ROWNUM <= 1"},
        {"row limit before GROUP BY",
         "SELECT TOP 3 NIVEL, COUNT(*) FROM MA_CUENTAS GROUP BY NIVEL ORDER BY NIVEL",
         "SELECT  NIVEL, COUNT(*) FROM MA_CUENTAS WHERE ROWNUM <= 3 GROUP BY NIVEL ORDER BY "
         "NIVEL"},
        {"LEN with blanks before the parenthesis", "SELECT LEN(A), LEN (B), LEN    (C) FROM T",
         "SELECT LENGTH(A), LENGTH(B), LENGTH(C) FROM T"},
        {"LEN at the very start stays", "LEN(CODIGO) FROM T", "LEN(CODIGO) FROM T"},
        {"brackets become double quotes", "SELECT [DEBE-HABER] FROM T",
         "SELECT \"DEBE-HABER\" FROM T"},
        {"date column and date literal",
         "SELECT * FROM MV_ASIENTOS WHERE FECHA >= '01/02/2020' AND CUENTA = '1'",
         "SELECT * FROM MV_ASIENTOS WHERE " + dateColumn
             + " >= TO_DATE('01/02/2020','DD/MM/YYYY') AND CUENTA = '1'"},
        {"comparison glued to the column is not recognised",
         "SELECT * FROM MV_ASIENTOS WHERE FECHA>='01/02/2020'",
         "SELECT * FROM MV_ASIENTOS WHERE FECHA> =TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"quoted date column name", "SELECT * FROM T WHERE [FECHA DESDE] >= '2020-02-01'",
         "SELECT * FROM T WHERE TO_DATE(TO_CHAR(\"FECHA DESDE\",'DD/MM/YYYY'),'DD/MM/YYYY') >= "
         "TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"quoted text keeps its inner blanks",
         "SELECT * FROM T WHERE NOMBRE= 'A  B' AND FECHAH < '1/2/2020'",
         "SELECT * FROM T WHERE NOMBRE= 'A  B' AND "
         "TO_DATE(TO_CHAR(FECHAH,'DD/MM/YYYY'),'DD/MM/YYYY') < "
         "TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"quoted text glued to the comparison stays whole",
         "SELECT * FROM T WHERE LTRIM(RTRIM(NOMBRE)) ='CAJA  (VIEJA)' AND A = 1",
         "SELECT * FROM T WHERE LTRIM( RTRIM( NOMBRE) ) ='CAJA  (VIEJA)' AND A = 1"},
        {"doubled quotes stay inside their text",
         "SELECT * FROM T WHERE A = 'D''ARTAGNAN  X' AND B ='O''Brien (2)'",
         "SELECT * FROM T WHERE A = 'D''ARTAGNAN  X' AND B ='O''Brien (2)'"},
        {"texts that are no date stay", "INSERT INTO T VALUES ('31/02/2020', '12', 'x')",
         "INSERT INTO T VALUES ('31/02/2020', '12', 'x')"},
        {"a literal already converted is converted once",
         "INSERT INTO T VALUES (TO_DATE('01/02/2020','DD/MM/YYYY'))",
         "INSERT INTO T VALUES (TO_DATE('01/02/2020','DD/MM/YYYY'))"},
        {"unwrapping leaves the date columns whole",
         "UPDATE T SET FECHAH = TO_DATE('01/02/2020','DD/MM/YYYY') WHERE FECHA = '01/01/2020'",
         "UPDATE T SET FECHAH = TO_DATE('01/02/2020','DD/MM/YYYY') WHERE " + dateColumn
             + " = TO_DATE('01/01/2020','DD/MM/YYYY')"},
        {"CONVERT with style 103", "SELECT CONVERT(NVARCHAR,FECHA,103), CONVERT(INT,CODIGO) FROM T",
         "SELECT TO_CHAR(FECHA,'DD/MM/YYYY'), TO_NUMBER(CODIGO) FROM T"},
        {"103 outside TO_CHAR stays", "SELECT SUBSTRING(CODIGO,1,103) FROM T",
         "SELECT SUBSTR(CODIGO,1,103) FROM T"},
        {"empty-text tests after WHERE", "UPDATE T SET A='' WHERE B='' AND C = ''",
         "UPDATE T SET A='' WHERE B IS NULL  AND C  IS NULL "},
        {"functions", "SELECT ISNULL(NOMBRE,'-'), CHARINDEX('.',CODIGO) FROM T",
         "SELECT NVL(NOMBRE,'-'), InStr('.',CODIGO) FROM T"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(data::toOracleDialect(c.sql), c.expected) << c.name;
}

TEST_F(OracleDialect, UnpairedApostropheIsAnInvalidArgument)
{
    try {
        data::toOracleDialect(QStringLiteral("SELECT * FROM T WHERE A = 'x"));
        FAIL() << "no error raised";
    } catch (const platform::Error &error) {
        EXPECT_EQ(error.number(), platform::errors::InvalidProcedureCall);
    }
}

TEST_F(OracleDialect, OtherConnectionsGetTheTextUnchanged)
{
    data::DB_Dll db;
    for (const QString &sql :
         {QStringLiteral("LEN"), QStringLiteral("SELECT TOP 1 * FROM MA_CUENTAS ORDER BY CODIGO"),
          QStringLiteral("SELECT * FROM T WHERE A = 'x")})
        EXPECT_EQ(db.ORACLE_Dicc(sql), sql);
}
