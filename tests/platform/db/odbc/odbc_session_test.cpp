#include "platform/variant.h"
#include "sqlite_odbc_fixture.h"

#include <QDateTime>
#include <filesystem>

using namespace platform;
using namespace platform::db;

namespace {

class OdbcSessionTest : public SqliteOdbcTest
{
protected:
    void SetUp() override
    {
        session = newSession();
        ASSERT_NE(session, nullptr);
        run(*session,
            {"CREATE TABLE cuentas (codigo VARCHAR(10) NOT NULL PRIMARY KEY, nombre "
             "VARCHAR(40) NOT NULL UNIQUE, saldo INTEGER DEFAULT 0)",
             "INSERT INTO cuentas (codigo, nombre) VALUES ('1', 'Caja')",
             "INSERT INTO cuentas (codigo, nombre) VALUES ('2', 'Bancos')"});
    }

    std::unique_ptr<Session> session;
};

TEST_F(SqliteOdbcTest, AMissingDriverLibraryFailsTheOpeningAsALostLink)
{
    const OpenResult opened
        = openSession(QStringLiteral("DRIVER=/nonexistent/libnothing.so;Database=x.db"), {}, {});
    EXPECT_EQ(opened.session, nullptr);
    ASSERT_FALSE(opened.errors.isEmpty());
    EXPECT_EQ(opened.errors[0].number, hresult::E_Fail);
    EXPECT_TRUE(opened.errors[0].description.contains(QLatin1String("libnothing")))
        << opened.errors[0].description.toStdString();
}

TEST_F(OdbcSessionTest, CountsTheRowsEachStatementTouched)
{
    struct Case
    {
        const char *statement;
        std::int64_t recordsAffected;
    };
    const Case cases[] = {
        {"INSERT INTO cuentas (codigo, nombre) VALUES ('3', 'Ventas')", 1},
        {"UPDATE cuentas SET saldo = 5 WHERE codigo IN ('1', '2')", 2},
        {"UPDATE cuentas SET saldo = 5 WHERE codigo = 'ninguna'", 0},
        {"DELETE FROM cuentas WHERE codigo = '3'", 1},
        {"SELECT * FROM cuentas", -1},
    };
    for (const Case &testCase : cases) {
        const ExecutionResult result
            = session->execute(QString::fromUtf8(testCase.statement), false);
        EXPECT_FALSE(result.failed()) << testCase.statement;
        EXPECT_EQ(result.recordsAffected, testCase.recordsAffected) << testCase.statement;
        EXPECT_EQ(result.rowSet.has_value(), testCase.recordsAffected == -1) << testCase.statement;
    }
}

TEST_F(OdbcSessionTest, TypesEveryColumnAsAdoDoesAndReadsItsValues)
{
    run(*session,
        {"CREATE TABLE tipos (entero INTEGER, corto SMALLINT, byte TINYINT, largo BIGINT, marca "
         "BIT, simple REAL, doble FLOAT, importe MONEY, fijo CHAR(5), texto VARCHAR(12), "
         "unicode NVARCHAR(20), memo TEXT, momento DATETIME, dia DATE)",
         "INSERT INTO tipos VALUES (2147483647, -32768, 255, 9007199254740993, 1, 1.5, 2.25, "
         "1234.5678, 'ab', 'texto', 'año €', 'largo', {ts '2024-02-29 23:59:58'}, "
         "{d '2024-03-01'})",
         "INSERT INTO tipos (entero) VALUES (NULL)"});
    const ExecutionResult result = session->execute(QStringLiteral("SELECT * FROM tipos"), false);
    ASSERT_FALSE(result.failed()) << result.errors[0].description.toStdString();
    ASSERT_TRUE(result.rowSet.has_value());
    const RowSet &rows = *result.rowSet;

    struct Expected
    {
        const char *name;
        DataType type;
        int definedSize;
        QVariant value;
    };
    const Expected expected[] = {
        {"entero", adInteger, 4, 2147483647},
        {"corto", adSmallInt, 2, -32768},
        {"byte", adUnsignedTinyInt, 1, 255},
        {"largo", adBigInt, 8, qlonglong(9007199254740993LL)},
        {"marca", adBoolean, 2, true},
        {"simple", adDouble, 8, 1.5}, // the driver describes REAL as DOUBLE
        {"doble", adDouble, 8, 2.25},
        {"importe", adCurrency, 8, currencyVariant(Currency::fromScaled(12345678))},
        {"fijo", adVarChar, 5, QStringLiteral("ab")}, // and CHAR(n) as VARCHAR(n)
        {"texto", adVarChar, 12, QStringLiteral("texto")},
        {"unicode", adVarChar, 20, QStringLiteral("año €")},
        {"memo", adLongVarChar, 65536, QStringLiteral("largo")},
        {"momento", adDBTimeStamp, 16, QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58))},
        {"dia", adDBDate, 6, QDate(2024, 3, 1)},
    };
    ASSERT_EQ(rows.columns.size(), std::size(expected));
    ASSERT_EQ(rows.rows.size(), 2);
    for (int index = 0; index < rows.columns.size(); ++index) {
        const Expected &column = expected[index];
        SCOPED_TRACE(column.name);
        EXPECT_EQ(rows.columns[index].name, QLatin1String(column.name));
        EXPECT_EQ(rows.columns[index].type, column.type);
        EXPECT_EQ(rows.columns[index].definedSize, column.definedSize);
        EXPECT_EQ(rows.rows[0][index], column.value);
        EXPECT_TRUE(isNull(rows.rows[1][index]));
    }
}

