#pragma once

#include "statistics/statistic_buckets.h"
#include "statistics/statistic_filters.h"

#include <QFlags>
#include <QList>
#include <QString>
#include <QStringList>

// A statistic definition as one value: what the main window shows and edits, what the store
// loads and saves, and what a statistic run and a breakdown compute from.
namespace statistics {

// A header text box: the column it feeds and its text as typed.
struct HeaderField
{
    QString dataField;
    QString text;

    friend bool operator==(const HeaderField &, const HeaderField &) = default;
};

// One line of the definition grid, its cells as shown: a group's text stands only on the first
// line of the group.
struct GridLine
{
    QString group;
    QString account;
    QString debit; // "Debe(S/N)"
    QString credit; // "Haber(S/N)"
    QString description; // shown beside the account; never stored

    friend bool operator==(const GridLine &, const GridLine &) = default;
};

// The filter lists of a run, built from a definition's selections.
struct RunFilters
{
    FilterList vouchers;
    FilterList businessUnits;
    FilterList costCentres; // only grouped by cost centre; otherwise empty
};

struct StatisticDefinition
{
    QList<HeaderField> header; // the header boxes in control-array order
    QList<GridLine> lines; // the grid without its header row
    int tipoGrafico = -1; // list positions; -1: nothing selected
    int periodicidad = -1;
    CodeSelection comprobantes;
    CodeSelection unegocios;
    CodeSelection ccostos;
    // Whether a menu start may change the voucher, business-unit and cost-centre selections.
    bool permiteCptes = false;
    bool permiteUneg = false;
    bool permiteCCostos = false;
    Grouping grouping = Grouping::Date;
    // The check boxes.
    bool anclarAlMenu = false;
    bool invierteFilCol = false;
    bool ignoraCeros = false;
    bool calculaSI = false;
    bool aperturaCuentas = false;

    // The text of the header box whose column is the data field, case ignored; empty when no
    // box has it.
    QString headerText(const QString &dataField) const;
    // The definition's name as typed.
    QString name() const { return headerText(QStringLiteral("NOMBRE")); }
    // The period's bounds as typed.
    QString startText() const { return headerText(QStringLiteral("FechaD")); }
    QString endText() const { return headerText(QStringLiteral("FechaH")); }

    // The stored forms of the permissions ("101") and of the grouping ("Fecha", "UNegocio",
    // "CCostos").
    QString permiteModificar() const;
    QString agrupar() const;

    RunFilters filters() const;

    // Whether the two hold the same definition as the window shows it: the same texts, lines,
    // choices and selected codes.
    friend bool operator==(const StatisticDefinition &, const StatisticDefinition &);
};

// The parts of a definition, in the order a load reads and shows them.
enum class DefinitionPart {
    Header = 1 << 0,
    Periodicity = 1 << 1,
    Layout = 1 << 2,
    Permissions = 1 << 3,
    Grouping = 1 << 4,
    MenuAnchor = 1 << 5,
    SwapRowsAndColumns = 1 << 6,
    IgnoreZeros = 1 << 7,
    AccountBreakdown = 1 << 8,
    OpeningBalance = 1 << 9,
    Vouchers = 1 << 10,
    BusinessUnits = 1 << 11,
    CostCentres = 1 << 12,
    Lines = 1 << 13,
};
Q_DECLARE_FLAGS(DefinitionParts, DefinitionPart)

// The grouping a stored "Agrupar" names: any text but "UNegocio" and "CCostos" groups by date.
Grouping groupingOfStored(const QString &agrupar);

} // namespace statistics

Q_DECLARE_OPERATORS_FOR_FLAGS(statistics::DefinitionParts)
