#include "platform/db/embedded/stored_money.h"

#include "platform/variant.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace platform::db::embedded {

namespace {

constexpr std::int64_t unitsPerWhole = 10000;
constexpr std::int64_t exactDoubleLimit = std::int64_t(1) << 53;
// Below 2^39 two amounts a ten-thousandth apart never share a double, so the shortest decimal
// of an amount's double is the amount itself.
constexpr std::int64_t alwaysKeptLimit = (std::int64_t(1) << 39) * unitsPerWhole;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A plain decimal's digits without the zeros that do not change its value: "0012.3400" gives
// "12" and "34".
struct Digits
{
    std::string_view whole;
    std::string_view fraction;
    bool valid = false;

    explicit Digits(std::string_view text)
    {
        const std::size_t point = text.find('.');
        whole = text.substr(0, point);
        fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
        valid = !(whole.empty() && fraction.empty())
            && std::all_of(whole.begin(), whole.end(), isDigit)
            && std::all_of(fraction.begin(), fraction.end(), isDigit);
        while (!whole.empty() && whole.front() == '0')
            whole.remove_prefix(1);
        while (!fraction.empty() && fraction.back() == '0')
            fraction.remove_suffix(1);
    }

    std::size_t significant() const
    {
        if (!whole.empty())
            return whole.size() + fraction.size();
        const std::size_t firstDigit = fraction.find_first_not_of('0');
        return firstDigit == std::string_view::npos ? 0 : fraction.size() - firstDigit;
    }

    bool operator==(const Digits &other) const
    {
        return whole == other.whole && fraction == other.fraction;
    }
};

// The shortest fixed-point text that reads back as the same double.
std::string_view shortestText(double value, std::array<char, 400> &buffer)
{
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed);
    return error == std::errc() ? std::string_view(buffer.data(), end - buffer.data())
                                : std::string_view();
}

} // namespace

std::optional<std::int64_t> moneyUnitsOfText(std::string_view text)
{
    text = trimmed(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    const Digits digits(text);
    if (!digits.valid || digits.whole.size() > 15)
        return std::nullopt;
    // Fifteen whole digits and four decimals stay below 2^64.
    std::uint64_t magnitude = 0;
    for (char c : digits.whole)
        magnitude = magnitude * 10 + std::uint64_t(c - '0');
    for (std::size_t i = 0; i < 4; ++i)
        magnitude = magnitude * 10
            + std::uint64_t(i < digits.fraction.size() ? digits.fraction[i] - '0' : 0);
    if (digits.fraction.size() > 4 && digits.fraction[4] >= '5')
        ++magnitude;
    constexpr std::uint64_t largest = std::numeric_limits<std::int64_t>::max();
    if (magnitude > largest + (negative ? 1 : 0))
        return std::nullopt;
    return negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
}

std::optional<std::int64_t> moneyUnitsOf(double stored)
{
    // An amount of data is a double within a small fraction of a ten-thousandth of its units:
    // those are read without writing out the double's decimals.
    if (std::abs(stored) < computedMoneyLimit) {
        const double scaled = stored * double(unitsPerWhole);
        const double nearest = std::round(scaled);
        if (std::abs(scaled - nearest) < 0.25)
            return std::int64_t(nearest);
    }
    if (!std::isfinite(stored))
        return std::nullopt;
    std::array<char, 400> buffer;
    return moneyUnitsOfText(shortestText(stored, buffer));
}

double storedMoney(std::int64_t units)
{
    if (units > -exactDoubleLimit && units < exactDoubleLimit)
        return double(units) / double(unitsPerWhole);
    // Beyond 2^53 the units are no double themselves: the decimal text rounds once.
    std::array<char, 32> text;
    const std::uint64_t magnitude = units < 0 ? 0 - std::uint64_t(units) : std::uint64_t(units);
    char *end = text.data();
    if (units < 0)
        *end++ = '-';
    end = std::to_chars(end, text.data() + text.size(), magnitude / unitsPerWhole).ptr;
    *end++ = '.';
    const std::uint64_t fraction = magnitude % unitsPerWhole;
    for (std::uint64_t place = unitsPerWhole / 10; place > 0; place /= 10)
        *end++ = char('0' + fraction / place % 10);
    double value = 0;
    std::from_chars(text.data(), end, value);
    return value;
}

bool keptExactly(std::int64_t units)
{
    if (units > -alwaysKeptLimit && units < alwaysKeptLimit)
        return true;
    return moneyUnitsOf(storedMoney(units)) == units;
}

bool literalKeptExactly(std::string_view literal)
{
    if (literal.find_first_of("eExX") != std::string_view::npos)
        return true; // a float or a binary value, approximate to the server too
    const Digits digits(literal);
    if (!digits.valid || digits.significant() <= 15)
        return true;
    std::int64_t whole = 0;
    if (literal.find('.') == std::string_view::npos
        && std::from_chars(literal.data(), literal.data() + literal.size(), whole).ec
            == std::errc())
        return true; // SQLite keeps a whole number of up to 64 bits as it is
    double value = 0;
    if (std::from_chars(literal.data(), literal.data() + literal.size(), value).ec != std::errc())
        return false;
    std::array<char, 400> buffer;
    return Digits(shortestText(value, buffer)) == digits;
}

QString inexactNumberDescription(const QString &number)
{
    return QString::fromUtf8(inexactNumberMessage) + number
        + QStringLiteral(": tiene más cifras de las que guarda un número binario.");
}

QString inexactComputationDescription(double amount)
{
    const std::optional<std::int64_t> units = moneyUnitsOf(amount);
    const QString number
        = units ? Currency::fromScaled(*units).toString() : QString::number(amount, 'g', 17);
    return QString::fromUtf8(inexactNumberMessage) + number
        + QStringLiteral(": lo calcula en binario, y con decimales más allá de 68.719.476.736 "
                         "puede errar en la última cifra.");
}

} // namespace platform::db::embedded
