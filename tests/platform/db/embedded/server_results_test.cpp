#include "engine_fixture.h"
#include "platform/db/embedded/column_types.h"
#include "platform/error.h"
#include "platform/variant.h"

using namespace platform::db;

namespace {

// What a result column holds, as the program tells the kinds apart.
enum class Kind { Money, Integer, Text, Date, None };

Kind kindOf(DataType type)
{
    if (type == adCurrency)
        return Kind::Money;
    if (type == adInteger || type == adBigInt || type == adSmallInt || type == adUnsignedTinyInt)
        return Kind::Integer;
    if (platform::db::embedded::isTextType(type))
        return Kind::Text;
    if (platform::db::embedded::isDateType(type))
        return Kind::Date;
    return Kind::None;
}

struct Case
{
    QString batch; // run first; fails with `error` when that is not 0
    std::int32_t error;
    QString query; // its last column of the first row is compared
    QString value;
    Kind kind;
};

// A few rows on which texts SQL Server answers one way are easy to get wrong: whole amounts,
// texts that read as numbers, a padded code, a name with a percent sign.
class ServerResultsTest : public EngineTest
{
protected:
    // Made again before each case, so that no case sees what another changed.
    void createRows()
    {
        run(QStringLiteral(
            "IF EXISTS (SELECT * FROM sqlite_schema WHERE name = 'W') DROP TABLE W"));
        run(QStringLiteral(
            "IF EXISTS (SELECT * FROM sqlite_schema WHERE name = 'T') DROP TABLE T"));
        run(QStringLiteral("CREATE TABLE W (ID int NOT NULL, v money NULL)"));
        run(QStringLiteral("INSERT INTO W (ID, v) VALUES (1, 1)"));
        run(QStringLiteral("CREATE TABLE T (ID int IDENTITY(1,1) PRIMARY KEY, a varchar(10) NULL, "
                           "b varchar(10) NULL, n int NULL, c char(5) NULL, name varchar(20) NULL, "
                           "d datetime NULL, m money NULL)"));
        run(QStringLiteral("INSERT INTO T (a, b, n, c, name, m) VALUES ('11', '01', 1, 'ab', "
                           "' abc', 100)"));
        run(QStringLiteral("INSERT INTO T (a, b, n, c, name, m) VALUES ('12', '02', 1, 'x', 'ABC', "
                           "0.1)"));
        run(QStringLiteral("INSERT INTO T (a, b, n, c, name, m) VALUES ('AB', 'ab', 2, NULL, "
                           "'b%c', NULL)"));
    }

    // Runs the case's batch, then its query, and compares with what the server gives.
    void expectResult(const Case &c)
    {
        SCOPED_TRACE(QString(c.batch + u' ' + c.query.left(200)).toStdString());
        createRows();
        if (!c.batch.isEmpty() && c.error != 0) {
            failureOf(c.batch);
            EXPECT_EQ(nativeErrors().value(0), c.error);
        } else if (!c.batch.isEmpty()) {
            run(c.batch);
        }
        if (c.query.isEmpty())
            return;
        if (c.batch.isEmpty() && c.error != 0) {
            failureOf(c.query);
            EXPECT_EQ(nativeErrors().value(0), c.error);
            return;
        }
        const auto [value, kind] = lastValue(c.query);
        EXPECT_EQ(value.toStdString(), c.value.toStdString());
        if (c.value != u"NULL") {
            EXPECT_EQ(int(kind), int(c.kind));
        }
    }

