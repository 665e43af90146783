#include "statistics/frm_estadistica.h"

#include "core/mod_global.h"
#include "data/db_dll.h"
#include "data/sql_rewriting.h"
#include "platform/brezakit/brezactl.h"
#include "platform/db/ado.h"
#include "platform/suite/controles.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"
#include "startup/system_startup.h"
#include "statistics/breakdown_report.h"
#include "statistics/msflexgrid.h"
#include "statistics/statistic_buckets.h"
#include "statistics/statistic_computation.h"
#include "statistics/statistic_definition.h"
#include "statistics/statistic_report.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolBar>

namespace statistics {

using platform::msgbox::Yes;

namespace {

constexpr int TwipsPerPixel = 15;

int pixels(int twips)
{
    return twips / TwipsPerPixel;
}

int twips(int pixels)
{
    return pixels * TwipsPerPixel;
}

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
}

void setWidthTwips(QWidget *widget, int width)
{
    if (width < 0)
        throw platform::Error(platform::errors::InvalidProcedureCall,
                              QStringLiteral("Invalid procedure call or argument"));
    widget->resize(pixels(width), widget->height());
}

void setHeightTwips(QWidget *widget, int height)
{
    if (height < 0)
        throw platform::Error(platform::errors::InvalidProcedureCall,
                              QStringLiteral("Invalid procedure call or argument"));
    widget->resize(widget->width(), pixels(height));
}

int widthTwips(const QWidget *widget)
{
    return twips(widget->width());
}

int heightTwips(const QWidget *widget)
{
    return twips(widget->height());
}

const QString MenuPrefix = QStringLiteral("CFG_");
const QString NameField = QStringLiteral("NOMBRE");

// Flags of the commands whose availability follows the window's state. Closing is refused
// while a definition is being edited, new only from browse state; the report is offered while
// editing and in menu mode, whose purpose is to print.
const QString GrabarFlag = QStringLiteral("grabarenabled");
const QString CancelarFlag = QStringLiteral("cancelarenabled");
const QString BorrarFlag = QStringLiteral("borrarenabled");
const QString CerrarFlag = QStringLiteral("cerrarenabled");
const QString ReporteFlag = QStringLiteral("reporteenabled");
const QString NuevoFlag = QStringLiteral("nuevoenabled");

// A digit of PermiteModificar read as a number: a missing or non-numeric character reads 0.
bool permits(const QString &flags, int position)
{
    return position < flags.size() && flags.at(position).digitValue() > 0;
}

template<typename Widget>
Widget *make(QWidget *parent, const char *name, const QString &caption = {})
{
    auto *widget = new Widget(parent);
    widget->setObjectName(QLatin1String(name));
    if constexpr (requires { widget->setTitle(caption); })
        widget->setTitle(caption);
    else if constexpr (requires { widget->setText(caption); })
        widget->setText(caption);
    return widget;
}

// A control's place inside its parent, in twips, the unit every measure of the window is in.
struct Twips
{
    int left, top, width, height;
};

template<typename Control>
void add(Control *&member, QWidget *parent, const char *name, const char *caption, Twips at)
{
    member = make<Control>(parent, name, QString::fromUtf8(caption));
    place(member, at.left, at.top, at.width, at.height);
}

} // namespace

