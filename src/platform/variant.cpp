#include "platform/variant.h"

#include <cmath>

namespace platform {

Currency Currency::fromDouble(double value)
{
    return Currency{std::int64_t(std::llround(value * 10000.0))};
}

QString Currency::toString() const
{
    const bool negative = scaled < 0;
    const std::uint64_t magnitude = negative ? std::uint64_t(-(scaled + 1)) + 1 : std::uint64_t(scaled);
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

} // namespace platform
