#pragma once

#include "platform/regional_settings.h"

#include <QDate>
#include <QString>
#include <optional>

// The text conversions the program leans on everywhere, written once: numbers and dates as the
// user's regional settings write them, and comparisons that ignore case.
namespace platform {

// The number a text starts with, "." being the decimal point: leading blanks are skipped, then
// an optional sign, digits, one ".", more digits and an optional exponent ("E" or "D") are read
// up to the first character that does not fit. A text that starts with no number gives 0.
// "12.5abc" gives 12.5, "  -3" gives -3, "1,5" gives 1.
double leadingNumber(const QString &text);

// A whole text in the regional number format: optional sign, digits that may be grouped by the
// thousands separator in groups of three, and at most one decimal separator. Blanks around the
// number are allowed. Nothing when the text is not such a number.
std::optional<double> parseRegionalNumber(const QString &text,
                                          const RegionalSettings &settings = regionalSettings());

// A number in the regional format, rounded to the given decimals (half away from zero), the
// whole part grouped by thousands when asked: 1234.5 with 2 decimals gives "1.234,50".
QString formatRegionalNumber(double value, int decimals, bool groupThousands = true,
                             const RegionalSettings &settings = regionalSettings());

// The digits of a whole number with the separator between every group of three, counted from
// the right: "1234567" gives "1.234.567" with ".".
QString groupedByThousands(const QString &digits, QChar separator);

// A number as the regional format writes it without grouping and without trailing zeros, as a
// value converted to text: 1234.5 gives "1234,5", 3 gives "3".
QString regionalNumberText(double value, const RegionalSettings &settings = regionalSettings());

// The year of a two-digit year text: 00-49 are 2000-2049, 50-99 are 1950-1999 (the cut-off
// SQL Server uses, so the program and the database read a short year alike).
int expandTwoDigitYear(int twoDigitYear);

// A date text read in the regional day, month and year order. The parts are separated by the
// regional date separator, "/", "-" or "."; the year has two or four digits; a first part of
// four digits is read as year-month-day whatever the regional order. Strict: the date must
// exist ("31/02/2026" is not a date) and nothing may follow it but blanks.
std::optional<QDate> parseRegionalDate(const QString &text,
                                       const RegionalSettings &settings = regionalSettings());

// The date as the regional short-date text ("05/03/2026"); the empty text for an invalid date.
QString formatShortDate(const QDate &date, const RegionalSettings &settings = regionalSettings());

// A text read as a truth value: "True", "Verdadero", "False", "Falso" in any case, or a number
// (non-zero is true). Nothing for any other text.
std::optional<bool> parseTruthValue(const QString &text);

// Comparisons that ignore case, folding non-ASCII letters too ("ñ" equals "Ñ", "á" equals "Á")
// while letters with and without accents stay distinct ("a" is not "á").
bool equalsIgnoringCase(const QString &a, const QString &b);
int compareIgnoringCase(const QString &a, const QString &b);
qsizetype indexOfIgnoringCase(const QString &text, const QString &find, qsizetype from = 0);
bool containsIgnoringCase(const QString &text, const QString &find);
QString replaceIgnoringCase(const QString &text, const QString &find, const QString &put);

} // namespace platform
