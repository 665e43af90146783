// Times the program's whole computations on large demo journals: a statistic run grouped by date
// and by business unit, and the per-account breakdown, each against one grouped statement on the
// raw sqlite3 API over the same file that gives the same sums, both timed alike: one warm-up,
// then the best of the same number of passes. Every sum the program wrote into the work table is
// checked against that statement's. Each computation also tells the round trips it would cost
// against a server through ODBC. The last lines are the most round trips and the worst ratio.

#include "breakdown/frm_detallado.h"
#include "core/mod_global.h"
#include "data/db_dll.h"
#include "demo/suite_database.h"
#include "platform/db/connection.h"
#include "platform/db/embedded/embedded_provider.h"
#include "platform/db/embedded/sql_server_functions.h"
#include "platform/db/embedded/sqlite_database.h"
#include "platform/db/odbc/round_trips.h"
#include "platform/error.h"
#include "platform/regional_settings.h"
#include "platform/suite/progreso.h"
#include "platform/text.h"
#include "statistics/statistic_definition.h"
#include "statistics/statistic_printing.h"
#include "statistics/statistic_run.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QStringBuilder>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <sqlite3.h>
#include <vector>

namespace {

QTextStream out(stdout);

const QString definitionName = QStringLiteral("Benchmark 40 cuentas");
const QString stationKey = QStringLiteral("BENCH|USUARIO");
const QDate rangeStart(2023, 1, 1);
const QDate rangeEnd(2023, 12, 31);
constexpr int quincenal = 2;
constexpr int fortnight = 14;
constexpr int timedPasses = 3;

[[noreturn]] void fail(const QString &message)
{
    throw platform::Error(0, message, QStringLiteral("benchmark"));
}

// ---- The definition ----------------------------------------------------------------------------

struct DefinitionLine
{
    QString group;
    QString account;
    bool title = false;
    bool debe = true;
    bool haber = true;

    bool takes(const QString &journalAccount) const
    {
        return title ? journalAccount.startsWith(account) : journalAccount == account;
    }
    bool takesSide(bool credit) const { return debe == haber || (credit ? haber : debe); }
};

// 40 lines in 8 groups of the demo chart: two title accounts and three detail accounts a group.
// The detail lines take debits, credits or both in turn; the title lines take both.
QList<DefinitionLine> benchmarkDefinition()
{
    static const char *const titles[]
        = {"1", "11", "12", "2", "21", "3", "31", "4", "41", "42", "5", "51", "52"};
    static const char *const details[] = {"1101", "1102", "1103", "1201", "2101", "2102", "3101",
                                          "4101", "4102", "4201", "5101", "5201", "5202", "5203"};
    constexpr int titleCount = int(std::size(titles));
    constexpr int detailCount = int(std::size(details));
    QList<DefinitionLine> lines;
    for (int group = 0; group < 8; ++group) {
        const QString name = QStringLiteral("Grupo %1").arg(group + 1);
        for (int i = 0; i < 2; ++i)
            lines.append({name, QString::fromLatin1(titles[(2 * group + i) % titleCount]), true});
        for (int i = 0; i < 3; ++i)
            lines.append({name, QString::fromLatin1(details[(3 * group + i) % detailCount])});
    }
    for (int i = 0; i < lines.size(); ++i) {
        lines[i].debe = lines[i].title || i % 3 != 1;
        lines[i].haber = lines[i].title || i % 3 != 0;
    }
    return lines;
}

void storeDefinition(platform::db::Connection &connection, const QList<DefinitionLine> &lines)
{
    connection.execute(u"DELETE FROM MA_PANELCTA WHERE NOMBRE = '" + definitionName + u'\'');
    for (const DefinitionLine &line : lines)
        connection.execute(
            QStringLiteral("INSERT INTO MA_PANELCTA (NOMBRE, FechaD, FechaH, Grupo, Cuenta, DEBE, "
                           "Haber, PERIODICIDAD, EsRanking) VALUES ('%1', '%2', '%3', '%4', '%5', "
                           "%6, %7, %8, 0)")
                .arg(definitionName, rangeStart.toString(Qt::ISODate),
                     rangeEnd.toString(Qt::ISODate), line.group, line.account)
                .arg(int(line.debe))
                .arg(int(line.haber))
                .arg(quincenal));
}

// ---- Cells: what a run wrote, and what the grouped statement gives
// -------------------------------

// A sum of the work table: a group in one column (a period's first day, or a business unit).
using CellKey = std::pair<QString, QString>;
using Cells = QMap<CellKey, double>;

struct Span
{
    QDate from;
    QDate to;
};

enum class Computation { StatisticByDate, StatisticByUnit, Breakdown };

QString isoDate(const char *stored)
{
    return QString::fromLatin1(stored).left(10);
}

// The raw database file, with the engine's collations and functions, which its schema names.
class RawDatabase
{
public:
    explicit RawDatabase(const QString &file)
    {
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr)
            != SQLITE_OK)
            failHere();
        platform::db::embedded::registerSqlServerFunctions(m_db, &m_context);
    }
    ~RawDatabase() { sqlite3_close(m_db); }
    RawDatabase(const RawDatabase &) = delete;
    RawDatabase &operator=(const RawDatabase &) = delete;

    void forEachRow(const QString &sql, const std::function<void(sqlite3_stmt *)> &row)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr)
            != SQLITE_OK)
            failHere();
        int rc;
        // The program's own steps run with the vector state cleared; so must the statement it
        // is measured against.
        while ((rc = platform::db::embedded::stepStatement(statement)) == SQLITE_ROW)
            row(statement);
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            failHere();
    }

