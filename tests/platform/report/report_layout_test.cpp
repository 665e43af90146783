#include "platform/report/report_layout.h"

#include <gtest/gtest.h>

namespace {

using platform::report::builtInLayout;
using platform::report::ChartKind;
using platform::report::ReportLayout;

TEST(BuiltInLayout, EachTemplateNameGivesItsTotalsAndChart)
{
    struct Case
    {
        const char *name;
        std::optional<ReportLayout> layout;
    };
    const Case cases[] = {
        {"Rp_PanelCtaTGP2", ReportLayout{true, ChartKind::Line}},
        {"Rp_PanelCtaTGP3", ReportLayout{true, ChartKind::Ribbon}},
        {"Rp_PanelCtaTG1", ReportLayout{true, ChartKind::Bar}},
        {"Rp_PanelCtaTG2", ReportLayout{false, ChartKind::Line}},
        {"Rp_PanelCtaTG3", ReportLayout{false, ChartKind::Ribbon}},
        {"Rp_PanelCtaTGP1", ReportLayout{false, ChartKind::Bar}},
        {"Rp_PanelCtaSG1", ReportLayout{true, ChartKind::None}},
        {"Rp_PanelCtaSG2", ReportLayout{false, ChartKind::None}},
        {"RP_PANELCTASG2.RPT", ReportLayout{false, ChartKind::None}},
        {" rp_panelctatg1 ", ReportLayout{true, ChartKind::Bar}},
        {"", std::nullopt},
        {"Rp_PanelCtaTG4", std::nullopt},
        {"Rp_PanelCta", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(builtInLayout(QString::fromUtf8(c.name)), c.layout);
    }
}

} // namespace
