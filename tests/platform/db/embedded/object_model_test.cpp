#include "engine_fixture.h"
#include "platform/db/embedded/embedded_provider.h"
#include "platform/error.h"
#include "platform/variant.h"

#include <QDateTime>

using namespace platform::db;
using platform::Currency;

namespace {

class ObjectModelTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        run(QStringLiteral("CREATE TABLE T (ID int PRIMARY KEY, NOMBRE varchar(20) NULL)"));
        run(QStringLiteral("INSERT INTO T (ID, NOMBRE) VALUES (1, 'uno') "
                           "INSERT INTO T (ID, NOMBRE) VALUES (2, 'dos') "
                           "INSERT INTO T (ID, NOMBRE) VALUES (3, 'tres')"));
    }
};

TEST_F(ObjectModelTest, ExecuteGivesRowsOfAQueryAndCountsOfChanges)
{
    std::int32_t affected = 0;
    Recordset rows
        = m_connection->execute(QStringLiteral("SELECT ID, NOMBRE FROM T ORDER BY ID"), &affected);
    EXPECT_EQ(affected, -1);
    EXPECT_EQ(rows.state(), adStateOpen);
    EXPECT_EQ(rows.recordCount(), 3);
    EXPECT_EQ(rows.field(QStringLiteral("nombre")).value().toString(), QStringLiteral("uno"));

    Recordset none = m_connection->execute(
        QStringLiteral("UPDATE T SET NOMBRE = 'x' WHERE ID > 1 DELETE T WHERE ID = 1"), &affected);
    EXPECT_EQ(affected, 3) << "counts of a batch add up";
    EXPECT_EQ(none.state(), adStateClosed);
}

TEST_F(ObjectModelTest, EmptyRecordsetIsAtBothEnds)
{
    Recordset rows = m_connection->execute(QStringLiteral("SELECT * FROM T WHERE ID = 99"));
    EXPECT_TRUE(rows.bof());
    EXPECT_TRUE(rows.eof());
    EXPECT_EQ(rows.recordCount(), 0);
    EXPECT_EQ(failureOf([&] { rows.field(0).value(); }), ado::NoCurrentRecord);
    EXPECT_EQ(failureOf([&] { rows.moveFirst(); }), ado::NoCurrentRecord);
    EXPECT_EQ(rows.fields().count(), 2) << "the columns are known without rows";
}

TEST_F(ObjectModelTest, WalkingPastTheEndsAndReadingThereRaise3021)
{
    Recordset rows = m_connection->execute(QStringLiteral("SELECT ID FROM T ORDER BY ID"));
    rows.moveLast();
    EXPECT_EQ(rows.field(0).value().toInt(), 3);
    rows.moveNext();
    EXPECT_TRUE(rows.eof());
    EXPECT_EQ(failureOf([&] { rows.field(0).value(); }), ado::NoCurrentRecord);
    EXPECT_EQ(failureOf([&] { rows.moveNext(); }), ado::NoCurrentRecord);
    rows.moveFirst();
    rows.movePrevious();
    EXPECT_TRUE(rows.bof());
    EXPECT_EQ(failureOf([&] { rows.movePrevious(); }), ado::NoCurrentRecord);
}

TEST_F(ObjectModelTest, FieldsAreFoundByNameWithoutRegardToCase)
{
    Recordset rows
        = m_connection->execute(QStringLiteral("SELECT ID, NOMBRE AS [Debe-Haber] FROM T"));
    EXPECT_EQ(rows.field(QStringLiteral("DEBE-HABER")).name(), QStringLiteral("Debe-Haber"));
    EXPECT_EQ(rows.fields().indexOf(QStringLiteral("id")), 0);
    EXPECT_EQ(rows.fields().indexOf(QStringLiteral("nada")), -1);
    EXPECT_EQ(failureOf([&] { rows.field(QStringLiteral("nada")); }), ado::ItemNotFound);
    EXPECT_EQ(failureOf([&] { rows.field(2); }), ado::ItemNotFound);
}

TEST_F(ObjectModelTest, GetRowsGivesTheRestOfTheRowsByField)
{
    Recordset rows = m_connection->execute(QStringLiteral("SELECT ID, NOMBRE FROM T ORDER BY ID"));
    rows.moveNext();
    const QVector<QVector<QVariant>> values = rows.getRows();
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values[0], (QVector<QVariant>{2, 3}));
    EXPECT_EQ(values[1], (QVector<QVariant>{QStringLiteral("dos"), QStringLiteral("tres")}));
    EXPECT_TRUE(rows.eof());
}

