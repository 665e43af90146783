#include "statistics/breakdown_report.h"

namespace statistics {

namespace {
BreakdownReport *installedReport = nullptr;
}

BreakdownReport *breakdownReport()
{
    return installedReport;
}

void setBreakdownReport(BreakdownReport *report)
{
    installedReport = report;
}

} // namespace statistics
