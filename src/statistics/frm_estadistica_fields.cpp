#include "data/db_dll.h"
#include "data/sql_rewriting.h"
#include "lookup/lib_cls_cons3.h"
#include "platform/brezakit/brezactl.h"
#include "platform/steps.h"
#include "platform/suite/controles.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"
#include "statistics/frm_estadistica.h"
#include "statistics/msflexgrid.h"
#include "statistics/statistic_lists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace statistics {

namespace {

using platform::equalsIgnoringCase;

const QString FailureTitle = QStringLiteral("Aviso al operador...");
const QString SelectAllCaption = QStringLiteral("&Marcar Todos");
const QString DeselectAllCaption = QStringLiteral("&Desmarcar Todos");
constexpr int CostCentreTab = 2;
constexpr int RightButton = 2;

QString dataFieldOf(const QWidget *control)
{
    return platform::Controles::dataFieldOf(control).trimmed();
}

QString tagOf(const QWidget *control)
{
    return control->property(platform::Controles::TagProperty).toString().trimmed();
}

QString textOf(const QWidget *control)
{
    if (const auto *box = qobject_cast<const QLineEdit *>(control))
        return box->text();
    return {};
}

platform::Resume askAboutFieldError(const platform::Error &error, int)
{
    return platform::resumeForAnswer(platform::gUtil().MuestraError(
        error, platform::Utilidades::EstiloError, QStringLiteral("Campo_Valida")));
}

void uncheckAndDisable(QCheckBox &box)
{
    frm_Estadistica::setCheckValue(box, 0);
    box.setEnabled(false);
}

} // namespace

// Hands the events of the header fields and of the period combo to the window's handlers, in
// the order the window expects them: focus, then key down before the typed character.
class frm_Estadistica::FieldEventFilter : public QObject
{
public:
    explicit FieldEventFilter(frm_Estadistica &window) : QObject(&window), m_window(window) { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window.CmbPeriodicidad)
            return event->type() == QEvent::KeyPress && periodKeyPress(*event);
        const int index = m_window.txtfields.indexOf(qobject_cast<QLineEdit *>(watched));
        if (index < 0)
            return false;
        switch (event->type()) {
        case QEvent::FocusIn:
            m_window.txtfields_GotFocus(index);
            return index == 0 && enteredByTabWhileEditing(static_cast<QFocusEvent &>(*event))
                && keepNameUnselected(*m_window.txtfields[0], *event);
        case QEvent::KeyPress:
            return headerKeyPress(index, static_cast<QKeyEvent &>(*event));
        case QEvent::MouseButtonPress: {
            const auto &mouse = static_cast<QMouseEvent &>(*event);
            if (mouse.button() == Qt::RightButton)
                m_window.txtfields_MouseDown(index, RightButton, 0, float(mouse.position().x()),
                                             float(mouse.position().y()));
            return false;
        }
        default:
            return false;
        }
    }

private:
    bool enteredByTabWhileEditing(const QFocusEvent &focus) const
    {
        return (m_window.Nuevo || m_window.Existe)
            && (focus.reason() == Qt::TabFocusReason || focus.reason() == Qt::BacktabFocusReason);
    }

    // The box selects its whole text when the keyboard brings the focus in; with the name of
    // the definition being edited selected, the next key typed would replace it. The box takes
    // the focus as usual, and the caret is then put after the name.
    static bool keepNameUnselected(QLineEdit &nameBox, QEvent &focusIn)
    {
        static_cast<QObject &>(nameBox).event(&focusIn);
        nameBox.deselect();
        nameBox.end(false);
        return true;
    }

    bool headerKeyPress(int index, const QKeyEvent &key)
    {
        int keyCode = virtualKeyCode(key);
        if (keyCode != 0)
            m_window.txtfields_KeyDown(index, keyCode, shiftStateOf(key));
        int keyAscii = keyAsciiOf(key);
        if (keyAscii == 0)
            return false;
        m_window.txtfields_KeyPress(index, keyAscii);
        return keyAscii == 0;
    }

    bool periodKeyPress(const QEvent &event)
    {
        int keyAscii = keyAsciiOf(static_cast<const QKeyEvent &>(event));
        if (keyAscii == 0)
            return false;
        m_window.CmbPeriodicidad_KeyPress(keyAscii);
        return keyAscii == 0;
    }

    frm_Estadistica &m_window;
};

