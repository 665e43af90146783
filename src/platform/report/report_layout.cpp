#include "platform/report/report_layout.h"

#include "platform/text.h"

namespace platform::report {

const QList<StatisticLayout> &statisticLayouts()
{
    static const QList<StatisticLayout> layouts = {
        {QStringLiteral("Totalizado por Fila y Columna - Grafico Lineas  "),
         QStringLiteral("Rp_PanelCtaTGP2"),
         {true, ChartKind::Line}},
        {QStringLiteral("Totalizado por Fila y Columna - Grafico Listones"),
         QStringLiteral("Rp_PanelCtaTGP3"),
         {true, ChartKind::Ribbon}},
        {QStringLiteral("Totalizado por Fila y Columna - Grafico Barras  "),
         QStringLiteral("Rp_PanelCtaTG1"),
         {true, ChartKind::Bar}},
        {QStringLiteral("Totalizado por Columna        - Grafico Lineas  "),
         QStringLiteral("Rp_PanelCtaTG2"),
         {false, ChartKind::Line}},
        {QStringLiteral("Totalizado por Columna        - Grafico Listones"),
         QStringLiteral("Rp_PanelCtaTG3"),
         {false, ChartKind::Ribbon}},
        {QStringLiteral("Totalizado por Columna        - Grafico Barras  "),
         QStringLiteral("Rp_PanelCtaTGP1"),
         {false, ChartKind::Bar}},
        {QStringLiteral("Totalizado por Fila y Columna (Sin grafico) "),
         QStringLiteral("Rp_PanelCtaSG1"),
         {true, ChartKind::None}},
        {QStringLiteral("Totalizado por Columna        (Sin grafico) "),
         QStringLiteral("Rp_PanelCtaSG2"),
         {false, ChartKind::None}},
    };
    return layouts;
}

std::optional<ReportLayout> builtInLayout(const QString &templateName)
{
    QString name = templateName.trimmed();
    if (name.endsWith(QLatin1String(".rpt"), Qt::CaseInsensitive))
        name.chop(4);
    for (const StatisticLayout &known : statisticLayouts()) {
        if (equalsIgnoringCase(name, known.templateName))
            return known.layout;
    }
    return std::nullopt;
}

} // namespace platform::report
