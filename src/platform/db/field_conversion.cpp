#include "platform/db/field_conversion.h"

#include "platform/db/embedded/column_types.h"
#include "platform/db/embedded/tsql_translator.h"
#include "platform/regional_settings.h"
#include "platform/variant.h"

#include <QDateTime>
#include <cmath>
#include <limits>

namespace platform::db {

namespace {

constexpr std::int64_t largestExactInteger = std::int64_t(1) << 53; // in a double

std::optional<double> numberFromText(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double number = trimmed.toDouble(&ok);
    if (ok)
        return number;
    const RegionalSettings &settings = regionalSettings();
    QString regional = trimmed;
    regional.remove(settings.thousandsSeparator);
    regional.replace(settings.decimalSeparator, QLatin1Char('.'));
    number = regional.toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

std::optional<double> numberOf(const QVariant &value)
{
    if (isCurrency(value))
        return value.value<Currency>().toDouble();
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::QString:
        return numberFromText(value.toString());
    default:
        return std::nullopt;
    }
}

std::optional<QVariant> integerIn(const QVariant &value, std::int64_t lowest, std::int64_t highest)
{
    const std::optional<double> number = numberOf(value);
    if (!number || !std::isfinite(*number))
        return std::nullopt;
    const double rounded = std::nearbyint(*number);
    if (rounded < double(lowest) || rounded > double(highest))
        return std::nullopt;
    if (highest > std::numeric_limits<int>::max())
        return QVariant(qlonglong(rounded));
    return QVariant(int(rounded));
}

std::optional<QVariant> booleanOf(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return QVariant(true);
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return QVariant(false);
    }
    const std::optional<double> number = numberOf(value);
    if (!number)
        return std::nullopt;
    return QVariant(*number != 0);
}

std::optional<QVariant> dateTimeOf(const QVariant &value, DataType type)
{
    QDateTime dateTime;
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        dateTime = value.toDateTime();
        break;
    case QMetaType::QDate:
        dateTime = embedded::localDateTime(value.toDate(), QTime(0, 0));
        break;
    case QMetaType::QString: {
        const std::optional<QString> canonical
            = embedded::canonicalDateTime(value.toString().trimmed(), regionalSettings().dateOrder);
        if (canonical)
            dateTime = embedded::parseStoredDateTime(*canonical).value_or(QDateTime());
        break;
    }
    default:
        break;
    }
    if (!dateTime.isValid())
        return std::nullopt;
    return type == adDBDate ? QVariant(dateTime.date()) : QVariant(dateTime);
}

QString textOf(const QVariant &value)
{
    if (isCurrency(value))
        return value.value<Currency>().toString();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return value.toString();
}

} // namespace

std::optional<QVariant> convertForField(const QVariant &value, DataType type)
{
    if (isNullOrEmpty(value))
        return nullVariant();
    switch (type) {
    case adBoolean:
        return booleanOf(value);
    case adUnsignedTinyInt:
        return integerIn(value, 0, 255);
    case adTinyInt:
        return integerIn(value, -128, 127);
    case adSmallInt:
        return integerIn(value, std::numeric_limits<std::int16_t>::min(),
                         std::numeric_limits<std::int16_t>::max());
    case adInteger:
        return integerIn(value, std::numeric_limits<std::int32_t>::min(),
                         std::numeric_limits<std::int32_t>::max());
    case adBigInt:
        if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
            return QVariant(value.toLongLong());
        return integerIn(value, -largestExactInteger, largestExactInteger);
    case adCurrency:
        if (isCurrency(value))
            return value;
        if (const std::optional<double> number = numberOf(value))
            return currencyVariant(Currency::fromDouble(*number));
        return std::nullopt;
    case adSingle:
    case adDouble:
    case adNumeric:
    case adDecimal:
        if (const std::optional<double> number = numberOf(value))
            return QVariant(*number);
        return std::nullopt;
    case adDate:
    case adDBDate:
    case adDBTimeStamp:
        return dateTimeOf(value, type);
    default:
        return QVariant(textOf(value));
    }
}

} // namespace platform::db