// ---- Validation ---------------------------------------------------------------------------------

void frm_Estadistica::Campo_Valida(QWidget *ctl)
{
    HayError = false;
    const QString text = textOf(ctl).trimmed();
    const QString field = dataFieldOf(ctl);
    QString failure;
    const auto headerField = [this](const QString &name) {
        return txtfields.value(platform::gControles().IndiceCampo(name, txtfields));
    };

    if (equalsIgnoringCase(field, QStringLiteral("NOMBRE"))) {
        if (text.isEmpty()) {
            failure = QStringLiteral("Debe informar un Nombre");
        } else {
            QString name = text;
            // While a definition is being edited its own name, or a new one, is only checked, as
            // a full validation does: reloading would throw away every line typed since. Another
            // stored name opens that definition, once the user agrees to drop what is unsaved,
            // so a save never writes this window's lines over it.
            const bool editing = Nuevo || Existe;
            const bool wasNew = Nuevo;
            const bool wasExisting = Existe;
            platform::StepRunner::run(
                {[&] {
                     const bool found = data::gDB().ExisteEnTabla(
                         QStringLiteral("MA_PANELCTA"), text, QStringLiteral("NOMBRE"),
                         &rsDefinicion, 8,
                         QStringLiteral("EsRanking = 0 and Nombre = '")
                             + data::escapeSqlQuotes(text) + QLatin1Char('\''),
                         true);
                     Existe = found;
                     Nuevo = !found;
                     Borrando = false;
                     // Outside a full validation the editing state enables the box again at
                     // once; disabling it even for a moment would send the focus elsewhere.
                     if (found && Validando)
                         if (QLineEdit *nameField = headerField(QStringLiteral("NOMBRE")))
                             nameField->setEnabled(false);
                 },
                 [&] {
                     if (Validando)
                         return platform::Flow::Next;
                     const bool anotherDefinition
                         = Existe && !equalsIgnoringCase(name, m_shownName);
                     if (editing && anotherDefinition && unsavedChanges() && !confirmDiscard()) {
                         // The user goes on editing: the box and the flags go back to the name
                         // accepted before, which a save would check again.
                         Nuevo = wasNew;
                         Existe = wasExisting;
                         if (auto *box = qobject_cast<QLineEdit *>(ctl))
                             box->setText(m_acceptedName);
                         return platform::Flow::Next;
                     }
                     if (!editing || anotherDefinition) {
                         ArmarGrilla();
                         CargarEstadistica(name);
                         m_shownName = name;
                     }
                     m_acceptedName = name;
                     ModoEdicion(true);
                     if (!editing || anotherDefinition)
                         m_definitionAsLoaded = definitionOnScreen();
                     return platform::Flow::Next;
                 },
                 [&] { Editando = true; }},
                askAboutFieldError);
        }
    } else if (equalsIgnoringCase(field, QStringLiteral("FECHAD"))
               || equalsIgnoringCase(field, QStringLiteral("FECHAH"))) {
        const auto dateIn = [&](const QString &name) -> std::optional<QDate> {
            const QLineEdit *dateField = headerField(name);
            return dateField ? platform::parseRegionalDate(dateField->text().trimmed())
                             : std::nullopt;
        };
        const std::optional<QDate> date = dateIn(field);
        // A period that ends before it starts has no buckets: the end date is the one refused.
        const bool endsBeforeStart = equalsIgnoringCase(field, QStringLiteral("FECHAH")) && date
            && dateIn(QStringLiteral("FECHAD")).value_or(*date) > *date;
        if (!date || endsBeforeStart)
            failure = QStringLiteral("Fecha Incorrecta");
    } else if (equalsIgnoringCase(field, QStringLiteral("CUENTA"))) {
        if (!text.isEmpty())
            platform::StepRunner::run(
                {[&] {
                    if (!data::gDB().ExisteEnTabla(QStringLiteral("MA_CUENTAS"), text,
                                                   QStringLiteral("Codigo"), &rsConsulta, 8,
                                                   QString(), true)) {
                        failure = QStringLiteral("La Cuenta Informada es inexistente!");
                        return;
                    }
                    MSFlexGrid1->setTextMatrix(MSFlexGrid1->Row(), DescriptionColumn,
                                               platform::gUtil().ValorTexto(rsConsulta.field(
                                                   QStringLiteral("Descripcion"))));
                    // The code is stored trimmed, and the cell shows what is stored.
                    if (auto *editor = qobject_cast<QLineEdit *>(ctl))
                        editor->setText(text);
                }},
                askAboutFieldError);
    } else if (equalsIgnoringCase(field, QStringLiteral("DEBE"))
               || equalsIgnoringCase(field, QStringLiteral("HABER"))) {
        const int column
            = equalsIgnoringCase(field, QStringLiteral("DEBE")) ? DebitColumn : CreditColumn;
        const QString answer = text.toUpper();
        if (answer.isEmpty()) {
            platform::StepRunner::run(
                {[&] {
                    const int row = MSFlexGrid1->Row();
                    const bool hasAccount = !MSFlexGrid1->TextMatrix(row, AccountColumn).isEmpty();
                    const QString side = hasAccount ? QStringLiteral("S") : QString();
                    MSFlexGrid1->setTextMatrix(row, column, side);
                    // The editor's text goes into the cell when the edit ends: it must carry
                    // the side the line is stored and summed with.
                    if (auto *editor = qobject_cast<QLineEdit *>(ctl))
                        editor->setText(side);
                }},
                askAboutFieldError);
        } else if (answer != QLatin1String("S") && answer != QLatin1String("N")) {
            failure = QStringLiteral("Debe Informar S o N");
        }
    }

    if (!failure.isEmpty())
        refuseField(failure);
}

