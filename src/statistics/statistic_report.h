#pragma once

#include "statistics/statistic_buckets.h"

#include <QString>
#include <QStringList>

// What a statistic run hands the report engine: the template of the chosen layout, the record
// selection of the user's work rows and the five named formulas.
namespace statistics {

// The entries of the chart-kind list, in position order, from the report's built-in layouts.
const QStringList &layoutNames();

// The template of a layout position of the chart-kind list; empty for no selection.
QString reportTemplate(int layoutIndex);

// The user's work rows, without the zero rows when they are left out.
QString reportSelection(const QString &key, bool ignoreZeros);

QString empresaFormula(const QString &company);
QString nombreRepFormula(const QString &name);

// The run's settings as the report's parameter line shows them; the code lists are the
// display texts of the filter lists.
struct ReportParameters
{
    QString startText;
    QString endText;
    QString periodText;
    QString vouchers;
    QString businessUnits;
    QString costCentres;
};
// Cut to 250 characters and marked "..." when longer, as the templates have room for no more.
QString parametrosFormula(const ReportParameters &parameters);

// The rows and columns of the report, swapped on request.
QString grupoFormula(Grouping grouping, bool swapped);
QString columnaFormula(Grouping grouping, bool swapped);

} // namespace statistics
