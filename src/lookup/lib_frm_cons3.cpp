#include "lookup/lib_frm_cons3.h"

#include "core/configuration_store.h"
#include "core/error_reporter.h"
#include "core/sibling_programs.h"
#include "data/db_dll.h"
#include "lookup/lib_frm_cons3_rules.h"
#include "lookup/lib_frm_cons3_twips.h"
#include "lookup/lib_frm_cons3_widths.h"
#include "platform/db/ado.h"
#include "platform/legacy_files.h"
#include "platform/program_files.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"
#include "platform/variant.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <cmath>

namespace lookup {

using platform::Error;
using platform::Flow;
using platform::Resume;
using platform::StepRunner;
namespace twips = lookup::twips;

namespace {

// The outer size of a window counts its borders and title bar; its widget is the client area.
constexpr double BorderWidth = 120;
constexpr double BorderHeight = 450;

constexpr double SearchBoxTop = 375;
constexpr double SearchBoxHeight = 315;
constexpr double ListTop = SearchBoxTop + SearchBoxHeight;
constexpr double ButtonHeight = 375;
constexpr double ScrollBarHeight = 255;

constexpr int MaximumLetters = 60;
constexpr int AmountLetters = 12;
constexpr double LargestScroll = 32700;

const char *const FieldNameProperty = "fieldName";
const QString QuantityHeader = QStringLiteral("**Cantidad**");

Error noSelectedRow()
{
    return Error(91, QStringLiteral("Object variable or With block variable not set"));
}

bool contains(const QString &text, const char *find)
{
    return platform::containsIgnoringCase(text, QLatin1String(find));
}

// The shift state of a key press as the key handlers test it: 1 Shift, 2 Ctrl, 4 Alt.
int shiftState(const QKeyEvent &event)
{
    int state = 0;
    if (event.modifiers() & Qt::ShiftModifier)
        state |= 1;
    if (event.modifiers() & Qt::ControlModifier)
        state |= 2;
    if (event.modifiers() & Qt::AltModifier)
        state |= 4;
    return state;
}

// A colour value of the configuration (a 32-bit number: red, green and blue in its low bytes).
QColor colourFromValue(const QVariant &value)
{
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    if (!ok)
        throw Error(platform::errors::TypeMismatch, QStringLiteral("Type mismatch"));
    return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}

// The whole number nearest to the value, halves to the even neighbour, within 16 bits.
int roundToShort(double value)
{
    const double rounded = std::nearbyint(value);
    if (rounded < -32768 || rounded > 32767)
        throw Error(platform::errors::Overflow, QStringLiteral("Overflow"));
    return int(rounded);
}

} // namespace

// The dialog's controls and form-level state, and the procedures behind its events.
class Lib_FrmCons3::Impl
{
public:
    explicit Impl(Lib_FrmCons3 &form);

    void createControls();
    QComboBox *createSearchBox();

    // Loading, columns, rows and widths.
    void loadSequence();
    void Encolumnar();
    void Leer();
    std::vector<platform::Step> rowSteps();
    QVariant rowColour();
    void colourRow(int row, int column, const QVariant &colour);
    void LeerAnchos();
    void applySavedWidths(QString widths);
    void CalcularAncho();
    void resizeLayout();
    void unload();
    data::DB_Dll &connection() const;

    // Search, keys, selection and accept.
    int IndiceColumna(const QString &name) const;
    long Busqueda(long key, const QString &text) const;
    QString columnValue(int row, int column) const;
    void incrementalSearch(int box);
    void serverSearch(int box);
    void nuevaBusqueda();
    void focusForTyping();
    void makeFirstRowCurrent();
    void sortByColumn(int column);
    bool listKeyDown(const QKeyEvent &event);
    bool typeAhead(const QKeyEvent &event);
    void changeQuantity(int key, int shift);
    int quantityColumn() const;
    bool searchKeyDown(int box, const QKeyEvent &event);
    bool formKeyDown(const QKeyEvent &event);
    void reportShortage();
    void startMaintenanceProgram();
    void invertChecks();
    void accept();
    void acceptSteps(std::vector<platform::Step> &steps);
    void cancel();
    int searchBoxOf(const QObject *watched) const;

    Lib_FrmCons3 &form;
    platform::Utilidades util;

    QWidget *picFields = nullptr;
    QLabel *lblFieldName = nullptr;
    ListView *ListView1 = nullptr;
    std::vector<QComboBox *> CmbSearch;
    QScrollBar *HScroll1 = nullptr;
    QFrame *Frame1 = nullptr;
    QPushButton *cmdAceptar = nullptr;
    QPushButton *cmdCancelar = nullptr;
    QPushButton *CmdNueva = nullptr;
    QPushButton *CmdNuevo = nullptr;
    QPushButton *CmdTodos = nullptr;
    QLabel *Label1 = nullptr;