void frm_Estadistica::refuseField(const QString &message)
{
    HayError = true;
    platform::userDialogs().messageBox(message, platform::msgbox::Critical, FailureTitle);
}

bool frm_Estadistica::ValidarCampos()
{
    Validando = true;
    // The user is taken to the field the message is about.
    const auto refused = [](QWidget &control) {
        control.setFocus();
        return false;
    };
    for (QLineEdit *field : std::as_const(txtfields)) {
        Campo_Valida(field);
        if (HayError)
            return refused(*field);
    }
    // A run needs its layout, and its period when the columns are periods.
    const StatisticDefinition definition = definitionOnScreen();
    if (definition.grouping == Grouping::Date && definition.periodicidad < 0) {
        refuseField(QStringLiteral("Debe informar la Periodicidad"));
        return refused(*CmbPeriodicidad);
    }
    if (definition.tipoGrafico < 0) {
        refuseField(QStringLiteral("Debe informar el Tipo de Gráfico"));
        return refused(*CmbTG);
    }
    return true;
}

// ---- Lookups ------------------------------------------------------------------------------------

void frm_Estadistica::Consultar()
{
    if (!ControlActivo)
        return;
    const QString tag = tagOf(ControlActivo);
    const bool definitionName = equalsIgnoringCase(tag, QStringLiteral("MA_PANELCTA"));
    if (!definitionName && !equalsIgnoringCase(tag, QStringLiteral("MA_CUENTAS")))
        return;

    lookup::Lib_ClsCons3 &service = lookup::gConsultas();
    service.CmpsDevueltos->append(definitionName ? QStringLiteral("NOMBRE")
                                                 : QStringLiteral("CODIGO"));
    QString searchField;
    QString condition;
    service.ConsultaSearch(
        definitionName
            ? QStringLiteral(
                "SELECT DISTINCT NOMBRE FROM MA_PANELCTA Where EsRanking = 0 ORDER BY NOMBRE")
            : QStringLiteral("SELECT CODIGO,DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO"),
        service.CmpsDevueltos, QString(), searchField, condition, QString(), false, QString());

    auto *box = qobject_cast<QLineEdit *>(ControlActivo);
    if (!box)
        return;
    const QString chosen = platform::gUtil().ValorTexto(service.ValorDevuelto).trimmed();
    int enter = platform::keys::Enter;
    // A cancelled lookup leaves the box as it was: an empty choice would blank the name, or the
    // line, and confirm the blank.
    if (chosen.isEmpty())
        return;
    if (definitionName) {
        box->setText(chosen);
        const int index = txtfields.indexOf(box);
        if (index >= 0)
            txtfields_KeyDown(index, enter, 0);
        return;
    }
    if (TxtEdit->isHidden())
        MSFlexGridEdit(*MSFlexGrid1, *TxtEdit, 32);
    box->setText(chosen);
    TxtEdit->setVisible(true);
    TxtEdit->setFocus();
    TxtEdit_KeyDown(enter, 0);
}

