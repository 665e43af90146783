#include "statistics_database_test.h"

#include "data/db_dll.h"
#include "demo/suite_database.h"
#include "platform/db/recordset.h"
#include "platform/regional_settings.h"

namespace statistics_testing {

QStringList StatisticsDatabaseTest::rowsOf(const QString &sql)
{
    platform::db::Recordset rows = data::gDB().gCnn->execute(sql);
    QStringList result;
    for (; !rows.eof(); rows.moveNext()) {
        QStringList columns;
        for (int i = 0; i < rows.fields().count(); ++i) {
            const QVariant value = rows.field(i).value();
            columns << (value.isNull() ? QStringLiteral("NULL") : value.toString());
        }
        result << columns.join(QLatin1Char('|'));
    }
    return result;
}

void StatisticsDatabaseTest::insertSampleRows(int journalLines)
{
    platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
    demo::SampleOptions sample;
    sample.journalLines = journalLines;
    demo::insertSampleData(*data::gDB().gCnn, sample);
}

} // namespace statistics_testing
