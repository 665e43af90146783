#include "statistics/statistic_printing.h"

#include "core/configuration_store.h"
#include "core/mod_global.h"
#include "data/db_dll.h"
#include "platform/report/reporte.h"
#include "platform/user_dialogs.h"
#include "statistics/statistic_statements.h"

namespace statistics {

namespace {

void runAndShowProviderError(const QString &statement)
{
    data::DB_Dll &db = data::gDB();
    db.EjecutaConsultaSQL(statement);
    const platform::db::Errors &errors = db.gCnn->errors();
    if (errors.count() > 0)
        platform::userDialogs().messageBox(errors.item(0).description, platform::msgbox::OkOnly);
}

} // namespace

void correctSigns(const QString &key)
{
    runAndShowProviderError(positiveGroupsStatement(key));
    runAndShowProviderError(negativeGroupsStatement(key));
}

PrintRequest printRequestFor(const StatisticDefinition &definition, const QString &key,
                             const QString &statisticName)
{
    const RunFilters filters = definition.filters();
    PrintRequest request;
    // The work rows carry the start-up key, so the report selects by that same key.
    request.key = key;
    request.company = core::Cfg(QStringLiteral("NOMBRE"));
    request.statisticName = statisticName;
    request.parameters = ReportParameters{
        definition.startText().trimmed(),
        definition.endText().trimmed(),
        periodicityNames().value(definition.periodicidad),
        filters.vouchers.display,
        filters.businessUnits.display,
        filters.costCentres.display,
    };
    request.grouping = definition.grouping;
    request.swapRowsAndColumns = definition.invierteFilCol;
    request.layoutIndex = definition.tipoGrafico;
    request.ignoreZeros = definition.ignoraCeros;
    return request;
}

void printStatistic(const PrintRequest &request)
{
    const QVariant empresa = empresaFormula(request.company);
    const QVariant parametros = parametrosFormula(request.parameters);
    const QVariant grupo = grupoFormula(request.grouping, request.swapRowsAndColumns);
    const QVariant columna = columnaFormula(request.grouping, request.swapRowsAndColumns);

    platform::Reporte &engine = platform::gReporte();
    engine.VistaPrevia = true;
    engine.PermiteExportar = true;
    engine.Maximizada = false;
    // The engine reads the rows where the run wrote them.
    engine.setConexion(data::gDB().gCnn);

    const QVariant nombreRep = nombreRepFormula(request.statisticName);
    engine.Imprimir(reportTemplate(request.layoutIndex), {},
                    reportSelection(request.key, request.ignoreZeros), core::gConexionODBC, empresa,
                    nombreRep, parametros, columna, grupo);
}

} // namespace statistics
