#include "platform/text.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Digits of a non-negative number without exponent: "1234.5", "0.001".
struct DecimalText
{
    QString whole;
    QString fraction;
};

DecimalText decimalTextOf(double magnitude)
{
    // The shortest text that reads back as the same double, so 1.005 is rounded as the user
    // wrote it and not as its binary neighbour 1.00499999...
    const QString text = QString::number(magnitude, 'f', QLocale::FloatingPointShortest);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0)
        return {text, {}};
    return {text.left(point), text.mid(point + 1)};
}

// Adds one unit in the last place of a digit string; "199" gives "200", "99" gives "100".
QString incremented(QString digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != QLatin1Char('9')) {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = QLatin1Char('0');
    }
    return QLatin1Char('1') + digits;
}

// Rounds half away from zero to the given number of decimals.
DecimalText roundedTo(DecimalText number, int decimals)
{
    if (number.fraction.size() <= decimals) {
        number.fraction = number.fraction.leftJustified(decimals, QLatin1Char('0'));
        return number;
    }
    const bool roundUp = number.fraction[decimals] >= QLatin1Char('5');
    QString digits = number.whole + number.fraction.left(decimals);
    if (roundUp)
        digits = incremented(digits);
    const qsizetype wholeLength = digits.size() - decimals;
    return {digits.left(wholeLength), digits.mid(wholeLength)};
}

bool isZero(const DecimalText &number)
{
    const auto zero = [](const QString &digits) {
        return std::all_of(digits.cbegin(), digits.cend(),
                           [](QChar c) { return c == QLatin1Char('0'); });
    };
    return zero(number.whole) && zero(number.fraction);
}

QString joined(const DecimalText &number, bool negative, QChar decimalSeparator,
               const QString &whole)
{
    QString text = negative && !isZero(number) ? QStringLiteral("-") : QString();
    text += whole;
    if (!number.fraction.isEmpty())
        text += decimalSeparator + number.fraction;
    return text;
}

// The whole part of a regional number: plain digits, or digits grouped in threes.
bool isWholePart(const QString &text, QChar thousands)
{
    if (text.isEmpty())
        return true;
    if (!text.contains(thousands))
        return std::all_of(text.cbegin(), text.cend(), isDigit);
    const QStringList groups = text.split(thousands);
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QString &group = groups[i];
        const bool sizeFits = i == 0 ? group.size() >= 1 && group.size() <= 3 : group.size() == 3;
        if (!sizeFits || !std::all_of(group.cbegin(), group.cend(), isDigit))
            return false;
    }
    return true;
}

} // namespace

QString groupedByThousands(const QString &digits, QChar separator)
{
    QString result;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            result += separator;
        result += digits[i];
    }
    return result;
}

double leadingNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    QString number;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        number += text[i++];
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < n; ++i) {
        if (isDigit(text[i])) {
            anyDigit = true;
        } else if (text[i] == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
        number += text[i];
    }
    if (!anyDigit)
        return 0.0;
    // An exponent counts only when digits follow it: "2E3" is 2000, "2E" is 2.
    if (i + 1 < n && QStringLiteral("eEdD").contains(text[i])) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (text[j] == QLatin1Char('-') || text[j] == QLatin1Char('+'))
            exponent += text[j++];
        const qsizetype firstDigit = j;
        while (j < n && isDigit(text[j]))
            exponent += text[j++];
        if (j > firstDigit)
            number += exponent;
    }
    return number.toDouble();
}

std::optional<double> parseRegionalNumber(const QString &text, const RegionalSettings &settings)
{
    QString body = text.trimmed();
    bool negative = false;
    if (body.startsWith(QLatin1Char('-')) || body.startsWith(QLatin1Char('+'))) {
        negative = body.front() == QLatin1Char('-');
        body.remove(0, 1);
    }
    const qsizetype point = body.indexOf(settings.decimalSeparator);
    const QString whole = point < 0 ? body : body.left(point);
    const QString fraction = point < 0 ? QString() : body.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    if (!isWholePart(whole, settings.thousandsSeparator)
        || !std::all_of(fraction.cbegin(), fraction.cend(), isDigit))
        return std::nullopt;
    QString plain = whole;
    plain.remove(settings.thousandsSeparator);
    bool ok = false;
    const double value = (plain.isEmpty() ? QStringLiteral("0") : plain)
                             .append(QLatin1Char('.') + fraction)
                             .toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return negative ? -value : value;
}