frm_Estadistica::frm_Estadistica(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frm_Estadistica"));
    setWindowTitle(QStringLiteral("Paneles de Cuentas"));
    buildControls();
    wireFieldEvents();
    wireGridEvents();
    connect(BrezaCtl1, &platform::BrezaCtl::Accion, this,
            [this](QString &clave) { BrezaCtl1_Accion(clave); });
    // The window previews the keys of its controls, as the toolbar's shortcuts need.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

frm_Estadistica::~frm_Estadistica() = default;

void frm_Estadistica::buildControls()
{
    BrezaCtl1 = new platform::BrezaCtl(this);
    // The three areas stand below the command toolbar, whose height is the style's.
    const int top = twips(BrezaCtl1->sizeHint().height()) + 60;
    txtfields = {nullptr, nullptr, nullptr};
    QWidget *voucherPage, *unitPage, *costCentrePage;
    const auto addPage = [this](QWidget *&page, const char *title) {
        page = new QWidget(SSTab1);
        SSTab1->addTab(page, QString::fromUtf8(title));
    };

    // Created in this order, which is also the order the focus moves in.
    // clang-format off
    // Kind, control                  Parent          Object name          Caption                              {Left,        Top, Width, Height}
    add<QGroupBox>(FrmPrincipal,      this,           "FrmPrincipal",      "Datos Principales",                 {  60,        top,  8100, 4500});
    add<QLabel>(Label2,               FrmPrincipal,   "Label2",            "Estadistica",                       { 120,        390,  1680,  300});
    add<QLabel>(Label3,               FrmPrincipal,   "Label3",            "Fecha Desde....:",                  { 120,        810,  1680,  300});
    add<QLabel>(Label1,               FrmPrincipal,   "Label1",            "Fecha Hasta",                       {3480,        810,  1200,  300});
    add<QLineEdit>(txtfields[0],      FrmPrincipal,   "txtfields0",        "",                                  {1860,        360,  6120,  345});
    add<QLineEdit>(txtfields[1],      FrmPrincipal,   "txtfields1",        "",                                  {1860,        780,  1440,  345});
    add<QLineEdit>(txtfields[2],      FrmPrincipal,   "txtfields2",        "",                                  {4740,        780,  1440,  345});
    add<QLabel>(lblPeriodicidad,      FrmPrincipal,   "lblPeriodicidad",   "Periodicidad",                      { 120,       1230,  1680,  300});
    add<QComboBox>(CmbPeriodicidad,   FrmPrincipal,   "CmbPeriodicidad",   "",                                  {1860,       1200,  2100,  360});
    add<QLabel>(TGrafico,             FrmPrincipal,   "TGrafico",          "Tipo de Gráfico.:",                 { 120,       1650,  1680,  300});
    add<QComboBox>(CmbTG,             FrmPrincipal,   "CmbTG",             "",                                  {1860,       1620,  6120,  360});
    add<QGroupBox>(Frame2,            FrmPrincipal,   "Frame2",            "Agrupar",                           { 120,       2070,  3780, 1260});
    add<QRadioButton>(optFecha,       Frame2,         "optFecha",          "Agrupar por Fecha",                 { 120,        300,  3540,  285});
    add<QRadioButton>(optUNeg,        Frame2,         "optUNeg",           "Agrupar por Unidad de Negocio",     { 120,        615,  3540,  285});
    add<QRadioButton>(optCCostos,     Frame2,         "optCCostos",        "Agrupar por C. Costos",             { 120,        930,  3540,  285});
    add<QGroupBox>(FrmMod,            FrmPrincipal,   "FrmMod",            "Desde el menú",                     {4020,       2070,  3960, 1260});
    add<QCheckBox>(chkModCptes,       FrmMod,         "chkModCptes",       "Permite cambiar Cptes",             { 120,        300,  3720,  285});
    add<QCheckBox>(chkModUneg,        FrmMod,         "chkModUneg",        "Permite cambiar Unidad de Negocio", { 120,        615,  3720,  285});
    add<QCheckBox>(chkModCCostos,     FrmMod,         "chkModCCostos",     "Permite cambiar Centro de Costos",  { 120,        930,  3720,  285});
    add<QCheckBox>(chkDetalle,        FrmPrincipal,   "chkDetalle",        "Apertura por cuenta",               { 180,       3420,  3300,  285});
    add<QCheckBox>(ChkInvertirFilCol, FrmPrincipal,   "ChkInvertirFilCol", "Invertir Fila y Columna",           {4080,       3420,  3840,  285});
    add<QCheckBox>(chkCalculaSI,      FrmPrincipal,   "chkCalculaSI",      "Calcular Saldo Inicial",            { 180,       3735,  3300,  285});
    add<QCheckBox>(chkIgnorarCeros,   FrmPrincipal,   "chkIgnorarCeros",   "Ignorar Saldos en 0",               {4080,       3735,  3840,  285});
    add<QCheckBox>(chkAlMenu,         FrmPrincipal,   "chkAlMenu",         "Anclar al Menú Panel de Cuentas",   { 180,       4050,  3300,  285});
    add<QTabWidget>(SSTab1,           this,           "SSTab1",            "",                                  {8220,   top + 90,  6130, 4410});
    addPage(voucherPage, "Comprobantes");
    add<QLabel>(LblCpte,              voucherPage,    "LblCpte",           "Comprobantes que intervienen",      {  25,         90,  6000,  300});
    add<QListWidget>(LstCpte,         voucherPage,    "LstCpte",           "",                                  {  25,        420,  6000, 3000});
    add<QPushButton>(CmdTodos,        voucherPage,    "CmdTodos",          "&Marcar Todos",                     {  25,       3480,  6000,  375});
    addPage(unitPage, "UNegocio");
    add<QLabel>(lblUNeg,              unitPage,       "lblUNeg",           "Unidad de Negocio",                 {  25,         90,  6000,  300});
    add<QListWidget>(LstUNeg,         unitPage,       "LstUNeg",           "",                                  {  25,        420,  6000, 3000});
    add<QPushButton>(CmdUNeg,         unitPage,       "CmdUNeg",           "&Marcar Todos",                     {  25,       3480,  6000,  375});
    addPage(costCentrePage, "C. Costos");
    add<QLabel>(lblCcostos,           costCentrePage, "lblCcostos",        "Centros de Costos",                 {  25,         90,  6000,  300});
    add<QListWidget>(LstCCostos,      costCentrePage, "LstCCostos",        "",                                  {  25,        420,  6000, 3000});
    add<QPushButton>(cmdCCostos,      costCentrePage, "cmdCCostos",        "&Marcar Todos",                     {  25,       3480,  6000,  375});
    add<QGroupBox>(FrmDetalle,        this,           "FrmDetalle",        "Definicion",                        {  60, top + 4560, 14280, 4200});
    add<QToolBar>(Toolbar1,           FrmDetalle,     "Toolbar1",          "",                                  { 120,        270,  9000,  450});
    add<MSFlexGrid>(MSFlexGrid1,      FrmDetalle,     "MSFlexGrid1",       "",                                  { 120,        780, 13140, 3240});
    // clang-format on
    // The cell editor has no place of its own: an edit puts it over its cell.
    TxtEdit = make<QLineEdit>(FrmDetalle, "TxtEdit");

    const struct
    {
        QLineEdit *field;
        const char *dataField;
        const char *tag;
        int maxLength;
    } dataFields[] = {
        {txtfields[0], "NOMBRE", "MA_PANELCTA", 200},
        {txtfields[1], "FechaD", "FECHA", 10},
        {txtfields[2], "FechaH", "FECHA", 10},
        // The cell editor takes its data field, tag and length from the column it opens on.
        {TxtEdit, "", "", 0},
    };
    for (const auto &[field, dataField, tag, maxLength] : dataFields) {
        field->setProperty(platform::Controles::DataFieldProperty, QString::fromUtf8(dataField));
        field->setProperty(platform::Controles::TagProperty, QString::fromUtf8(tag));
        field->setMaxLength(maxLength);
    }

    optFecha->setChecked(true);
    SSTab1->setDocumentMode(true);
    for (QListWidget *list : {LstCpte, LstUNeg, LstCCostos})
        list->setSelectionMode(QAbstractItemView::MultiSelection);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const char *text : {"[F8] Agregar/Modificar Grupo ", "Agregar Sub - Grupo", "Quitar Grupo",
                             "Quitar Sub - Grupo"})
        Toolbar1->addAction(QString::fromUtf8(text));
    TxtEdit->hide();

    resize(pixels(14460), pixels(top + 4560 + 4200 + 120));
}

