#include "platform/variant.h"

#include "platform/error.h"

#include <cmath>

namespace platform {

namespace {

[[noreturn]] void raiseOverflow()
{
    throw Error(errors::Overflow, QStringLiteral("Desbordamiento"));
}

} // namespace

Currency Currency::fromDouble(double value)
{
    return Currency{std::int64_t(std::llround(value * 10000.0))};
}

QString Currency::toString() const
{
    const bool negative = scaled < 0;
    const std::uint64_t magnitude
        = negative ? std::uint64_t(-(scaled + 1)) + 1 : std::uint64_t(scaled);
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

} // namespace platform
