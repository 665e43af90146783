// The definition on screen: collected from the window's controls as one value, and a loaded
// value shown in them.

#include "platform/suite/controles.h"
#include "statistics/definition_codes.h"
#include "statistics/frm_estadistica.h"
#include "statistics/msflexgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace statistics {

namespace {

bool ticked(const QCheckBox &box)
{
    return frm_Estadistica::checkValue(box) == 1;
}

// The stored codes select their items. The load shows a selection on a list it has just
// refilled, so no item is deselected.
void showSelection(QListWidget &list, const CodeSelection &selection)
{
    for (int row = 0; row < list.count(); ++row) {
        QListWidgetItem *item = list.item(row);
        if (storedCodeListHolds(selection.stored, itemCode(item->text())))
            item->setSelected(true);
    }
}

} // namespace

StatisticDefinition frm_Estadistica::definitionOnScreen() const
{
    StatisticDefinition definition;
    for (const QLineEdit *field : txtfields)
        definition.header << HeaderField{platform::Controles::dataFieldOf(field), field->text()};
    // Until the window builds its grid, the grid has neither its columns nor lines.
    const bool gridBuilt = MSFlexGrid1->Cols() > CreditColumn;
    for (int row = 1; gridBuilt && row < MSFlexGrid1->Rows(); ++row)
        definition.lines << GridLine{
            MSFlexGrid1->TextMatrix(row, GroupColumn), MSFlexGrid1->TextMatrix(row, AccountColumn),
            MSFlexGrid1->TextMatrix(row, DebitColumn), MSFlexGrid1->TextMatrix(row, CreditColumn),
            MSFlexGrid1->TextMatrix(row, DescriptionColumn)};
    definition.tipoGrafico = CmbTG->currentIndex();
    definition.periodicidad = CmbPeriodicidad->currentIndex();
    definition.comprobantes = selectionOf(listItems(*LstCpte));
    definition.unegocios = selectionOf(listItems(*LstUNeg));
    definition.ccostos = selectionOf(listItems(*LstCCostos));
    definition.permiteCptes = ticked(*chkModCptes);
    definition.permiteUneg = ticked(*chkModUneg);
    definition.permiteCCostos = ticked(*chkModCCostos);
    definition.grouping = optFecha->isChecked() ? Grouping::Date
        : optUNeg->isChecked()                  ? Grouping::BusinessUnit
                                                : Grouping::CostCentre;
    definition.anclarAlMenu = ticked(*chkAlMenu);
    definition.invierteFilCol = ticked(*ChkInvertirFilCol);
    definition.ignoraCeros = ticked(*chkIgnorarCeros);
    definition.calculaSI = ticked(*chkCalculaSI);
    definition.aperturaCuentas = ticked(*chkDetalle);
    return definition;
}

// In the order of the load: each option and box runs its click behaviour as it is set, so a
// later part may undo what an earlier one's behaviour did.
void frm_Estadistica::showDefinition(const StatisticDefinition &definition, DefinitionParts parts)
{
    if (parts & DefinitionPart::Header) {
        for (const HeaderField &field : definition.header) {
            const int index = platform::gControles().IndiceCampo(field.dataField, txtfields);
            if (index >= 0)
                txtfields[index]->setText(field.text);
        }
    }
    if (parts & DefinitionPart::Periodicity)
        CmbPeriodicidad->setCurrentIndex(definition.periodicidad);
    if (parts & DefinitionPart::Layout)
        CmbTG->setCurrentIndex(definition.tipoGrafico);
    if (parts & DefinitionPart::Permissions) {
        setCheckValue(*chkModCptes, definition.permiteCptes);
        setCheckValue(*chkModUneg, definition.permiteUneg);
        setCheckValue(*chkModCCostos, definition.permiteCCostos);
    }
    if (parts & DefinitionPart::Grouping)
        selectGrouping(definition.grouping);
    const std::pair<DefinitionPart, std::pair<QCheckBox *, bool>> boxes[] = {
        {DefinitionPart::MenuAnchor, {chkAlMenu, definition.anclarAlMenu}},
        {DefinitionPart::SwapRowsAndColumns, {ChkInvertirFilCol, definition.invierteFilCol}},
        {DefinitionPart::IgnoreZeros, {chkIgnorarCeros, definition.ignoraCeros}},
        {DefinitionPart::AccountBreakdown, {chkDetalle, definition.aperturaCuentas}},
        {DefinitionPart::OpeningBalance, {chkCalculaSI, definition.calculaSI}},
    };
    for (const auto &[part, box] : boxes) {
        if (parts & part)
            setCheckValue(*box.first, box.second);
    }
    // The opening balance is read after the grouping: under a unit or cost-centre grouping,
    // which leave the user no way to tick it, the grouping's rule clears it again.
    if ((parts & DefinitionPart::Grouping) && !optFecha->isChecked())
        applyGroupingRule();
    if (parts & DefinitionPart::Vouchers)
        showSelection(*LstCpte, definition.comprobantes);
    if (parts & DefinitionPart::BusinessUnits)
        showSelection(*LstUNeg, definition.unegocios);
    if (parts & DefinitionPart::CostCentres)
        showSelection(*LstCCostos, definition.ccostos);
    if (parts & DefinitionPart::Lines)
        showLines(definition.lines);
}

void frm_Estadistica::showLines(const QList<GridLine> &lines)
{
    MSFlexGrid1->setRows(1 + int(lines.size()));
    for (int i = 0; i < lines.size(); ++i) {
        const GridLine &line = lines[i];
        const int row = 1 + i;
        MSFlexGrid1->setTextMatrix(row, GroupColumn, line.group);
        MSFlexGrid1->setTextMatrix(row, AccountColumn, line.account);
        MSFlexGrid1->setTextMatrix(row, DescriptionColumn, line.description);
        MSFlexGrid1->setTextMatrix(row, DebitColumn, line.debit);
        MSFlexGrid1->setTextMatrix(row, CreditColumn, line.credit);
    }
}

void frm_Estadistica::selectGrouping(Grouping grouping)
{
    switch (grouping) {
    case Grouping::Date:
        optFecha->setChecked(true);
        break;
    case Grouping::BusinessUnit:
        optUNeg->setChecked(true);
        break;
    case Grouping::CostCentre:
        optCCostos->setChecked(true);
        break;
    }
    applyGroupingRule();
}

} // namespace statistics