// ---- Lists --------------------------------------------------------------------------------------

void frm_Estadistica::CargaCpte()
{
    // The suite's own summary voucher type, whose code begins with the character 255, is never
    // offered as a filter.
    fillCodeList(*LstCpte,
                 QStringLiteral("Select * from Vt_TA_Cpte where Codigo <> '\u00FFRS' Order By "
                                "Descripcion"),
                 rsConsulta, CodeText::AsStored);
}

void frm_Estadistica::CargarUNeg()
{
    platform::db::Recordset rows;
    fillCodeList(*LstUNeg, QStringLiteral("SELECT * FROM V_TA_UNIDADNEGOCIO ORDER BY CODIGO"), rows,
                 CodeText::Trimmed);
    data::gDB().CierraRecordset(rows);
}

void frm_Estadistica::CargarCCostos()
{
    // Grouping entries of the cost-centre tree carry a title flag and take no journal lines.
    platform::db::Recordset rows;
    fillCodeList(*LstCCostos,
                 QStringLiteral("SELECT * FROM TA_CCOSTO where titulo = 0 or titulo is null ORDER "
                                "BY CODIGO"),
                 rows, CodeText::Trimmed);
    data::gDB().CierraRecordset(rows);
}

void frm_Estadistica::MarcarTodos(QListWidget &lista, QPushButton &boton)
{
    const int position = lista.currentRow();
    const bool deselect = equalsIgnoringCase(boton.text(), DeselectAllCaption);
    for (int row = 0; row < lista.count(); ++row)
        lista.item(row)->setSelected(!deselect);
    boton.setText(deselect ? SelectAllCaption : DeselectAllCaption);
    lista.setCurrentRow(position, QItemSelectionModel::NoUpdate);
}

void frm_Estadistica::CmdTodos_Click()
{
    MarcarTodos(*LstCpte, *CmdTodos);
}

void frm_Estadistica::CmdUNeg_Click()
{
    MarcarTodos(*LstUNeg, *CmdUNeg);
}

void frm_Estadistica::cmdCCostos_Click()
{
    MarcarTodos(*LstCCostos, *cmdCCostos);
}

// ---- Grouping and report options ----------------------------------------------------------------

void frm_Estadistica::optFecha_Click()
{
    lblPeriodicidad->setVisible(true);
    CmbPeriodicidad->setVisible(true);
    SSTab1->setTabEnabled(CostCentreTab, false);
    chkCalculaSI->setEnabled(true);
}

void frm_Estadistica::optUNeg_Click()
{
    lblPeriodicidad->setVisible(false);
    CmbPeriodicidad->setVisible(false);
    SSTab1->setTabEnabled(CostCentreTab, false);
    uncheckAndDisable(*chkCalculaSI);
}

void frm_Estadistica::optCCostos_Click()
{
    lblPeriodicidad->setVisible(false);
    CmbPeriodicidad->setVisible(false);
    SSTab1->setTabEnabled(CostCentreTab, true);
    uncheckAndDisable(*chkCalculaSI);
}

