#pragma once

#include "platform/regional_settings.h"

#include <QMetaType>
#include <QString>
#include <QVariant>
#include <cstdint>

namespace platform {

// A fixed-point amount with four decimals, as a currency field or variant holds it.
struct Currency
{
    std::int64_t scaled = 0; // value times 10,000

    // The nearest amount, a half ten-thousandth away from zero; a value beyond the range (or
    // not a number) raises the overflow error (6) like the other operations.
    static Currency fromDouble(double value);
    static constexpr Currency fromScaled(std::int64_t scaled) { return Currency{scaled}; }

    // The nearest double. The whole part and the fraction are converted apart: beyond 2^53
    // ten-thousandths the scaled value as a double is rounded once, and again when divided,
    // which may cost an amount its cent.
    double toDouble() const { return double(scaled / 10000) + double(scaled % 10000) / 10000.0; }

    // "." as the decimal point, no trailing zeros: 12.5, -0.0001, 3
    QString toString() const;

    auto operator<=>(const Currency &) const = default;

    // Amounts add up exactly; a result beyond the scaled range raises the overflow error (6)
    // instead of wrapping round to an amount of the other sign.
    Currency operator-() const;
    Currency &operator+=(Currency other);
    Currency &operator-=(Currency other);
    friend Currency operator+(Currency left, Currency right) { return left += right; }
    friend Currency operator-(Currency left, Currency right) { return left -= right; }
    friend Currency operator*(Currency amount, std::int64_t factor);
};

enum class Rounding { HalfAwayFromZero, HalfToEven };

// The amount in the regional number format, worked out on its ten-thousandths rather than on a
// double, so that the largest amounts keep their cents: rounded to the decimals (padded with
// zeros beyond the four it holds), the whole part grouped by thousands when asked, and no sign
// on an amount that rounds to zero. 800000000000023.6996 with 2 decimals: "800.000.000.000.023,70".
QString formatRegionalAmount(Currency amount, int decimals, bool groupThousands = true,
                             Rounding rounding = Rounding::HalfAwayFromZero,
                             const RegionalSettings &settings = regionalSettings());

// Variant values follow the Windows variant: an invalid QVariant is Empty (never assigned),
// a QVariant holding nullptr is Null (a database null). Both differ from the empty text.
inline QVariant nullVariant()
{
    return QVariant::fromValue(nullptr);
}

inline bool isNull(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<std::nullptr_t>();
}

inline bool isEmpty(const QVariant &value)
{
    return !value.isValid();
}

inline bool isNullOrEmpty(const QVariant &value)
{
    return isNull(value) || isEmpty(value);
}

inline QVariant currencyVariant(Currency amount)
{
    return QVariant::fromValue(amount);
}

inline bool isCurrency(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<Currency>();
}

} // namespace platform
