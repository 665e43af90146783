#include "platform/error.h"
#include "platform/variant.h"

#include <functional>
#include <gtest/gtest.h>
#include <limits>

using platform::Currency;

namespace {

const Currency Largest = Currency::fromScaled(std::numeric_limits<std::int64_t>::max());
const Currency Smallest = Currency::fromScaled(std::numeric_limits<std::int64_t>::min());
const Currency OneTenThousandth = Currency::fromScaled(1);

Currency amount(const char *text)
{
    return Currency::fromDouble(QByteArray(text).toDouble());
}

TEST(Currency, AddsSubtractsAndMultipliesExactly)
{
    const struct
    {
        const char *what;
        Currency result;
        const char *expected;
    } cases[] = {
        {"tenths that a double would not add exactly", amount("0.1") + amount("0.2"), "0.3"},
        {"a credit", amount("1500.5") + amount("-2000.75"), "-500.25"},
        {"a difference", amount("-75.25") - amount("-100"), "24.75"},
        {"a negated amount", -amount("12.3456"), "-12.3456"},
        {"a sign factor", amount("250.01") * -1, "-250.01"},
        {"a count", amount("0.0001") * 3, "0.0003"},
        {"up to the largest amount", (Largest - OneTenThousandth) + OneTenThousandth,
         "922337203685477.5807"},
        {"down to the smallest amount", (Smallest + OneTenThousandth) - OneTenThousandth,
         "-922337203685477.5808"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.result.toString(), QLatin1String(c.expected)) << c.what;

    Currency total = amount("10");
    total += amount("2.5");
    total -= amount("0.5");
    EXPECT_EQ(total, amount("12"));
    EXPECT_LT(amount("-0.0001"), Currency{});
    EXPECT_GT(amount("1000"), amount("999.9999"));
}

TEST(Currency, AResultBeyondTheRangeRaisesTheOverflowErrorAndLeavesTheAmount)
{
    const struct
    {
        const char *what;
        std::function<Currency(Currency &)> operation;
    } cases[] = {
        {"a sum above the largest", [](Currency &a) { return a += Largest; }},
        {"a sum below the smallest", [](Currency &a) { return a + Smallest + Smallest; }},
        {"a difference", [](Currency &a) { return a -= Smallest; }},
        {"the smallest negated", [](Currency &) { return -Smallest; }},
        {"a product", [](Currency &a) { return Largest * 2 + a; }},
        {"the smallest times the sign factor", [](Currency &) { return Smallest * -1; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Currency held = amount("1");
        try {
            c.operation(held);
            ADD_FAILURE() << "no overflow";
        } catch (const platform::Error &error) {
            EXPECT_EQ(error.number(), platform::errors::Overflow);
            EXPECT_EQ(error.description(), QStringLiteral("Desbordamiento"));
        }
        EXPECT_EQ(held, amount("1"));
    }
}

TEST(Currency, ADoubleBeyondTheRangeRaisesTheOverflowError)
{
    const double nearLargest = 922337203685477.5; // the last half unit a double still holds
    EXPECT_EQ(Currency::fromDouble(nearLargest).toString(), QLatin1String("922337203685477.5"));
    EXPECT_EQ(Currency::fromDouble(-nearLargest).toString(), QLatin1String("-922337203685477.5"));
    EXPECT_EQ(Currency::fromDouble(0.00005).toString(), QLatin1String("0.0001"));
    // Beyond 2^53 ten-thousandths: the double's own digits, not those of its product by 10,000.
    EXPECT_EQ(Currency::fromDouble(800000000000023.625).toString(),
              QLatin1String("800000000000023.625"));
    for (const double value :
         {922337203685477.6, -922337203685477.7, 1e300, -1e300,
          std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        SCOPED_TRACE(value);
        try {
            Currency::fromDouble(value);
            ADD_FAILURE() << "no overflow";
        } catch (const platform::Error &error) {
            EXPECT_EQ(error.number(), platform::errors::Overflow);
            EXPECT_EQ(error.description(), QStringLiteral("Desbordamiento"));
        }
    }
}

// An amount is written to the database as a double: beyond 2^53 ten-thousandths, one rounded
// twice may no longer read back to the cent.
TEST(Currency, ItsDoubleIsTheNearestOne)
{
    const struct
    {
        std::int64_t scaled;
        double nearest;
    } cases[] = {
        {293438001650111200, 29343800165011.12},
        {-293438001650111200, -29343800165011.12},
        {9223372036854775000, 922337203685477.5},
        {1, 0.0001},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.scaled);
        EXPECT_EQ(Currency::fromScaled(c.scaled).toDouble(), c.nearest);
    }
}

TEST(Currency, RegionalTextIsWorkedOutOnTheTenThousandthsToTheLastDigit)
{
    const platform::RegionalSettings spanish = platform::RegionalSettings::spanishArgentina();
    platform::RegionalSettings english = spanish;
    english.decimalSeparator = QLatin1Char('.');
    english.thousandsSeparator = QLatin1Char(',');
    using platform::Rounding;
    const struct
    {
        std::int64_t scaled;
        int decimals;
        bool grouped;
        Rounding rounding;
        bool inEnglish;
        const char *expected;
    } cases[] = {
        // Beyond the fifteen digits a double holds exactly.
        {8000000000000236996, 2, true, Rounding::HalfAwayFromZero, false, "800.000.000.000.023,70"},
        {8000000000000236996, 2, true, Rounding::HalfToEven, true, "800,000,000,000,023.70"},
        {-8000000000000236996, 4, false, Rounding::HalfAwayFromZero, false,
         "-800000000000023,6996"},
        {std::numeric_limits<std::int64_t>::max(), 0, true, Rounding::HalfToEven, false,
         "922.337.203.685.478"},
        {std::numeric_limits<std::int64_t>::min(), 2, true, Rounding::HalfAwayFromZero, false,
         "-922.337.203.685.477,58"},
        // Halves: away from zero, or to the even digit.
        {1250, 2, true, Rounding::HalfAwayFromZero, false, "0,13"},
        {1250, 2, true, Rounding::HalfToEven, false, "0,12"},
        {-1350, 2, true, Rounding::HalfToEven, false, "-0,14"},
        {-50, 2, true, Rounding::HalfToEven, false, "0,00"},
        {-50, 2, true, Rounding::HalfAwayFromZero, false, "-0,01"},
        {9999950, 2, true, Rounding::HalfAwayFromZero, false, "1.000,00"},
        {25000, 0, true, Rounding::HalfToEven, false, "2"},
        // Grouping and padding.
        {12345000, 2, false, Rounding::HalfAwayFromZero, false, "1234,50"},
        {1234000, 3, true, Rounding::HalfAwayFromZero, true, "123.400"},
        {15000, 6, true, Rounding::HalfAwayFromZero, false, "1,500000"},
        {0, 2, true, Rounding::HalfAwayFromZero, false, "0,00"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(platform::formatRegionalAmount(Currency::fromScaled(c.scaled), c.decimals,
                                                 c.grouped, c.rounding,
                                                 c.inEnglish ? english : spanish),
                  QLatin1String(c.expected));
    }
}

} // namespace
