#include "engine_fixture.h"
#include "platform/error.h"

using namespace platform::db;

TEST_F(EngineTest, ExecuteReturnsRowsAndCounts)
{
    run(QStringLiteral("CREATE TABLE T (ID int PRIMARY KEY, NOMBRE varchar(20))"));
    std::int32_t affected = 0;
    m_connection->execute(QStringLiteral("INSERT INTO T (ID, NOMBRE) VALUES (1, 'uno')"),
                          &affected);
    EXPECT_EQ(affected, 1);
    Recordset rows = m_connection->execute(QStringLiteral("SELECT ID, NOMBRE FROM T"), &affected);
    EXPECT_EQ(affected, -1);
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.field(QStringLiteral("nombre")).value().toString(), QStringLiteral("uno"));
    EXPECT_EQ(rows.field(0).type(), adInteger);
    EXPECT_EQ(rows.field(1).type(), adVarChar);
    EXPECT_EQ(rows.field(1).definedSize(), 20);
}
