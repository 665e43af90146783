#include "lookup/lib_frm_cons3_tree.h"

#include "core/error_reporter.h"
#include "data/db_dll.h"
#include "data/sql_rewriting.h"
#include "lookup/lib_frm_cons3_tree_nodes.h"
#include "platform/db/recordset.h"
#include "platform/error.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"
#include "platform/variant.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>
#include <vector>

namespace lookup {

namespace {

using platform::Flow;
using platform::Step;
using platform::StepRunner;
using Rows = QVector<QVector<QVariant>>; // values[field][row], as a recordset fetches them

const QString RootKey = QStringLiteral("A");
const QString RootText = QStringLiteral("Consulta...");
const QString FamilyView = QStringLiteral("v_ta_familias");

// The server names each family's parent: the highest family code below it that is shorter
// once trimmed. The family view is read under its own name whoever the user is.
const QString FamilyStatement
    = QStringLiteral("SELECT     TOP 100 PERCENT IdFamilia, Descripcion, ")
    + QStringLiteral("(SELECT     TOP 1 idfamilia FROM @Admin_v_ta_familias a  ")
    + QStringLiteral(" Where a.IdFamilia < b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) < "
                     "Len(LTrim(RTrim(b.IdFamilia)))) ")
    + QStringLiteral(" ORDER BY idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b Where "
                     "IdFamilia<>'' ORDER BY IdFamilia");

// Check marks reach this many generations below the node the user checked.
constexpr int CheckedGenerations = 6;

// Window size of the dialog, in twips at 15 to the pixel.
constexpr int WindowWidthPixels = 7260 / 15;
constexpr int WindowHeightPixels = 5025 / 15;

constexpr std::int32_t SubscriptOutOfRange = 9;
constexpr std::int32_t ObjectNotSet = 91;
constexpr std::int32_t InvalidUseOfNull = 94;

[[noreturn]] void raiseError(std::int32_t number, const QString &description)
{
    throw platform::Error(number, description, platform::programName());
}

StepRunner::Handler reportedAs(const QString &routine)
{
    return [routine](const platform::Error &error, int) {
        return platform::resumeForAnswer(core::MensajeError(error, std::nullopt, routine));
    };
}

[[noreturn]] void raiseObjectNotSet()
{
    raiseError(ObjectNotSet, QStringLiteral("Variable de objeto o bloque With no establecido"));
}

QVariant cell(const Rows &rows, int field, int row)
{
    if (field >= rows.size() || row >= rows[field].size())
        raiseError(SubscriptOutOfRange, QStringLiteral("Subíndice fuera del intervalo"));
    return rows[field][row];
}

// A code becomes a node key, so a row without one cannot be added.
QString codeText(const QVariant &value)
{
    if (platform::isNull(value))
        raiseError(InvalidUseOfNull, QStringLiteral("Uso no válido de Null"));
    return platform::gUtil().ValorTexto(value);
}

QString nodeText(const QString &code, const QVariant &description)
{
    return code + QStringLiteral(" - ") + platform::gUtil().ValorTexto(description);
}

bool beginsWithIgnoringCase(const QString &part, const QString &text)
{
    return platform::equalsIgnoringCase(part.left(text.size()), text);
}

// A node's text splits at its first "-" into a code part and a description part; a text
// without one is all description.
bool nodeTextMatches(const QString &nodeText, const QString &searched)
{
    const qsizetype dash = nodeText.indexOf(QLatin1Char('-'));
    const QString codePart = dash < 0 ? QString() : nodeText.left(dash).trimmed();
    const QString descriptionPart = (dash < 0 ? nodeText : nodeText.mid(dash + 1)).trimmed();
    return beginsWithIgnoringCase(codePart, searched)
        || beginsWithIgnoringCase(descriptionPart, searched);
}

// Where a chosen code is looked up, by the returned field: the tables in turn, and whether a
// checked code is looked up too or returned as it stands.
struct ReturnedField
{
    QString name;
    QStringList tables;
    bool checkedCodeLookedUp;
};

const ReturnedField *returnedField(const QString &campoDevuelto)
{
    static const ReturnedField fields[] = {
        {QStringLiteral("IDFAMILIA"), {QStringLiteral("@admin_V_TA_FAMILIAS")}, false},
        {QStringLiteral("IDPOSICION"), {QStringLiteral("MA_POSICIONES")}, true},
        {QStringLiteral("CODIGO"),
         {QStringLiteral("TA_CCOSTO"), QStringLiteral("MA_CUENTAS")},
         false},
    };
    for (const ReturnedField &field : fields) {
        if (platform::equalsIgnoringCase(field.name, campoDevuelto))
            return &field;
    }
    return nullptr;
}

} // namespace

class Lib_FrmCons3Tree::Impl
{
public:
    explicit Impl(Lib_FrmCons3Tree &dialog);