    bool EsConsultaArticulos = false;
    platform::db::Recordset rsConsulta;
    QString SQLBase;
    QString SQLInicial;
    QString SQLCola;
    QString TablaConsulta;
    int IndiceBusqueda = 0;
};

Lib_FrmCons3::Impl::Impl(Lib_FrmCons3 &owner) : form(owner) { }

// ---- Controls ------------------------------------------------------------------------------

void Lib_FrmCons3::Impl::createControls()
{
    form.setWindowTitle(QStringLiteral("Consulta..."));
    // Columns are measured in the form's font; the list writes in the same face, bold, so a
    // column measured for its field's letters shows them whole.
    QFont formFont = form.font();
    formFont.setPointSize(10);
    formFont.setBold(true);
    form.setFont(formFont);

    picFields = new QWidget(&form);
    picFields->setObjectName(QStringLiteral("picFields"));

    CmdNuevo = new QPushButton(QStringLiteral("N&uevo"), picFields);
    CmdNuevo->setObjectName(QStringLiteral("CmdNuevo"));
    twips::setWidth(*CmdNuevo, 1095);
    twips::setHeight(*CmdNuevo, ButtonHeight);

    CmdTodos = new QPushButton(QStringLiteral("&Marcar"), picFields);
    CmdTodos->setObjectName(QStringLiteral("CmdTodos"));
    twips::setLeft(*CmdTodos, 1095);
    twips::setWidth(*CmdTodos, 1455);
    twips::setHeight(*CmdTodos, ButtonHeight);

    Label1 = new QLabel(QStringLiteral("CONSULTA"), picFields);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFrameShape(QFrame::Panel);
    Label1->setFrameShadow(QFrame::Sunken);
    QFont titleFont = Label1->font();
    titleFont.setBold(true);
    Label1->setFont(titleFont);
    twips::setLeft(*Label1, 1095 + 1455);
    twips::setHeight(*Label1, ButtonHeight);

    lblFieldName = new QLabel(picFields);
    lblFieldName->setObjectName(QStringLiteral("lblFieldName"));
    lblFieldName->hide();

    ListView1 = new ListView(picFields);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    twips::setTop(*ListView1, ListTop);

    CmbSearch.push_back(createSearchBox());

    HScroll1 = new QScrollBar(Qt::Horizontal, &form);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    twips::setHeight(*HScroll1, ScrollBarHeight);

    Frame1 = new QFrame(&form);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    twips::setHeight(*Frame1, ButtonHeight);
    const auto bottomButton = [this](const char *text, const char *name) {
        auto *button = new QPushButton(QString::fromLatin1(text), Frame1);
        button->setObjectName(QString::fromLatin1(name));
        twips::setWidth(*button, 1695);
        twips::setHeight(*button, ButtonHeight);
        return button;
    };
    cmdAceptar = bottomButton("&Aceptar", "cmdAceptar");
    cmdCancelar = bottomButton("&Cancelar", "cmdCancelar");
    CmdNueva = bottomButton("&Nueva Busqueda", "CmdNueva");

    // Enter belongs to the list and the search boxes, never to a button that happens to
    // have the focus. The buttons keep the application's plain font, which their captions
    // were sized for; every property of it is set, or the form's bold face would come through.
    QFont buttonFont = QApplication::font();
    buttonFont.setResolveMask(QFont::AllPropertiesResolved);
    for (QPushButton *button : {cmdAceptar, cmdCancelar, CmdNueva, CmdNuevo, CmdTodos}) {
        button->setFont(buttonFont);
        button->setAutoDefault(false);
        button->installEventFilter(&form);
    }
    ListView1->installEventFilter(&form);

    QObject::connect(cmdAceptar, &QPushButton::clicked, &form, [this] { accept(); });
    QObject::connect(cmdCancelar, &QPushButton::clicked, &form, [this] { cancel(); });
    QObject::connect(CmdNueva, &QPushButton::clicked, &form, [this] { nuevaBusqueda(); });
    QObject::connect(CmdNuevo, &QPushButton::clicked, &form, [this] { startMaintenanceProgram(); });
    QObject::connect(CmdTodos, &QPushButton::clicked, &form, [this] { invertChecks(); });
    QObject::connect(ListView1, &ListView::columnClicked, &form,
                     [this](int column) { sortByColumn(column); });
    QObject::connect(ListView1, &QTreeWidget::itemDoubleClicked, &form, [this] { accept(); });
    QObject::connect(HScroll1, &QScrollBar::valueChanged, &form, [this](int value) {
        try {
            twips::setLeft(*picFields, -value);
        } catch (const Error &) { }
    });
}

QComboBox *Lib_FrmCons3::Impl::createSearchBox()
{
    const int index = int(CmbSearch.size());
    auto *box = new QComboBox(picFields);
    box->setObjectName(QStringLiteral("CmbSearch%1").arg(index));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    twips::setTop(*box, SearchBoxTop);
    twips::setHeight(*box, SearchBoxHeight);
    box->installEventFilter(&form);
    box->lineEdit()->installEventFilter(&form);
    QObject::connect(box, &QComboBox::editTextChanged, &form,
                     [this, index] { incrementalSearch(index); });
    QObject::connect(box, &QComboBox::activated, &form,
                     [this, index] { incrementalSearch(index); });
    if (!CmbSearch.empty())
        QWidget::setTabOrder(CmbSearch.back(), box);
    return box;
}

int Lib_FrmCons3::Impl::searchBoxOf(const QObject *watched) const
{
    for (std::size_t i = 0; i < CmbSearch.size(); ++i) {
        if (watched == CmbSearch[i] || watched == CmbSearch[i]->lineEdit())
            return int(i);
    }
    return -1;
}

data::DB_Dll &Lib_FrmCons3::Impl::connection() const
{
    return form.UsarUDBC ? data::gUDBC() : data::gDB();
}

// ---- Loading -------------------------------------------------------------------------------

void Lib_FrmCons3::Impl::loadSequence()
{
    const auto prepareForm = [this] { util.PrepararFormulario(form, 0); };
    StepRunner::run({
                        [this] { EsConsultaArticulos = contains(form.SQL, "articulos"); },
                        [this] {
                            form.Valores = newStringCollection();
                            form.Cantidades = newStringCollection();
                        },
                        [this] {
                            ListView1->clearRows();
                            QFont listFont = ListView1->font();
                            listFont.setBold(true);
                            listFont.setPointSize(10);
                            ListView1->setFont(listFont);
                        },
                        [this, prepareForm] {
                            if (!form.SQL.trimmed().isEmpty())
                                return Flow::Next;
                            prepareForm();
                            return Flow::Finish;
                        },
                        [this] { form.SQL += QLatin1Char(' '); },
                        [this] {
                            // The word after "from": the statement ends in a blank, so one is
                            // always found.
                            const qsizetype from
                                = platform::indexOfIgnoringCase(form.SQL, QStringLiteral("from"));
                            const qsizetype end = form.SQL.indexOf(QLatin1Char(' '), from + 5);
                            TablaConsulta = form.SQL.mid(from + 4, end - from - 4).trimmed();
                        },
                        [this] {
                            if (SQLInicial.isEmpty())
                                SQLInicial = form.SQL;
                        },
                        [this] { SQLBase = form.SQL; },
                        [this] {
                            connection().AbrirRecordset(form.SQL, rsConsulta, nullptr,
                                                        platform::db::adOpenForwardOnly,
                                                        platform::db::adLockReadOnly,
                                                        platform::db::adOptionUnspecified, true);
                        },
                        [this] { ListView1->setCheckBoxes(form.CheckBoxes); },
                        [this] { Encolumnar(); },
                        [this] { Leer(); },
                        [this] {
                            if (form.OrdenarPorLwv)
                                ListView1->setSorted(true);
                        },
                        [this] {
                            if (!form.FiltroInicial.trimmed().isEmpty())
                                CmbSearch[0]->setEditText(form.FiltroInicial);
                        },
                        [this] {
                            connection().CierraRecordset(rsConsulta);
                            rsConsulta = platform::db::Recordset();
                        },
                        [this] { LeerAnchos(); },
                        [this] { CalcularAncho(); },
                        prepareForm,
                    },
                    [](const Error &error, int) {
                        return platform::resumeForAnswer(
                            core::MensajeError(error, std::nullopt, QStringLiteral("FORM_LOAD")));
                    });
}

void Lib_FrmCons3::Impl::Encolumnar()
{
    try {
        ListView1->clearHeaders();
        const bool articleList
            = contains(form.SQL, "V_MA_ARTICULOS") || contains(form.SQL, "STK_MA_ARTICULOS");
        const QFontMetrics metrics(form.font());
        platform::db::Fields fields = rsConsulta.fields();
        for (int i = 0; i < fields.count(); ++i) {
            const platform::db::Field field = fields.item(i);
            int letters = field.definedSize();
            if (field.type() == platform::db::adCurrency || field.type() == platform::db::adNumeric)
                letters = AmountLetters;
            // A box made by an earlier load is used again as it is.
            if (i >= int(CmbSearch.size()))
                CmbSearch.push_back(createSearchBox());
            QComboBox *box = CmbSearch[i];
            box->setProperty(FieldNameProperty, field.name());
            box->show();
            letters = std::min(letters, MaximumLetters);

            QString header = field.name();
            if (articleList) {
                static const QRegularExpression priceField(
                    QStringLiteral("^PRECIO([1-8])$"), QRegularExpression::CaseInsensitiveOption);
                const QRegularExpressionMatch price = priceField.match(field.name());
                if (price.hasMatch())
                    header = core::Cfg(QStringLiteral("NOM_PCLASE") + price.captured(1));
            } else if (form.ValoresDefault == QLatin1String("@10")) {
                letters += 10;
            }
            const double width
                = metrics.horizontalAdvance(QString(letters, QLatin1Char('X'))) * twips::perPixel;
            ListView1->addHeader(header, width);
        }
    } catch (const Error &error) {
        platform::userDialogs().messageBox(error.description());
    }
}

void Lib_FrmCons3::Impl::Leer()
{
    const auto handler = [](const Error &error, int) {
        if (error.number() == 3265) // the list has no such field: go on without it
            return Resume::Next;
        return platform::resumeForAnswer(
            core::MensajeError(error, std::nullopt, QStringLiteral("FORM_LOAD")));
    };
    // A statement that could not be opened has nothing to read, whatever the answer.
    bool empty = true;
    if (StepRunner::run({[&] { empty = rsConsulta.bof() && rsConsulta.eof(); }}, handler)
        == platform::Outcome::Left)
        return;
    while (!empty && !rsConsulta.eof()) {
        if (StepRunner::run(rowSteps(), handler) == platform::Outcome::Left)
            return;
    }
}

// The steps that add the current row of the statement and move to the next one.
std::vector<platform::Step> Lib_FrmCons3::Impl::rowSteps()
{
    auto colour = std::make_shared<QVariant>();
    auto row = std::make_shared<int>(0);
    std::vector<platform::Step> steps{
        [this, colour] {
            if (EsConsultaArticulos)
                *colour = rowColour();
        },
        [this, row] { *row = ListView1->addRow(util.ValorTexto(rsConsulta.field(0)).trimmed()); },
        [this, row] {
            if (!form.CheckBoxes)
                return;
            const QVariant value = rsConsulta.field(form.CampoDevuelto).value();
            if (platform::isNull(value) || form.ValoresDefault.isEmpty())
                return;
            if (platform::containsIgnoringCase(form.ValoresDefault,
                                               util.ValorTexto(value).trimmed()))
                ListView1->setChecked(*row, true);
        },
    };
    const int fieldCount = rsConsulta.fields().count();
    for (int i = 1; i < fieldCount; ++i) {
        steps.emplace_back([this, row, colour, i] {
            ListView1->setCell(*row, i + 1,
                               util.FormatoCodigo(util.ValorTexto(rsConsulta.field(i))));
            if (form.MuestraStock == QLatin1String("SI") && EsConsultaArticulos
                && !colour->toString().trimmed().isEmpty()) {
                colourRow(*row, 1, *colour);
                colourRow(*row, i + 1, *colour);
            }
        });
    }
    steps.emplace_back([this] { rsConsulta.moveNext(); });
    return steps;
}

// The colour of the current article row by its stock state; empty when the statement does
// not list the reorder point or the stock.
QVariant Lib_FrmCons3::Impl::rowColour()
{
    const auto amount = [this](const char *field) {
        return util.TextoAMoneda(util.ValorTexto(rsConsulta.field(QLatin1String(field))))
            .toDouble();
    };
    try {
        switch (list_rules::stockLevel(amount("PUNTOPEDIDO"), amount("Stock"))) {
        case 1:
            return form.StkNivel1;
        case 2:
            return form.StkNivel2;
        case 3:
            return form.StkNivel3;
        default:
            return form.StkNivel4;
        }
    } catch (const Error &error) {
        if (error.number() == 3265)
            return QString();
        throw;
    }
}

void Lib_FrmCons3::Impl::colourRow(int row, int column, const QVariant &colour)
{
    try {
        ListView1->setCellStyle(row, column, true, colourFromValue(colour));
    } catch (const Error &) {
        // A colour that cannot be applied leaves the cell as it is.
    }
}

void Lib_FrmCons3::Impl::LeerAnchos()
{
    const QString path = column_widths::filePath();
    // The widths name the columns the lookup's statement is built from.
    if (!QFile::exists(path) || !platform::isTrustedOrReported(path))
        return;
    if (platform::equalsIgnoringCase(TablaConsulta, QStringLiteral("Stk_ma_articulos")))
        TablaConsulta = QStringLiteral("VT_MA_ARTICULOS");
    try {
        for (const QString &text : platform::readTextLines(path)) {
            const std::optional<column_widths::Line> line = column_widths::parseLine(text);
            if (!line)
                return;
            if (platform::equalsIgnoringCase(line->key, TablaConsulta))
                applySavedWidths(line->widths);
        }
    } catch (const Error &) {
        // An unreadable file or a short width list ends the reading; widths applied stay.
    }
}

void Lib_FrmCons3::Impl::applySavedWidths(QString widths)
{
    for (int k = 1; k <= ListView1->headerCount(); ++k) {
        const qsizetype bar = widths.indexOf(QLatin1Char('|'));
        if (bar < 0)
            throw Error(platform::errors::InvalidProcedureCall,
                        QStringLiteral("Invalid procedure call or argument"));
        const double width = float(util.TextoAMoneda(widths.left(bar)).toDouble());
        ListView1->setHeaderWidth(k, width);
        twips::setLeft(*CmbSearch[k - 1], ListView1->headerLeft(k));
        twips::setWidth(*CmbSearch[k - 1], width);
        widths.remove(0, bar + 1);
    }
}

void Lib_FrmCons3::Impl::CalcularAncho()
{
    double total = 0;
    for (int k = 1; k <= ListView1->headerCount(); ++k) {
        twips::setLeft(*CmbSearch[k - 1], ListView1->headerLeft(k));
        twips::setWidth(*CmbSearch[k - 1], ListView1->headerWidth(k) - 50);
        total += ListView1->headerWidth(k);
    }
    twips::setWidth(*ListView1, total + 360);
    twips::setWidth(*picFields, std::nearbyint(total) + 360);
    twips::setWidth(*HScroll1, total);
    const double fieldsWidth = twips::width(*picFields);
    HScroll1->setMaximum(fieldsWidth > LargestScroll ? int(LargestScroll)
                                                     : roundToShort((fieldsWidth + 480) * 0.6));
    const double listWidth = twips::width(*ListView1);
    const double screenWidth = twips::screenWidth();
    form.setWindowWidth(listWidth + 360 < screenWidth ? listWidth + 280 : screenWidth - 480);
}

void Lib_FrmCons3::Impl::resizeLayout()
{
    const double formHeight = form.windowHeight();
    const double formWidth = form.windowWidth();
    const auto height = [](const QWidget *control) { return twips::height(*control); };
    const auto width = [](const QWidget *control) { return twips::width(*control); };
    const std::vector<std::function<void()>> steps{
        [&] { twips::setHeight(*picFields, formHeight - height(Frame1) - 480); },
        [&] { twips::setHeight(*ListView1, height(picFields) - height(Frame1) - 600); },
        [&] { twips::setWidth(*picFields, formWidth - 120); },
        [&] { twips::setWidth(*ListView1, width(picFields) - 20); },
        [&] { twips::setTop(*Frame1, formHeight - height(Frame1) - 520); },
        [&] { twips::setTop(*HScroll1, height(picFields) - height(HScroll1) - 120); },
        [&] { twips::setWidth(*HScroll1, formWidth - 120); },
        [&] { twips::setLeft(*Frame1, 0); },
        [&] { twips::setWidth(*Frame1, formWidth); },
        [&] { twips::setLeft(*cmdAceptar, twips::left(*Frame1) + 100); },
        [&] { twips::setLeft(*cmdCancelar, (width(Frame1) - width(cmdCancelar)) / 2); },
        [&] { twips::setLeft(*CmdNueva, width(Frame1) - (width(cmdCancelar) + 150)); },
        [&] {
            if (!CmdNueva->isHidden())
                return;
            // The cancel button takes the place of the hidden one; when the two buttons left
            // do not fit, both shrink.
            if (width(cmdAceptar) + width(cmdCancelar) + 400 > width(Frame1)) {
                twips::setWidth(*cmdAceptar, width(cmdAceptar) / 2);
                twips::setWidth(*cmdCancelar, width(cmdAceptar));
                twips::setLeft(*cmdAceptar, twips::left(*Frame1) + 100);
                twips::setLeft(*cmdCancelar, width(Frame1) - (width(cmdCancelar) + 150));
                twips::setLeft(*CmdNueva, twips::left(*cmdCancelar));
            } else {
                twips::setLeft(*cmdCancelar, twips::left(*CmdNueva));
            }
        },
        [&] { twips::setWidth(*Label1, width(ListView1) - width(CmdNuevo)); },
    };
    for (const auto &step : steps) {
        try {
            step();
        } catch (const Error &) {
            // Each rule stands alone: one that cannot be applied leaves the others to run.
        }
    }
    HScroll1->raise();
}

void Lib_FrmCons3::Impl::unload()
{
    form.UsarUDBC = false;
    try {
        if (form.GrabarCfg) {
            QList<double> widths;
            for (int k = 1; k <= ListView1->headerCount(); ++k)
                widths << ListView1->headerWidth(k);
            column_widths::save(TablaConsulta, widths);
        }
        ListView1->clearRows();
    } catch (const Error &error) {
        platform::userDialogs().messageBox(error.description(),
                                           platform::msgbox::Critical | platform::msgbox::OkOnly,
                                           QStringLiteral("Aviso al Operador"));
    }
}

// ---- Searching -----------------------------------------------------------------------------

int Lib_FrmCons3::Impl::IndiceColumna(const QString &name) const
{
    const QString wanted = name.trimmed();
    for (int i = 1; i <= ListView1->headerCount(); ++i) {
        if (platform::equalsIgnoringCase(ListView1->headerText(i).trimmed(), wanted))
            return i;
    }
    return 0;
}

long Lib_FrmCons3::Impl::Busqueda(long key, const QString &text) const
{
    const QString wanted = text.trimmed();
    const int column = key < 1 ? 1 : int(key) + 1;
    for (int row = 1; row <= ListView1->rowCount(); ++row) {
        try {
            const QString value = ListView1->cell(row, column).trimmed();
            if (platform::equalsIgnoringCase(value.left(wanted.size()), wanted))
                return row;
        } catch (const Error &) {
            // A row without that cell does not match.
        }
    }
    return 0;
}

QString Lib_FrmCons3::Impl::columnValue(int row, int column) const
{
    return ListView1->cell(row, column);
}

void Lib_FrmCons3::Impl::incrementalSearch(int box)
{
    try {
        const long found = Busqueda(box, CmbSearch[box]->currentText().trimmed());
        if (found != 0)
            ListView1->selectRow(int(found));
    } catch (const Error &) { }
}

void Lib_FrmCons3::Impl::serverSearch(int box)
{
    QComboBox *searchBox = CmbSearch[box];
    const list_rules::NarrowedSearch search = list_rules::narrowSearch(
        form.SQL, SQLBase, searchBox->property(FieldNameProperty).toString(),
        searchBox->currentText(), form.CfgUsaConsultaLIKE);
    searchBox->setEditText(search.boxText);
    SQLCola = search.tail;
    SQLBase = search.base;
    form.SQL = search.statement;
    searchBox->setEditText(QString());
    SQLBase = form.SQL;
    loadSequence();
    makeFirstRowCurrent();
}

void Lib_FrmCons3::Impl::nuevaBusqueda()
{
    form.SQL = SQLInicial;
    loadSequence();
    CmbSearch[0]->setFocus();
    makeFirstRowCurrent();
}

// The dialog opens ready for the keyboard: what is typed goes to the first search box, and
// Enter takes the current row.
void Lib_FrmCons3::Impl::focusForTyping()
{
    CmbSearch[0]->setFocus();
    makeFirstRowCurrent();
}

// A freshly read list has the first row current, unless an initial filter chose another, so
// Enter always takes a row the user sees.
void Lib_FrmCons3::Impl::makeFirstRowCurrent()
{
    if (ListView1->selectedRow() == 0 && ListView1->rowCount() > 0)
        ListView1->selectRow(1);
}

void Lib_FrmCons3::Impl::sortByColumn(int column)
{
    ListView1->setSorted(true);
    ListView1->setSortKey(column - 1);
    ListView1->setSortOrder(ListView1->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                         : Qt::AscendingOrder);
}

// ---- Keys ----------------------------------------------------------------------------------

bool Lib_FrmCons3::Impl::formKeyDown(const QKeyEvent &event)
{
    if (event.key() != Qt::Key_F12 || !EsConsultaArticulos)
        return false;
    reportShortage();
    return true;
}

void Lib_FrmCons3::Impl::reportShortage()
{
    const int row = ListView1->selectedRow();
    if (row == 0)
        return;
    const auto valueOf = [this, row](const char *name) {
        const int column = IndiceColumna(QLatin1String(name));
        return column == 0 ? QString() : columnValue(row, column);
    };
    const QString code = valueOf("idarticulo");
    const QString description = valueOf("Descripcion").trimmed();
    const int answer = platform::userDialogs().messageBox(
        QStringLiteral("Desea informar el articulo ") + code.trimmed() + QLatin1Char(' ')
            + description + QStringLiteral("\r\ncomo un faltante de stock?"),
        platform::msgbox::YesNo | platform::msgbox::Question, QStringLiteral("Atención!"));
    if (answer != platform::msgbox::Yes)
        return;
    data::gDB().EjecutaConsultaSQL(list_rules::shortageStatement(
        util.ValorTexto(QVariant(platform::now())), util.FormatoCodigo(code, 25), description,
        data::gDB().gUsuario));
}

bool Lib_FrmCons3::Impl::searchKeyDown(int box, const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_F5:
        try {
            serverSearch(box);
        } catch (const Error &) { }
        return true;
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        ListView1->setFocus();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return true;
    default:
        return false;
    }
}

