#pragma once

#include <QDate>
#include <QList>
#include <QStringList>

// The columns of a statistic run: how the window groups it and the date spans of its periods.
namespace statistics {

// Positions of the periodicity list. Any other position (no selection) advances day by day.
enum Periodicidad {
    Diario = 0,
    Semanal = 1,
    Quincenal = 2,
    Mensual = 3,
    Trimestral = 4,
    Semestral = 5,
    Anual = 6,
};

// The entries of the periodicity list, in position order.
const QStringList &periodicityNames();

// The grouping option of the window: columns by date period, business unit or cost centre.
enum class Grouping { Date, BusinessUnit, CostCentre };

// The first and last day of a bucket.
struct DateSpan
{
    QDate from;
    QDate to;
    bool operator==(const DateSpan &) const = default;
};

// The spans of a range, one per pass of a run. By date: one span per period; consecutive periods
// share their boundary day, except daily ones, which are the single days; a range that starts
// after it ends has none. Period k ends k steps after the range's start, counted from the start
// itself, so a month-end start keeps its day wherever the month has it (31/01, 29/02, 31/03,
// 30/04) instead of drifting to the shortest month's day; the last period ends on the end date.
// Grouped by unit or cost centre: one span over the whole range, even when it is reversed.
QList<DateSpan> bucketSpans(const QDate &from, const QDate &to, int periodicidad,
                            Grouping grouping);

// The day the opening-balance row of a run starting on start is dated: the day before.
QDate openingBalanceDay(const QDate &start);

} // namespace statistics
