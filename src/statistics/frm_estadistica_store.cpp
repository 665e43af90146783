// The definition store of the main window: loading a stored definition into the controls,
// saving or deleting it, and keeping its suite menu entry in step.

#include "core/mod_global.h"
#include "data/db_dll.h"
#include "platform/suite/controles.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"
#include "statistics/definition_codes.h"
#include "statistics/definition_statements.h"
#include "statistics/definition_writer.h"
#include "statistics/frm_estadistica.h"
#include "statistics/menu_anchor.h"
#include "statistics/msflexgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace statistics {

namespace {

using platform::Step;
using platform::db::Recordset;

namespace GridColumn {
constexpr int Group = 0;
constexpr int Account = 1;
constexpr int Description = 2;
constexpr int Debit = 3;
constexpr int Credit = 4;
} // namespace GridColumn

// The run-time errors a stored value the controls cannot take raises, as the controls do.
constexpr std::int32_t InvalidUseOfNull = 94;
constexpr std::int32_t InvalidPropertyValue = 380;

QString textOf(Recordset &rows, const QString &column)
{
    return platform::gUtil().ValorTexto(rows.field(column));
}

// A stored combo position selects its entry, and -1 (what a save of an unselected combo
// writes) selects none; null or a position the combo lacks is refused.
void selectStoredPosition(QComboBox &combo, Recordset &rows, const QString &column)
{
    const QVariant value = rows.field(column).value();
    if (value.isNull())
        throw platform::Error(InvalidUseOfNull, QStringLiteral("Uso no válido de Null"));
    const int position = value.toInt();
    if (position < -1 || position >= combo.count())
        throw platform::Error(InvalidPropertyValue, QStringLiteral("Valor de propiedad no válido"));
    combo.setCurrentIndex(position);
}

// A stored box value: null clears the box, anything else must read as a truth value.
void setBoxFromStored(QCheckBox &box, Recordset &rows, const QString &column)
{
    if (rows.field(column).value().isNull()) {
        frm_Estadistica::setCheckValue(box, 0);
        return;
    }
    const std::optional<bool> ticked = platform::parseTruthValue(textOf(rows, column));
    if (!ticked)
        throw platform::Error(platform::errors::TypeMismatch,
                              QStringLiteral("No coinciden los tipos"));
    frm_Estadistica::setCheckValue(box, *ticked ? 1 : 0);
}

// One character of the stored permissions read as a number; a missing or non-digit one is 0.
int permissionDigit(const QString &permissions, int position)
{
    if (position >= permissions.size() || !permissions[position].isDigit())
        return 0;
    const int digit = permissions[position].digitValue();
    if (digit > 2)
        throw platform::Error(InvalidPropertyValue, QStringLiteral("Valor de propiedad no válido"));
    return digit;
}

void selectStoredCodes(QListWidget &list, const QString &storedList)
{
    for (int row = 0; row < list.count(); ++row) {
        QListWidgetItem *item = list.item(row);
        if (storedCodeListHolds(storedList, itemCode(item->text())))
            item->setSelected(true);
    }
}

QString storedCodeList(const QListWidget &list)
{
    QStringList selected;
    for (int row = 0; row < list.count(); ++row) {
        if (list.item(row)->isSelected())
            selected << list.item(row)->text();
    }
    return statistics::storedCodeList(selected);
}

bool isTrue(const QVariant &value)
{
    return !value.isNull() && value.toBool();
}

QString sideCell(const QVariant &value)
{
    return isTrue(value) ? QStringLiteral("S") : QStringLiteral("N");
}

// The name box is the header box whose column is NOMBRE; its text is used as typed.
QString definitionName(const QList<QLineEdit *> &header)
{
    const int index = platform::gControles().IndiceCampo(QStringLiteral("NOMBRE"), header);
    return header.value(index) ? header[index]->text() : QString();
}

platform::Resume reportLoadError(const platform::Error &error, int)
{
    return platform::resumeForAnswer(platform::gUtil().MuestraError(
        error, platform::Utilidades::EstiloError, QStringLiteral("AsignaCashProyectado")));
}

} // namespace