bool Lib_FrmCons3::Impl::listKeyDown(const QKeyEvent &event)
{
    const int shift = shiftState(event);
    const int key = event.key();
    if (key == Qt::Key_Space && form.CheckBoxes)
        return false; // the list toggles the row's check mark itself
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        accept();
        return true;
    }
    if ((key == Qt::Key_Insert || key == Qt::Key_Delete) && form.UsaCantidades) {
        StepRunner::run(
            {[this, key, shift] { changeQuantity(key, shift); }}, [](const Error &error, int) {
                return platform::resumeForAnswer(
                    core::MensajeError(error, std::nullopt, QStringLiteral("ListView1_KeyDown")));
            });
        return true;
    }
    return typeAhead(event);
}

void Lib_FrmCons3::Impl::changeQuantity(int key, int shift)
{
    const bool enter = key == Qt::Key_Insert && shift == 1;
    const bool add = key == Qt::Key_Insert && shift == 0;
    const bool remove = key == Qt::Key_Delete && shift == 0;
    if (!enter && !add && !remove)
        return;
    const int row = ListView1->selectedRow();
    if (row == 0)
        throw noSelectedRow();
    const int column = quantityColumn();
    const double quantity = list_rules::readQuantity(ListView1->cell(row, column));
    if (enter) {
        const QString answer = platform::userDialogs().inputBox(
            QStringLiteral("Ingrese la Cantidad del Articulo..."), QStringLiteral("Carga de Datos"),
            ListView1->cell(row, column));
        const double entered = list_rules::readQuantity(answer);
        // A zero, empty or cancelled answer changes nothing.
        if (entered != 0) {
            ListView1->setCell(row, column, list_rules::formatQuantity(entered, 2));
            ListView1->setChecked(row, true);
        }
    } else if (add) {
        ListView1->setCell(row, column, list_rules::formatQuantity(quantity + 1, 1));
        ListView1->setChecked(row, true);
    } else {
        ListView1->setCell(row, column, list_rules::formatQuantity(quantity - 1, 1));
        if (list_rules::readQuantity(ListView1->cell(row, column)) <= 0) {
            ListView1->setChecked(row, false);
            ListView1->setCell(row, column, QStringLiteral("0.00"));
        }
    }
}