    // The last column of the first row as the program shows it, "NULL" for a Null.
    std::pair<QString, Kind> lastValue(const QString &sql)
    {
        Recordset rows;
        try {
            rows = m_connection->execute(sql);
        } catch (const platform::Error &error) {
            return {QStringLiteral("error %1").arg(nativeErrors().value(0)), Kind::None};
        }
        if (rows.eof())
            return {QStringLiteral("no row"), Kind::None};
        const Field field = rows.field(rows.fields().count() - 1);
        const QVariant value = field.value();
        return {platform::isNull(value) ? QStringLiteral("NULL") : shown(value),
                kindOf(field.type())};
    }
};

QString orChain(int terms)
{
    QStringList conditions;
    for (int i = 0; i < terms; ++i)
        conditions.append(QStringLiteral("n = %1").arg(i + 2));
    return conditions.join(QStringLiteral(" OR "));
}

// Each text gives the value and the type SQL Server gives for it, or fails with its number
// before doing anything; where a text changes data, the query after it shows what it left.
TEST_F(ServerResultsTest, EachTextGivesTheServersResultOrItsError)
{
    const Case cases[] = {
        {{}, 0, "SELECT v / 3 FROM W", "0.3333", Kind::Money},
        {{}, 0, "SELECT CAST(1 AS money) / 3", "0.3333", Kind::Money},
        {"UPDATE W SET v = v / 3", 0, "SELECT v FROM W", "0.3333", Kind::Money},
        {{},
         0,
         "SELECT substring(a, 1, 1), n, SUM(m) FROM T WHERE n = 1 GROUP BY substring(a, 1, 1), n",
         "100.1",
         Kind::Money},
        {{}, 0, "SELECT LTRIM(a) + LTRIM(b) FROM T WHERE ID = 1", "1101", Kind::Text},
        {{}, 0, "SELECT UPPER(a) + b FROM T WHERE ID = 1", "1101", Kind::Text},
        {{}, 0, "SELECT ISNULL(a, '') + ISNULL(b, '') FROM T WHERE ID = 1", "1101", Kind::Text},
        {{}, 245, "SELECT a + 1 FROM T WHERE ID = 3", {}, Kind::None},
        {{}, 0, "SELECT AVG(n) FROM T WHERE ID IN (1, 3)", "1", Kind::Integer},
        {{}, 0, "SELECT AVG(m) FROM T", "50.05", Kind::Money},
        {{}, 0, "SELECT COUNT(*) FROM T WHERE a LIKE '[a-c]%'", "1", Kind::Integer},
        {{}, 0, "SELECT COUNT(*) FROM T WHERE name LIKE '%[%]%'", "1", Kind::Integer},
        {{}, 0, "SELECT COUNT(*) FROM T WHERE LTRIM(name) IN ('abc')", "2", Kind::Integer},
        {{}, 0, "SELECT c FROM T WHERE ID = 1", "ab   ", Kind::Text},
        {"INSERT INTO T (a, d) SELECT 'z', '05/03/2026'", 0, "SELECT d FROM T WHERE a = 'z'",
         "2026-03-05", Kind::Date},
        {"SELECT a, n, COUNT(*) FROM T GROUP BY n", 8120, {}, {}, Kind::None},
        {"INSERT INTO T (ID, a) VALUES (10, 'q')", 544, "SELECT COUNT(*) FROM T", "3",
         Kind::Integer},
        {"ALTER TABLE W ADD z int NULL DEFAULT (0)", 0, "SELECT z FROM W", "NULL", Kind::Integer},
        {"INSERT INTO W (ID, v) VALUES (2, 5) SELECT nope FROM W", 207, "SELECT COUNT(*) FROM W",
         "1", Kind::Integer},
        {{}, 0, "SELECT DATALENGTH(a) FROM T WHERE ID = 1", "2", Kind::Integer},
        {{}, 0, "SELECT DATALENGTH(c) FROM T WHERE ID = 1", "5", Kind::Integer},
        {{}, 0, "SELECT COUNT(*) FROM T WHERE " + orChain(3000), "1", Kind::Integer},
    };
    for (const Case &c : cases)
        expectResult(c);
}

} // namespace

