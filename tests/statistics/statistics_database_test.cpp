#include "statistics_database_test.h"

#include "data/db_dll.h"
#include "demo/suite_database.h"
#include "lookup/lib_frm_cons3.h"
#include "lookup/lib_frm_cons3_list_view.h"
#include "platform/db/recordset.h"
#include "platform/regional_settings.h"
#include "statistics/frm_est_cta_gpo.h"
#include "statistics/msflexgrid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace statistics_testing {

QStringList gridLines(const statistics::MSFlexGrid &grid)
{
    QStringList lines;
    for (int row = 1; row < grid.Rows(); ++row) {
        QStringList cells;
        for (int col = 0; col < grid.Cols(); ++col)
            cells << grid.TextMatrix(row, col);
        lines << cells.join(u'|');
    }
    return lines;
}

testing_support::ScriptedDialogs::DialogScript answerGroupDialog(const QString &name, int signItem,
                                                                 bool accept)
{
    return [=](QDialog &shown) {
        auto &dialog = dynamic_cast<statistics::FrmEstCtaGpo &>(shown);
        dialog.txtGrupo->setText(name);
        dialog.cboSigno->setCurrentIndex(signItem);
        (accept ? dialog.cmdAceptar : dialog.cmdCancelar)->click();
        return dialog.result();
    };
}

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
