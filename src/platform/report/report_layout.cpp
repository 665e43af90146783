#include "platform/report/report_layout.h"

#include "platform/text.h"

#include <array>
#include <utility>

namespace platform::report {

std::optional<ReportLayout> builtInLayout(const QString &templateName)
{
    static const std::array<std::pair<QLatin1String, ReportLayout>, 8> templates{{
        {QLatin1String("Rp_PanelCtaTGP2"), {true, ChartKind::Line}},
        {QLatin1String("Rp_PanelCtaTGP3"), {true, ChartKind::Ribbon}},
        {QLatin1String("Rp_PanelCtaTG1"), {true, ChartKind::Bar}},
        {QLatin1String("Rp_PanelCtaTG2"), {false, ChartKind::Line}},
        {QLatin1String("Rp_PanelCtaTG3"), {false, ChartKind::Ribbon}},
        {QLatin1String("Rp_PanelCtaTGP1"), {false, ChartKind::Bar}},
        {QLatin1String("Rp_PanelCtaSG1"), {true, ChartKind::None}},
        {QLatin1String("Rp_PanelCtaSG2"), {false, ChartKind::None}},
    }};
    QString name = templateName.trimmed();
    if (name.endsWith(QLatin1String(".rpt"), Qt::CaseInsensitive))
        name.chop(4);
    for (const auto &[knownName, layout] : templates) {
        if (equalsIgnoringCase(name, knownName))
            return layout;
    }
    return std::nullopt;
}

} // namespace platform::report
