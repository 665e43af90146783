#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace platform::report {

enum class ChartKind { None, Line, Ribbon, Bar };

// What a statistic template prints besides the cross table: a total per row or only the totals
// per column, and which chart follows the table.
struct ReportLayout
{
    bool rowTotals = false;
    ChartKind chart = ChartKind::None;

    bool operator==(const ReportLayout &) const = default;
};

// A built-in statistic template: the entry that offers it in the main window's chart-kind list,
// the name a print request gives, and what it prints.
struct StatisticLayout
{
    QString caption; // its trailing blanks are part of the entry
    QString templateName;
    ReportLayout layout;
};

// Every built-in statistic template, in the order of the chart-kind list: a definition stores its
// layout as a position of that list.
const QList<StatisticLayout> &statisticLayouts();

// The layout of a built-in template, found by its name without regard to case (a file name
// ending in ".rpt" names the same template). Nothing for a name that is not built in.
std::optional<ReportLayout> builtInLayout(const QString &templateName);

} // namespace platform::report
