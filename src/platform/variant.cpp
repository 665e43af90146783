#include "platform/variant.h"

#include "platform/error.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr int CurrencyDecimals = 4;

[[noreturn]] void raiseOverflow()
{
    throw Error(errors::Overflow, QStringLiteral("Desbordamiento"));
}

// The amount's size in ten-thousandths; the smallest amount has no positive counterpart.
std::uint64_t magnitudeOf(Currency amount)
{
    return amount.scaled < 0 ? std::uint64_t(-(amount.scaled + 1)) + 1
                             : std::uint64_t(amount.scaled);
}

std::uint64_t powerOfTen(int exponent)
{
    std::uint64_t power = 1;
    while (exponent-- > 0)
        power *= 10;
    return power;
}

} // namespace

Currency Currency::fromDouble(double value)
{
    // The whole part and the fraction are scaled apart: multiplied by 10,000 as a double, an
    // amount beyond 2^53 ten-thousandths would lose its last digits.
    if (!(std::fabs(value) < 1e15)) // also turns a NaN away
        raiseOverflow();
    const double whole = std::trunc(value);
    const auto fraction = std::int64_t(std::round((value - whole) * 10000.0));
    std::int64_t scaled = 0;
    if (__builtin_mul_overflow(std::int64_t(whole), std::int64_t(10000), &scaled)
        || __builtin_add_overflow(scaled, fraction, &scaled))
        raiseOverflow();
    return Currency{scaled};
}

QString Currency::toString() const
{
    const bool negative = scaled < 0;
    const std::uint64_t magnitude = magnitudeOf(*this);
    QString text = QString::number(magnitude / 10000);
    const std::uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

Currency Currency::operator-() const
{
    return Currency{} - *this;
}

Currency &Currency::operator+=(Currency other)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(scaled, other.scaled, &sum))
        raiseOverflow();
    scaled = sum;
    return *this;
}

Currency &Currency::operator-=(Currency other)
{
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(scaled, other.scaled, &difference))
        raiseOverflow();
    scaled = difference;
    return *this;
}

Currency operator*(Currency amount, std::int64_t factor)
{
    std::int64_t product = 0;
    if (__builtin_mul_overflow(amount.scaled, factor, &product))
        raiseOverflow();
    return Currency::fromScaled(product);
}

QString formatRegionalAmount(Currency amount, int decimals, bool groupThousands, Rounding rounding,
                             const RegionalSettings &settings)
{
    decimals = std::max(decimals, 0);
    const int kept = std::min(decimals, CurrencyDecimals);
    const std::uint64_t unit = powerOfTen(CurrencyDecimals - kept);
    const std::uint64_t magnitude = magnitudeOf(amount);
    std::uint64_t units = magnitude / unit;
    const std::uint64_t twiceRemainder = 2 * (magnitude % unit);
    if (twiceRemainder > unit
        || (twiceRemainder == unit && (rounding == Rounding::HalfAwayFromZero || units % 2 != 0)))
        ++units;

    const std::uint64_t scale = powerOfTen(kept);
    const QString whole = QString::number(units / scale);
    QString text = amount.scaled < 0 && units != 0 ? QStringLiteral("-") : QString();
    text += groupThousands ? groupedByThousands(whole, settings.thousandsSeparator) : whole;
    if (decimals > 0)
        text += settings.decimalSeparator
            + QString::number(units % scale)
                  .rightJustified(kept, QLatin1Char('0'))
                  .leftJustified(decimals, QLatin1Char('0'));
    return text;
}

} // namespace platform
