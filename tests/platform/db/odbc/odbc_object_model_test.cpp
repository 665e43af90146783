#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/error.h"
#include "platform/variant.h"
#include "sqlite_odbc_fixture.h"

using namespace platform;
using namespace platform::db;

namespace {

// The same object model the program uses on the embedded engine, over an ODBC connection.
class OdbcObjectModelTest : public SqliteOdbcTest
{
protected:
    void SetUp() override
    {
        connection = Connection::create();
        connection->setCursorLocation(adUseClient);
        connection->open(connectionString());
        connection->execute(QStringLiteral(
            "CREATE TABLE ma_panelcta (nombre VARCHAR(20) NOT NULL, grupo VARCHAR(20) NOT NULL, "
            "importe MONEY, PRIMARY KEY (nombre, grupo))"));
        connection->execute(
            QStringLiteral("INSERT INTO ma_panelcta VALUES ('Ventas', 'Norte', 10.5)"));
    }

    QVariant importeOf(const QString &grupo)
    {
        Recordset rows;
        rows.open(QStringLiteral("SELECT importe FROM ma_panelcta WHERE grupo = '%1'").arg(grupo),
                  connection);
        return rows.eof() ? QVariant() : rows.field(QStringLiteral("importe")).value();
    }

    std::shared_ptr<Connection> connection;
};

TEST_F(OdbcObjectModelTest, ExecuteCountsRowsAndRaisesProviderErrors)
{
    std::int32_t affected = 0;
    connection->execute(
        QStringLiteral("UPDATE ma_panelcta SET importe = 1 WHERE nombre = 'Ventas'"), &affected);
    EXPECT_EQ(affected, 1);

    try {
        connection->execute(
            QStringLiteral("INSERT INTO ma_panelcta VALUES ('Ventas', 'Norte', 0)"));
        FAIL() << "the duplicate key was accepted";
    } catch (const Error &error) {
        EXPECT_EQ(error.number(), hresult::ErrorsInCommand);
    }
    ASSERT_EQ(connection->errors().count(), 1);
    EXPECT_EQ(connection->errors().item(0).nativeError, 19);

    connection->execute(QStringLiteral("SELECT * FROM ma_panelcta"));
    EXPECT_EQ(connection->errors().count(), 0);
}

TEST_F(OdbcObjectModelTest, RecordsetEditsAddsAndCancelsOverOdbc)
{
    Recordset rows;
    rows.open(QStringLiteral("ma_panelcta"), connection, adOpenDynamic, adLockOptimistic);
    ASSERT_EQ(rows.recordCount(), 1);

    rows.field(QStringLiteral("importe")).setValue(QStringLiteral("20.25"));
    rows.update();
    EXPECT_EQ(importeOf(QStringLiteral("Norte")), currencyVariant(Currency::fromScaled(202500)));

    rows.addNew();
    rows.field(QStringLiteral("nombre")).setValue(QStringLiteral("Ventas"));
    rows.field(QStringLiteral("grupo")).setValue(QStringLiteral("Sur"));
    rows.field(QStringLiteral("importe")).setValue(7);
    rows.update();
    EXPECT_EQ(rows.recordCount(), 2);
    EXPECT_EQ(importeOf(QStringLiteral("Sur")), currencyVariant(Currency::fromScaled(70000)));

    rows.moveFirst();
    rows.field(QStringLiteral("importe")).setValue(99);
    rows.cancelUpdate();
    EXPECT_EQ(rows.field(QStringLiteral("importe")).value(),
              currencyVariant(Currency::fromScaled(202500)));
    rows.close();
    EXPECT_EQ(importeOf(QStringLiteral("Norte")), currencyVariant(Currency::fromScaled(202500)));
}

TEST_F(OdbcObjectModelTest, SchemaRowsetFindsTheTable)
{
    Recordset tables = connection->openSchema(adSchemaTables);
    QStringList names;
    for (; !tables.eof(); tables.moveNext())
        names.append(tables.field(QStringLiteral("TABLE_NAME")).value().toString());
    EXPECT_TRUE(names.contains(QStringLiteral("ma_panelcta")));
}

} // namespace