TEST_F(OdbcSessionTest, ReportsStatementErrorsWithTheDriversStateAndNumber)
{
    struct Case
    {
        const char *name;
        const char *statement;
        std::int32_t nativeError;
        const char *description;
    };
    const Case cases[] = {
        {"unique violation", "INSERT INTO cuentas (codigo, nombre) VALUES ('9', 'Caja')", 19,
         "UNIQUE constraint failed"},
        {"missing table", "SELECT * FROM no_existe", 1, "no such table"},
        {"syntax error", "SELEC * FROM cuentas", 1, "syntax error"},
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const ExecutionResult result
            = session->execute(QString::fromUtf8(testCase.statement), false);
        ASSERT_EQ(result.errors.size(), 1);
        const ProviderError &error = result.errors[0];
        EXPECT_EQ(error.sqlState, QStringLiteral("HY000"));
        EXPECT_EQ(error.nativeError, testCase.nativeError);
        // A statement error is never taken for a lost link.
        EXPECT_EQ(error.number, hresult::ErrorsInCommand);
        EXPECT_TRUE(error.description.contains(QLatin1String(testCase.description)))
            << error.description.toStdString();
        EXPECT_EQ(error.source, QStringLiteral("[SQLite]"));
    }
    EXPECT_FALSE(session->execute(QStringLiteral("SELECT * FROM cuentas"), false).failed());
}

