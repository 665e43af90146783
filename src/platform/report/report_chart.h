#pragma once

#include "platform/report/report_layout.h"

#include <memory>

class QChart;

namespace platform::report {

class CrossTable;

// The chart under a report's table: one series per row of the table, over its columns.
std::unique_ptr<QChart> buildReportChart(const CrossTable &table, ChartKind kind);

} // namespace platform::report