private:
    [[noreturn]] void failHere() const { fail(QString::fromUtf8(sqlite3_errmsg(m_db))); }

    sqlite3 *m_db = nullptr;
    platform::db::embedded::FunctionContext m_context;
};

QString text(sqlite3_stmt *statement, int column)
{
    return QString::fromUtf8(
        reinterpret_cast<const char *>(sqlite3_column_text(statement, column)));
}

// The fortnights of the range: each shares its last day with the next one's first, and the
// last one ends on the range's end.
std::vector<Span> fortnights()
{
    std::vector<Span> spans;
    for (QDate from = rangeStart; spans.empty() || spans.back().to < rangeEnd;) {
        const QDate to = std::min(from.addDays(fortnight), rangeEnd);
        spans.push_back({from, to});
        from = to;
    }
    return spans;
}

// The sums the run left in the user's work rows.
Cells readWorkTable(RawDatabase &raw, Computation computation)
{
    Cells cells;
    raw.forEachRow(u"SELECT Grupo, FechaD, Unegocio, ImporteG1 FROM AUX_PANELCTA "
                   u"WHERE USUARIO = '"
                       + stationKey + u'\'',
                   [&](sqlite3_stmt *row) {
                       const QString column = computation == Computation::StatisticByUnit
                           ? text(row, 2)
                           : isoDate(reinterpret_cast<const char *>(sqlite3_column_text(row, 1)));
                       cells[{text(row, 0), column}] += sqlite3_column_double(row, 3);
                   });
    return cells;
}

// The column a journal day falls in: a shared last day counts in the later period, the range's
// last day in the last one.
const Span *spanOf(const std::vector<Span> &spans, const QDate &day)
{
    for (const Span &span : spans) {
        if (day >= span.from && (day < span.to || (span.to == rangeEnd && day <= span.to)))
            return &span;
    }
    return nullptr;
}

