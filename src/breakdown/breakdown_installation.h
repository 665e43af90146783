#pragma once

namespace breakdown {

// Makes the breakdown window the main window's per-account report. Called once at start-up.
void installBreakdownReport();

} // namespace breakdown
