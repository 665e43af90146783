#include "platform/db/odbc/odbc_session.h"
#include "platform/db/odbc/round_trips.h"
#include "sqlite_odbc_fixture.h"

#include <functional>

using namespace platform::db;
using odbc::RoundTrips;

namespace {

// The counting layer stands in for a server the benchmark cannot reach: what it counts for a
// call must be what the ODBC session itself sends its driver for the same call.
class RoundTripsTest : public SqliteOdbcTest
{
protected:
    void SetUp() override
    {
        std::unique_ptr<Session> session = newSession();
        ASSERT_NE(session, nullptr);
        run(*session,
            {"CREATE TABLE cuentas (codigo VARCHAR(10) NOT NULL PRIMARY KEY, saldo INTEGER "
             "DEFAULT 0)",
             "INSERT INTO cuentas (codigo) VALUES ('1')"});
        odbcSession = dynamic_cast<odbc::OdbcSession *>(session.get());
        ASSERT_NE(odbcSession, nullptr);
        counting = std::make_unique<odbc::CountingSession>(std::move(session));
    }

    // The round trips of one step, as the driver saw them; the counting layer must agree.
    RoundTrips tripsOf(const std::function<void(Session &)> &step)
    {
        const RoundTrips sent = odbcSession->roundTrips();
        const RoundTrips counted = counting->roundTrips();
        step(*counting);
        const RoundTrips byDriver = odbcSession->roundTrips() - sent;
        EXPECT_EQ(counting->roundTrips() - counted, byDriver);
        return byDriver;
    }

    RowSet updatableAccounts()
    {
        ExecutionResult result
            = counting->execute(QStringLiteral("SELECT * FROM cuentas WHERE codigo = '1'"), true);
        EXPECT_TRUE(result.rowSet && result.rowSet->target);
        return result.rowSet.value_or(RowSet{});
    }

    odbc::OdbcSession *odbcSession = nullptr;
    std::unique_ptr<odbc::CountingSession> counting;
};

TEST_F(RoundTripsTest, EveryCallCostsWhatItsDriverCallsCost)
{
    const auto updatable
        = [](Session &session) { session.execute(QStringLiteral("SELECT * FROM cuentas"), true); };
    const auto text = [](const char *statement) {
        return
            [statement](Session &session) { session.execute(QString::fromUtf8(statement), false); };
    };
    struct Case
    {
        const char *what;
        std::function<void(Session &)> step;
        RoundTrips expected;
    };
    const Case cases[] = {
        {"a query and its rows", text("SELECT * FROM cuentas"), {1, 1, 0}},
        {"a statement without rows", text("UPDATE cuentas SET saldo = 1"), {1, 0, 0}},
        {"a statement the server refuses", text("SELECT * FROM sin_tabla"), {1, 0, 0}},
        {"rows to write back: the query and the catalog's columns and key", updatable, {3, 3, 0}},
        {"rows of a table the catalog has described", updatable, {1, 1, 0}},
        {"a change of schema", text("ALTER TABLE cuentas ADD COLUMN nota VARCHAR(20)"), {1, 0, 0}},
        {"rows to write back after it: the catalog is asked again",
         [](Session &session) {
             const ExecutionResult result
                 = session.execute(QStringLiteral("SELECT * FROM cuentas"), true);
             ASSERT_TRUE(result.rowSet && result.rowSet->target);
             EXPECT_TRUE(result.rowSet->target->baseColumns.contains(QStringLiteral("nota")))
                 << "the new column can be written";
         },
         {3, 3, 0}},
        {"rows of a join are never written back, the catalog is not asked",
         [](Session &session) {
             session.execute(QStringLiteral("SELECT a.codigo FROM cuentas a, cuentas b"), true);
         },
         {1, 1, 0}},
        {"a transaction",
         [](Session &session) {
             session.beginTransaction();
             session.execute(QStringLiteral("UPDATE cuentas SET saldo = 2"), false);
             session.commitTransaction();
         },
         {2, 0, 1}},
        {"a transaction rolled back",
         [](Session &session) {
             session.beginTransaction();
             session.rollbackTransaction();
         },
         {1, 0, 1}},
    };
    for (const Case &item : cases)
        EXPECT_EQ(tripsOf(item.step), item.expected) << item.what;
}

TEST_F(RoundTripsTest, WritingARowBackCostsItsStatementsOnly)
{
    const RowSet rows = updatableAccounts();
    ASSERT_EQ(rows.rows.size(), 1);
    QVector<QVariant> edited = rows.rows[0];
    edited[1] = 5;

    const RoundTrips update = tripsOf([&](Session &session) {
        const WriteResult written = session.updateRow(*rows.target, rows.columns, rows.keys[0], {1},
                                                      rows.rows[0], edited);
        ASSERT_FALSE(written.failed());
        EXPECT_EQ(written.storedRow, edited);
    });
    EXPECT_EQ(update, (RoundTrips{1, 0, 0})) << "a save sends its statement and reads nothing back";

    EXPECT_EQ(rowsOf(*counting, QStringLiteral("SELECT saldo FROM cuentas")),
              QVector<QVector<QVariant>>{{5}});

    QVector<QVariant> added(rows.columns.size());
    added[0] = QStringLiteral("2");
    const RoundTrips insert = tripsOf([&](Session &session) {
        const WriteResult written = session.insertRow(*rows.target, rows.columns, {0}, added);
        EXPECT_FALSE(written.failed());
    });
    EXPECT_EQ(insert, (RoundTrips{2, 1, 0}));

    EXPECT_EQ(tripsOf([&](Session &session) {
                  session.updateRow(*rows.target, rows.columns, rows.keys[0], {}, edited, edited);
              }),
              RoundTrips{})
        << "an edit that changed nothing sends nothing";
}

TEST_F(RoundTripsTest, ASaveAfterAChangeOfSchemaAsksTheCatalogOnceAgain)
{
    const RowSet rows = updatableAccounts();
    ASSERT_EQ(rows.rows.size(), 1);
    run(*counting, {"CREATE TABLE notas (codigo VARCHAR(10) PRIMARY KEY)"});
    QVector<QVariant> edited = rows.rows[0];
    const auto save = [&](int saldo) {
        return tripsOf([&](Session &session) {
            QVector<QVariant> original = edited;
            edited[1] = saldo;
            const WriteResult written = session.updateRow(*rows.target, rows.columns, rows.keys[0],
                                                          {1}, original, edited);
            EXPECT_FALSE(written.failed());
        });
    };

    EXPECT_EQ(save(5), (RoundTrips{3, 2, 0})) << "the statement, and the columns and key again";
    EXPECT_EQ(save(6), (RoundTrips{1, 0, 0})) << "the key is known: no row is counted first";
    EXPECT_EQ(rowsOf(*counting, QStringLiteral("SELECT saldo FROM cuentas")),
              QVector<QVector<QVariant>>{{6}});
}

} // namespace