int frm_Estadistica::checkValue(const QCheckBox &box)
{
    return box.isChecked() ? 1 : 0;
}

void frm_Estadistica::setCheckValue(QCheckBox &box, int value)
{
    box.setChecked(value != 0);
}

// ---- Start-up
// ------------------------------------------------------------------------------------

void frm_Estadistica::Form_Load()
{
    QString connectionString;
    core::ConectarSistema(false, QString(), connectionString, platform::db::adUseClient);
    NombreTabla = QStringLiteral("MA_PANELCTA");
    platform::gUtil().PrepararFormulario(*this, 0);
    core::DecorarFormulario(*this);
    Inicializa();
    // Long group names and descriptions wrap inside their cells rather than being cut.
    MSFlexGrid1->setWordWrap(true);
    CmbPeriodicidad->clear();
    CmbPeriodicidad->addItems(periodicityNames());
    CmbPeriodicidad->setCurrentText(QStringLiteral("Diario"));
    CmbTG->clear();
    CmbTG->addItems(layoutNames());
    SSTab1->setCurrentIndex(0);
    AbrirDesdeMenu();
}

void frm_Estadistica::AbrirDesdeMenu()
{
    if (core::gParametroAdicional.left(4).compare(MenuPrefix, Qt::CaseInsensitive) != 0)
        return;
    ModoMenu = true;
    const QString name = core::gParametroAdicional.mid(MenuPrefix.size());

    const int nameIndex = platform::gControles().IndiceCampo(QStringLiteral("Nombre"), txtfields);
    txtfields[nameIndex]->setText(name);
    int enter = platform::keys::Enter;
    txtfields_KeyDown(nameIndex, enter, 0);

    txtfields[nameIndex]->setEnabled(false);
    FrmMod->hide();
    chkAlMenu->hide();
    Toolbar1->hide();
    FrmDetalle->setEnabled(false);

    BrezaCtl1->setFlag(GrabarFlag, false);
    BrezaCtl1->setFlag(CancelarFlag, false);
    BrezaCtl1->setFlag(BorrarFlag, false);
    BrezaCtl1->setFlag(CerrarFlag, true);

    auto &db = data::gDB();
    platform::db::Recordset definition;
    db.AbrirRecordset(QStringLiteral("SELECT * FROM MA_PANELCTA WHERE NOMBRE= '")
                          + data::escapeSqlQuotes(name) + QStringLiteral("' AND EsRanking = 0"),
                      definition, nullptr, platform::db::adOpenForwardOnly,
                      platform::db::adLockReadOnly, platform::db::adOptionUnspecified, true);
    if (definition.state() == platform::db::adStateOpen && !definition.eof()) {
        const auto &util = platform::gUtil();
        const QString flags = util.ValorTexto(definition.field(QStringLiteral("PermiteModificar")));
        const std::tuple<QListWidget *, QPushButton *> lists[]
            = {{LstCpte, CmdTodos}, {LstUNeg, CmdUNeg}, {LstCCostos, cmdCCostos}};
        for (int position = 0; position < 3; ++position) {
            const auto [list, button] = lists[position];
            list->setEnabled(permits(flags, position));
            button->setEnabled(list->isEnabled());
        }
        selectGrouping(
            groupingOfStored(util.ValorTexto(definition.field(QStringLiteral("Agrupar")))));
    }
    db.CierraRecordset(definition);
}

