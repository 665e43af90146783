#include "breakdown/breakdown_installation.h"
#include "breakdown/frm_detallado.h"
#include "statistics/breakdown_report.h"

#include <gtest/gtest.h>

namespace {

TEST(BreakdownInstallation, MainWindowReachesTheDefaultBreakdownWindow)
{
    breakdown::installBreakdownReport();
    statistics::BreakdownReport *report = statistics::breakdownReport();
    ASSERT_NE(report, nullptr);

    breakdown::FrmDetallado &window = breakdown::frmDetallado();
    EXPECT_TRUE(window.isHidden()); // created hidden on first use
    report->Show();
    EXPECT_TRUE(window.isVisible());

    window.cmdSalir_Click();
    report->Show(); // a hidden window is shown again, the same instance
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(&breakdown::frmDetallado(), &window);

    window.hide();
    statistics::setBreakdownReport(nullptr);
}

} // namespace