TEST_F(OdbcSessionTest, TransactionMethodsAndTextsShareOneTransaction)
{
    const auto count = [this] {
        return rowsOf(*session, QStringLiteral("SELECT COUNT(*) FROM cuentas"))
            .value(0)
            .value(0)
            .toInt();
    };
    const QString insert = QStringLiteral("INSERT INTO cuentas (codigo, nombre) VALUES ('7', 'X')");
    const QString remove = QStringLiteral("DELETE FROM cuentas WHERE codigo = '7'");

    EXPECT_TRUE(session->beginTransaction().isEmpty());
    run(*session, {"INSERT INTO cuentas (codigo, nombre) VALUES ('7', 'X')"});
    EXPECT_TRUE(session->rollbackTransaction().isEmpty());
    EXPECT_EQ(count(), 2);

    EXPECT_TRUE(session->beginTransaction().isEmpty());
    EXPECT_FALSE(session->execute(insert, false).failed());
    EXPECT_TRUE(session->commitTransaction().isEmpty());
    EXPECT_EQ(count(), 3);
    EXPECT_FALSE(session->execute(remove, false).failed());

    // Begun by a text, ended by a method.
    run(*session, {"BEGIN TRANSACTION"});
    EXPECT_FALSE(session->execute(insert, false).failed());
    EXPECT_TRUE(session->rollbackTransaction().isEmpty());
    EXPECT_EQ(count(), 2);

    // Begun by a method, ended by a text: nothing is left open for the method to end.
    EXPECT_TRUE(session->beginTransaction().isEmpty());
    EXPECT_FALSE(session->execute(insert, false).failed());
    run(*session, {"COMMIT TRANSACTION"});
    EXPECT_EQ(count(), 3);
    EXPECT_FALSE(session->commitTransaction().isEmpty());
}

// The descriptors this process holds on a file: a live driver connection keeps one.
int openDescriptorsOn(const QString &path)
{
    int count = 0;
    for (const auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code unreadable;
        if (std::filesystem::read_symlink(entry.path(), unreadable) == path.toStdString())
            ++count;
    }
    return count;
}

TEST_F(OdbcSessionTest, ClosingASessionDisconnectsAndRollsBackWhatItLeftOpen)
{
    ASSERT_GT(openDescriptorsOn(databaseFile()), 0);
    EXPECT_TRUE(session->beginTransaction().isEmpty());
    run(*session, {"INSERT INTO cuentas (codigo, nombre) VALUES ('7', 'X')"});
    session.reset();

    EXPECT_EQ(openDescriptorsOn(databaseFile()), 0);
    session = newSession();
    EXPECT_EQ(rowsOf(*session, QStringLiteral("SELECT COUNT(*) FROM cuentas")),
              QVector<QVector<QVariant>>{{2}});
}

class UpdatableRowsTest : public OdbcSessionTest
{
protected:
    RowSet updatable(const QString &query)
    {
        ExecutionResult result = session->execute(query, true);
        EXPECT_FALSE(result.failed()) << query.toStdString();
        return result.rowSet.value_or(RowSet{});
    }

