#include "statistics/statistic_definition.h"

#include "platform/text.h"

#include <tuple>

namespace statistics {

namespace {

QString digit(bool permitted)
{
    return permitted ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

QString StatisticDefinition::headerText(const QString &dataField) const
{
    for (const HeaderField &field : header) {
        if (platform::equalsIgnoringCase(field.dataField, dataField))
            return field.text;
    }
    return {};
}

QString StatisticDefinition::permiteModificar() const
{
    return digit(permiteCptes) + digit(permiteUneg) + digit(permiteCCostos);
}

QString StatisticDefinition::agrupar() const
{
    switch (grouping) {
    case Grouping::Date:
        return QStringLiteral("Fecha");
    case Grouping::BusinessUnit:
        return QStringLiteral("UNegocio");
    case Grouping::CostCentre:
        break;
    }
    return QStringLiteral("CCostos");
}

// Business units are listed whatever the grouping, as they filter every sum; cost centres
// only filter a run that groups by them.
RunFilters StatisticDefinition::filters() const
{
    return RunFilters{
        buildFilterList(comprobantes, CodeForm::AsCut, QStringLiteral("Todos")),
        buildFilterList(unegocios, CodeForm::FixedWidth4, QStringLiteral("Todas")),
        grouping == Grouping::CostCentre
            ? buildFilterList(ccostos, CodeForm::FixedWidth4, QStringLiteral("Todos"))
            : unusedFilterList(QStringLiteral("Todos")),
    };
}

bool operator==(const StatisticDefinition &a, const StatisticDefinition &b)
{
    const auto choices = [](const StatisticDefinition &d) {
        return std::tie(d.header, d.lines, d.tipoGrafico, d.periodicidad, d.comprobantes.stored,
                        d.unegocios.stored, d.ccostos.stored, d.permiteCptes, d.permiteUneg,
                        d.permiteCCostos, d.grouping, d.anclarAlMenu, d.invierteFilCol,
                        d.ignoraCeros, d.calculaSI, d.aperturaCuentas);
    };
    return choices(a) == choices(b);
}

Grouping groupingOfStored(const QString &agrupar)
{
    if (platform::equalsIgnoringCase(agrupar, QStringLiteral("UNegocio")))
        return Grouping::BusinessUnit;
    if (platform::equalsIgnoringCase(agrupar, QStringLiteral("CCostos")))
        return Grouping::CostCentre;
    return Grouping::Date;
}

} // namespace statistics