void frm_Estadistica::chkDetalle_Click()
{
    if (checkValue(*chkDetalle) == 1) {
        uncheckAndDisable(*chkCalculaSI);
        uncheckAndDisable(*ChkInvertirFilCol);
        uncheckAndDisable(*chkIgnorarCeros);
    } else {
        ChkInvertirFilCol->setEnabled(true);
        chkIgnorarCeros->setEnabled(true);
        // The opening balance is a date bucket: other groupings keep it off.
        chkCalculaSI->setEnabled(optFecha->isChecked());
    }
}

void frm_Estadistica::applyGroupingRule()
{
    if (optFecha->isChecked())
        optFecha_Click();
    else if (optUNeg->isChecked())
        optUNeg_Click();
    else if (optCCostos->isChecked())
        optCCostos_Click();
}

// ---- Header-field events ------------------------------------------------------------------------

void frm_Estadistica::wireFieldEvents()
{
    auto *filter = new FieldEventFilter(*this);
    for (QLineEdit *field : std::as_const(txtfields)) {
        // The right button opens the lookup; a context menu on top of it would hide the dialog.
        field->setContextMenuPolicy(Qt::PreventContextMenu);
        field->installEventFilter(filter);
    }
    CmbPeriodicidad->installEventFilter(filter);

    connect(CmdTodos, &QPushButton::clicked, this, &frm_Estadistica::CmdTodos_Click);
    connect(CmdUNeg, &QPushButton::clicked, this, &frm_Estadistica::CmdUNeg_Click);
    connect(cmdCCostos, &QPushButton::clicked, this, &frm_Estadistica::cmdCCostos_Click);
    // Options and boxes react to values set by code too, as loading a definition relies on.
    const auto whenSelected = [this](QRadioButton *option, void (frm_Estadistica::*handler)()) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool selected) {
            if (selected)
                (this->*handler)();
        });
    };
    whenSelected(optFecha, &frm_Estadistica::optFecha_Click);
    whenSelected(optUNeg, &frm_Estadistica::optUNeg_Click);
    whenSelected(optCCostos, &frm_Estadistica::optCCostos_Click);
    connect(chkDetalle, &QCheckBox::stateChanged, this, &frm_Estadistica::chkDetalle_Click);
    // Selecting the option already selected raises nothing: the window starts by its rule.
    applyGroupingRule();
}

void frm_Estadistica::txtfields_GotFocus(int Index)
{
    QLineEdit *field = txtfields.at(Index);
    ControlActivo = field;
    BrezaCtl1->setFlag(QStringLiteral("consultaenabled"), !tagOf(field).isEmpty());
    platform::gControles().EntrarCampo(field, QString());
}

void frm_Estadistica::txtfields_KeyDown(int Index, int &KeyCode, int)
{
    QLineEdit *field = txtfields.at(Index);
    if (KeyCode == platform::keys::Enter) {
        Campo_Valida(field);
        // Enter on the name only validates it: an accepted name loads the definition, and the
        // user goes on from there.
        if (Index != 0 && !HayError)
            platform::gControles().ProcesarTecla(KeyCode);
    }
    BrezaCtl1->setFlag(QStringLiteral("consultaenabled"), !tagOf(field).isEmpty());
}

void frm_Estadistica::txtfields_KeyPress(int Index, int &KeyAscii)
{
    platform::gControles().FiltrarTecla(txtfields.at(Index), KeyAscii);
    if (KeyAscii == platform::keys::Enter)
        KeyAscii = 0;
}

void frm_Estadistica::txtfields_MouseDown(int, int Button, int, float, float)
{
    if (Button == RightButton)
        Consultar();
}

void frm_Estadistica::CmbPeriodicidad_KeyPress(int &KeyAscii)
{
    // The period is chosen from the list only; Enter moves on as Tab does.
    if (KeyAscii == platform::keys::Enter)
        platform::gControles().ProcesarTecla(platform::keys::Enter);
    KeyAscii = 0;
}

} // namespace statistics
