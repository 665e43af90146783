#include "engine_fixture.h"
#include "platform/error.h"

#include <functional>

using namespace platform::db;

namespace {

Recordset openEditable(const std::shared_ptr<Connection> &connection)
{
    Recordset rows;
    rows.open(QStringLiteral("SELECT * FROM MOVIMIENTOS ORDER BY ID"), connection, adOpenDynamic,
              adLockOptimistic);
    return rows;
}

// The main and the statistics database are open at once, and a second user may open the same
// file: what one connection commits must reach the next query of every other, and a
// connection that only reads must never hold a writer back.
class TwoConnectionsTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        run(QStringLiteral("CREATE TABLE MOVIMIENTOS (ID int IDENTITY(1,1) PRIMARY KEY, "
                           "Cuenta varchar(20) NOT NULL, Importe money NOT NULL)"));
        run(QStringLiteral("INSERT INTO MOVIMIENTOS (Cuenta, Importe) VALUES ('1.1', 10)"));
        run(QStringLiteral("INSERT INTO MOVIMIENTOS (Cuenta, Importe) VALUES ('1.2', 20)"));
        m_other = Connection::create();
        m_other->open(connectionString());
        // A writer held back fails after this long instead of holding up the test.
        m_connection->setCommandTimeout(1);
        m_other->setCommandTimeout(1);
    }

    void TearDown() override
    {
        m_other.reset();
        EngineTest::TearDown();
    }

    static int rowsSeenBy(const std::shared_ptr<Connection> &connection)
    {
        Recordset rows = connection->execute(QStringLiteral("SELECT COUNT(*) FROM MOVIMIENTOS"));
        return rows.field(0).value().toInt();
    }

    // Fails the test, rather than raising, when the write is refused.
    static void insertThrough(const std::shared_ptr<Connection> &connection, const QString &account)
    {
        try {
            connection->execute(
                QStringLiteral("INSERT INTO MOVIMIENTOS (Cuenta, Importe) VALUES ('%1', 1)")
                    .arg(account));
        } catch (const platform::Error &error) {
            FAIL() << "the write was refused: " << error.what();
        }
    }

    std::shared_ptr<Connection> m_other;
};

// What the first connection has just done, and what it keeps open, when the other writes.
struct ReaderState
{
    const char *name;
    std::function<Recordset(const std::shared_ptr<Connection> &)> leave;
};

class TwoConnectionsStateTest : public TwoConnectionsTest,
                                public ::testing::WithParamInterface<ReaderState>
{ };

const ReaderState readerStates[] = {
    {"NothingOpen", [](const std::shared_ptr<Connection> &) { return Recordset(); }},
    {"ARecordsetOpenOnItsFirstRow",
     [](const std::shared_ptr<Connection> &connection) {
         return connection->execute(QStringLiteral("SELECT * FROM MOVIMIENTOS"));
     }},
    {"AnEditableRecordsetOpen",
     [](const std::shared_ptr<Connection> &connection) { return openEditable(connection); }},
    {"AnEditJustWritten",
     [](const std::shared_ptr<Connection> &connection) {
         Recordset rows = openEditable(connection);
         rows.field(QStringLiteral("Importe")).setValue(15);
         rows.update();
         return rows;
     }},
    {"ANewRowJustWritten",
     [](const std::shared_ptr<Connection> &connection) {
         Recordset rows = openEditable(connection);
         rows.addNew();
         rows.field(QStringLiteral("Cuenta")).setValue(QStringLiteral("4.ñ'"));
         rows.field(QStringLiteral("Importe")).setValue(5);
         rows.update();
         return rows;
     }},
    {"AConditionThatFoundRows",
     [](const std::shared_ptr<Connection> &connection) {
         connection->execute(
             QStringLiteral("IF EXISTS (SELECT * FROM MOVIMIENTOS) "
                            "UPDATE MOVIMIENTOS SET Importe = Importe WHERE ID = 1"));
         return Recordset();
     }},
    {"ABatchOfSeveralQueries",
     [](const std::shared_ptr<Connection> &connection) {
         return connection->execute(QStringLiteral(
             "SELECT * FROM MOVIMIENTOS; SELECT Cuenta FROM MOVIMIENTOS WHERE ID > 0"));
     }},
    {"ASchemaRowsetOpen",
     [](const std::shared_ptr<Connection> &connection) {
         return connection->openSchema(adSchemaTables);
     }},
};

TEST_P(TwoConnectionsStateTest, TheNextQuerySeesWhatTheOtherCommitted)
{
    Recordset kept = GetParam().leave(m_connection);
    const int before = rowsSeenBy(m_connection);
    insertThrough(m_other, QStringLiteral("2.1"));
    EXPECT_EQ(rowsSeenBy(m_connection), before + 1);
}

TEST_P(TwoConnectionsStateTest, TheOtherSeesWhatThisOneWritesNext)
{
    Recordset kept = GetParam().leave(m_connection);
    const int before = rowsSeenBy(m_other);
    insertThrough(m_connection, QStringLiteral("2.2"));
    EXPECT_EQ(rowsSeenBy(m_other), before + 1);
}

TEST_P(TwoConnectionsStateTest, AReaderNeverHoldsAWriterBack)
{
    Recordset kept = GetParam().leave(m_connection);
    rowsSeenBy(m_connection);
    insertThrough(m_other, QStringLiteral("3.1"));
    // After the other's write, this one writes on top of the newest rows, not a stale read.
    insertThrough(m_connection, QStringLiteral("3.2"));
    EXPECT_EQ(rowsSeenBy(m_other), rowsSeenBy(m_connection));
}

INSTANTIATE_TEST_SUITE_P(, TwoConnectionsStateTest, ::testing::ValuesIn(readerStates),
                         [](const ::testing::TestParamInfo<ReaderState> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(TwoConnectionsTest, AnOpenTransactionHidesItsRowsUntilCommitted)
{
    m_connection->beginTrans();
    insertThrough(m_connection, QStringLiteral("5.1"));
    EXPECT_EQ(rowsSeenBy(m_other), 2) << "uncommitted rows are the writer's own";
    EXPECT_EQ(rowsSeenBy(m_connection), 3);
    m_connection->commitTrans();
    EXPECT_EQ(rowsSeenBy(m_other), 3);
}

TEST_F(TwoConnectionsTest, AWriterInsideATransactionMakesTheOtherWriterFailAfterItsTimeout)
{
    m_connection->beginTrans();
    insertThrough(m_connection, QStringLiteral("6.1"));
    EXPECT_NE(failureOf([&] {
                  m_other->execute(QStringLiteral(
                      "INSERT INTO MOVIMIENTOS (Cuenta, Importe) VALUES ('6.2', 1)"));
              }),
              0);
    m_connection->rollbackTrans();
    insertThrough(m_other, QStringLiteral("6.2"));
    EXPECT_EQ(rowsSeenBy(m_connection), 3);
}

} // namespace
