#include "statistics_database_test.h"

#include "data/db_dll.h"
#include "demo/suite_database.h"
#include "lookup/lib_frm_cons3.h"
#include "lookup/lib_frm_cons3_list_view.h"
#include "platform/db/recordset.h"
#include "platform/regional_settings.h"

#include <QPushButton>

namespace statistics_testing {

testing_support::ScriptedDialogs::DialogScript chooseInList(const QString &choice,
                                                            QString &seenStatement)
{
    return [choice, &seenStatement](QDialog &shown) {
        auto &list = dynamic_cast<lookup::Lib_FrmCons3 &>(shown);
        seenStatement = list.SQL.trimmed();
        if (choice.isEmpty()) {
            list.cmdCancelar().click();
            return int(QDialog::Rejected);
        }
        lookup::ListView &rows = list.ListView1();
        for (int row = 1; row <= rows.rowCount(); ++row)
            if (rows.cell(row, 1).trimmed() == choice)
                rows.selectRow(row);
        list.cmdAceptar().click();
        return int(QDialog::Accepted);
    };
}

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
