#include "engine_fixture.h"
#include "platform/db/embedded/stored_money.h"

#include <random>

using namespace platform::db;
using namespace platform::db::embedded;

namespace {

TEST(StoredMoneyTest, ADoubleReadsAsTheShortestDecimalThatGivesIt)
{
    struct Case
    {
        double stored;
        std::optional<std::int64_t> units;
    };
    const Case cases[] = {
        {29343800165011.12, 293438001650111200}, // its binary value is ...011.12109375
        {0.1 + 0.2, 3000},
        {-0.00005, -1},
        {400000000000000.1234, 4000000000000001000}, // shares its double with ...000.1
        {922337203685477.5, 9223372036854775000},
        {1e15, std::nullopt},
        {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
        {std::numeric_limits<double>::infinity(), std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(moneyUnitsOf(c.stored), c.units);
    }
}

// The quick answers below 2^39 must agree with reading the amount's own double back.
TEST(StoredMoneyTest, AnAmountIsKeptExactlyWhenItsDoubleReadsBackAsIt)
{
    std::mt19937_64 random(42);
    std::uniform_int_distribution<std::int64_t> anyAmount(std::numeric_limits<std::int64_t>::min(),
                                                          std::numeric_limits<std::int64_t>::max());
    std::uniform_int_distribution<std::int64_t> belowTheLimit(-(std::int64_t(1) << 39) * 10000,
                                                              (std::int64_t(1) << 39) * 10000);
    for (int i = 0; i < 200000; ++i) {
        const std::int64_t small = belowTheLimit(random);
        ASSERT_EQ(moneyUnitsOf(storedMoney(small)), small);
        const std::int64_t any = anyAmount(random);
        ASSERT_EQ(keptExactly(any), moneyUnitsOf(storedMoney(any)) == any) << any;
    }
    EXPECT_FALSE(keptExactly(8000000000000236996)); // 800000000000023.6996
    EXPECT_TRUE(keptExactly(8000000000000235000)); // 800000000000023.5
    EXPECT_TRUE(keptExactly(std::numeric_limits<std::int64_t>::max() / 10000 * 10000));
}

TEST(StoredMoneyTest, TextsAndLiteralsAreReadToTheirLastDigit)
{
    struct TextCase
    {
        const char *text;
        std::optional<std::int64_t> units;
    };
    const TextCase texts[] = {
        {"-12.34565", -123457},
        {" 1.5 ", 15000},
        {"5.", 50000},
        {".5", 5000},
        {"+0012.30", 123000},
        {"922337203685477.5807", 9223372036854775807},
        {"922337203685477.5808", {}},
        {"-922337203685477.5808", std::numeric_limits<std::int64_t>::min()},
        {"1,5", {}},
        {"", {}},
        {".", {}},
        {"1e3", {}},
    };
    for (const TextCase &c : texts) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(moneyUnitsOfText(c.text), c.units);
    }
    struct LiteralCase
    {
        const char *literal;
        bool kept;
    };
    const LiteralCase literals[] = {
        {"400000000000000.1234", false},
        {"800000000000023.6996", false},
        {"29343800165011.12", true},
        {"0.10000000000000000000", true},
        {"000123.4500", true},
        {"9223372036854775807", true},
        {"9223372036854775808", true}, // 2^63, a double itself

        {"9223372036854775809", false},
        {"12345678901234567890", false},
        {"1.5e300", true},
        {"0x0102", true},
    };
    for (const LiteralCase &c : literals) {
        SCOPED_TRACE(c.literal);
        EXPECT_EQ(literalKeptExactly(c.literal), c.kept);
    }
}

class StoredMoneyEngineTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        run(QStringLiteral("CREATE TABLE L (ID int NOT NULL, m money NULL)"));
    }
};

