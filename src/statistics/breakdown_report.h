#pragma once

#include "statistics/statistic_definition.h"

#include <QString>

namespace statistics {

// The per-account breakdown report as the main window reaches it. The breakdown library
// installs its implementation at start-up, so this library never links it.
class BreakdownReport
{
public:
    virtual ~BreakdownReport() = default;
    // Computes the breakdown of the named definition's stored lines over the definition's
    // period, grouping and selections, as the main window shows them.
    virtual void GeneraAuxiliar(const QString &nombre, const StatisticDefinition &definition) = 0;
    // Shows the breakdown window without blocking the main window.
    virtual void Show() = 0;
};

// The installed breakdown; nullptr until one is installed.
BreakdownReport *breakdownReport();
// Installs the breakdown used from now on (nullptr removes it). The caller keeps ownership.
void setBreakdownReport(BreakdownReport *report);

} // namespace statistics
