#include "statistics/statistic_report.h"

#include "data/sql_rewriting.h"
#include "platform/report/report_layout.h"

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
    static const QStringList names = [] {
        QStringList captions;
        for (const platform::report::StatisticLayout &layout : platform::report::statisticLayouts())
            captions << layout.caption;
        return captions;
    }();
    return names;
}

QString reportTemplate(int layoutIndex)
{
    const QList<platform::report::StatisticLayout> &layouts = platform::report::statisticLayouts();
    if (layoutIndex < 0 || layoutIndex >= layouts.size())
        return {};
    return layouts[layoutIndex].templateName;
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
