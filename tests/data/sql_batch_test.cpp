#include "data/sql_batch.h"

#include <gtest/gtest.h>

namespace {

struct BatchCase
{
    const char *name;
    QString script;
    QStringList statements;
};

TEST(OracleBatchStatements, SplitsScriptsIntoStatements)
{
    const BatchCase cases[] = {
        {"the two inserts between SET NOCOUNT and GO",
         QStringLiteral(
             "SET NOCOUNT ON\r\nINSERT INTO A VALUES (1)\r\nGO\r\nINSERT INTO B VALUES (2)"),
         {QStringLiteral("INSERT INTO A VALUES (1)"), QStringLiteral("INSERT INTO B VALUES (2)")}},
        {"keywords and line breaks inside quoted texts stay",
         QStringLiteral("INSERT INTO A VALUES ('x UPDATE y; DELETE z', 'a\r\nGO\r\nb')\r\n"
                        "UPDATE A SET N = 'COMMIT'"),
         {QStringLiteral("INSERT INTO A VALUES ('x UPDATE y; DELETE z', 'a\r\nGO\r\nb')"),
          QStringLiteral("UPDATE A SET N = 'COMMIT'")}},
        {"a quoted name and a doubled quote",
         QStringLiteral("INSERT INTO [DROP ME] VALUES ('it''s an INSERT ')"),
         {QStringLiteral("INSERT INTO [DROP ME] VALUES ('it''s an INSERT ')")}},
        {"keywords inside longer names do not cut",
         QStringLiteral("UPDATE T SET LASTUPDATE = 1, CREATED_BY = 2"),
         {QStringLiteral("UPDATE T SET LASTUPDATE = 1, CREATED_BY = 2")}},
        {"text before the first keyword is a statement",
         QStringLiteral("SELECT 1 FROM DUAL INSERT INTO A VALUES (1)"),
         {QStringLiteral("SELECT 1 FROM DUAL"), QStringLiteral("INSERT INTO A VALUES (1)")}},
        {"transaction statements",
         QStringLiteral("BEGIN TRANSACTION\r\nDELETE FROM A\r\nCOMMIT TRANSACTION\r\n"
                        "begin trans\r\nDELETE FROM B\r\nrollback trans"),
         {QStringLiteral("SET TRANSACTION"), QStringLiteral("DELETE FROM A"),
          QStringLiteral("COMMIT"), QStringLiteral("SET TRANSACTION"),
          QStringLiteral("DELETE FROM B"), QStringLiteral("ROLLBACK")}},
        {"BEGIN TRAN stays as written",
         QStringLiteral("BEGIN TRAN\r\nINSERT INTO A VALUES (1)"),
         {QStringLiteral("BEGIN TRAN"), QStringLiteral("INSERT INTO A VALUES (1)")}},
        {"a guard and the statement it guards",
         QStringLiteral("IF NOT EXISTS (SELECT * FROM A WHERE N = 1) INSERT INTO A VALUES (1)"),
         {QStringLiteral("IF NOT EXISTS (SELECT * FROM A WHERE N = 1)"),
          QStringLiteral("INSERT INTO A VALUES (1)")}},
        {"clauses of a statement do not cut it",
         QStringLiteral("CREATE TABLE C (ID int REFERENCES P (ID) ON DELETE CASCADE ON UPDATE "
                        "NO ACTION)\r\nALTER TABLE C DROP COLUMN X\r\n"
                        "GRANT INSERT, UPDATE, DELETE ON C TO PUBLIC"),
         {QStringLiteral("CREATE TABLE C (ID int REFERENCES P (ID) ON DELETE CASCADE ON UPDATE "
                         "NO ACTION)"),
          QStringLiteral("ALTER TABLE C DROP COLUMN X"),
          QStringLiteral("GRANT INSERT, UPDATE, DELETE ON C TO PUBLIC")}},
        {"nothing to run", QStringLiteral("SET NOCOUNT OFF\r\nGO\r\n"), {}},
    };
    for (const BatchCase &c : cases)
        EXPECT_EQ(data::oracleBatchStatements(c.script), c.statements) << c.name;
}

TEST(TransactionControl, FoundAsKeywordsOutsideQuotedTexts)
{
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("BEGIN TRANSACTION"), true},
        {QStringLiteral("begin tran"), true},
        {QStringLiteral("INSERT INTO A VALUES (1)\r\nCOMMIT"), true},
        {QStringLiteral("ROLLBACK TRAN"), true},
        {QStringLiteral("SAVE TRANSACTION punto"), true},
        {QStringLiteral("INSERT INTO TRANSFERENCIAS VALUES (1)"), false},
        {QStringLiteral("UPDATE A SET ESTADO = 'COMMIT'"), false},
        {QStringLiteral("SELECT * FROM [ROLLBACK]"), false},
        {QStringLiteral("UPDATE A SET COMMITTED = 1"), false},
    };
    for (const auto &[sql, expected] : cases)
        EXPECT_EQ(data::holdsTransactionControl(sql), expected) << sql.toStdString();
}

} // namespace
