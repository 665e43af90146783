#include "lookup/lib_cls_cons3.h"

#include "core/configuration_store.h"
#include "core/documents.h"
#include "core/error_reporter.h"
#include "data/db_dll.h"
#include "lookup/lib_frm_cons3.h"
#include "lookup/lib_frm_cons3_tree.h"
#include "lookup/lib_frm_cons3_twips.h"
#include "platform/legacy_files.h"
#include "platform/program_files.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <limits>

namespace lookup {

namespace {

using platform::containsIgnoringCase;
using platform::equalsIgnoringCase;

constexpr int DefaultRowLimit = 1000;
// A letter of the option lists is this many twips wide.
constexpr double OptionLetterTwips = 120;
// What the list dialog adds to its columns for the list's frame and scroll bar, and to the list
// for the window's border.
constexpr double ListOverColumns = 360;
constexpr double WindowOverList = 280;

// A stock colour that is not configured is black, which still makes the row bold.
QVariant stockLevel(const QString &key)
{
    const QString colour = core::Cfg(key);
    return colour.isEmpty() ? QVariant(0) : QVariant(colour);
}

// "TopConsArt" read as the number it starts with and rounded half to even. A limit that is no
// positive whole number (a missing key, 0, text, a negative value) would leave the lookup
// without rows or make its statement fail, so it falls back to 1000.
QString rowLimit()
{
    const double configured = std::nearbyint(platform::leadingNumber(core::Cfg("TopConsArt")));
    const bool usable = configured >= 1 && configured <= std::numeric_limits<int>::max();
    return QString::number(usable ? int(configured) : DefaultRowLimit);
}

// A condition of more than one character gets its own parentheses, so that an OR inside it
// cannot escape what the statement puts around it.
void wrapCondition(QString &Where)
{
    if (Where.trimmed().size() > 1 && !Where.startsWith(QLatin1Char('(')))
        Where = QStringLiteral(" (") + Where + QStringLiteral(") ");
}

// The caller's statement, reading articles through their complete view, with the caller's
// condition appended as it stands: no row limit, no ordering of the service's own.
QString givenStatement(QString SQL, QString &Where, const platform::Utilidades &util)
{
    if (containsIgnoringCase(SQL, QStringLiteral("V_MA_ARTICULOS")))
        SQL = util.ReemplazarTexto(SQL, QStringLiteral("V_MA_ARTICULOS"),
                                   QStringLiteral("VT_MA_ARTICULOS"));
    if (!Where.trimmed().isEmpty()) {
        if (!containsIgnoringCase(Where, QStringLiteral("WHERE")))
            Where = QStringLiteral(" WHERE ") + Where;
        SQL += Where;
    }
    return SQL;
}

struct BuiltInCondition
{
    QString table;
    QString condition;
    QString readFrom; // empty: the table itself
};

// Lookups of these masters hide retired rows unless the mask or the caller says otherwise;
// articles are read through the view that carries their stock.
const QList<BuiltInCondition> &builtInConditions()
{
    static const QList<BuiltInCondition> conditions = {
        {QStringLiteral("VT_PROVEEDORES"), QStringLiteral("Dada_De_Baja = 0"), {}},
        {QStringLiteral("VT_CLIENTES"), QStringLiteral("Dada_De_Baja = 0"), {}},
        {QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("SUSPENDIDO = 0"),
         QStringLiteral("VT_MA_ARTICULOS")},
    };
    return conditions;
}

void applyBuiltInCondition(QString &table, QString &condition)
{
    for (const BuiltInCondition &builtIn : builtInConditions()) {
        if (!equalsIgnoringCase(table, builtIn.table))
            continue;
        if (condition.trimmed().isEmpty())
            condition = builtIn.condition;
        if (!builtIn.readFrom.isEmpty())
            table = builtIn.readFrom;
        return;
    }
}

QString whereClause(const QString &condition)
{
    return (condition.trimmed().isEmpty() ? QString() : QStringLiteral(" WHERE ")) + condition;
}

// Fields that identify or stamp a row mean nothing to a user picking one; only the mutual
// societies' view is looked up by its id.
bool isRowStamp(const QString &field)
{
    for (const char *stamp : {"ID", "FECHAHORA_MODIFICACION", "FECHAHORA_GRABACION"})
        if (equalsIgnoringCase(field, QLatin1String(stamp)))
            return true;
    return false;
}

bool isDescriptive(const QString &field)
{
    for (const char *name : {"DESCRIPCION", "NOMBRE", "DETALLE"})
        if (equalsIgnoringCase(field, QLatin1String(name)))
            return true;
    return false;
}

// The table's columns from one sample row, each followed by ",", in reverse table order; the
// search column becomes the last descriptive field, else the first field listed. A table that
// cannot be read (the data layer has reported why) lists nothing.
QString sampledColumns(const QString &table, QString &CampoBusqueda)
{
    namespace db = platform::db;
    data::DB_Dll &dataLayer = data::gDB();
    db::Recordset sample;
    dataLayer.AbrirRecordset(QStringLiteral("select top 1 * from ") + table, sample, nullptr,
                             db::adOpenForwardOnly, db::adLockReadOnly, db::adOptionUnspecified,
                             true);
    QString columns;
    if (sample.state() == db::adStateOpen) {
        const db::Fields fields = sample.fields();
        const bool listsStamps = equalsIgnoringCase(table, QStringLiteral("v_mv_mutuales"));
        for (int index = 0; index < fields.count(); ++index) {
            const QString name = fields.item(index).name();
            if (isRowStamp(name) && !listsStamps)
                continue;
            if (isRowStamp(name) || isDescriptive(name) || columns.isEmpty())
                CampoBusqueda = name;
            columns.prepend(name + QLatin1Char(','));
        }
    }
    dataLayer.CierraRecordset(sample);
    return columns;
}

} // namespace

// Letters of 120 twips fit the suite's small font, but the list draws its rows bold and larger:
// the window is also made wide enough for the longest text as the list draws it.
double Lib_ClsCons3::drawnWindowWidth(const ListView &list, const QString &Titulo,
                                      const QList<Option> &options)
{
    int widest = QFontMetrics(list.header()->font()).horizontalAdvance(Titulo);
    const QFontMetrics rows(list.font());
    for (const Option &option : options)
        widest = std::max(widest, rows.horizontalAdvance(option.text));
    const QStyle &style = *list.style();
    const int margins = 2 * style.pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list)
        + style.pixelMetric(QStyle::PM_HeaderMargin, nullptr, &list);
    const int checkBox = list.checkBoxes()
        ? style.pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &list)
            + style.pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &list)
        : 0;
    return (widest + 2 * margins + checkBox) * twips::perPixel + ListOverColumns + WindowOverList;
}