// The list column of the quantities; the list cell of column 0 does not exist, so a list
// without one fails where its cell is read.
int Lib_FrmCons3::Impl::quantityColumn() const
{
    return IndiceColumna(QuantityHeader);
}

// Typing in the list goes on in the search box that last had the focus.
bool Lib_FrmCons3::Impl::typeAhead(const QKeyEvent &event)
{
    QComboBox *box = CmbSearch[IndiceBusqueda];
    QString text = box->currentText();
    if (event.key() == Qt::Key_Backspace) {
        text.chop(1);
    } else {
        const QString typed = event.text();
        const bool letterOrDigit = typed.size() == 1 && typed.at(0).isLetterOrNumber();
        const bool blank = event.key() == Qt::Key_Space;
        if (!letterOrDigit && !blank)
            return false;
        text += typed;
    }
    box->setEditText(text);
    box->setFocus();
    return true;
}

// ---- Buttons -------------------------------------------------------------------------------

void Lib_FrmCons3::Impl::startMaintenanceProgram()
{
    try {
        const list_rules::MaintenanceProgram program
            = list_rules::maintenanceProgramFor(TablaConsulta.trimmed());
        std::int32_t task = 0;
        core::MenuExes(program.program, program.parameter, task);
    } catch (const Error &) { }
}