void frm_Estadistica::CargarEstadistica(QString &Nombre)
{
    Recordset rows;
    bool found = false;
    const platform::Outcome header = platform::StepRunner::run(
        {
            [&] { CargaCpte(); },
            [&] { CargarUNeg(); },
            [&] { CargarCCostos(); },
            [&] {
                data::gDB().AbrirRecordset(definitionRowsStatement(Nombre), rows, data::gDB().gCnn,
                                           platform::db::adOpenDynamic,
                                           platform::db::adLockReadOnly,
                                           platform::db::adOptionUnspecified, true);
            },
            [&] {
                if (rows.eof()) {
                    MSFlexGrid1->setRows(MSFlexGrid1->Rows() + 1);
                    return platform::Flow::Finish;
                }
                found = true;
                return platform::Flow::Next;
            },
            [&] { rows.moveFirst(); },
            [&] { platform::gControles().LlenarControles(txtfields, rows); },
            [&] { selectStoredPosition(*CmbPeriodicidad, rows, QStringLiteral("PERIODICIDAD")); },
            [&] { selectStoredPosition(*CmbTG, rows, QStringLiteral("TipoGrafico")); },
            [&] {
                const QString permissions = textOf(rows, QStringLiteral("PermiteModificar"));
                setCheckValue(*chkModCptes, permissionDigit(permissions, 0));
                setCheckValue(*chkModUneg, permissionDigit(permissions, 1));
                setCheckValue(*chkModCCostos, permissionDigit(permissions, 2));
            },
            [&] {
                const QString grouping = textOf(rows, QStringLiteral("Agrupar"));
                if (platform::equalsIgnoringCase(grouping, QStringLiteral("UNegocio")))
                    optUNeg->setChecked(true);
                else if (platform::equalsIgnoringCase(grouping, QStringLiteral("CCostos")))
                    optCCostos->setChecked(true);
                else
                    optFecha->setChecked(true);
                applyGroupingRule();
            },
            [&] { setBoxFromStored(*chkAlMenu, rows, QStringLiteral("anclaralmenu")); },
            [&] { setBoxFromStored(*ChkInvertirFilCol, rows, QStringLiteral("InvierteFilCol")); },
            [&] { setBoxFromStored(*chkIgnorarCeros, rows, QStringLiteral("ignoraceros")); },
            [&] { setBoxFromStored(*chkDetalle, rows, QStringLiteral("aperturaCuentas")); },
            [&] { setBoxFromStored(*chkCalculaSI, rows, QStringLiteral("calculasi")); },
            [&] { selectStoredCodes(*LstCpte, textOf(rows, QStringLiteral("Comprobantes"))); },
            [&] { selectStoredCodes(*LstUNeg, textOf(rows, QStringLiteral("unegocios"))); },
            [&] { selectStoredCodes(*LstCCostos, textOf(rows, QStringLiteral("CCostos"))); },
        },
        reportLoadError);
    if (header == platform::Outcome::Left || !found)
        return;

    // One line per stored row; a group's text stands only on its first line.
    QString previousGroup;
    std::vector<Step> lines;
    for (int i = 0; i < rows.recordCount(); ++i) {
        const auto line = [this] { return MSFlexGrid1->Rows() - 1; };
        lines.push_back([this] { MSFlexGrid1->setRows(MSFlexGrid1->Rows() + 1); });
        lines.push_back([&, line] {
            const QString group = textOf(rows, QStringLiteral("Grupo"));
            MSFlexGrid1->setTextMatrix(
                line(), GridColumn::Group,
                platform::equalsIgnoringCase(group, previousGroup) ? QString() : group);
        });
        lines.push_back([&, line] {
            const QString account = textOf(rows, QStringLiteral("Cuenta"));
            if (account.isEmpty())
                return;
            MSFlexGrid1->setTextMatrix(line(), GridColumn::Account, account);
            MSFlexGrid1->setTextMatrix(line(), GridColumn::Description,
                                       data::gDB()
                                           .DatosTabla(QStringLiteral("ma_cuentas"), account,
                                                       QStringLiteral("descripcion"),
                                                       QStringLiteral("Codigo"), 8, QString(), true,
                                                       false)
                                           .toString());
        });
        lines.push_back([&, line] {
            MSFlexGrid1->setTextMatrix(line(), GridColumn::Debit,
                                       sideCell(rows.field(QStringLiteral("DEBE")).value()));
            MSFlexGrid1->setTextMatrix(line(), GridColumn::Credit,
                                       sideCell(rows.field(QStringLiteral("Haber")).value()));
        });
        lines.push_back([&] {
            previousGroup = textOf(rows, QStringLiteral("Grupo"));
            rows.moveNext();
        });
    }
    platform::StepRunner::run(std::move(lines), reportLoadError);
}