    static int indexOf(const RowSet &rows, const char *name)
    {
        for (int index = 0; index < rows.columns.size(); ++index) {
            if (rows.columns[index].name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return index;
        }
        return -1;
    }

    WriteResult edit(const RowSet &rows, int row, const char *column, const QVariant &value)
    {
        QVector<QVariant> edited = rows.rows[row];
        const int index = indexOf(rows, column);
        edited[index] = value;
        return session->updateRow(*rows.target, rows.columns, rows.keys[row], {index},
                                  rows.rows[row], edited);
    }
};

TEST_F(UpdatableRowsTest, WritesAnEditBackByPrimaryKey)
{
    const RowSet rows = updatable(QStringLiteral("SELECT * FROM cuentas WHERE codigo = '1'"));
    ASSERT_TRUE(rows.target.has_value());
    EXPECT_EQ(rows.target->table, QStringLiteral("cuentas"));
    EXPECT_EQ(rows.target->keyColumns, QStringList{QStringLiteral("codigo")});
    ASSERT_EQ(rows.keys.size(), 1);
    EXPECT_EQ(rows.keys[0], QVector<QVariant>{QStringLiteral("1")});

    const WriteResult written = edit(rows, 0, "nombre", QStringLiteral("Caja chica"));
    ASSERT_FALSE(written.failed()) << written.errors[0].description.toStdString();
    EXPECT_EQ(written.storedRow[indexOf(rows, "nombre")], QStringLiteral("Caja chica"));
    EXPECT_EQ(
        rowsOf(*session, QStringLiteral("SELECT nombre FROM cuentas ORDER BY codigo")),
        (QVector<QVector<QVariant>>{{QStringLiteral("Caja chica")}, {QStringLiteral("Bancos")}}));
}

TEST_F(UpdatableRowsTest, InsertsANewRowAndReadsBackItsDefaults)
{
    const RowSet rows = updatable(QStringLiteral("SELECT * FROM cuentas"));
    ASSERT_TRUE(rows.target.has_value());
    QVector<QVariant> added(rows.columns.size());
    added[indexOf(rows, "codigo")] = QStringLiteral("3");
    added[indexOf(rows, "nombre")] = QStringLiteral("Ventas; 'Norte'");
    const WriteResult written = session->insertRow(
        *rows.target, rows.columns, {indexOf(rows, "codigo"), indexOf(rows, "nombre")}, added);
    ASSERT_FALSE(written.failed()) << written.errors[0].description.toStdString();
    EXPECT_EQ(written.key, QVector<QVariant>{QStringLiteral("3")});
    EXPECT_EQ(written.storedRow[indexOf(rows, "saldo")], 0);
    EXPECT_EQ(rowsOf(*session, QStringLiteral("SELECT nombre FROM cuentas WHERE codigo = '3'")),
              QVector<QVector<QVariant>>{{QStringLiteral("Ventas; 'Norte'")}});
}

TEST_F(UpdatableRowsTest, ARowThatNoLongerMatchesCannotBeLocated)
{
    const RowSet rows = updatable(QStringLiteral("SELECT * FROM cuentas WHERE codigo = '2'"));
    run(*session, {"DELETE FROM cuentas WHERE codigo = '2'"});
    const WriteResult written = edit(rows, 0, "saldo", 10);
    ASSERT_EQ(written.errors.size(), 1);
    EXPECT_EQ(written.errors[0].number, ado::RowNotLocated);
}

TEST_F(UpdatableRowsTest, WithoutAKeyTheOriginalValuesLocateTheRow)
{
    run(*session,
        {"CREATE TABLE apuntes (cuenta VARCHAR(10), importe INTEGER, nota VARCHAR(20))",
         "INSERT INTO apuntes VALUES ('1', 10, NULL)", "INSERT INTO apuntes VALUES ('2', 20, 'x')",
         "INSERT INTO apuntes VALUES ('2', 20, 'x')"});
    const RowSet rows = updatable(QStringLiteral("SELECT * FROM apuntes ORDER BY cuenta"));
    ASSERT_TRUE(rows.target.has_value());
    EXPECT_EQ(rows.target->keyColumns.size(), 3);

    const WriteResult single = edit(rows, 0, "importe", 11);
    ASSERT_FALSE(single.failed()) << single.errors[0].description.toStdString();

    // Two rows hold the same values: writing one would change both.
    const WriteResult twin = edit(rows, 1, "importe", 21);
    ASSERT_EQ(twin.errors.size(), 1);
    EXPECT_EQ(twin.errors[0].number, hresult::ErrorsInCommand);
    EXPECT_EQ(rowsOf(*session, QStringLiteral("SELECT importe FROM apuntes ORDER BY cuenta")),
              (QVector<QVector<QVariant>>{{11}, {20}, {20}}));
}

TEST_F(UpdatableRowsTest, ExpressionColumnsAreNeverWritten)
{
    const RowSet rows = updatable(QStringLiteral(
        "SELECT codigo, nombre, saldo + 1 AS siguiente FROM cuentas WHERE codigo = '1'"));
    ASSERT_TRUE(rows.target.has_value());
    EXPECT_EQ(rows.target->baseColumns,
              (QStringList{QStringLiteral("codigo"), QStringLiteral("nombre"), QString()}));
    QVector<QVariant> edited = rows.rows[0];
    edited[1] = QStringLiteral("Caja central");
    edited[2] = 99;
    const WriteResult written = session->updateRow(*rows.target, rows.columns, rows.keys[0], {1, 2},
                                                   rows.rows[0], edited);
    ASSERT_FALSE(written.failed()) << written.errors[0].description.toStdString();
    EXPECT_EQ(
        rowsOf(*session, QStringLiteral("SELECT nombre, saldo FROM cuentas WHERE codigo = '1'")),
        (QVector<QVector<QVariant>>{{QStringLiteral("Caja central"), 0}}));
}

TEST_F(UpdatableRowsTest, GroupedRowsCannotBeWrittenBack)
{
    const RowSet rows = updatable(
        QStringLiteral("SELECT saldo, COUNT(*) AS cantidad FROM cuentas GROUP BY saldo"));
    EXPECT_FALSE(rows.target.has_value());
}

class SchemaRowsetTest : public OdbcSessionTest
{
protected:
    void SetUp() override
    {
        OdbcSessionTest::SetUp();
        run(*session,
            {"CREATE TABLE t_x (a INTEGER)", "CREATE TABLE tax (a INTEGER)",
             "CREATE VIEW v_cuentas AS SELECT codigo FROM cuentas"});
    }