void Lib_FrmCons3::Impl::invertChecks()
{
    for (int row = 1; row <= ListView1->rowCount(); ++row)
        ListView1->setChecked(row, !ListView1->isChecked(row));
}

void Lib_FrmCons3::Impl::accept()
{
    std::vector<platform::Step> steps;
    acceptSteps(steps);
    const platform::Outcome outcome
        = StepRunner::run(std::move(steps), [](const Error &error, int) {
              return platform::resumeForAnswer(
                  core::MensajeError(error, std::nullopt, QStringLiteral("cmdAceptar_Click")));
          });
    if (outcome == platform::Outcome::Completed)
        form.done(QDialog::Accepted);
}

void Lib_FrmCons3::Impl::acceptSteps(std::vector<platform::Step> &steps)
{
    // A name that matches no column of the list reads as the empty text.
    const auto valueIn = [this](int row, const QString &name) {
        const int column = IndiceColumna(name);
        return column == 0 ? QString() : columnValue(row, column);
    };
    if (form.CheckBoxes) {
        steps.emplace_back([this] {
            if (form.CampoDevuelto.isEmpty())
                form.CampoDevuelto = ListView1->headerText(1);
        });
        steps.emplace_back([this, valueIn] {
            if (!form.Valores)
                form.Valores = newStringCollection();
            for (int row = 1; row <= ListView1->rowCount(); ++row) {
                if (ListView1->isChecked(row))
                    form.Valores->append(valueIn(row, form.CampoDevuelto));
            }
        });
        return;
    }
    const int row = ListView1->selectedRow();
    if (row == 0)
        return;
    auto value = std::make_shared<QString>();
    steps.emplace_back([this, row, value, valueIn] {
        if (!form.CmpsDevueltos)
            return;
        if (!form.Valores)
            form.Valores = newStringCollection();
        for (const QString &name : std::as_const(*form.CmpsDevueltos)) {
            *value = valueIn(row, name);
            form.Valores->append(*value);
        }
    });
    steps.emplace_back([this, row, value, valueIn] {
        if (!form.CampoDevuelto.trimmed().isEmpty())
            *value = valueIn(row, form.CampoDevuelto);
    });
    steps.emplace_back([this, value] { form.ValorDevuelto = *value; });
}

