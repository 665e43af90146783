#include "platform/regional_settings.h"

#include <QLocale>

#include <optional>

namespace platform {

namespace {

DateOrder orderOf(const QString &format)
{
    const qsizetype day = format.indexOf(QLatin1Char('d'));
    const qsizetype month = format.indexOf(QLatin1Char('M'));
    const qsizetype year = format.indexOf(QLatin1Char('y'));
    if (year >= 0 && year < month && year < day)
        return DateOrder::YearMonthDay;
    if (month >= 0 && month < day)
        return DateOrder::MonthDayYear;
    return DateOrder::DayMonthYear;
}

QChar separatorOf(const QString &format)
{
    for (QChar c : format)
        if (!c.isLetter())
            return c;
    return QLatin1Char('/');
}

// Qt's short formats may use one-letter day and month fields or a two-digit year; the
// program always writes dates with two-digit days and months and four-digit years.
QString normalisedDateFormat(QString format)
{
    const QChar sep = separatorOf(format);
    switch (orderOf(format)) {
    case DateOrder::YearMonthDay:
        return QStringLiteral("yyyy") + sep + QStringLiteral("MM") + sep + QStringLiteral("dd");
    case DateOrder::MonthDayYear:
        return QStringLiteral("MM") + sep + QStringLiteral("dd") + sep + QStringLiteral("yyyy");
    case DateOrder::DayMonthYear:
        break;
    }
    return QStringLiteral("dd") + sep + QStringLiteral("MM") + sep + QStringLiteral("yyyy");
}

std::optional<RegionalSettings> &current()
{
    static std::optional<RegionalSettings> settings;
    return settings;
}

} // namespace

RegionalSettings RegionalSettings::spanishArgentina()
{
    RegionalSettings s;
    s.shortDateFormat = QStringLiteral("dd/MM/yyyy");
    s.dateOrder = DateOrder::DayMonthYear;
    s.dateSeparator = QLatin1Char('/');
    s.decimalSeparator = QLatin1Char(',');
    s.thousandsSeparator = QLatin1Char('.');
    s.currencyDecimals = 2;
    return s;
}

RegionalSettings RegionalSettings::fromSystem()
{
    const QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        return spanishArgentina();
    RegionalSettings s;
    s.shortDateFormat = normalisedDateFormat(locale.dateFormat(QLocale::ShortFormat));
    s.dateOrder = orderOf(s.shortDateFormat);
    s.dateSeparator = separatorOf(s.shortDateFormat);
    s.decimalSeparator = locale.decimalPoint().front();
    s.thousandsSeparator = locale.groupSeparator().isEmpty() ? QChar(QChar::Nbsp)
                                                             : locale.groupSeparator().front();
    s.currencyDecimals = 2;
    return s;
}

const RegionalSettings &regionalSettings()
{
    if (!current())
        current() = RegionalSettings::fromSystem();
    return *current();
}

void setRegionalSettings(const RegionalSettings &settings)
{
    current() = settings;
}

} // namespace platform