    void loadSequence();
    void buildFamilies();
    void buildAutomatic();
    void rebuild();

    void searchInTree();
    void searchOnServer();
    void propagateCheck(QTreeWidgetItem *node);
    void acceptChoice();
    void cancel();

    Lib_FrmCons3Tree &q;
    QFrame *Frame1;
    QWidget *picFields;
    QLabel *lblFieldName;
    QTreeWidget *TreeV;
    QComboBox *CmbSearch;
    QPushButton *cmdAceptar;
    QPushButton *cmdCancelar;
    QPushButton *CmdNueva;
    TreeNodes nodes;

    // The statement without its ordering part, which each search on the server narrows.
    QString SQLBase;
    // The ordering part cut off by a search on the server, put back behind its condition.
    QString SQLCola;

private:
    void build(const QString &routine,
               const std::function<void(const Rows &rows, int row)> &addRowNode);
    std::vector<Step> singleChoiceSteps();
    std::vector<Step> checkedNodeSteps();
    // The returned field of the first table that holds the code, as text; nothing when none.
    std::optional<QString> storedValue(const ReturnedField &field, const QString &code);

    // The rows of the lookups made on accept.
    platform::db::Recordset m_lookupRows;
};

Lib_FrmCons3Tree::Impl::Impl(Lib_FrmCons3Tree &dialog)
    : q(dialog), Frame1(new QFrame(&dialog)), picFields(new QWidget(&dialog)),
      lblFieldName(new QLabel(QStringLiteral("Buscar:"), picFields)),
      TreeV(new QTreeWidget(picFields)), CmbSearch(new QComboBox(picFields)),
      cmdAceptar(new QPushButton(QStringLiteral("&Aceptar"), Frame1)),
      cmdCancelar(new QPushButton(QStringLiteral("&Cancelar"), Frame1)),
      CmdNueva(new QPushButton(QStringLiteral("&Nueva Busqueda"), Frame1)), nodes(*TreeV)
{
    CmbSearch->setEditable(true);
    CmbSearch->setInsertPolicy(QComboBox::NoInsert);
    CmbSearch->setToolTip(QStringLiteral("F5 realiza nueva busqueda"));
    CmbSearch->lineEdit()->setPlaceholderText(QStringLiteral("F5 realiza nueva busqueda"));
    lblFieldName->setBuddy(CmbSearch);

    TreeV->setHeaderHidden(true);
    TreeV->setRootIsDecorated(true);
    TreeV->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeV->setEditTriggers(QAbstractItemView::NoEditTriggers);

    cmdAceptar->setDefault(true);
    cmdAceptar->setAutoDefault(false);
    cmdCancelar->setAutoDefault(false);
    CmdNueva->setAutoDefault(false);

    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(lblFieldName);
    searchRow->addWidget(CmbSearch, 1);
    auto *fields = new QVBoxLayout(picFields);
    fields->setContentsMargins(0, 0, 0, 0);
    fields->addLayout(searchRow);
    fields->addWidget(TreeV, 1);

    auto *buttons = new QHBoxLayout(Frame1);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(CmdNueva);
    buttons->addStretch(1);
    buttons->addWidget(cmdAceptar);
    buttons->addWidget(cmdCancelar);

    auto *window = new QVBoxLayout(&q);
    window->addWidget(picFields, 1);
    window->addWidget(Frame1);

    q.setWindowTitle(RootText);
    q.resize(WindowWidthPixels, WindowHeightPixels);
    q.setTabOrder(CmbSearch, TreeV);

    QObject::connect(CmbSearch, &QComboBox::editTextChanged, &q, [this] { searchInTree(); });
    CmbSearch->installEventFilter(&q);
    CmbSearch->lineEdit()->installEventFilter(&q);
    QObject::connect(cmdAceptar, &QPushButton::clicked, &q, [this] { acceptChoice(); });
    QObject::connect(TreeV, &QTreeWidget::itemDoubleClicked, &q, [this] { acceptChoice(); });
    QObject::connect(cmdCancelar, &QPushButton::clicked, &q, [this] { cancel(); });
    QObject::connect(CmdNueva, &QPushButton::clicked, &q, [this] { rebuild(); });
    QObject::connect(TreeV, &QTreeWidget::itemChanged, &q,
                     [this](QTreeWidgetItem *node) { propagateCheck(node); });
}

// ---- Loading and building ---------------------------------------------------------------------

void Lib_FrmCons3Tree::Impl::loadSequence()
{
    StepRunner::run({[&] { q.Valores = newStringCollection(); }, [&] { nodes.clear(); },
                     [&] { nodes.setCheckBoxes(q.CheckBoxes); }, [&] { SQLBase = q.SQL; },
                     [&] { rebuild(); }},
                    reportedAs(QStringLiteral("FORM_LOAD")));
}

void Lib_FrmCons3Tree::Impl::rebuild()
{
    if (platform::containsIgnoringCase(q.SQL, FamilyView))
        buildFamilies();
    else
        buildAutomatic();
}

void Lib_FrmCons3Tree::Impl::buildFamilies()
{
    q.SQL = FamilyStatement;
    build(QStringLiteral("ArmarTreeVFamilias"), [this](const Rows &rows, int row) {
        const QString code = codeText(cell(rows, 0, row));
        const QVariant relative = cell(rows, 2, row);
        const QString parentKey = platform::isNull(relative)
            ? RootKey
            : RootKey + platform::gUtil().ValorTexto(relative);
        nodes.addChild(parentKey, RootKey + code, nodeText(code, cell(rows, 1, row)));
    });
}

void Lib_FrmCons3Tree::Impl::buildAutomatic()
{
    build(QStringLiteral("ArmarTreeVAutomatico"), [this](const Rows &rows, int row) {
        const QString code = codeText(cell(rows, 0, row));
        const QString key = RootKey + code;
        // The root's key begins every key, so only a tree without its root finds no parent.
        const QTreeWidgetItem *parent = nodes.longestKeyBeginning(key);
        nodes.addChild(parent ? TreeNodes::keyOf(*parent) : RootKey, key,
                       nodeText(code, cell(rows, 1, row)));
    });
}

// Opens SQL (which receives the text the data layer sent), fetches every row and adds one node
// per row in the statement's order. A row whose node cannot be added is reported on its own, so
// the user can skip it and keep the rest of the tree.
void Lib_FrmCons3Tree::Impl::build(const QString &routine,
                                   const std::function<void(const Rows &, int)> &addRowNode)
{
    const StepRunner::Handler report = reportedAs(routine);
    platform::db::Recordset recordset;
    Rows rows;
    int rowCount = 0;
    bool empty = false;
    const QSignalBlocker quietTree(TreeV);
    const platform::Outcome fetched = StepRunner::run(
        {[&] { nodes.clear(); }, [&] { nodes.addTop(RootKey, RootText); },
         [&] {
             data::DB_Dll &db = data::gDB();
             db.AbrirRecordset(q.SQL, recordset, db.gCnn, platform::db::adOpenForwardOnly,
                               platform::db::adLockReadOnly, platform::db::adOptionUnspecified,
                               true);
         },
         [&] {
             empty = recordset.bof() && recordset.eof();
             return empty ? Flow::Finish : Flow::Next;
         },
         [&] {
             recordset.moveFirst();
             recordset.moveLast();
             recordset.moveFirst();
         },
         [&] { rowCount = recordset.recordCount(); }, [&] { rows = recordset.getRows(); }},
        report);
    if (fetched == platform::Outcome::Completed && !empty) {
        std::vector<Step> rowSteps;
        for (int row = 0; row < rowCount; ++row)
            rowSteps.emplace_back([&rows, row, &addRowNode] { addRowNode(rows, row); });
        StepRunner::run(std::move(rowSteps), report);
    }
    if (QTreeWidgetItem *root = nodes.byKey(RootKey))
        root->setExpanded(true);
}

// ---- Searching --------------------------------------------------------------------------------

void Lib_FrmCons3Tree::Impl::searchInTree()
{
    const QString searched = CmbSearch->currentText();
    for (int index = 1; index <= nodes.count(); ++index) {
        QTreeWidgetItem *node = nodes.at(index);
        if (nodeTextMatches(node->text(0), searched)) {
            TreeV->setCurrentItem(node);
            TreeV->scrollToItem(node);
            return;
        }
    }
}

void Lib_FrmCons3Tree::Impl::searchOnServer()
{
    SQLCola.clear();
    const qsizetype orderBy = platform::indexOfIgnoringCase(q.SQL, QStringLiteral("order by"));
    if (orderBy >= 0) {
        SQLCola = q.SQL.mid(orderBy);
        SQLBase = q.SQL.left(orderBy);
    }
    const QString joiner = platform::containsIgnoringCase(q.SQL, QStringLiteral("where"))
        ? QStringLiteral(" and ")
        : QStringLiteral(" where ");
    q.SQL = SQLBase + joiner + QStringLiteral("Descripcion like '%")
        + data::escapeSqlQuotes(CmbSearch->currentText()) + QStringLiteral("%' ") + SQLCola;
    CmbSearch->setEditText(QString());
    SQLBase = q.SQL;
    loadSequence();
}

// ---- Check marks ------------------------------------------------------------------------------

void Lib_FrmCons3Tree::Impl::propagateCheck(QTreeWidgetItem *node)
{
    if (!node->data(0, Qt::CheckStateRole).isValid())
        return;
    // Marks set here are not the user's: they must not start a propagation of their own.
    const QSignalBlocker quietTree(TreeV);
    const Qt::CheckState state = node->checkState(0);
    QList<QTreeWidgetItem *> generation{node};
    for (int depth = 1; depth <= CheckedGenerations; ++depth) {
        QList<QTreeWidgetItem *> children;
        for (QTreeWidgetItem *parent : std::as_const(generation)) {
            for (int i = 0; i < parent->childCount(); ++i) {
                parent->child(i)->setCheckState(0, state);
                children.append(parent->child(i));
            }
        }
        generation = children;
    }
}

// ---- Accept and cancel ------------------------------------------------------------------------

void Lib_FrmCons3Tree::Impl::acceptChoice()
{
    std::vector<Step> steps = q.CheckBoxes ? checkedNodeSteps() : singleChoiceSteps();
    steps.emplace_back([&] { q.done(QDialog::Accepted); });
    StepRunner::run(std::move(steps), reportedAs(QStringLiteral("cmdAceptar_Click")));
}

std::vector<Step> Lib_FrmCons3Tree::Impl::singleChoiceSteps()
{
    auto code = std::make_shared<QString>();
    return {[this, code] {
                const QList<QTreeWidgetItem *> selected = TreeV->selectedItems();
                if (selected.isEmpty())
                    raiseObjectNotSet();
                *code = TreeNodes::keyOf(*selected.first()).mid(1);
            },
            [this, code] {
                if (const ReturnedField *field = returnedField(q.CampoDevuelto))
                    q.ValorDevuelto = storedValue(*field, *code).value_or(QString());
            }};
}

std::vector<Step> Lib_FrmCons3Tree::Impl::checkedNodeSteps()
{
    const ReturnedField *field = returnedField(q.CampoDevuelto);
    std::vector<Step> steps;
    if (!field)
        return steps;
    for (int index = 1; index <= nodes.count(); ++index) {
        QTreeWidgetItem *node = nodes.at(index);
        if (node->checkState(0) != Qt::Checked)
            continue;
        const QString code = TreeNodes::keyOf(*node).mid(1);
        steps.emplace_back([this, field, code] {
            if (!q.Valores)
                raiseObjectNotSet();
            if (!field->checkedCodeLookedUp)
                q.Valores->append(code.trimmed());
            else if (const std::optional<QString> value = storedValue(*field, code))
                q.Valores->append(*value);
        });
    }
    return steps;
}

std::optional<QString> Lib_FrmCons3Tree::Impl::storedValue(const ReturnedField &field,
                                                           const QString &code)
{
    data::DB_Dll &db = data::gDB();
    for (const QString &table : field.tables) {
        if (db.ExisteEnTabla(table, code, field.name, &m_lookupRows, 8, QString(), true)) {
            const QString value = platform::gUtil().ValorTexto(m_lookupRows.field(q.CampoDevuelto));
            db.CierraRecordset(m_lookupRows);
            return value;
        }
    }
    return std::nullopt;
}

void Lib_FrmCons3Tree::Impl::cancel()
{
    q.ValorDevuelto = QString(QLatin1String(""));
    q.Valores.reset();
    q.done(QDialog::Rejected);
}

// ---- The dialog -------------------------------------------------------------------------------

Lib_FrmCons3Tree::Lib_FrmCons3Tree(QWidget *parent)
    : QDialog(parent), d(std::make_unique<Impl>(*this))
{ }

Lib_FrmCons3Tree::~Lib_FrmCons3Tree() = default;

void Lib_FrmCons3Tree::ArmarTreeVFamilias()
{
    d->buildFamilies();
}

void Lib_FrmCons3Tree::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    d->loadSequence();
}