void Lib_FrmCons3::Impl::cancel()
{
    form.ValorDevuelto = QString();
    form.CmpsDevueltos = nullptr;
    form.Valores = nullptr;
    form.done(QDialog::Rejected);
}

// ---- The form ------------------------------------------------------------------------------

Lib_FrmCons3::Lib_FrmCons3(QWidget *parent) : QDialog(parent), d(std::make_unique<Impl>(*this))
{
    d->createControls();
    setWindowWidth(7260 + BorderWidth);
    setWindowHeight(5025 + BorderHeight);
}

Lib_FrmCons3::~Lib_FrmCons3() = default;

void Lib_FrmCons3::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    d->loadSequence();
}

int Lib_FrmCons3::showModal()
{
    load();
    d->resizeLayout();
    d->focusForTyping();
    return platform::userDialogs().execModal(*this);
}

void Lib_FrmCons3::unload()
{
    if (!m_loaded)
        return;
    d->unload();
    m_loaded = false;
}

void Lib_FrmCons3::Encolumnar()
{
    d->Encolumnar();
}

void Lib_FrmCons3::Leer(long &, int &)
{
    d->Leer();
}

void Lib_FrmCons3::CalcularAncho()
{
    d->CalcularAncho();
}

int Lib_FrmCons3::IndiceColumna(const QString &Columna)
{
    try {
        return d->IndiceColumna(Columna);
    } catch (const Error &) {
        return 0;
    }
}