void frm_Estadistica::Actualizardatos()
{
    const QString name = definitionName(txtfields);

    QList<HeaderField> header;
    for (QLineEdit *field : txtfields)
        header << HeaderField{field->property(platform::Controles::DataFieldProperty).toString(),
                              field->text()};

    DefinitionWriter writer(data::gDB());
    WriteResult result;
    if (Nuevo || Existe) {
        DefinitionSnapshot definition;
        definition.header = header;
        for (int row = 1; row < MSFlexGrid1->Rows(); ++row)
            definition.lines << GridLine{MSFlexGrid1->TextMatrix(row, GridColumn::Group),
                                         MSFlexGrid1->TextMatrix(row, GridColumn::Account),
                                         MSFlexGrid1->TextMatrix(row, GridColumn::Debit),
                                         MSFlexGrid1->TextMatrix(row, GridColumn::Credit)};
        definition.tipoGrafico = CmbTG->currentIndex();
        definition.periodicidad = CmbPeriodicidad->currentIndex();
        definition.comprobantes = storedCodeList(*LstCpte);
        definition.unegocios = storedCodeList(*LstUNeg);
        definition.ccostos = storedCodeList(*LstCCostos);
        definition.permiteModificar = QString::number(checkValue(*chkModCptes))
            + QString::number(checkValue(*chkModUneg))
            + QString::number(checkValue(*chkModCCostos));
        definition.agrupar = optFecha->isChecked() ? QStringLiteral("Fecha")
            : optUNeg->isChecked()                 ? QStringLiteral("UNegocio")
                                                   : QStringLiteral("CCostos");
        definition.anclarAlMenu = checkValue(*chkAlMenu);
        definition.invierteFilCol = checkValue(*ChkInvertirFilCol);
        definition.ignoraCeros = checkValue(*chkIgnorarCeros);
        definition.calculaSI = checkValue(*chkCalculaSI);
        definition.aperturaCuentas = checkValue(*chkDetalle);
        result = writer.replace(name, definition, rsDefinicion);
    } else if (Borrando) {
        const int answer = platform::userDialogs().messageBox(
            QStringLiteral("¿Realmente desea eliminar la Estadistica seleccionada?"),
            platform::msgbox::YesNo | platform::msgbox::Critical,
            QStringLiteral("Aviso al operador"));
        if (answer != platform::msgbox::Yes) {
            HayError = true;
            return;
        }
        result = writer.remove(name, header);
        if (result.completed)
            setCheckValue(*chkAlMenu, 0);
    } else {
        return;
    }

    if (result.failed)
        HayError = true;
    if (result.focusHeader && txtfields.value(*result.focusHeader))
        txtfields[*result.focusHeader]->setFocus();
    if (result.completed)
        AnclarAlMenu();
}

void frm_Estadistica::AnclarAlMenu()
{
    const QString name = definitionName(txtfields);
    MenuAnchor menu(data::gDB());
    if (checkValue(*chkAlMenu) == 1)
        menu.anchor(name, core::gUsuarioLogeado);
    else
        menu.remove(name);
}

} // namespace statistics