Lib_ClsCons3::Lib_ClsCons3()
    : StkNivel1(stockLevel(QStringLiteral("Stk_Nivel1"))),
      StkNivel2(stockLevel(QStringLiteral("Stk_Nivel2"))),
      StkNivel3(stockLevel(QStringLiteral("Stk_Nivel3"))),
      StkNivel4(stockLevel(QStringLiteral("Stk_Nivel4"))),
      MuestraStock(core::Cfg(QStringLiteral("MostrarStockenConsultas"))),
      m_usarConsultaLike(
          equalsIgnoringCase(core::Cfg(QStringLiteral("UsaConsultaLike")), QStringLiteral("SI")))
{ }

void Lib_ClsCons3::ConsultaSearch(QString SQL, StringCollection &CmpsDevueltos,
                                  const QString &Clave, QString &CampoBusqueda, QString &Where,
                                  const QString &SentenciaOpcional, bool TreeView,
                                  const QString &ValoresDefault)
{
    wrapCondition(Where);
    const QString limit = rowLimit();

    QString statement;
    if (containsIgnoringCase(SQL, QStringLiteral("SELECT"))) {
        statement = givenStatement(SQL, Where, m_util);
    } else if (gUsarMascarasConsultas && findMask(SQL)) {
        const std::optional<QString> masked = maskStatement(CampoBusqueda, Where, limit);
        if (!masked)
            return;
        statement = *masked;
    } else {
        statement = automaticStatement(SQL, CampoBusqueda, Where, SentenciaOpcional, limit);
    }

    if (TreeView)
        showTree(statement);
    else
        showList(statement, CmpsDevueltos, Clave, CampoBusqueda, ValoresDefault);

    CampoDevuelto.clear();
    // The caller's variable keeps its collection, emptied, so the caller can fill it again for
    // the next lookup.
    if (CmpsDevueltos)
        CmpsDevueltos->clear();
}