long Lib_FrmCons3::Busqueda(long Clave, const QString &QueValor)
{
    return d->Busqueda(Clave, QueValor);
}

ListView &Lib_FrmCons3::ListView1()
{
    load();
    return *d->ListView1;
}

QComboBox &Lib_FrmCons3::CmbSearch(int index)
{
    load();
    if (index < 0 || index >= int(d->CmbSearch.size()))
        throw Error(340, QStringLiteral("Control array element does not exist"));
    return *d->CmbSearch[index];
}

int Lib_FrmCons3::CmbSearchCount() const
{
    return int(d->CmbSearch.size());
}

QWidget &Lib_FrmCons3::picFields()
{
    load();
    return *d->picFields;
}

QLabel &Lib_FrmCons3::lblFieldName()
{
    load();
    return *d->lblFieldName;
}

QScrollBar &Lib_FrmCons3::HScroll1()
{
    load();
    return *d->HScroll1;
}

QFrame &Lib_FrmCons3::Frame1()
{
    load();
    return *d->Frame1;
}

QPushButton &Lib_FrmCons3::cmdAceptar()
{
    load();
    return *d->cmdAceptar;
}

QPushButton &Lib_FrmCons3::cmdCancelar()
{
    load();
    return *d->cmdCancelar;
}

QPushButton &Lib_FrmCons3::CmdNueva()
{
    load();
    return *d->CmdNueva;
}