// The other sides of the same rules: what the server keeps, converts or refuses next to them.
TEST_F(ServerResultsTest, TheSameRulesOnTheirOtherPaths)
{
    const Case cases[] = {
        {"ALTER TABLE W ADD z int NOT NULL DEFAULT (0)", 0, "SELECT z FROM W", "0", Kind::Integer},
        {"ALTER TABLE W ADD z int NULL DEFAULT (7) WITH VALUES", 0, "SELECT z FROM W", "7",
         Kind::Integer},
        {"ALTER TABLE W ADD z int DEFAULT (7) INSERT INTO W (ID) VALUES (2)", 0,
         "SELECT z FROM W WHERE ID = 2", "7", Kind::Integer},
        {"INSERT INTO T (a, d) SELECT 'u', '01/02/2026' UNION ALL SELECT 'u', '03/02/2026'", 0,
         "SELECT MAX(d) FROM T WHERE a = 'u'", "2026-02-03", Kind::Date},
        {"INSERT INTO T (a, d) SELECT 'u', '31/02/2026'", 242, "SELECT COUNT(*) FROM T", "3",
         Kind::Integer},
        {"INSERT INTO T (ID, a) SELECT 10, 'q'", 544, {}, {}, Kind::None},
        {"INSERT INTO W (ID, v) VALUES (2, 5) SELECT * FROM NADA", 208, "SELECT COUNT(*) FROM W",
         "2", Kind::Integer},
        {{}, 0, "SELECT CAST('2.5' AS money) / 2", "1.25", Kind::Money},
        {{}, 235, "SELECT CAST('x' AS money)", {}, Kind::None},
        {{}, 0, "SELECT 2 * v / 3 FROM W", "0.6667", Kind::Money},
        {"ALTER TABLE W ADD f float NULL DEFAULT (3) WITH VALUES", 0, "SELECT v / f * 3 FROM W",
         "1", Kind::None},
        {{}, 0, "SELECT SUM(m) / 4 FROM T", "25.025", Kind::Money},
        {{}, 0, "SELECT AVG(m * 1.0) FROM T WHERE ID = 1", "100", Kind::Money},
        {"ALTER TABLE T ADD q decimal(10, 2) NULL DEFAULT (1) WITH VALUES UPDATE T SET q = 2 "
         "WHERE ID = 1",
         207,
         {},
         {},
         Kind::None},
        {"CREATE TABLE D (q decimal(10, 2) NULL) INSERT INTO D (q) VALUES (1) "
         "INSERT INTO D (q) VALUES (2)",
         0, "SELECT AVG(q) FROM D", "1.5", Kind::None},
        {"CREATE TABLE E (q decimal(10, 2) NULL, k int NULL) INSERT INTO E (q, k) VALUES (1, 0) "
         "INSERT INTO E (q, k) VALUES (2, 0)",
         0, "SELECT AVG(q + k) FROM E", "1.5", Kind::None},
        {{},
         0,
         "SELECT AVG(CAST(n AS decimal(10, 2))) FROM T WHERE ID IN (1, 3)",
         "1.5",
         Kind::None},
        {{}, 0, "SELECT m / n FROM T WHERE ID = 1", "100", Kind::Money},
        {{}, 0, "SELECT m * n FROM T WHERE ID = 1", "100", Kind::Money},
        {{}, 0, "SELECT n / m FROM T WHERE ID = 1", "0.01", Kind::Money},
        {"UPDATE T SET n = 3 WHERE ID = 1", 0, "SELECT m / n FROM T WHERE ID = 1", "33.3333",
         Kind::Money},
        {"INSERT INTO T (name) VALUES ('\u00e1bc')", 0,
         "SELECT COUNT(*) FROM T WHERE name LIKE '[a-b]%'", "3", Kind::Integer},
        {"INSERT INTO T (name) VALUES ('\u00f1u')", 0,
         "SELECT COUNT(*) FROM T WHERE name LIKE '[m-o]u'", "1", Kind::Integer},
        {{}, 0, "SELECT COUNT(*) FROM T WHERE UPPER(name) = LOWER(name)", "3", Kind::Integer},
        {{},
         0,
         "SELECT LTRIM(name), COUNT(*) FROM T GROUP BY LTRIM(name) ORDER BY LTRIM(name)",
         "2",
         Kind::Integer},
        {{}, 0, "SELECT c + 'x' FROM T WHERE ID = 1", "ab   x", Kind::Text},
        {{},
         0,
         "SELECT DATALENGTH(N'ab') + DATALENGTH(m) FROM T WHERE ID = 1",
         "12",
         Kind::Integer},
        {{}, 50000, "SELECT DATALENGTH(LTRIM(a)) FROM T", {}, Kind::None},
        {{}, 8117, "SELECT SUM(T.a) FROM T", {}, Kind::None},
        {{}, 8117, "SELECT AVG(DISTINCT a) FROM T", {}, Kind::None},
        {{}, 0, "SELECT SUM(LEN(a)) FROM T", "6", Kind::Integer},
        {{}, 0, "SELECT SYSTEM_USER, COUNT(*) FROM T", "3", Kind::Integer},
    };
    for (const Case &c : cases)
        expectResult(c);
}