TEST_F(ObjectModelTest, BareTableNameOpensTheWholeTable)
{
    Recordset rows;
    rows.open(QStringLiteral("T"), m_connection, adOpenDynamic, adLockOptimistic);
    EXPECT_EQ(rows.recordCount(), 3);
    EXPECT_EQ(rows.cursorType(), adOpenDynamic);
    EXPECT_EQ(rows.lockType(), adLockOptimistic);
    EXPECT_EQ(failureOf([&] { rows.open(QStringLiteral("T"), m_connection); }), ado::ObjectOpen);
    rows.close();
    EXPECT_EQ(rows.state(), adStateClosed);
    EXPECT_EQ(failureOf([&] { rows.close(); }), ado::ObjectClosed);
}

TEST_F(ObjectModelTest, ConnectionStateIsGuarded)
{
    EXPECT_EQ(failureOf([&] { m_connection->open(connectionString()); }), ado::ObjectOpen);
    m_connection->close();
    EXPECT_EQ(m_connection->state(), adStateClosed);
    EXPECT_EQ(failureOf([&] { m_connection->close(); }), ado::ObjectClosed);
    EXPECT_EQ(failureOf([&] { m_connection->execute(QStringLiteral("SELECT 1")); }),
              ado::ConnectionUnusable);
    Recordset rows;
    EXPECT_EQ(failureOf([&] { rows.open(QStringLiteral("T"), m_connection); }),
              ado::ConnectionUnusable);
    m_connection->open(connectionString());
    EXPECT_EQ(m_connection->connectionString(), connectionString());
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM T")).toInt(), 3);
}

TEST_F(ObjectModelTest, ErrorsHoldOnlyTheLastOperation)
{
    failureOf(QStringLiteral("SELECT * FROM NADA"));
    ASSERT_EQ(m_connection->errors().count(), 1);
    EXPECT_EQ(m_connection->errors().item(0).nativeError, native::InvalidObject);
    EXPECT_EQ(failureOf([&] { m_connection->errors().item(1); }), ado::ItemNotFound);
    run(QStringLiteral("SELECT * FROM T"));
    EXPECT_EQ(m_connection->errors().count(), 0);

    failureOf(QStringLiteral("SELECT * FROM NADA"));
    Recordset rows;
    rows.open(QStringLiteral("SELECT * FROM T"), m_connection);
    EXPECT_EQ(m_connection->errors().count(), 0) << "Recordset.Open clears them too";
}

TEST_F(ObjectModelTest, OpeningAMissingDatabaseFailsAsALostLinkAndCreatesNothing)
{
    auto other = Connection::create();
    EXPECT_EQ(failureOf([&] { other->open(connectionString(QStringLiteral("NOEXISTE"))); }),
              hresult::E_Fail);
    ASSERT_EQ(other->errors().count(), 1);
    EXPECT_EQ(other->errors().item(0).nativeError, native::CannotOpenDatabase);
    EXPECT_FALSE(QFile::exists(m_folder.filePath(QStringLiteral("NOEXISTE.db"))));
    EXPECT_EQ(other->state(), adStateClosed);
}

TEST_F(ObjectModelTest, DatabaseNamesLoginNamesAndServerTextIgnoreCase)
{
    auto other = Connection::create();
    other->open(
        QStringLiteral("PROVIDER=SQLOLEDB;Server=(EMBEBIDO);Database =prueba;UId=PRUEBA;Pwd=x;"));
    EXPECT_EQ(other->defaultDatabase(), QStringLiteral("PRUEBA"));
}

TEST_F(ObjectModelTest, UserAndPasswordArgumentsOverrideTheString)
{
    addLogin(QStringLiteral("otro"), QStringLiteral("clave"));
    auto other = Connection::create();
    other->open(connectionString(), QStringLiteral("otro"), QStringLiteral("clave"));
    Recordset rows = other->execute(QStringLiteral("SELECT SYSTEM_USER"));
    EXPECT_EQ(rows.field(0).value().toString(), QStringLiteral("otro"));
}

TEST_F(ObjectModelTest, LostLinkSwitchFailsEveryOperationWithEFail)
{
    embedded::simulateLinkLoss(true);
    const std::int32_t duringLoss = failureOf(QStringLiteral("SELECT * FROM T"));
    const int errorsDuringLoss = m_connection->errors().count();
    auto other = Connection::create();
    const std::int32_t openDuringLoss = failureOf([&] { other->open(connectionString()); });
    embedded::simulateLinkLoss(false);

    EXPECT_EQ(duringLoss, hresult::E_Fail);
    EXPECT_EQ(errorsDuringLoss, 1) << "the data layer reconnects only with provider errors";
    EXPECT_EQ(openDuringLoss, hresult::E_Fail);
    m_connection->close();
    m_connection->open(connectionString());
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM T")).toInt(), 3);
}

struct DeclaredTypeCase
{
    const char *declaration;
    DataType type;
    int definedSize;
    const char *literal;
    QVariant expected;
};

// Parameter names in test listings instead of the parameter's bytes.
void PrintTo(const DeclaredTypeCase &c, std::ostream *out)
{
    *out << c.declaration;
}