// A missing file is looked up like a table without a mask, from its columns; a file that cannot
// be read is logged and treated the same way.
bool Lib_ClsCons3::findMask(const QString &tableName)
{
    // A mask's columns and condition go into the statement as they stand.
    if (!platform::isTrustedOrReported(gRutaMascaraConsultas))
        return false;
    try {
        return findQueryMask(gRutaMascaraConsultas, tableName, m_mascara);
    } catch (const platform::Error &error) {
        core::logSkippedError(error, QStringLiteral("ConsultaSearch"));
        return false;
    }
}

// The statement of the mask just found; nothing when the mask lists too few columns to choose a
// search column from, which the user is told.
std::optional<QString> Lib_ClsCons3::maskStatement(QString &CampoBusqueda, const QString &Where,
                                                   const QString &rowLimit)
{
    QString table = m_mascara.tableName();
    const QString columns = m_mascara.selectList();
    if (CampoBusqueda.isEmpty()) {
        if (!columns.contains(QLatin1Char(','))) {
            platform::userDialogs().messageBox(
                QStringLiteral("Debe configurar la consulta para esta tabla"),
                platform::msgbox::OkOnly | platform::msgbox::Information,
                QStringLiteral("Aviso al operador"));
            return std::nullopt;
        }
        CampoBusqueda = columns.section(QLatin1Char(','), 0, 0);
    }

    // The mask's own condition wins over the caller's.
    QString condition = m_mascara.fixedCondition();
    if (condition.trimmed().isEmpty() && !Where.trimmed().isEmpty())
        condition = Where;
    applyBuiltInCondition(table, condition);

    const QString select = QStringLiteral("SELECT TOP ") + rowLimit + QLatin1Char(' ') + columns
        + QStringLiteral(" FROM ") + table;
    if (CampoBusqueda.isEmpty())
        return select + QStringLiteral(" with(nolock) ") + whereClause(condition);
    return select + QStringLiteral("  with(nolock) ") + whereClause(condition)
        + QStringLiteral(" ORDER BY ") + CampoBusqueda;
}

QString Lib_ClsCons3::automaticStatement(const QString &table, QString &CampoBusqueda,
                                         const QString &Where, const QString &SentenciaOpcional,
                                         const QString &rowLimit) const
{
    if (!SentenciaOpcional.isEmpty())
        return SentenciaOpcional;

    QString columns;
    if (equalsIgnoringCase(table, QStringLiteral("V_TA_DEPOSITO"))) {
        columns = QStringLiteral("Descripcion,IdDeposito,UnidadNegocio,");
        CampoBusqueda = QStringLiteral("IDDEPOSITO");
    } else {
        columns = sampledColumns(table, CampoBusqueda);
    }
    columns = columns.trimmed().isEmpty() ? QStringLiteral(" * ") : columns.chopped(1);

    QString statement = QStringLiteral("SELECT TOP ") + rowLimit + QLatin1Char(' ') + columns
        + QStringLiteral(" FROM ") + table + whereClause(QLatin1Char(' ') + Where);
    // Without a column to sort by, an ORDER BY with nothing after it would fail the statement.
    if (!CampoBusqueda.isEmpty())
        statement += QStringLiteral(" ORDER BY ") + CampoBusqueda;
    return statement;
}

void Lib_ClsCons3::showTree(const QString &statement)
{
    Lib_FrmCons3Tree dialog;
    dialog.SQL = statement;
    dialog.CampoDevuelto = CampoDevuelto;
    dialog.CheckBoxes = Checks;
    Valores.reset();
    dialog.showModal();
    ValorDevuelto = dialog.ValorDevuelto;
    Valores = dialog.Valores;
    Checks = false;
}