// Every amount is either kept to its last digit or refused with 50000: none comes back as its
// neighbour. Before each case the table is emptied.
TEST_F(StoredMoneyEngineTest, AnAmountIsKeptToItsLastDigitOrRefused)
{
    struct Case
    {
        const char *batch;
        const char *query;
        const char *value; // or "error N"
    };
    const Case cases[] = {
        {"INSERT INTO L VALUES (1, 29343800165011.12)", "SELECT m FROM L", "29343800165011.12"},
        {"INSERT INTO L VALUES (1, 0) UPDATE L SET m = 29343800165011.12", "SELECT m FROM L",
         "29343800165011.12"},
        {"", "SELECT CAST('29343800165011.12' AS money)", "29343800165011.12"},
        {"INSERT INTO L VALUES (1, 400000000000000) INSERT INTO L VALUES (2, 0.5)",
         "SELECT SUM(m) FROM L", "400000000000000.5"},
        {"INSERT INTO L VALUES (1, 799999999999999) INSERT INTO L VALUES (2, 24.6996)",
         "SELECT SUM(m) FROM L", "error 50000"},
        {"INSERT INTO L VALUES (1, 799999999999999) INSERT INTO L VALUES (2, 24.6996)",
         "SELECT SUM(m) FROM L GROUP BY ID ORDER BY ID", "799999999999999"},
        {"", "SELECT CAST('400000000000000.1234' AS money)", "error 50000"},
        {"INSERT INTO L (ID, m) VALUES (1, '29343800165011.12')", "SELECT m FROM L",
         "29343800165011.12"},
        {"INSERT INTO L (ID, m) VALUES (1, N'1.23456')", "SELECT m FROM L", "1.2346"},
        {"", "SELECT 400000000000000.1234", "error 50000"},
        // 199110755274.0886 * 3 is 597332265822.2658; its double reads ...822.2657.
        {"INSERT INTO L VALUES (1, 199110755274.0886)", "SELECT m * 3 FROM L", "error 50000"},
        {"INSERT INTO L VALUES (1, 199110755274.0886)", "SELECT SUM(m) - 1 FROM L", "error 50000"},
        {"INSERT INTO L VALUES (1, 199110755274.0886)", "SELECT -m FROM L", "-199110755274.0886"},
        {"INSERT INTO L VALUES (1, 199110755274.0886) UPDATE L SET m = m * -1", "SELECT m FROM L",
         "-199110755274.0886"},
        {"INSERT INTO L VALUES (1, 199110755274.0886)", "SELECT m / 2 FROM L", "99555377637.0443"},
        {"INSERT INTO L VALUES (1, 199110755274) UPDATE L SET m = m * 3", "SELECT m FROM L",
         "597332265822"},
        {"INSERT INTO L VALUES (1, 1.25) UPDATE L SET m = m * 3 + 0.5", "SELECT m FROM L", "4.25"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.batch) + " / " + c.query);
        run(QStringLiteral("DELETE FROM L"));
        if (*c.batch)
            run(QString::fromUtf8(c.batch));
        QString value;
        try {
            value = shown(scalar(QString::fromUtf8(c.query)));
        } catch (const std::exception &) {
            value = QStringLiteral("error %1").arg(nativeErrors().value(0));
        }
        EXPECT_EQ(value.toStdString(), c.value);
    }
}

// A text inserted into money is converted as the server converts it, or refused with its error.
TEST_F(StoredMoneyEngineTest, ATextInsertedIntoMoneyIsConvertedOrRefused)
{
    const struct
    {
        const char *text;
        std::int32_t error;
    } cases[] = {{"400000000000000.1234", 50000}, {"abc", 235}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        failureOf(
            QStringLiteral("INSERT INTO L (ID, m) VALUES (1, '%1')").arg(QLatin1String(c.text)));
        EXPECT_EQ(nativeErrors().value(0), c.error);
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM L")).toInt(), 0);
}

TEST_F(StoredMoneyEngineTest, AComputedAmountTheEngineMayGetWrongIsNotStored)
{
    run(QStringLiteral("INSERT INTO L VALUES (1, 199110755274.0886)"));
    failureOf(QStringLiteral("UPDATE L SET m = m * 3"));
    EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{50000});
    failureOf(QStringLiteral("UPDATE L SET m = m / 3 * 3"));
    EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{50000});
    EXPECT_EQ(column(QStringLiteral("SELECT m FROM L")),
              QStringList{QStringLiteral("199110755274.0886")});
}

// A refused number stops its batch before any of it runs: nothing is half written.
TEST_F(StoredMoneyEngineTest, ABatchWithANumberTheEngineCannotKeepRunsNone)
{
    failureOf(QStringLiteral("INSERT INTO L VALUES (1, 1) "
                             "INSERT INTO L VALUES (2, 400000000000000.1234)"));
    EXPECT_EQ(nativeErrors(), QVector<std::int32_t>{50000});
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM L")).toInt(), 0);
}

} // namespace
