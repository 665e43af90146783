#include "statistics/statistic_report.h"

#include "data/sql_rewriting.h"

#include <array>

namespace statistics {

namespace {

// Texts of the formula language stand in single quotes, doubled inside as in SQL.
QString formulaText(const QString &value)
{
    return QLatin1Char('\'') + data::escapeSqlQuotes(value) + QLatin1Char('\'');
}

QString columnField(Grouping grouping)
{
    switch (grouping) {
    case Grouping::Date:
        return QStringLiteral("{AUX_PanelCta.FechaD}");
    case Grouping::BusinessUnit:
        return QStringLiteral("{AUX_PanelCta.UNegocio}");
    case Grouping::CostCentre:
        break;
    }
    return QStringLiteral("{AUX_PanelCta.CCosto}");
}

// The code lists read 01,02 on the parameter line.
QString withoutQuotes(QString codes)
{
    return codes.remove(QLatin1Char('\''));
}

const QString groupField = QStringLiteral("{AUX_PanelCta.GRUPO}");

} // namespace

const QStringList &layoutNames()
{
    static const QStringList names = {
        QStringLiteral("Totalizado por Fila y Columna - Grafico Lineas  "),
        QStringLiteral("Totalizado por Fila y Columna - Grafico Listones"),
        QStringLiteral("Totalizado por Fila y Columna - Grafico Barras  "),
        QStringLiteral("Totalizado por Columna        - Grafico Lineas  "),
        QStringLiteral("Totalizado por Columna        - Grafico Listones"),
        QStringLiteral("Totalizado por Columna        - Grafico Barras  "),
        QStringLiteral("Totalizado por Fila y Columna (Sin grafico) "),
        QStringLiteral("Totalizado por Columna        (Sin grafico) "),
    };
    return names;
}

QString reportTemplate(int layoutIndex)
{
    static const std::array<const char16_t *, 8> templates = {
        u"Rp_PanelCtaTGP2", u"Rp_PanelCtaTGP3", u"Rp_PanelCtaTG1", u"Rp_PanelCtaTG2",
        u"Rp_PanelCtaTG3",  u"Rp_PanelCtaTGP1", u"Rp_PanelCtaSG1", u"Rp_PanelCtaSG2",
    };
    if (layoutIndex < 0 || layoutIndex >= int(templates.size()))
        return {};
    return QString::fromUtf16(templates[std::size_t(layoutIndex)]);
}

QString reportSelection(const QString &key, bool ignoreZeros)
{
    QString selection = u"uppercase({Aux_PanelCta.USUARIO}) = " + formulaText(key);
    if (ignoreZeros)
        selection += QStringLiteral(" AND {AUX_PANELCTA.IMPORTEG1}<>0 ");
    return selection;
}

QString empresaFormula(const QString &company)
{
    return u"empresa = " + formulaText(company);
}

QString nombreRepFormula(const QString &name)
{
    return u"NOMBREREP= " + formulaText(name);
}

QString parametrosFormula(const ReportParameters &p)
{
    constexpr int longest = 250;
    const QString text = u"Parametros = ' Fecha Desde: " + p.startText + u" Hasta: " + p.endText
        + u" Periodo: " + p.periodText + u" Comprobantes: " + withoutQuotes(p.vouchers)
        + u" UNegocio: " + withoutQuotes(p.businessUnits) + u" CCostos: "
        + withoutQuotes(p.costCentres) + u" '";
    if (text.size() > longest)
        return text.left(longest) + u"...'";
    return text;
}

QString grupoFormula(Grouping grouping, bool swapped)
{
    return u"Grupo = " + (swapped ? columnField(grouping) : groupField);
}

QString columnaFormula(Grouping grouping, bool swapped)
{
    return u"Columna1 = " + (swapped ? groupField : columnField(grouping));
}

} // namespace statistics