// One grouped statement over the journal, folded into the cells of the definition. The
// statistic counts credits negative, the breakdown debits. By date it reads the range through
// the index of dates; by unit through the index of units, in its order, so that neither sorts.
Cells referenceCells(RawDatabase &raw, Computation computation, const QList<DefinitionLine> &lines,
                     const std::vector<Span> &spans)
{
    const double creditSign = computation == Computation::Breakdown ? 1 : -1;
    const QString range
        = QStringLiteral("EsResumen = 0 AND FECHA >= '%1 00:00:00' AND FECHA <= "
                         "'%2 00:00:00'")
              .arg(rangeStart.toString(Qt::ISODate), rangeEnd.toString(Qt::ISODate));
    Cells cells;
    const auto add = [&](const QString &account, const QString &column, bool credit, double sum) {
        for (const DefinitionLine &line : lines) {
            if (line.takes(account) && line.takesSide(credit))
                cells[{line.group, column}] += sum * (credit ? creditSign : -creditSign);
        }
    };
    if (computation == Computation::StatisticByUnit) {
        raw.forEachRow(u"SELECT UNEGOCIO, CUENTA, SUM(CASE WHEN [DEBE-HABER] = 'H' THEN IMPORTE "
                       u"ELSE 0 END), SUM(CASE WHEN [DEBE-HABER] = 'H' THEN 0 ELSE IMPORTE END) "
                       u"FROM MV_ASIENTOS INDEXED BY IX_MV_ASIENTOS_UNEGOCIO_CUENTA WHERE "
                           % range % u" GROUP BY UNEGOCIO, CUENTA",
                       [&](sqlite3_stmt *row) {
                           const QString unit = text(row, 0);
                           const QString account = text(row, 1);
                           add(account, unit, true, sqlite3_column_double(row, 2));
                           add(account, unit, false, sqlite3_column_double(row, 3));
                       });
        return cells;
    }
    raw.forEachRow(u"SELECT CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) FROM MV_ASIENTOS WHERE "
                       % range % u" GROUP BY CUENTA, FECHA, [DEBE-HABER]",
                   [&](sqlite3_stmt *row) {
                       const Span *span
                           = spanOf(spans, QDate::fromString(text(row, 1).left(10), Qt::ISODate));
                       if (!span)
                           return;
                       add(text(row, 0), span->from.toString(Qt::ISODate),
                           text(row, 2).compare(u"H", Qt::CaseInsensitive) == 0,
                           sqlite3_column_double(row, 3));
                   });
    return cells;
}

// Rows that received no sum keep their own text and zero, on both sides alike.
void requireSameCells(const Cells &run, const Cells &reference, const char *label)
{
    QStringList differences;
    QMap<CellKey, bool> keys;
    for (auto it = run.begin(); it != run.end(); ++it)
        keys.insert(it.key(), true);
    for (auto it = reference.begin(); it != reference.end(); ++it)
        keys.insert(it.key(), true);
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        const double ran = run.value(it.key());
        const double expected = reference.value(it.key());
        if (std::abs(ran - expected) >= 0.005 && differences.size() < 5)
            differences << QStringLiteral("%1 %2: %3 against %4")
                               .arg(it.key().first, it.key().second)
                               .arg(ran, 0, 'f', 4)
                               .arg(expected, 0, 'f', 4);
    }
    if (reference.isEmpty())
        differences << QStringLiteral("the grouped statement found no journal lines");
    if (!differences.isEmpty())
        fail(QString::fromLatin1(label) + u": sums differ: " + differences.join(u"; "));
}

// ---- Running the program's computations
// ----------------------------------------------------------

double secondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

// Any error box or cancel question of a run ends the benchmark: nobody is there to answer.
statistics::RunGuard benchmarkGuard()
{
    return statistics::RunGuard(statistics::RunHooks{
        [](const platform::Error &error) -> platform::Resume {
            fail(u"the run failed: " + error.description());
        },
        [] { return false; },
    });
}

// The benchmark's definition as the window shows it once loaded: fortnightly over the year,
// nothing selected in the lists.
statistics::StatisticDefinition runDefinition(statistics::Grouping grouping)
{
    statistics::StatisticDefinition definition;
    definition.header = {{QStringLiteral("NOMBRE"), definitionName},
                         {QStringLiteral("FechaD"), platform::formatShortDate(rangeStart)},
                         {QStringLiteral("FechaH"), platform::formatShortDate(rangeEnd)}};
    definition.periodicidad = quincenal;
    definition.grouping = grouping;
    return definition;
}

void runStatistic(statistics::Grouping grouping)
{
    const statistics::RunGuard guard = benchmarkGuard();
    platform::gProgreso().Mostrar(QStringLiteral("Actualizando Estadistica"), 1);
    statistics::StatisticRun(runDefinition(grouping), stationKey, QStringLiteral("MA_PANELCTA"),
                             guard)
        .fillWorkTable();
    statistics::correctSigns(stationKey);
    platform::gProgreso().Ocultar();
}

