#include "engine_fixture.h"

using namespace platform::db;

namespace {

// Two connections on one database file, as the program's main and statistics connections or
// two users are: what one commits, the other's next query sees, whatever the first holds open.
class TwoConnectionsTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        run(QStringLiteral("CREATE TABLE T (ID int IDENTITY(1,1) PRIMARY KEY, V int NULL)"));
        run(QStringLiteral("INSERT INTO T (V) VALUES (1)"));
        m_other = Connection::create();
        m_other->open(connectionString());
    }
    void TearDown() override
    {
        m_other->close();
        EngineTest::TearDown();
    }

    int rowsSeenByOther()
    {
        return m_other->execute(QStringLiteral("SELECT COUNT(*) FROM T")).field(0).value().toInt();
    }

    std::shared_ptr<Connection> m_other;
};

TEST_F(TwoConnectionsTest, ACommittedRowIsSeenByTheOthersNextQuery)
{
    ASSERT_EQ(rowsSeenByOther(), 1);
    Recordset heldByOther;
    heldByOther.open(QStringLiteral("SELECT * FROM T"), m_other, adOpenStatic, adLockReadOnly);
    Recordset heldHere;
    heldHere.open(QStringLiteral("SELECT * FROM T"), m_connection, adOpenDynamic, adLockOptimistic);

    run(QStringLiteral("INSERT INTO T (V) VALUES (2)"));
    EXPECT_EQ(rowsSeenByOther(), 2) << "a recordset held open keeps no old snapshot";

    heldHere.field(QStringLiteral("V")).setValue(7);
    heldHere.update();
    EXPECT_EQ(
        m_other->execute(QStringLiteral("SELECT V FROM T WHERE ID = 1")).field(0).value().toInt(),
        7)
        << "an updatable recordset's edit is seen at once";

    m_other->execute(QStringLiteral("INSERT INTO T (V) VALUES (3)"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM T")).toInt(), 3)
        << "a reader holding rows never blocks the other's write";
}

} // namespace
