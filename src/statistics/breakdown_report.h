#pragma once

#include <QString>

namespace statistics {

// The per-account breakdown report as the main window reaches it. The breakdown library
// installs its implementation at start-up, so this library never links it.
class BreakdownReport
{
public:
    virtual ~BreakdownReport() = default;
    // Computes the breakdown of the named definition from the main window's current controls.
    virtual void GeneraAuxiliar(const QString &nombre) = 0;
    // Shows the breakdown window without blocking the main window.
    virtual void Show() = 0;
};

// The installed breakdown; nullptr until one is installed.
BreakdownReport *breakdownReport();
// Installs the breakdown used from now on (nullptr removes it). The caller keeps ownership.
void setBreakdownReport(BreakdownReport *report);

} // namespace statistics
