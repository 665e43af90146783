#pragma once

#include "statistics/statistic_buckets.h"
#include "statistics/statistic_definition.h"
#include "statistics/statistic_report.h"

#include <QString>

// The end of a statistic run: the sign rules of the group names applied to the user's work
// rows, and the rows handed to the report engine.
namespace statistics {

// Runs the two sign updates; after each, a provider error left on the connection is shown.
void correctSigns(const QString &key);

struct PrintRequest
{
    QString key;
    QString company;
    QString statisticName;
    ReportParameters parameters;
    Grouping grouping = Grouping::Date;
    bool swapRowsAndColumns = false;
    int layoutIndex = -1;
    bool ignoreZeros = false;
};

// The report of a run of the definition over the user's work rows; the statistic's name is the
// one the run found stored. Reads the company's name from the configuration.
PrintRequest printRequestFor(const StatisticDefinition &definition, const QString &key,
                             const QString &statisticName);

// Shows the report of the user's work rows in the engine's preview.
void printStatistic(const PrintRequest &request);

} // namespace statistics
