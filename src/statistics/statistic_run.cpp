#include "statistics/statistic_run.h"

#include "data/db_dll.h"
#include "platform/suite/progreso.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/variant.h"

namespace statistics {

using platform::Currency;
using platform::Error;
using platform::db::Recordset;

namespace {

const QString progressTitle = QStringLiteral("Procesando Información");
const QString progressMessage = QStringLiteral("Espere por Favor...!");

Error typeMismatch()
{
    return Error(platform::errors::TypeMismatch, QStringLiteral("No coinciden los tipos"),
                 QStringLiteral("GeneraAuxiliar"));
}

QDate dateOfBox(const QString &text)
{
    const std::optional<QDate> date = platform::parseRegionalDate(text);
    if (!date)
        throw typeMismatch();
    return *date;
}

QDate dateOf(const QVariant &value)
{
    return value.metaType().id() == QMetaType::QDateTime ? value.toDateTime().date()
                                                         : value.toDate();
}

// A stored flag or a flag read back as text; an empty one is false.
bool truthOf(const QString &text)
{
    if (text.isEmpty())
        return false;
    const std::optional<bool> truth = platform::parseTruthValue(text);
    if (!truth)
        throw typeMismatch();
    return *truth;
}

QString textOf(Recordset &recordset, const QString &field)
{
    return platform::gUtil().ValorTexto(recordset.field(field));
}

Currency amountOf(const QVariant &value)
{
    if (platform::isCurrency(value))
        return value.value<Currency>();
    if (platform::isNullOrEmpty(value))
        return {};
    return Currency::fromDouble(value.toDouble());
}

bool hasRows(const Recordset &recordset)
{
    return recordset.state() == platform::db::adStateOpen && !(recordset.bof() && recordset.eof());
}

} // namespace

// ---- RunGuard ---------------------------------------------------------------------------------

bool RunGuard::attempt(const std::function<void()> &statement) const
{
    for (;;) {
        try {
            statement();
            return true;
        } catch (const Error &error) {
            switch (m_hooks.onError(error)) {
            case platform::Resume::Retry:
                continue;
            case platform::Resume::Next:
                return false;
            case platform::Resume::Leave:
                throw RunLeft{};
            }
        }
    }
}

void RunGuard::advance(const QString &text, bool mayCancel) const
{
    if (takeCancelRequest(text) && mayCancel) {
        m_cancelRequested = false;
        if (m_hooks.confirmCancel())
            throw RunLeft{};
    }
}

// Letting the window's events run costs more than a sum over a small journal; a click waits
// at most one interval to be seen.
bool RunGuard::takeCancelRequest(const QString &text) const
{
    if (!m_sinceRefresh.isValid() || m_sinceRefresh.elapsed() >= refreshInterval.count()) {
        std::int16_t cancel = 0;
        platform::gProgreso().Avanzar(cancel, text, progressTitle, progressMessage);
        m_sinceRefresh.start();
        m_cancelRequested = m_cancelRequested || cancel != 0;
    }
    return m_cancelRequested;
}

// One commit instead of one for every row written: each commit of its own waits for the disk.
void RunGuard::inOneTransaction(const std::function<void()> &work) const
{
    platform::db::Connection &connection = *data::gDB().gCnn;
    const bool began = attempt([&] { connection.beginTrans(); });
    try {
        work();
    } catch (...) {
        if (began)
            attempt([&] { connection.commitTrans(); });
        throw;
    }
    if (began)
        attempt([&] { connection.commitTrans(); });
}

Recordset openJournalSum(const JournalSum &sum)
{
    data::DB_Dll &db = data::gDB();
    JournalSum asSeen = sum;
    asSeen.userAccountsOnly = db.restrictsJournal();
    return db.gCnn->execute(db.ORACLE_Dicc(db.SS_TSinonimos(journalSumStatement(asSeen))), nullptr,
                            platform::db::adOptionUnspecified);
}

// ---- StatisticRun -----------------------------------------------------------------------------

StatisticRun::StatisticRun(StatisticDefinition definition, QString key, QString definitionTable,
                           const RunGuard &guard)
    : m_settings(std::move(definition)), m_filters(m_settings.filters()), m_key(std::move(key)),
      m_definitionTable(std::move(definitionTable)), m_guard(guard)
{ }

void StatisticRun::fillWorkTable()
{
    m_guard.inOneTransaction([this] { writeRows(); });
}

void StatisticRun::writeRows()
{
    data::DB_Dll &db = data::gDB();
    db.EjecutaConsultaSQL(deleteWorkRowsStatement(m_key));

    m_guard.attempt([&] {
        m_definition = db.gCnn->execute(
            definitionRowsStatement(m_definitionTable, m_settings.name().trimmed()), nullptr,
            platform::db::adOptionUnspecified);
    });
    if (!hasRows(m_definition))
        return;
    m_guard.attempt([&] {
        m_definition.moveFirst();
        m_name = textOf(m_definition, QStringLiteral("Nombre")).trimmed();
    });

    writeSkeleton();

    while (!m_definition.eof()) {
        addDefinitionLine();
        m_guard.attempt([&] { m_definition.moveNext(); });
    }
}

void StatisticRun::writeSkeleton()
{
    m_guard.attempt([&] {
        m_start = dateOfBox(m_settings.startText());
        m_end = dateOfBox(m_settings.endText());
    });
    if (!m_start.isValid() || !m_end.isValid())
        return;

    Recordset groups;
    m_guard.attempt([&] { data::gDB().AbrirRecordset(definitionGroupsStatement(m_name), groups); });
    if (!hasRows(groups))
        return;
    while (!groups.eof()) {
        QString group;
        if (m_guard.attempt([&] { group = textOf(groups, QStringLiteral("GRUPO")); }))
            writeGroupRows(group, m_start, m_end);
        m_guard.attempt([&] { groups.moveNext(); });
    }
}

// The opening balance is a date bucket: under a unit or cost-centre grouping a stored tick
// would print a column of its own with no unit or centre to head it.
bool StatisticRun::opensWithBalance() const
{
    return m_settings.calculaSI && m_settings.grouping == Grouping::Date;
}

// The rows of a group go to the server together: one round trip instead of one a row, and a
// stopped run leaves whole groups.
void StatisticRun::writeGroupRows(const QString &group, const QDate &start, const QDate &end)
{
    const QList<DateSpan> spans
        = bucketSpans(start, end, m_settings.periodicidad, m_settings.grouping);
    QList<WorkRow> rows;
    if (!spans.isEmpty() && opensWithBalance()) {
        const QDate day = openingBalanceDay(start);
        rows.append(emptyRow(group, DateSpan{day, day}));
    }
    for (const DateSpan &span : spans) {
        switch (m_settings.grouping) {
        case Grouping::BusinessUnit:
            addCodedRows(rows, group, span, WorkRowKind::BusinessUnit);
            break;
        case Grouping::CostCentre:
            addCodedRows(rows, group, span, WorkRowKind::CostCentre);
            break;
        case Grouping::Date:
            rows.append(emptyRow(group, span));
            break;
        }
    }
    if (rows.isEmpty())
        return;
    m_guard.advance(group, true);
    data::gDB().EjecutaConsultaSQL(insertWorkRowsStatement(rows));
}

WorkRow StatisticRun::emptyRow(const QString &group, const DateSpan &span, WorkRowKind kind,
                               const QString &code) const
{
    return WorkRow{m_key, m_name, group, span, kind, code};
}

// One row per business unit or cost centre of the run's list, or per every one when the list
// is empty.
void StatisticRun::addCodedRows(QList<WorkRow> &rows, const QString &group, const DateSpan &span,
                                WorkRowKind kind)
{
    const QString statement = kind == WorkRowKind::BusinessUnit
        ? businessUnitsStatement(m_filters.businessUnits.codes)
        : costCentresStatement(m_filters.costCentres.codes);
    data::DB_Dll &db = data::gDB();
    Recordset codes;
    m_guard.attempt([&] { db.AbrirRecordset(statement, codes); });
    if (hasRows(codes)) {
        while (!codes.eof()) {
            QString code;
            if (m_guard.attempt([&] { code = textOf(codes, QStringLiteral("Codigo")); }))
                rows.append(emptyRow(group, span, kind, code));
            m_guard.attempt([&] { codes.moveNext(); });
        }
    }
    db.CierraRecordset(codes);
}

void StatisticRun::addDefinitionLine()
{
    QString group;
    m_guard.attempt([&] { group = textOf(m_definition, QStringLiteral("Grupo")); });
    m_guard.advance(group, true);

    QString side;
    QString account;
    m_guard.attempt([&] {
        side = sideClause(truthOf(textOf(m_definition, QStringLiteral("DEBE"))),
                          truthOf(textOf(m_definition, QStringLiteral("Haber"))));
    });
    m_guard.attempt([&] { account = textOf(m_definition, QStringLiteral("Cuenta")); });

    m_guard.attempt([&] {
        data::gDB().AbrirRecordset(groupWorkRowsStatement(m_name, group, m_key), m_workRows,
                                   nullptr, platform::db::adOpenDynamic,
                                   platform::db::adLockOptimistic);
    });
    if (!hasRows(m_workRows))
        return;
    m_guard.attempt([&] { m_workRows.moveFirst(); });
    while (!m_workRows.eof()) {
        addIntoWorkRow(group, account, side);
        m_guard.attempt([&] { m_workRows.moveNext(); });
    }
}

bool TitleAccounts::isTitle(const QString &account)
{
    if (const auto known = m_known.constFind(account); known != m_known.cend())
        return *known;
    const bool title
        = truthOf(data::gDB()
                      .DatosTabla(QStringLiteral("ma_cuentas"), account, QStringLiteral("Titulo"),
                                  QStringLiteral("Codigo"), 8, QString(), true, false)
                      .toString());
    m_known.insert(account, title);
    return title;
}

JournalSum StatisticRun::journalSumFor(const QString &account, const QString &side)
{
    JournalSum sum;
    sum.grouping = m_settings.grouping;
    sum.periodicidad = m_settings.periodicidad;
    sum.account = account;
    sum.titleAccount = m_titleAccounts.isTitle(account);
    sum.side = side;
    sum.voucherCodes = m_filters.vouchers.codes;
    sum.unitCodes = m_filters.businessUnits.codes;
    sum.bucket = DateSpan{dateOf(m_workRows.field(QStringLiteral("FechaD")).value()),
                          dateOf(m_workRows.field(QStringLiteral("FechaH")).value())};
    sum.lastBucket = sum.bucket.to == m_end;
    sum.openingBalance = opensWithBalance() && sum.bucket.from == openingBalanceDay(m_start);
    sum.unit = textOf(m_workRows, QStringLiteral("UNegocio"));
    sum.costCentre = textOf(m_workRows, QStringLiteral("CCosto"));
    return sum;
}

// The rows of a sum are added up first and the work row saved once: every save waits for the
// server, and a stopped or failed run leaves each work row with whole sums of its lines.
void StatisticRun::addIntoWorkRow(const QString &group, const QString &account, const QString &side)
{
    JournalSum sum;
    Recordset sums;
    const bool ran = m_guard.attempt([&] { sum = journalSumFor(account, side); })
        && m_guard.attempt([&] { sums = openJournalSum(sum); });
    if (ran && hasRows(sums)) {
        Currency total;
        bool added = false;
        while (!sums.eof()) {
            m_guard.advance(group, true);
            m_guard.attempt([&] {
                const bool credit = platform::equalsIgnoringCase(
                    textOf(sums, QStringLiteral("Debe-Haber")), QStringLiteral("H"));
                const Currency amount = amountOf(sums.field(QStringLiteral("Importe")).value());
                total = credit ? total - amount : total + amount;
                added = true;
            });
            m_guard.attempt([&] { sums.moveNext(); });
        }
        if (added)
            m_guard.attempt([&] { addToWorkRow(m_workRows, group, total); });
    }
    m_guard.advance(group + u' ' + account, false);
}

void addToWorkRow(Recordset &workRow, const QString &group, const Currency &amount)
{
    platform::db::Field total = workRow.field(QStringLiteral("ImporteG1"));
    try {
        total.setValue(platform::currencyVariant(amountOf(total.value()) + amount));
        workRow.field(QStringLiteral("GRUPO")).setValue(group);
        workRow.update();
    } catch (const Error &) {
        // The failed edit already holds the amount.
        if (workRow.editMode() != platform::db::adEditNone)
            workRow.cancelUpdate();
        throw;
    }
}

} // namespace statistics