QString formatRegionalNumber(double value, int decimals, bool groupThousands,
                             const RegionalSettings &settings)
{
    const DecimalText number = roundedTo(decimalTextOf(std::fabs(value)), std::max(decimals, 0));
    const QString whole = groupThousands
        ? groupedByThousands(number.whole, settings.thousandsSeparator)
        : number.whole;
    return joined(number, value < 0, settings.decimalSeparator, whole);
}

QString regionalNumberText(double value, const RegionalSettings &settings)
{
    const DecimalText number = decimalTextOf(std::fabs(value));
    return joined(number, value < 0, settings.decimalSeparator, number.whole);
}

int expandTwoDigitYear(int twoDigitYear)
{
    return twoDigitYear < 50 ? 2000 + twoDigitYear : 1900 + twoDigitYear;
}

std::optional<QDate> parseRegionalDate(const QString &text, const RegionalSettings &settings)
{
    QString separators = QStringLiteral("/\\-.");
    if (!separators.contains(settings.dateSeparator))
        separators += QRegularExpression::escape(settings.dateSeparator);
    const QRegularExpression shape(
        QStringLiteral("^(\\d{1,4})[%1](\\d{1,2})[%1](\\d{1,4})$").arg(separators));
    const QRegularExpressionMatch match = shape.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QString parts[3] = {match.captured(1), match.captured(2), match.captured(3)};
    int yearIndex = 2, monthIndex = 1, dayIndex = 0;
    if (parts[0].size() == 4) {
        yearIndex = 0;
        dayIndex = 2;
    } else if (settings.dateOrder == DateOrder::MonthDayYear) {
        monthIndex = 0;
        dayIndex = 1;
    } else if (settings.dateOrder == DateOrder::YearMonthDay) {
        yearIndex = 0;
        dayIndex = 2;
    }
    const QString &yearText = parts[yearIndex];
    if (yearText.size() != 2 && yearText.size() != 4)
        return std::nullopt;
    if (parts[dayIndex].size() > 2 || parts[monthIndex].size() > 2)
        return std::nullopt;
    const int year = yearText.size() == 2 ? expandTwoDigitYear(yearText.toInt()) : yearText.toInt();
    const QDate date(year, parts[monthIndex].toInt(), parts[dayIndex].toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString formatShortDate(const QDate &date, const RegionalSettings &settings)
{
    return date.isValid() ? date.toString(settings.shortDateFormat) : QString();
}

std::optional<bool> parseTruthValue(const QString &text)
{
    const QString value = text.trimmed();
    for (const char *word : {"True", "Verdadero"})
        if (equalsIgnoringCase(value, QLatin1String(word)))
            return true;
    for (const char *word : {"False", "Falso"})
        if (equalsIgnoringCase(value, QLatin1String(word)))
            return false;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok)
        return number != 0.0;
    if (const std::optional<double> regional = parseRegionalNumber(value))
        return *regional != 0.0;
    return std::nullopt;
}

bool equalsIgnoringCase(const QString &a, const QString &b)
{
    return compareIgnoringCase(a, b) == 0;
}

int compareIgnoringCase(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive);
}

qsizetype indexOfIgnoringCase(const QString &text, const QString &find, qsizetype from)
{
    return text.indexOf(find, from, Qt::CaseInsensitive);
}

bool containsIgnoringCase(const QString &text, const QString &find)
{
    return text.contains(find, Qt::CaseInsensitive);
}

QString replaceIgnoringCase(const QString &text, const QString &find, const QString &put)
{
    if (find.isEmpty())
        return text;
    return QString(text).replace(find, put, Qt::CaseInsensitive);
}

} // namespace platform