// ---- Reset and modes
// ------------------------------------------------------------------------------

void frm_Estadistica::Inicializa()
{
    using platform::Step;
    std::vector<Step> steps{
        [this] { Borrando = Nuevo = Existe = Validando = false; },
        [this] { CargaCpte(); },
        [this] { CargarUNeg(); },
        [this] { CargarCCostos(); },
        [this] { platform::gControles().LimpiarFormulario(*this, 1); },
        [this] { ModoEdicion(false); },
        [this] { ArmarGrilla(); },
        [this] { focusNameField(); },
    };
    for (QCheckBox *box : {chkModCptes, chkModUneg, chkModCCostos, chkAlMenu, chkIgnorarCeros,
                           chkCalculaSI, ChkInvertirFilCol, chkDetalle})
        steps.emplace_back([box] { setCheckValue(*box, 0); });
    steps.emplace_back([this] { selectGrouping(Grouping::Date); });
    steps.emplace_back([this] { SSTab1->setCurrentIndex(0); });

    platform::StepRunner::run(std::move(steps), [](const platform::Error &error, int) {
        // While the window loads it cannot take the focus yet: the reset stops there silently.
        if (error.number() == platform::errors::InvalidProcedureCall)
            return platform::Resume::Leave;
        return platform::resumeForAnswer(platform::gUtil().MuestraError(
            error, platform::Utilidades::EstiloError, QStringLiteral("Inicializa")));
    });
}

void frm_Estadistica::focusNameField()
{
    QLineEdit *nameField = txtfields[platform::gControles().IndiceCampo(NameField, txtfields)];
    if (!nameField->isVisible() || !nameField->isEnabled())
        throw platform::Error(platform::errors::InvalidProcedureCall,
                              QStringLiteral("Invalid procedure call or argument"));
    nameField->setFocus();
}

void frm_Estadistica::ModoEdicion(bool editing)
{
    for (QLineEdit *field : std::as_const(txtfields))
        field->setEnabled(editing);
    if (!editing)
        txtfields[0]->setEnabled(true);
    BrezaCtl1->setFlag(GrabarFlag, editing);
    BrezaCtl1->setFlag(CancelarFlag, editing);
    BrezaCtl1->setFlag(BorrarFlag, editing && Existe);
    BrezaCtl1->setFlag(CerrarFlag, !editing);
    if (editing)
        BrezaCtl1->setFlag(ReporteFlag, true);
    BrezaCtl1->setFlag(NuevoFlag, !editing);
    FrmDetalle->setEnabled(editing);
}

