#include "statistics/statistic_buckets.h"

#include <algorithm>

namespace statistics {

namespace {

QDate periodEnd(const QDate &start, int periodicidad, int k)
{
    switch (periodicidad) {
    case Semanal:
        return start.addDays(7 * k);
    case Quincenal:
        return start.addDays(14 * k);
    case Mensual:
        return start.addMonths(k);
    case Trimestral:
        return start.addMonths(3 * k);
    case Semestral:
        return start.addMonths(6 * k);
    case Anual:
        return start.addYears(k);
    default:
        return start.addDays(k);
    }
}

} // namespace

const QStringList &periodicityNames()
{
    static const QStringList names = {
        QStringLiteral("Diario"),  QStringLiteral("Semanal"),    QStringLiteral("Quicenal"),
        QStringLiteral("Mensual"), QStringLiteral("Trimestral"), QStringLiteral("Semestral"),
        QStringLiteral("Anual"),
    };
    return names;
}

QList<DateSpan> bucketSpans(const QDate &from, const QDate &to, int periodicidad, Grouping grouping)
{
    if (grouping != Grouping::Date)
        return {{from, to}};
    if (to < from)
        return {};
    // Day steps begin with the first day on its own; the others end one step after the start.
    const bool stepsByDay = periodicidad < Semanal || periodicidad > Anual;
    QList<DateSpan> spans;
    QDate start = from;
    for (int k = stepsByDay ? 0 : 1;; ++k) {
        const QDate end = std::min(periodEnd(from, periodicidad, k), to);
        spans.append({start, end});
        if (to <= end)
            return spans;
        start = periodicidad == Diario ? end.addDays(1) : end;
    }
}

QDate openingBalanceDay(const QDate &start)
{
    return start.addDays(-1);
}

} // namespace statistics