// With check boxes the rows named in ValoresDefault keep the marks the load gave them, so the
// user starts from the caller's current choice.
void Lib_ClsCons3::showList(const QString &statement, const StringCollection &CmpsDevueltos,
                            const QString &Clave, const QString &CampoBusqueda,
                            const QString &ValoresDefault)
{
    Lib_FrmCons3 dialog;
    dialog.StkNivel1 = StkNivel1;
    dialog.StkNivel2 = StkNivel2;
    dialog.StkNivel3 = StkNivel3;
    dialog.StkNivel4 = StkNivel4;
    dialog.MuestraStock = MuestraStock;
    dialog.CfgUsaConsultaLIKE = m_usarConsultaLike;
    dialog.OrdenarPorLwv = !containsIgnoringCase(statement, QStringLiteral("ORDER BY"));
    dialog.FiltroInicial = Clave;
    dialog.CampoBusqueda = CampoBusqueda;
    if (gConnString.isEmpty())
        gConnString = data::gDB().gConnString;
    dialog.SQL = statement;
    dialog.gConnString = gConnString;
    dialog.CampoDevuelto = CampoDevuelto;
    dialog.CheckBoxes = Checks;
    dialog.UsaCantidades = UsaCantidades;
    dialog.ValoresDefault = ValoresDefault;
    Valores.reset();
    Cantidades.reset();
    dialog.CmpsDevueltos = CmpsDevueltos;

    dialog.showModal();

    Checks = false;
    Valores = dialog.Valores;
    Cantidades = dialog.Cantidades;
    ValorDevuelto = dialog.ValorDevuelto;
    dialog.unload();
}

QString Lib_ClsCons3::CheckOpciones(const QString &Titulo, const StringCollection &,
                                    const QStringList &Opc)
{
    QList<Option> options;
    for (const QString &option : Opc)
        options.append({option.mid(1), option.startsWith(QLatin1Char('1')), option.size()});
    Lib_FrmCons3 dialog;
    showOptions(dialog, Titulo, true, options);
    Valores = dialog.Valores;
    dialog.unload();
    return {};
}

QString Lib_ClsCons3::MenuOpciones(const QString &Titulo, const QStringList &Opc)
{
    QList<Option> options;
    for (const QString &option : Opc)
        options.append({option, false, option.size()});
    Lib_FrmCons3 dialog;
    showOptions(dialog, Titulo, false, options);
    const QString chosen = m_util.ValorTexto(dialog.ValorDevuelto);
    dialog.unload();
    return chosen;
}

QString Lib_ClsCons3::ConsultaDesdeArchivo(const QString &Titulo, const QString &QueArchivo,
                                           const QString &)
{
    if (!core::ExisteArchivo(QueArchivo)) {
        platform::userDialogs().messageBox(QStringLiteral("No existe el archivo ") + QueArchivo
                                           + QStringLiteral(" que desea consultar consulta "));
        return {};
    }
    QList<Option> options;
    try {
        for (const QString &line : platform::readTextLines(QueArchivo))
            options.append({line, false, line.size()});
    } catch (const platform::Error &error) {
        core::logSkippedError(error, QStringLiteral("ConsultaDesdeArchivo"));
    }
    Lib_FrmCons3 dialog;
    showOptions(dialog, Titulo, false, options);
    const QString chosen = m_util.ValorTexto(dialog.ValorDevuelto);
    dialog.unload();
    return chosen;
}

// The list dialog without a statement: one column headed by the title, one row per option, the
// window as wide as the longest text (at most the screen).
void Lib_ClsCons3::showOptions(Lib_FrmCons3 &dialog, const QString &Titulo, bool checkBoxes,
                               const QList<Option> &options) const
{
    dialog.load();
    dialog.setWindowTitle(Titulo);
    dialog.CmdNueva().hide();
    dialog.OrdenarPorLwv = true;
    dialog.SQL.clear();
    dialog.gConnString.clear();
    dialog.CampoDevuelto = Titulo;
    dialog.CheckBoxes = checkBoxes;

    ListView &list = dialog.ListView1();
    list.setCheckBoxes(checkBoxes);
    const double listWidth = twips::width(list);
    twips::setWidth(dialog.CmbSearch(0), listWidth);
    list.clearHeaders();
    list.addHeader(Titulo, listWidth);

    qsizetype longest = Titulo.size();
    for (const Option &option : options) {
        const int row = list.addRow(option.text);
        if (checkBoxes)
            list.setChecked(row, option.checked);
        longest = std::max(longest, option.countedLength);
    }
    const double width
        = std::max(OptionLetterTwips * double(longest), drawnWindowWidth(list, Titulo, options));
    dialog.setWindowWidth(std::min(width, twips::screenWidth()));
    // The one column fills the list as the window left it, so nothing scrolls sideways.
    list.setHeaderWidth(1, twips::width(list) - ListOverColumns);
    dialog.showModal();
}

Lib_ClsCons3 &gConsultas()
{
    static Lib_ClsCons3 instance;
    return instance;
}

} // namespace lookup
