#pragma once

#include "platform/error.h"
#include "platform/steps.h"
#include "statistics/statistic_definition.h"
#include "statistics/statistic_run.h"

#include <QString>

// The computation of a statistic from its definition, and how every computation (this one and
// the per-account breakdown) asks its user when it is stopped or fails.
namespace statistics {

// The cancel step: hides the progress window and asks. True: the user stops the run
// ("Grabacion Abortada!" already shown); false: the progress window is back and the run goes on.
bool confirmRunCancel();

// The error tail: hides the progress window, shows the error with the routine "GeneraAuxiliar"
// and turns the answer into what the run does next.
platform::Resume reportRunError(const platform::Error &error);

// The two above, as a run takes them.
RunHooks computationHooks();

// Rebuilds the user's work rows (key) from the definition, whose lines are read from the
// definition table by its name, corrects their signs and shows the report. A run stopped or
// left from the error box ends where it stands, its rows kept and nothing printed.
void generateStatistic(const StatisticDefinition &definition, const QString &key,
                       const QString &definitionTable, const RunHooks &hooks);

} // namespace statistics
