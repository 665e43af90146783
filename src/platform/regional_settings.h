#pragma once

#include <QChar>
#include <QString>

namespace platform {

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// The user's regional settings, as the program reads them from the system: how a short date
// is written and read, and how numbers and amounts are written.
struct RegionalSettings
{
    QString shortDateFormat;  // a QDate format, "dd/MM/yyyy"
    DateOrder dateOrder = DateOrder::DayMonthYear;
    QChar dateSeparator;
    QChar decimalSeparator;
    QChar thousandsSeparator;
    int currencyDecimals = 2;

    // Spanish (Argentina): dd/MM/yyyy, "," decimal, "." thousands, 2 currency decimals.
    static RegionalSettings spanishArgentina();

    // The process locale (LC_ALL, LC_TIME, LC_NUMERIC as Qt reads them); Spanish (Argentina)
    // when that is the C or POSIX locale.
    static RegionalSettings fromSystem();

    bool operator==(const RegionalSettings &) const = default;
};

// The settings in use, read from the system on first use.
const RegionalSettings &regionalSettings();

// Replaces the settings in use (tests set them explicitly).
void setRegionalSettings(const RegionalSettings &settings);

} // namespace platform