QPushButton &Lib_FrmCons3::CmdNuevo()
{
    load();
    return *d->CmdNuevo;
}

QPushButton &Lib_FrmCons3::CmdTodos()
{
    load();
    return *d->CmdTodos;
}

QLabel &Lib_FrmCons3::Label1()
{
    load();
    return *d->Label1;
}

void Lib_FrmCons3::setWindowWidth(double twipsValue)
{
    m_windowWidth = twipsValue;
    resize(std::max(1, int(std::lround((twipsValue - BorderWidth) / twips::perPixel))), height());
    d->resizeLayout();
}

void Lib_FrmCons3::setWindowHeight(double twipsValue)
{
    m_windowHeight = twipsValue;
    resize(width(), std::max(1, int(std::lround((twipsValue - BorderHeight) / twips::perPixel))));
    d->resizeLayout();
}

void Lib_FrmCons3::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // A size the window system gave (the user dragged the border) becomes the window's size;
    // a size the layout itself asked for has already been laid out.
    const int expectedWidth = int(std::lround((m_windowWidth - BorderWidth) / twips::perPixel));
    const int expectedHeight = int(std::lround((m_windowHeight - BorderHeight) / twips::perPixel));
    if (width() == expectedWidth && height() == expectedHeight)
        return;
    m_windowWidth = width() * twips::perPixel + BorderWidth;
    m_windowHeight = height() * twips::perPixel + BorderHeight;
    d->resizeLayout();
}

bool Lib_FrmCons3::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto &key = static_cast<const QKeyEvent &>(*event);
        if (d->formKeyDown(key))
            return true;
        if (watched == d->ListView1)
            return d->listKeyDown(key);
        // The box holds the focus and hands its text field the keys it leaves, without passing
        // them through this filter again: the box's own key presses are the ones to handle.
        const int box = d->searchBoxOf(watched);
        if (box >= 0)
            return d->searchKeyDown(box, key);
        return false;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // The box takes the focus for its text field.
        const int box = d->searchBoxOf(watched);
        if (box < 0 || watched != d->CmbSearch[box])
            return false;
        const bool entering = event->type() == QEvent::FocusIn;
        if (entering)
            d->IndiceBusqueda = box;
        QComboBox *searchBox = d->CmbSearch[box];
        QPalette palette = searchBox->palette();
        palette.setColor(QPalette::Base, entering ? QColor(0, 255, 255) : QColor(Qt::white));
        searchBox->setPalette(palette);
        return false;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void Lib_FrmCons3::reject()
{
    d->cancel();
}

} // namespace lookup
