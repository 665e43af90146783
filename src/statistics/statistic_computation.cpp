#include "statistics/statistic_computation.h"

#include "platform/suite/progreso.h"
#include "platform/suite/utilidades.h"
#include "platform/user_dialogs.h"
#include "statistics/statistic_printing.h"

namespace statistics {

bool confirmRunCancel()
{
    auto &progress = platform::gProgreso();
    progress.Ocultar();
    const int answer = platform::userDialogs().messageBox(
        QStringLiteral("Desea Cancelar el Proceso?"),
        platform::msgbox::YesNo | platform::msgbox::Information,
        QStringLiteral("Cancelado por el usuario"));
    if (answer != platform::msgbox::Yes) {
        std::int16_t stop = -1;
        progress.Avanzar(stop, QStringLiteral("Actualizando Estadistica"));
        return false;
    }
    platform::userDialogs().messageBox(QStringLiteral("Grabacion Abortada!"),
                                       platform::msgbox::OkOnly);
    return true;
}

platform::Resume reportRunError(const platform::Error &error)
{
    platform::gProgreso().Ocultar();
    return platform::resumeForAnswer(platform::gUtil().MuestraError(
        error, platform::Utilidades::EstiloError, QStringLiteral("GeneraAuxiliar")));
}

RunHooks computationHooks()
{
    return RunHooks{reportRunError, confirmRunCancel};
}

void generateStatistic(const StatisticDefinition &definition, const QString &key,
                       const QString &definitionTable, const RunHooks &hooks)
{
    const RunGuard guard(hooks);
    try {
        platform::gProgreso().Mostrar(QStringLiteral("Actualizando Estadistica"), 1);
        StatisticRun run(definition, key, definitionTable, guard);
        run.fillWorkTable();

        correctSigns(key);
        PrintRequest request;
        guard.attempt([&] { request = printRequestFor(definition, key, run.statisticName()); });
        // The report viewer is modal: a progress window left over it would hide it.
        platform::gProgreso().Ocultar();
        guard.attempt([&] { printStatistic(request); });
    } catch (const RunLeft &) {
        // The cancel step or the error path has already told the user; the rows stay.
    }
}

} // namespace statistics
