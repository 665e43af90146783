#include "statistics/statistic_buckets.h"

namespace statistics {

QDate advancePeriodEnd(const QDate &end, int periodicidad)
{
    switch (periodicidad) {
    case Semanal:
        return end.addDays(7);
    case Quincenal:
        return end.addDays(14);
    case Mensual:
        return end.addMonths(1);
    case Trimestral:
        return end.addMonths(3);
    case Semestral:
        return end.addMonths(6);
    case Anual:
        return end.addYears(1);
    default:
        return end.addDays(1);
    }
}

QList<DateSpan> bucketSpans(const QDate &from, const QDate &to, int periodicidad, Grouping grouping)
{
    const bool byDate = grouping == Grouping::Date;
    const bool stepsByDay = periodicidad < Semanal || periodicidad > Anual;
    QList<DateSpan> spans;
    QDate start = from;
    QDate end = byDate ? from : to;
    // The first daily period is the first day itself; later ones advance from it.
    bool firstDay = byDate;
    while (end <= to) {
        if (stepsByDay && firstDay) {
            end = start;
            firstDay = false;
        } else {
            end = advancePeriodEnd(end, periodicidad);
        }
        if (to < end)
            end = to;
        if (!byDate) {
            spans.append({start, to});
            break;
        }
        spans.append({start, end});
        start = periodicidad == Diario ? end.addDays(1) : end;
        if (to <= end)
            break;
    }
    return spans;
}

QDate openingBalanceDay(const QDate &start)
{
    return start.addDays(-1);
}

} // namespace statistics
