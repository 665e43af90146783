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

} // namespace
