#include "platform/report/report_layout.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <utility>

namespace {

using platform::report::builtInLayout;
using platform::report::ChartKind;
using platform::report::ReportLayout;
using platform::report::statisticLayouts;

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

// The user picks a layout by its caption and gets what its template prints: the caption's words
// must agree with its totals and chart, and a template must be offered once.
TEST(BuiltInLayout, EachCaptionNamesWhatItsTemplatePrints)
{
    const std::pair<const char *, ChartKind> chartWords[] = {{"Lineas", ChartKind::Line},
                                                             {"Listones", ChartKind::Ribbon},
                                                             {"Barras", ChartKind::Bar},
                                                             {"Sin grafico", ChartKind::None}};
    QStringList templates;
    for (const auto &[caption, templateName, layout] : statisticLayouts()) {
        SCOPED_TRACE(caption.toStdString());
        EXPECT_EQ(caption.startsWith(QLatin1String("Totalizado por Fila y Columna")),
                  layout.rowTotals);
        int chartsNamed = 0;
        for (const auto &[word, chart] : chartWords) {
            if (caption.contains(QLatin1String(word))) {
                ++chartsNamed;
                EXPECT_EQ(layout.chart, chart);
            }
        }
        EXPECT_EQ(chartsNamed, 1);
        EXPECT_EQ(builtInLayout(templateName), layout);
        EXPECT_FALSE(templates.contains(templateName));
        templates << templateName;
    }
}

} // namespace