int Lib_FrmCons3Tree::showModal()
{
    load();
    return platform::userDialogs().execModal(*this);
}

void Lib_FrmCons3Tree::unload()
{
    d->nodes.clear();
    m_loaded = false;
}

QTreeWidget &Lib_FrmCons3Tree::TreeV() const
{
    return *d->TreeV;
}

QComboBox &Lib_FrmCons3Tree::CmbSearch() const
{
    return *d->CmbSearch;
}

QPushButton &Lib_FrmCons3Tree::cmdAceptar() const
{
    return *d->cmdAceptar;
}

QPushButton &Lib_FrmCons3Tree::cmdCancelar() const
{
    return *d->cmdCancelar;
}

QPushButton &Lib_FrmCons3Tree::CmdNueva() const
{
    return *d->CmdNueva;
}

QTreeWidgetItem *Lib_FrmCons3Tree::nodeByKey(const QString &key) const
{
    return d->nodes.byKey(key);
}

void Lib_FrmCons3Tree::reject()
{
    d->cancel();
}

void Lib_FrmCons3Tree::showEvent(QShowEvent *event)
{
    load();
    QDialog::showEvent(event);
    d->CmbSearch->setFocus();
}

bool Lib_FrmCons3Tree::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress
        || (watched != d->CmbSearch && watched != d->CmbSearch->lineEdit()))
        return QDialog::eventFilter(watched, event);
    switch (static_cast<QKeyEvent *>(event)->key()) {
    // The box would keep Enter to itself; it belongs to the default button.
    case Qt::Key_Return:
    case Qt::Key_Enter:
        d->cmdAceptar->click();
        return true;
    case Qt::Key_F5:
        d->searchOnServer();
        return true;
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        d->TreeV->setFocus();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

} // namespace lookup
