#include "breakdown/breakdown_page.h"
#include "breakdown/breakdown_statements.h"
#include "breakdown/frm_detallado.h"
#include "core/mod_global.h"
#include "data/db_dll.h"
#include "platform/db/recordset.h"
#include "platform/error.h"
#include "platform/suite/progreso.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/variant.h"
#include "statistics/statistic_buckets.h"
#include "statistics/statistic_computation.h"
#include "statistics/statistic_definition.h"
#include "statistics/statistic_run.h"
#include "statistics/statistic_statements.h"

#include <QHash>
#include <functional>
#include <optional>
#include <utility>

namespace breakdown {

namespace {

using platform::Currency;
using platform::Error;
using platform::db::Recordset;
using statistics::DateSpan;
using statistics::Grouping;

Currency amountOf(const QVariant &value)
{
    return platform::isCurrency(value) ? value.value<Currency>()
                                       : Currency::fromDouble(value.toDouble());
}

QString textOf(const platform::db::Field &field)
{
    return platform::gUtil().ValorTexto(field);
}

// A Boolean column; null reads as false.
bool flagOf(const platform::db::Field &field)
{
    return platform::parseTruthValue(textOf(field)).value_or(false);
}

// A date as typed in a header box of the definition.
QDate typedDate(const QString &text)
{
    const std::optional<QDate> date = platform::parseRegionalDate(text);
    if (!date)
        throw Error(platform::errors::TypeMismatch,
                    QStringLiteral("No coinciden los tipos: \"") + text
                        + QStringLiteral("\" no es una fecha"));
    return *date;
}

// One column of the breakdown: a period, or the whole range for one unit or cost centre.
struct Column
{
    DateSpan span;
    QString unit;
    QString costCentre;
};

// Identifies a column and the work rows made for it.
QString columnKey(const QDate &from, const QDate &to, const QString &unit,
                  const QString &costCentre)
{
    return from.toString(Qt::ISODate) + QLatin1Char('|') + to.toString(Qt::ISODate)
        + QLatin1Char('|') + unit.trimmed() + QLatin1Char('|') + costCentre.trimmed();
}

// A unit or cost centre the columns are made for.
struct ColumnCode
{
    QString code;
    QString caption;
};

// One breakdown of a definition: its settings, the columns and the page as it grows.
class BreakdownRun
{
public:
    BreakdownRun(FrmDetallado &form, const QString &nombre,
                 const statistics::StatisticDefinition &definition,
                 const statistics::RunGuard &guard)
        : m_form(form), m_nombre(nombre), m_definition(definition), m_guard(guard)
    { }

    // Raises statistics::RunLeft when the run is stopped or left.
    void run();

private:
    bool guarded(const std::function<void()> &step) { return m_guard.attempt(step); }
    void progress(const QString &text, bool mayCancel) { m_guard.advance(text, mayCancel); }

    void readFilters();
    void readRange();
    void makeWorkRows(BreakdownPage &page);
    const QList<ColumnCode> &columnCodes();
    void insertWorkRows(const QString &account, const QList<statistics::WorkRow> &rows);
    void processLine(Recordset &definition, BreakdownPage &page);
    bool moveToWorkRow(Recordset &workRows, int column);
    void settleColumn(const statistics::JournalSum &sum, Recordset *workRow, BreakdownPage &page);