// ---- Commands
// --------------------------------------------------------------------------------------

void frm_Estadistica::BrezaCtl1_Accion(QString &clave)
{
    try {
        runCommand(clave.toUpper());
    } catch (const platform::Error &error) {
        Validando = false;
        platform::gUtil().MuestraError(error, platform::msgbox::OkOnly | platform::msgbox::Critical,
                                       QStringLiteral("Accion"));
    }
}

void frm_Estadistica::runCommand(const QString &clave)
{
    if (clave == QLatin1String("CERRAR")) {
        close();
    } else if (clave == QLatin1String("CANCELAR")) {
        cancelEntry();
    } else if (clave == QLatin1String("NUEVO")) {
        Inicializa();
    } else if (clave == QLatin1String("GRABAR")) {
        // The toolbar never takes the focus, so a cell still being typed in would be lost.
        commitOpenCellEdit();
        saveDefinition();
    } else if (clave == QLatin1String("CONSULTAR")) {
        Consultar();
    } else if (clave == QLatin1String("BORRAR")) {
        deleteDefinition();
    } else if (clave == QLatin1String("REPORTE")) {
        commitOpenCellEdit();
        printReport();
    }
}

void frm_Estadistica::cancelEntry()
{
    if (Editando) {
        if (!confirmDiscard())
            return;
        Editando = false;
    }
    Inicializa();
}

bool frm_Estadistica::confirmDiscard()
{
    return platform::userDialogs().messageBox(
               QStringLiteral("Esta seguro de Cancelar la Carga de Datos"),
               platform::msgbox::YesNo | platform::msgbox::Exclamation
                   | platform::msgbox::DefaultButton2,
               QStringLiteral("Atención!!!"))
        == Yes;
}

bool frm_Estadistica::unsavedChanges() const
{
    // A cell still being typed in has not reached the grid yet.
    if (!TxtEdit->isHidden())
        return true;
    // The name box holds whatever name is being typed or looked up; only the rest of the
    // window is work that a load or a close would drop.
    StatisticDefinition onScreen = definitionOnScreen();
    for (HeaderField &field : onScreen.header) {
        if (platform::equalsIgnoringCase(field.dataField, NameField))
            field.text = m_definitionAsLoaded.name();
    }
    return !(onScreen == m_definitionAsLoaded);
}

void frm_Estadistica::saveDefinition()
{
    Validando = true;
    if (ValidarCampos()) {
        Actualizardatos();
        // A failed save keeps the window as the user left it, voucher selection included, so
        // the list is only refreshed once the definition is stored.
        if (!HayError) {
            CargaCpte();
            Editando = false;
            Inicializa();
        }
    }
    Validando = false;
}

void frm_Estadistica::deleteDefinition()
{
    HayError = false;
    Borrando = true;
    Nuevo = false;
    Existe = false;
    Actualizardatos();
    if (!HayError) {
        Inicializa();
        return;
    }
    // A declined or failed deletion leaves the definition stored as it was: the window goes back
    // to editing it, so a later Save or Report is not taken for another deletion.
    Borrando = false;
    Existe = true;
}

void frm_Estadistica::printReport()
{
    // Every report starts from a valid header, so nothing is saved or computed from a date the
    // run cannot read.
    Validando = true;
    const bool valid = ValidarCampos();
    Validando = false;
    if (!valid)
        return;
    // Both report paths save first; one refusal is enough.
    if (!ModoMenu && refuseEmptyDefinition())
        return;
    if (checkValue(*chkDetalle) == 1) {
        // The save only ever sets the flag: a failure left from an earlier validation or a
        // declined deletion must not turn a good save into the printed report. A menu start
        // shows its definition read-only and never saves it.
        HayError = false;
        if (!ModoMenu)
            Actualizardatos();
        if (!HayError) {
            if (BreakdownReport *breakdown = breakdownReport()) {
                breakdown->GeneraAuxiliar(nameFieldText(), definitionOnScreen());
                breakdown->Show();
            }
            return;
        }
    }
    if (ModoMenu) {
        GeneraAuxiliar();
        return;
    }
    Actualizardatos();
    if (!HayError) {
        Editando = false;
        GeneraAuxiliar();
    }
}

QString frm_Estadistica::nameFieldText() const
{
    return txtfields[platform::gControles().IndiceCampo(NameField, txtfields)]->text();
}