class FieldTypeTest : public EngineTest, public ::testing::WithParamInterface<DeclaredTypeCase>
{ };

TEST_P(FieldTypeTest, DeclaredTypeGivesTheFieldTypeSizeAndValue)
{
    const DeclaredTypeCase &c = GetParam();
    run(QStringLiteral("CREATE TABLE V (C %1 NULL)").arg(QLatin1String(c.declaration)));
    run(QStringLiteral("INSERT INTO V (C) VALUES (%1)").arg(QString::fromUtf8(c.literal)));
    Recordset rows = m_connection->execute(QStringLiteral("SELECT C FROM V"));
    Field field = rows.field(0);
    EXPECT_EQ(field.type(), c.type);
    EXPECT_EQ(field.definedSize(), c.definedSize);
    EXPECT_EQ(field.value(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Types, FieldTypeTest,
    ::testing::Values(
        DeclaredTypeCase{"varchar(15)", adVarChar, 15, "'1101'", QStringLiteral("1101")},
        DeclaredTypeCase{"nvarchar(30)", adVarWChar, 30, "N'Año'", QStringLiteral("Año")},
        DeclaredTypeCase{"char(3)", adChar, 3, "'011'", QStringLiteral("011")},
        DeclaredTypeCase{"int", adInteger, 4, "42", 42},
        DeclaredTypeCase{"smallint", adSmallInt, 2, "-1", -1},
        DeclaredTypeCase{"tinyint", adUnsignedTinyInt, 1, "200", 200},
        DeclaredTypeCase{"bigint", adBigInt, 8, "5000000000", qlonglong(5000000000)},
        DeclaredTypeCase{"bit", adBoolean, 2, "1", true},
        DeclaredTypeCase{"money", adCurrency, 8, "1234.5678",
                         QVariant::fromValue(Currency::fromScaled(12345678))},
        DeclaredTypeCase{"float", adDouble, 8, "0.5", 0.5},
        DeclaredTypeCase{"real", adSingle, 4, "0.25", 0.25f},
        DeclaredTypeCase{"decimal(12,2)", adNumeric, 19, "10.5", 10.5},
        DeclaredTypeCase{"datetime", adDBTimeStamp, 16, "'15/03/2024 10:30'",
                         QDateTime(QDate(2024, 3, 15), QTime(10, 30))},
        DeclaredTypeCase{"smalldatetime", adDBTimeStamp, 16, "'20240315'",
                         QDateTime(QDate(2024, 3, 15), QTime(0, 0))},
        DeclaredTypeCase{"date", adDBDate, 6, "'2024-03-15'", QDate(2024, 3, 15)},
        DeclaredTypeCase{"int", adInteger, 4, "NULL", platform::nullVariant()}));

TEST_F(EngineTest, ExpressionsTakeTheirTypeFromTheirValues)
{
    run(QStringLiteral("CREATE TABLE M (IMPORTE money NOT NULL, FECHA datetime NULL)"));
    run(QStringLiteral("INSERT INTO M (IMPORTE, FECHA) VALUES (0.1, '10/12/2023') "
                       "INSERT INTO M (IMPORTE, FECHA) VALUES (0.2, '02/01/2024')"));
    Recordset rows = m_connection->execute(
        QStringLiteral("SELECT SUM(IMPORTE) AS IMPORTE, COUNT(*) AS N, MAX('a') AS T, "
                       "MAX(FECHA) AS MAYOR, MIN(FECHA) AS MENOR FROM M"));
    // A sum of money is money, as the server types it.
    EXPECT_EQ(rows.field(QStringLiteral("IMPORTE")).type(), adCurrency);
    EXPECT_EQ(rows.field(QStringLiteral("IMPORTE")).value().value<platform::Currency>(),
              platform::Currency::fromScaled(3000));
    EXPECT_EQ(rows.field(QStringLiteral("N")).type(), adInteger);
    EXPECT_EQ(rows.field(QStringLiteral("N")).value(), QVariant(2));
    EXPECT_EQ(rows.field(QStringLiteral("T")).type(), adVarWChar);
    EXPECT_EQ(rows.field(QStringLiteral("MAYOR")).type(), adDBTimeStamp);
    EXPECT_EQ(rows.field(QStringLiteral("MAYOR")).value(),
              QVariant(QDateTime(QDate(2024, 1, 2), QTime(0, 0))))
        << "the latest date, not the largest text";
    EXPECT_EQ(rows.field(QStringLiteral("MENOR")).value(),
              QVariant(QDateTime(QDate(2023, 12, 10), QTime(0, 0))));
    EXPECT_TRUE(platform::isNull(
        scalar(QStringLiteral("SELECT MAX(FECHA) AS MAYOR FROM M WHERE IMPORTE > 1"))));
}

} // namespace
