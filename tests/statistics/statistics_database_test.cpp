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

void StatisticsDatabaseTest::redeclareDefinitionTable(const QString &calculasiType)
{
    runOnMain(QStringLiteral("DROP TABLE MA_PANELCTA"));
    runOnMain(QStringLiteral("CREATE TABLE MA_PANELCTA (NOMBRE varchar(200), FechaD datetime, "
                             "FechaH datetime, Grupo varchar(100), Cuenta varchar(15), DEBE bit, "
                             "Haber bit, TipoGrafico smallint, PERIODICIDAD smallint, Comprobantes "
                             "varchar(100), unegocios varchar(100), CCostos varchar(100), "
                             "PermiteModificar char(3), Agrupar varchar(10), anclaralmenu "
                             "smallint, InvierteFilCol smallint, ignoraceros smallint, calculasi "
                             "%1, aperturaCuentas smallint, EsRanking bit NOT NULL DEFAULT (0))")
                  .arg(calculasiType));
}

} // namespace statistics_testing