// ---- Keys, layout and closing -------------------------------------------------------------------

void frm_Estadistica::Form_KeyDown(int &KeyCode, int)
{
    BrezaCtl1->TeclaAccion(KeyCode);
}

bool frm_Estadistica::eventFilter(QObject *watched, QEvent *event)
{
    // A key a control leaves goes on to its parents; only its first receiver previews it. A key
    // the toolbar turned into a command goes no further: the command may have moved the focus
    // (a lookup dialog, a reset), and the same press must not act a second time.
    if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget()
        && previewKey(*static_cast<QKeyEvent *>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void frm_Estadistica::keyPressEvent(QKeyEvent *event)
{
    // A key a control left comes here after the preview has seen it already.
    if ((!QApplication::focusWidget() || QApplication::focusWidget() == this) && previewKey(*event))
        return;
    QWidget::keyPressEvent(event);
}

bool frm_Estadistica::previewKey(const QKeyEvent &event)
{
    int keyCode = virtualKeyCode(event);
    if (keyCode == 0)
        return false;
    Form_KeyDown(keyCode, shiftStateOf(event));
    return keyCode == 0;
}

void frm_Estadistica::Form_Resize()
{
    using platform::Step;
    const int width = widthTwips(this);
    const int height = heightTwips(this);
    std::vector<Step> steps{
        [&] { setWidthTwips(FrmDetalle, width - 120); },
        [&] { setWidthTwips(LstCpte, width - 220 - widthTwips(FrmPrincipal)); },
        [&] { setWidthTwips(LblCpte, widthTwips(LstCpte)); },
        [&] { setWidthTwips(CmdTodos, widthTwips(LstCpte)); },
        [&] { setWidthTwips(LstUNeg, widthTwips(LstCpte)); },
        [&] { setWidthTwips(lblUNeg, widthTwips(LblCpte)); },
        [&] { setWidthTwips(CmdUNeg, widthTwips(CmdTodos)); },
        [&] { setWidthTwips(LstCCostos, widthTwips(LstCpte)); },
        [&] { setWidthTwips(lblCcostos, widthTwips(LblCpte)); },
        [&] { setWidthTwips(cmdCCostos, widthTwips(CmdTodos)); },
        [&] {
            setHeightTwips(FrmDetalle,
                           height - (heightTwips(BrezaCtl1) + heightTwips(FrmPrincipal) + 240));
        },
        [&] { setHeightTwips(MSFlexGrid1, heightTwips(FrmDetalle) - 960); },
        [&] { setWidthTwips(MSFlexGrid1, widthTwips(FrmDetalle) - 240); },
        [&] { setWidthTwips(SSTab1, widthTwips(LstCpte) + 50); },
    };
    platform::StepRunner::run(std::move(steps),
                              [](const platform::Error &, int) { return platform::Resume::Next; });
}

void frm_Estadistica::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    BrezaCtl1->resize(width(), BrezaCtl1->sizeHint().height());
    Form_Resize();
}

void frm_Estadistica::Form_Unload()
{
    // The program ends with its main window, the breakdown window along with it. The
    // connections are closed on the way out; the user's work rows stay for the next run.
    for (data::DB_Dll *db : {&data::gDB(), &data::gDBEstadisticas()}) {
        try {
            if (db->gCnn && db->gCnn->state() != platform::db::adStateClosed)
                db->gCnn->close();
        } catch (const platform::Error &) {
            // A connection already lost has nothing left to close.
        }
    }
    QCoreApplication::exit(0);
}

void frm_Estadistica::closeEvent(QCloseEvent *event)
{
    // The Close command is not offered while a definition is being edited; the close box then
    // asks what Cancelar asks, unless closing would lose nothing.
    if (!BrezaCtl1->flag(CerrarFlag) && unsavedChanges() && !confirmDiscard()) {
        event->ignore();
        return;
    }
    event->accept();
    Form_Unload();
}

// ---- Computation: cancel step and error tail
// ------------------------------------------------------

bool frm_Estadistica::ConfirmarCancelacion()
{
    return confirmRunCancel();
}

platform::Resume frm_Estadistica::ErrorGeneraAuxiliar(const platform::Error &error)
{
    return reportRunError(error);
}

frm_Estadistica &frmEstadistica()
{
    // Lives until the process ends: closing the window ends the process.
    static auto *window = new frm_Estadistica;
    return *window;
}

} // namespace statistics