void runBreakdown()
{
    core::gEstacionUsuario = stationKey;
    QString name = definitionName;
    breakdown::frmDetallado().GeneraAuxiliar(name, runDefinition(statistics::Grouping::Date));
}

void openProgramConnection(const QString &database, const QString &logFolder)
{
    data::DB_Dll &db = data::gDB();
    const demo::SuiteUser &user = demo::administratorUser();
    db.gServidor = QStringLiteral("(embebido)");
    db.gDBName = database;
    db.gUsuario = user.name;
    db.gUserPassWord = user.password;
    db.gLogErr = logFolder + QStringLiteral("/TVERR_DATOS.LOG");
    db.OpenServerADODB(false, platform::db::adUseClient, QString(), false, false);
    if (!db.gOpenFlag)
        fail(u"cannot open " + database);
}

struct Measure
{
    const char *label;
    Computation computation;
    std::function<void()> run;
};

// A journal line rewritten as it is, from a connection of its own: the engine forgets the sums
// it kept of the journal, as it does when another user posts, so a timed run reads the journal
// as the first run after a change does, not the answers of the pass before it.
void touchJournal(const QString &file)
{
    sqlite3 *db = nullptr;
    platform::db::embedded::FunctionContext context; // the journal's indexes use its collations
    const int rc = sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        platform::db::embedded::registerSqlServerFunctions(db, &context);
    if (rc != SQLITE_OK
        || sqlite3_exec(db,
                        "UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE "
                        "WHERE rowid = (SELECT min(rowid) FROM MV_ASIENTOS)",
                        nullptr, nullptr, nullptr)
            != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        fail(u"cannot rewrite a journal line of " + file + u": " + reason);
    }
    sqlite3_close(db);
}

// Each side is timed after a warm-up pass of its own: the first pass of either reads the file
// into the cache, and the first breakdown builds its window. What runs before each pass is not
// timed.
double bestSeconds(const std::function<void()> &work, const std::function<void()> &before = {})
{
    double best = std::numeric_limits<double>::max();
    for (int pass = 0; pass < timedPasses; ++pass) {
        if (before)
            before();
        best = std::min(best, secondsOf(work));
    }
    return best;
}

struct Outcome
{
    double ratio = 0;
    platform::db::odbc::RoundTrips roundTrips;
};

Outcome measure(const Measure &item, RawDatabase &raw, const QString &file,
                const QList<DefinitionLine> &lines,
                const platform::db::odbc::CountingSession &counter)
{
    const std::vector<Span> spans = fortnights();
    touchJournal(file);
    const platform::db::odbc::RoundTrips before = counter.roundTrips();
    item.run(); // the warm-up, and the pass whose round trips are counted
    Outcome outcome;
    outcome.roundTrips = counter.roundTrips() - before;
    const double run = bestSeconds(item.run, [&] { touchJournal(file); });
    const Cells ran = readWorkTable(raw, item.computation);

    Cells reference = referenceCells(raw, item.computation, lines, spans);
    const double statement
        = bestSeconds([&] { reference = referenceCells(raw, item.computation, lines, spans); });
    requireSameCells(ran, reference, item.label);
    outcome.ratio = run / statement;
    out << QStringLiteral("  %1 %2 s, one grouped statement %3 s, ratio %4, %5 sums agree")
               .arg(QString::fromLatin1(item.label), -28)
               .arg(run, 7, 'f', 2)
               .arg(statement, 5, 'f', 2)
               .arg(outcome.ratio, 6, 'f', 1)
               .arg(ran.size())
        << Qt::endl;
    const platform::db::odbc::RoundTrips &trips = outcome.roundTrips;
    out << QStringLiteral("    round trips: %1 (%2 executes, %3 fetch batches, %4 commits)")
               .arg(trips.total())
               .arg(trips.executes)
               .arg(trips.fetchBatches)
               .arg(trips.commits)
        << Qt::endl;
    return outcome;
}

