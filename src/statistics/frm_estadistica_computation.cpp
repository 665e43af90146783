#include "core/configuration_store.h"
#include "core/mod_global.h"
#include "platform/suite/controles.h"
#include "platform/suite/progreso.h"
#include "statistics/frm_estadistica.h"
#include "statistics/statistic_filters.h"
#include "statistics/statistic_printing.h"
#include "statistics/statistic_run.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace statistics {

namespace {

constexpr int ticked = 1;

QString headerText(const frm_Estadistica &window, const QString &dataField)
{
    const int index = platform::gControles().IndiceCampo(dataField, window.txtfields);
    return window.txtfields.at(index)->text();
}

Grouping groupingOf(const frm_Estadistica &window)
{
    if (window.optFecha->isChecked())
        return Grouping::Date;
    return window.optUNeg->isChecked() ? Grouping::BusinessUnit : Grouping::CostCentre;
}

RunSettings runSettingsOf(const frm_Estadistica &window)
{
    RunSettings settings;
    settings.typedName = window.txtfields.at(0)->text();
    settings.startText = headerText(window, QStringLiteral("FechaD"));
    settings.endText = headerText(window, QStringLiteral("FechaH"));
    settings.grouping = groupingOf(window);
    settings.periodicidad = window.CmbPeriodicidad->currentIndex();
    settings.openingBalance = frm_Estadistica::checkValue(*window.chkCalculaSI) == ticked;
    settings.vouchers
        = buildFilterList(listItems(*window.LstCpte), CodeForm::AsCut, QStringLiteral("Todos"));
    settings.businessUnits = buildFilterList(listItems(*window.LstUNeg), CodeForm::FixedWidth4,
                                             QStringLiteral("Todas"));
    settings.costCentres = window.optCCostos->isChecked()
        ? buildFilterList(listItems(*window.LstCCostos), CodeForm::FixedWidth4,
                          QStringLiteral("Todos"))
        : unusedFilterList(QStringLiteral("Todos"));
    settings.key = core::gEstacionUsuario;
    settings.definitionTable = window.NombreTabla;
    return settings;
}

PrintRequest printRequestOf(const frm_Estadistica &window, const RunSettings &settings,
                            const QString &statisticName)
{
    PrintRequest request;
    // The work rows carry the start-up key, so the report selects by that same key.
    request.key = settings.key;
    request.company = core::Cfg(QStringLiteral("NOMBRE"));
    request.statisticName = statisticName;
    request.parameters = ReportParameters{
        headerText(window, QStringLiteral("FECHAD")).trimmed(),
        headerText(window, QStringLiteral("FECHAH")).trimmed(),
        window.CmbPeriodicidad->currentText(),
        settings.vouchers.display,
        settings.businessUnits.display,
        settings.costCentres.display,
    };
    request.grouping = groupingOf(window);
    request.swapRowsAndColumns = frm_Estadistica::checkValue(*window.ChkInvertirFilCol) == ticked;
    request.layoutIndex = window.CmbTG->currentIndex();
    request.ignoreZeros = frm_Estadistica::checkValue(*window.chkIgnorarCeros) != 0;
    return request;
}

} // namespace

void frm_Estadistica::GeneraAuxiliar()
{
    const RunGuard guard(RunHooks{
        [this](const platform::Error &error) { return ErrorGeneraAuxiliar(error); },
        [this] { return ConfirmarCancelacion(); },
    });
    try {
        platform::gProgreso().Mostrar(QStringLiteral("Actualizando Estadistica"), 1);
        const RunSettings settings = runSettingsOf(*this);
        StatisticRun run(settings, guard);
        run.fillWorkTable();

        correctSigns(settings.key);
        PrintRequest request;
        guard.attempt([&] { request = printRequestOf(*this, settings, run.statisticName()); });
        // The report viewer is modal: a progress window left over it would hide it.
        platform::gProgreso().Ocultar();
        guard.attempt([&] { printStatistic(request); });
    } catch (const RunLeft &) {
        // The cancel step or the error path has already told the user; the rows stay.
    }
}

} // namespace statistics
