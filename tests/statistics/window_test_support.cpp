// The window helpers apart from the database fixture, so that a binary testing no window links
// none of the window's code.
#include "lookup/lib_frm_cons3.h"
#include "lookup/lib_frm_cons3_list_view.h"
#include "statistics/frm_est_cta_gpo.h"
#include "statistics/frm_estadistica.h"
#include "statistics/msflexgrid.h"
#include "statistics_database_test.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace statistics_testing {

QLineEdit *headerField(const QWidget &window, int index)
{
    return child<QLineEdit>(window, ("txtfields" + std::to_string(index)).c_str());
}

QList<QLineEdit *> headerFields(const QWidget &window)
{
    return {headerField(window, 0), headerField(window, 1), headerField(window, 2)};
}

FormState::FormState(statistics::frm_Estadistica &window)
    : HayError(window.HayError), Borrando(window.Borrando), Nuevo(window.Nuevo),
      Existe(window.Existe), Validando(window.Validando), ControlActivo(window.ControlActivo),
      Editando(window.Editando), ModoMenu(window.ModoMenu), NombreTabla(window.NombreTabla)
{ }

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

} // namespace statistics_testing