    FrmDetallado &m_form;
    const QString m_nombre;
    const statistics::StatisticDefinition &m_definition;
    const statistics::RunGuard &m_guard;
    QString m_definitionName; // as stored, trimmed: every statement after the first names it
    Grouping m_grouping = Grouping::Date;
    int m_periodicidad = statistics::Diario;
    QString m_voucherCodes;
    QString m_unitCodes;
    QString m_costCentreCodes;
    QDate m_from;
    QDate m_to;
    std::optional<QList<ColumnCode>> m_columnCodes;
    QList<Column> m_columns;
    QHash<QString, int> m_columnOfKey;
    QHash<QString, int> m_linesOfAccount; // upper-case account code: its (group, account) lines
    statistics::TitleAccounts m_titleAccounts;
    QString m_currentGroup;
    QString m_previousGroup;
};

void BreakdownRun::readFilters()
{
    m_grouping = m_definition.grouping;
    m_periodicidad = m_definition.periodicidad;
    const statistics::RunFilters filters = m_definition.filters();
    m_voucherCodes = filters.vouchers.codes;
    m_unitCodes = filters.businessUnits.codes;
    m_costCentreCodes = filters.costCentres.codes;
}

// The range bounds every column; a run without a valid range would show a page of accounts
// without amounts, which reads as a result, so it ends whatever the answer to the error box.
// The user's earlier work rows are not deleted then.
void BreakdownRun::readRange()
{
    guarded([&] {
        m_from = typedDate(m_definition.startText());
        m_to = typedDate(m_definition.endText());
    });
    if (!m_from.isValid() || !m_to.isValid())
        throw statistics::RunLeft();
}

void BreakdownRun::run()
{
    // Without a page of its own the run has nothing to show its result in.
    if (!guarded([&] { m_form.CrearTempNew(); }))
        throw statistics::RunLeft();
    platform::gProgreso().Mostrar(QStringLiteral("Actualizando Estadistica"), 1);
    guarded([&] { readFilters(); });
    readRange();
    data::gDB().EjecutaConsultaSQL(statistics::deleteWorkRowsStatement(core::gEstacionUsuario));
    guarded([&] { m_form.writeStyleCSS(m_form.pageFolder()); });
    BreakdownPage page(m_form.pagePath(),
                       m_form.getCabeceraHTML(QStringLiteral("Reporte Estadistico"), false),
                       m_nombre);

    Recordset definition;
    guarded([&] {
        definition = data::gDB().gCnn->execute(
            statistics::definitionRowsStatement(QStringLiteral("MA_PANELCTA"), m_nombre.trimmed()),
            nullptr, platform::db::adOptionUnspecified);
    });
    const bool hasLines = definition.state() == platform::db::adStateOpen && !definition.eof();
    if (hasLines) {
        page.toggleRowClass();
        guarded([&] {
            m_definitionName = textOf(definition.field(QStringLiteral("Nombre"))).trimmed();
        });
        makeWorkRows(page);
        page.writeColumnHeader();
    }
    while (hasLines && !definition.eof()) {
        processLine(definition, page);
        guarded([&] { definition.moveNext(); });
    }

    page.closeGroup(m_previousGroup);
    page.writePendingRows();
    platform::gProgreso().Ocultar();
    if (!guarded([&] { page.finish(); }))
        throw statistics::RunLeft();
    m_form.keepPageRows(page.rows());
    m_form.NavegarA(m_form.pagePath());
}

const QList<ColumnCode> &BreakdownRun::columnCodes()
{
    if (m_columnCodes)
        return *m_columnCodes;
    m_columnCodes.emplace();
    const bool units = m_grouping == Grouping::BusinessUnit;
    Recordset rows;
    data::gDB().AbrirRecordset(units ? statistics::businessUnitsStatement(m_unitCodes)
                                     : statistics::costCentresStatement(m_costCentreCodes),
                               rows, nullptr, platform::db::adOpenForwardOnly,
                               platform::db::adLockReadOnly, platform::db::adOptionUnspecified,
                               true);
    guarded([&] {
        while (rows.state() == platform::db::adStateOpen && !rows.eof()) {
            const QString code = textOf(rows.field(QStringLiteral("Codigo")));
            m_columnCodes->append(
                {code,
                 code + QLatin1Char(' ') + textOf(rows.field(QStringLiteral("Descripcion")))});
            rows.moveNext();
        }
    });
    data::gDB().CierraRecordset(rows);
    return *m_columnCodes;
}

// The rows of a line go to the server together: one round trip instead of one a row, and a
// stopped run leaves whole lines.
void BreakdownRun::insertWorkRows(const QString &account, const QList<statistics::WorkRow> &rows)
{
    if (rows.isEmpty())
        return;
    progress(account, true);
    data::gDB().EjecutaConsultaSQL(statistics::insertWorkRowsStatement(rows));
}

// The empty work rows of every (group, account) line of the definition, one per column; the
// first line's rows make the columns and their captions.
void BreakdownRun::makeWorkRows(BreakdownPage &page)
{
    Recordset combinations;
    data::gDB().AbrirRecordset(combinationsStatement(m_definitionName), combinations, nullptr,
                               platform::db::adOpenForwardOnly, platform::db::adLockReadOnly,
                               platform::db::adOptionUnspecified, true);
    const QList<DateSpan> spans = statistics::bucketSpans(m_from, m_to, m_periodicidad, m_grouping);
    const bool openingBalance = m_definition.calculaSI;

    bool firstCombination = true;
    while (combinations.state() == platform::db::adStateOpen && !combinations.eof()) {
        QString group;
        QString account;
        guarded([&] {
            group = textOf(combinations.field(QStringLiteral("GRUPO")));
            account = textOf(combinations.field(QStringLiteral("CUENTA")));
        });
        ++m_linesOfAccount[account.toUpper()];
        const auto addColumn = [&](const Column &column, const QString &caption) {
            if (!firstCombination)
                return;
            m_columnOfKey.insert(
                columnKey(column.span.from, column.span.to, column.unit, column.costCentre),
                m_columns.size());
            m_columns.append(column);
            page.addColumnCaption(caption);
        };
        QList<statistics::WorkRow> rows;
        bool firstPass = true;
        for (const DateSpan &span : spans) {
            // The opening balance stays in the work table for the printed report's sake; the
            // page has no column for it.
            if (openingBalance && std::exchange(firstPass, false)) {
                const QDate dayBefore = statistics::openingBalanceDay(span.from);
                rows.append({core::gEstacionUsuario,
                             m_definitionName,
                             group,
                             {dayBefore, dayBefore},
                             statistics::WorkRowKind::Bucket,
                             {}});
            }
            if (m_grouping == Grouping::Date) {
                rows.append({core::gEstacionUsuario,
                             m_definitionName,
                             account,
                             span,
                             statistics::WorkRowKind::Bucket,
                             {}});
                addColumn({span, {}, {}}, platform::formatShortDate(span.from));
                continue;
            }
            const bool units = m_grouping == Grouping::BusinessUnit;
            for (const ColumnCode &code : columnCodes()) {
                rows.append({core::gEstacionUsuario, m_definitionName, account, span,
                             units ? statistics::WorkRowKind::BusinessUnit
                                   : statistics::WorkRowKind::CostCentre,
                             code.code});
                addColumn(units ? Column{span, code.code, {}} : Column{span, {}, code.code},
                          code.caption);
            }
        }
        insertWorkRows(account, rows);
        firstCombination = false;
        guarded([&] { combinations.moveNext(); });
    }
    data::gDB().CierraRecordset(combinations);
}

void BreakdownRun::processLine(Recordset &definition, BreakdownPage &page)
{
    QString account;
    bool debe = false;
    bool haber = false;
    guarded([&] {
        m_currentGroup = textOf(definition.field(QStringLiteral("Grupo")));
        account = textOf(definition.field(QStringLiteral("Cuenta")));
        debe = flagOf(definition.field(QStringLiteral("DEBE")));
        haber = flagOf(definition.field(QStringLiteral("Haber")));
    });
    page.toggleRowClass();
    if (!m_previousGroup.isEmpty()
        && !platform::equalsIgnoringCase(m_currentGroup, m_previousGroup))
        page.closeGroup(m_previousGroup);
    page.writePendingRows();
    const QString description
        = data::gDB()
              .DatosTabla(QStringLiteral("MA_CUENTAS"), account, QStringLiteral("DESCRIPCION"),
                          QStringLiteral("Codigo"), 8, QString(), true, false)
              .toString();
    page.startAccountRow(m_currentGroup, account, description);
    progress(m_currentGroup, true);

    statistics::JournalSum sum;
    sum.grouping = m_grouping;
    sum.periodicidad = m_periodicidad;
    sum.account = account;
    sum.side = statistics::sideClause(debe, haber);
    sum.voucherCodes = m_voucherCodes;
    sum.unitCodes = m_unitCodes;
    guarded([&] { sum.titleAccount = m_titleAccounts.isTitle(account); });

    // An account may stand in several lines; its rows are fetched for all of them, and each
    // column takes the first row of its own that no earlier line has claimed.
    Recordset workRows;
    data::gDB().AbrirRecordset(
        accountWorkRowsStatement(int(m_columns.size())
                                     * m_linesOfAccount.value(account.toUpper(), 1),
                                 m_definitionName, account, core::gEstacionUsuario),
        workRows, nullptr, platform::db::adOpenDynamic, platform::db::adLockOptimistic,
        platform::db::adOptionUnspecified, true);
    for (int column = 0; column < m_columns.size(); ++column) {
        const Column &settings = m_columns[column];
        sum.bucket = settings.span;
        sum.lastBucket = settings.span.to == m_to;
        sum.unit = settings.unit;
        sum.costCentre = settings.costCentre;
        bool hasRow = false;
        guarded([&] { hasRow = moveToWorkRow(workRows, column); });
        settleColumn(sum, hasRow ? &workRows : nullptr, page);
        if (hasRow)
            guarded([&] { workRows.moveNext(); });
    }
    data::gDB().CierraRecordset(workRows);
    m_previousGroup = m_currentGroup;
}

// Moves to the work row of the column, past rows that belong to none or to an earlier column;
// false, without moving past it, when the next row belongs to a later column.
bool BreakdownRun::moveToWorkRow(Recordset &workRows, int column)
{
    while (workRows.state() == platform::db::adStateOpen && !workRows.eof()) {
        const int rowColumn = m_columnOfKey.value(
            columnKey(workRows.field(QStringLiteral("fechad")).value().toDate(),
                      workRows.field(QStringLiteral("fechah")).value().toDate(),
                      textOf(workRows.field(QStringLiteral("UNegocio"))),
                      textOf(workRows.field(QStringLiteral("CCosto")))),
            -1);
        if (rowColumn == column)
            return true;
        if (rowColumn > column)
            return false;
        workRows.moveNext();
    }
    return false;
}

// The journal sum of one column: credits count positive and debits negative. The amount goes
// to the page and, added up over the sum's rows, into the work row in one save, which then
// carries the group's name.
void BreakdownRun::settleColumn(const statistics::JournalSum &sum, Recordset *workRow,
                                BreakdownPage &page)
{
    Recordset result;
    guarded([&] { result = statistics::openJournalSum(sum); });
    if (result.state() != platform::db::adStateOpen || result.eof()) {
        page.addEmptyColumn();
    } else {
        Currency total;
        bool added = false;
        while (!result.eof()) {
            progress(m_currentGroup, true);
            Currency amount;
            guarded([&] {
                const bool debit = platform::equalsIgnoringCase(
                    textOf(result.field(QStringLiteral("Debe-Haber"))), QStringLiteral("D"));
                amount = amountOf(result.field(QStringLiteral("IMPORTE")).value());
                if (debit)
                    amount = -amount;
                added = true;
            });
            total = total + amount;
            guarded([&] { result.moveNext(); });
        }
        if (workRow && added)
            guarded([&] { statistics::addToWorkRow(*workRow, m_currentGroup, total); });
        page.addAmount(total);
    }
    progress(m_currentGroup + QLatin1Char(' ') + sum.account, false);
}

} // namespace

void FrmDetallado::GeneraAuxiliar(QString &nombre,
                                  const statistics::StatisticDefinition &definition)
{
    const statistics::RunGuard guard(statistics::computationHooks());
    try {
        guard.inOneTransaction([&] { BreakdownRun(*this, nombre, definition, guard).run(); });
    } catch (const statistics::RunLeft &) {
        // The cancel step or the error path has told the user; the work rows stay and the
        // browser keeps its empty page.
        discardUnwrittenPage();
    }
}

} // namespace breakdown