    RowSet schema(Schema kind, const QVariantList &restrictions)
    {
        ExecutionResult result = session->openSchema(kind, restrictions);
        EXPECT_FALSE(result.failed());
        return result.rowSet.value_or(RowSet{});
    }

    static QStringList column(const RowSet &rows, const char *name)
    {
        int index = 0;
        while (index < rows.columns.size() && rows.columns[index].name != QLatin1String(name))
            ++index;
        QStringList values;
        for (const QVector<QVariant> &row : rows.rows)
            values.append(row.value(index).toString());
        return values;
    }
};

TEST_F(SchemaRowsetTest, ListsTablesAndViewsByExactName)
{
    const RowSet all = schema(adSchemaTables, {});
    EXPECT_TRUE(column(all, "TABLE_NAME").contains(QStringLiteral("cuentas")));
    const int view = int(column(all, "TABLE_NAME").indexOf(QStringLiteral("v_cuentas")));
    ASSERT_GE(view, 0);
    EXPECT_EQ(column(all, "TABLE_TYPE").value(view), QStringLiteral("VIEW"));

    // "_" restricts to itself, not to any one letter; a catalog the driver lacks restricts nothing.
    const RowSet one
        = schema(adSchemaTables, {QStringLiteral("conta"), QVariant(), QStringLiteral("T_X")});
    EXPECT_EQ(column(one, "TABLE_NAME"), QStringList{QStringLiteral("t_x")});
}

TEST_F(SchemaRowsetTest, ListsTheColumnsOfATable)
{
    const RowSet columns
        = schema(adSchemaColumns, {QVariant(), QVariant(), QStringLiteral("cuentas")});
    EXPECT_EQ(
        column(columns, "COLUMN_NAME"),
        (QStringList{QStringLiteral("codigo"), QStringLiteral("nombre"), QStringLiteral("saldo")}));
    EXPECT_EQ(column(columns, "ORDINAL_POSITION"),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_EQ(column(columns, "DATA_TYPE"),
              (QStringList{QString::number(adVarChar), QString::number(adVarChar),
                           QString::number(adInteger)}));
    EXPECT_EQ(
        column(columns, "IS_NULLABLE"),
        (QStringList{QStringLiteral("false"), QStringLiteral("false"), QStringLiteral("true")}));
    EXPECT_EQ(column(columns, "CHARACTER_MAXIMUM_LENGTH"),
              (QStringList{QStringLiteral("10"), QStringLiteral("40"), QString()}));

    const RowSet one
        = schema(adSchemaColumns,
                 {QVariant(), QVariant(), QStringLiteral("cuentas"), QStringLiteral("NOMBRE")});
    EXPECT_EQ(column(one, "COLUMN_NAME"), QStringList{QStringLiteral("nombre")});
}

} // namespace