Outcome benchmarkJournal(int journalLines, const QString &logFolder)
{
    const QString name = QStringLiteral("BENCH_%1").arg(journalLines);
    const QString file = platform::db::embedded::dataFolder() % u'/' % name % u".db";
    if (QFileInfo::exists(file)) {
        out << "journal of " << journalLines << " lines: reusing " << file << Qt::endl;
        // A folder made before the engine checked logins has none.
        demo::registerLogins();
    } else {
        demo::SuiteOptions options;
        options.sample.journalLines = journalLines;
        const double making = secondsOf([&] { demo::createSuiteDatabase(name, options); });
        out << "journal of " << journalLines << " lines: made " << file << " in "
            << QString::number(making, 'f', 1) << " s" << Qt::endl;
    }

    const QList<DefinitionLine> lines = benchmarkDefinition();
    {
        const auto connection = platform::db::Connection::create();
        connection->open(demo::connectionString(name));
        storeDefinition(*connection, lines);
        connection->close();
    }
    openProgramConnection(name, logFolder);
    platform::db::odbc::CountingSession *counter = nullptr;
    data::gDB().gCnn->wrapSession([&](std::unique_ptr<platform::db::Session> session) {
        auto counting = std::make_unique<platform::db::odbc::CountingSession>(std::move(session));
        counter = counting.get();
        return counting;
    });
    RawDatabase raw(file);
    const std::vector<Measure> items = {
        {"statistic by date:", Computation::StatisticByDate,
         [] { runStatistic(statistics::Grouping::Date); }},
        {"statistic by business unit:", Computation::StatisticByUnit,
         [] { runStatistic(statistics::Grouping::BusinessUnit); }},
        {"breakdown by date:", Computation::Breakdown, runBreakdown},
    };
    Outcome worst;
    for (const Measure &item : items) {
        const Outcome outcome = measure(item, raw, file, lines, *counter);
        worst.ratio = std::max(worst.ratio, outcome.ratio);
        if (outcome.roundTrips.total() > worst.roundTrips.total())
            worst.roundTrips = outcome.roundTrips;
    }
    data::gDB().gCnn->close();
    return worst;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times a statistic run by date and by business unit and the breakdown, fortnightly over "
        "a year for 40 account lines in 8 groups, against one grouped statement on raw sqlite3 "
        "giving the same sums, checks every sum, and counts the round trips each would cost "
        "against a server through ODBC."));
    parser.addHelpOption();
    const QCommandLineOption lines(QStringLiteral("lines"),
                                   QStringLiteral("Journal sizes, separated by commas."),
                                   QStringLiteral("counts"), QStringLiteral("1000000,2000000"));
    const QCommandLineOption data(
        QStringLiteral("data"),
        QStringLiteral("Folder of the journal databases, made there once and then reused "
                       "(default: a temporary folder)."),
        QStringLiteral("folder"));
    parser.addOptions({lines, data});
    parser.process(application);

    std::vector<int> sizes;
    for (const QString &size : parser.value(lines).split(u',')) {
        bool valid = false;
        sizes.push_back(size.toInt(&valid));
        if (!valid || sizes.back() < 2) {
            QTextStream(stderr) << "statistic_run_benchmark: --lines takes counts of 2 or more\n";
            return 2;
        }
    }
    QTemporaryDir temporary;
    const QString folder
        = parser.isSet(data) ? QDir(parser.value(data)).absolutePath() : temporary.path();
    QDir().mkpath(folder);
    qputenv("RP_PANELCTA_DATOS", folder.toUtf8());
    platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());

    try {
        double worstRatio = 0;
        std::int64_t mostRoundTrips = 0;
        for (int size : sizes) {
            const Outcome worst = benchmarkJournal(size, temporary.path());
            worstRatio = std::max(worstRatio, worst.ratio);
            mostRoundTrips = std::max(mostRoundTrips, worst.roundTrips.total());
        }
        out << "most round trips: " << mostRoundTrips << Qt::endl;
        out << "worst ratio: " << QString::number(worstRatio, 'f', 1) << Qt::endl;
    } catch (const platform::Error &error) {
        QTextStream(stderr) << "statistic_run_benchmark: " << error.description() << '\n';
        return 1;
    }
    return 0;
}