// "+" takes its meaning from its operands' types, left to right, as the server's does; the other
// operators convert a text to the other side's type.
TEST_F(ServerResultsTest, OperatorsJoinTextsOrConvertATextMetByANumber)
{
    createRows();
    const struct
    {
        const char *expression;
        const char *value; // "error N" for a failure
        Kind kind;
    } cases[] = {
        {"a + b + n", "1102", Kind::Integer},
        {"n + a + b", "13", Kind::Integer},
        {"a + 1", "12", Kind::Integer},
        {"n * 2 + a", "13", Kind::Integer},
        {"a + '-' + b", "11-01", Kind::Text},
        {"1 - n + a", "11", Kind::Integer},
        {"n + '1.5'", "error 245", Kind::None},
        {"NULL + a", "NULL", Kind::None},
        {"LEN(a) + 1", "3", Kind::Integer},
        {"a - 1", "10", Kind::Integer},
        {"2 * a", "22", Kind::Integer},
        {"m / a", "9.0909", Kind::None},
        {"a * 1.5", "16.5", Kind::None},
        {"a - b", "error 8117", Kind::None},
        {"name * 2", "error 245", Kind::None},
        {"a - NULL", "NULL", Kind::None},
        {"-n + a", "10", Kind::Integer},
        {"-n + a + b", "11", Kind::Integer},
        {"- LEN(a) + a", "9", Kind::Integer},
        {"-a + b", "error 8117", Kind::None},
        {"a * -n + b", "-10", Kind::Integer},
        {"n + -a + b", "error 8117", Kind::None},
        {"-'11' + b", "error 8117", Kind::None},
        {"-a * 2 + b", "error 8117", Kind::None},
        {"- (a) + b", "error 8117", Kind::None},
        {"-a / 2", "error 8117", Kind::None},
        {"-a", "error 8117", Kind::None},
        {"n * -a", "error 8117", Kind::None},
        {"-LTRIM(a) + 1", "error 8117", Kind::None},
        {"-CAST(n AS varchar(5)) + 1", "error 8117", Kind::None},
        {"(name) * 2", "error 245", Kind::None},
        {"CAST(name AS varchar(20)) * 2", "error 245", Kind::None},
        {"-d", "error 8117", Kind::None},
        {"-GETDATE()", "error 8117", Kind::None},
        {"-(SELECT a FROM T WHERE ID = 1) + b", "error 8117", Kind::None},
        {"(SELECT TOP 1 a FROM T ORDER BY ID) + b", "1101", Kind::Text},
        {"(SELECT MAX(n) FROM T) + a", "13", Kind::Integer},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expression);
        const auto [value, kind] = lastValue(
            QStringLiteral("SELECT %1 FROM T WHERE ID = 1").arg(QString::fromUtf8(c.expression)));
        EXPECT_EQ(value.toStdString(), c.value);
        if (c.kind != Kind::None) {
            EXPECT_EQ(int(kind), int(c.kind));
        }
    }
    // A text joined in a condition compares as the column does.
    EXPECT_EQ(lastValue(QStringLiteral("SELECT COUNT(*) FROM T WHERE a + b = '1101'")).first,
              QStringLiteral("1"));
}

// A refused operand is named by its type, as the server's message names it.
TEST_F(ServerResultsTest, AnInvalidOperandIsNamedByItsType)
{
    createRows();
    run(QStringLiteral("CREATE TABLE U (u nvarchar(10) NULL)"));
    const struct
    {
        const char *query;
        const char *message;
    } cases[] = {
        {"SELECT -d FROM T", "Operand data type datetime is invalid for minus operator."},
        {"SELECT -u FROM U", "Operand data type nvarchar is invalid for minus operator."},
        {"SELECT 1 - -N'x'", "Operand data type nvarchar is invalid for minus operator."},
        {"SELECT SUM(u) FROM U", "Operand data type nvarchar is invalid for sum operator."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.query);
        failureOf(QString::fromUtf8(c.query));
        EXPECT_EQ(nativeErrors().value(0), 8117);
        EXPECT_EQ(m_connection->errors().items().value(0).description.toStdString(), c.message);
    }
}

// Bracket classes, their negation and ranges, and the escape character, as the server's LIKE.
TEST_F(ServerResultsTest, LikeReadsBracketClassesAndEscapes)
{
    createRows();
    const struct
    {
        const char *pattern;
        const char *names; // the matching names, in ID order
    } cases[] = {
        {"'[ab]%'", "ABC,b%c"},
        {"'[^a]%'", " abc,b%c"},
        {"'%[%]%'", "b%c"},
        {"'b[%]c'", "b%c"},
        {"'%!%%' ESCAPE '!'", "b%c"},
        {"'_[a-b]%'", " abc,ABC"},
        {"'[[]%'", ""},
        {"'[a-'", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pattern);
        Recordset rows = m_connection->execute(
            QStringLiteral("SELECT name FROM T WHERE name LIKE %1 ORDER BY ID")
                .arg(QString::fromUtf8(c.pattern)));
        QStringList names;
        for (; !rows.eof(); rows.moveNext())
            names.append(rows.field(0).value().toString());
        EXPECT_EQ(names.join(u',').toStdString(), c.names);
    }
}

// Grouped select lists the server accepts run; the others fail with 8120 before anything runs.
TEST_F(ServerResultsTest, AGroupedSelectListNamesOnlyGroupedColumns)
{
    createRows();
    for (const char *accepted : {
             "SELECT substring(a, 1, 1) + 'x', COUNT(*) FROM T GROUP BY substring(a, 1, 1)",
             "SELECT T.n, SUM(m) AS total FROM T GROUP BY n",
             "SELECT n AS grupo, MAX(a) FROM T GROUP BY T.n HAVING COUNT(*) > 0",
             "SELECT COUNT(*), SUM(m) / 2 FROM T",
             "SELECT CASE WHEN n = 1 THEN 'uno' ELSE 'otro' END, COUNT(*) FROM T GROUP BY n",
             "SELECT n, (SELECT COUNT(*) FROM W) FROM T GROUP BY n",
         }) {
        SCOPED_TRACE(accepted);
        run(QString::fromUtf8(accepted));
    }
    for (const char *refused : {
             "SELECT a, COUNT(*) FROM T",
             "SELECT substring(a, 1, 2), COUNT(*) FROM T GROUP BY substring(a, 1, 1)",
             "INSERT INTO W (ID, v) SELECT n, m FROM T GROUP BY n",
         }) {
        SCOPED_TRACE(refused);
        failureOf(QString::fromUtf8(refused));
        EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{8120});
    }
    EXPECT_EQ(lastValue(QStringLiteral("SELECT COUNT(*) FROM W")).first, QStringLiteral("1"));
}

QString joined(const QString &form, int count, const QString &separator)
{
    QStringList terms;
    for (int i = 0; i < count; ++i)
        terms.append(form.arg(i + 3));
    return terms.join(separator);
}

// Conditions of thousands of terms, as a long account list gives, find the same rows as short
// ones; BETWEEN's own AND stays with it.
TEST_F(ServerResultsTest, LongConditionsFindTheSameRows)
{
    createRows();
    const struct
    {
        QString condition;
        const char *count;
    } cases[] = {
        {"n = 1 OR " + joined("n = %1", 3000, " OR "), "2"},
        {joined("n <> %1", 3000, " AND "), "3"},
        {"n IN (" + joined("%1", 3000, ", ") + ", 2)", "1"},
        {joined("n BETWEEN 1 AND %1", 300, " AND "), "3"},
        {"(a = '11' AND n = 1) OR " + joined("(n = %1 AND a = 'AB')", 500, " OR "), "1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.condition.left(80).toStdString());
        EXPECT_EQ(lastValue("SELECT COUNT(*) FROM T WHERE " + c.condition).first.toStdString(),
                  c.count);
    }
}
