// What the object model and the embedded engine add to SQLite on the statistic run's journal
// sums: the same statements run through Connection::execute and, translated beforehand, on the
// raw sqlite3 API, over a large demo journal. Also times the demo maker on that journal.

#include "demo/suite_database.h"
#include "platform/db/connection.h"
#include "platform/db/embedded/embedded_provider.h"
#include "platform/db/embedded/sql_server_functions.h"
#include "platform/db/embedded/tsql_translator.h"
#include "platform/db/recordset.h"
#include "platform/error.h"
#include "platform/regional_settings.h"
#include "platform/suite/utilidades.h"
#include "platform/variant.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

using platform::db::Connection;
using namespace platform::db::embedded;

QTextStream out(stdout);

struct Totals
{
    qint64 rows = 0;
    double amount = 0;

    // The engine may hand sums back as currency, rounded to four decimals.
    bool agreesWith(const Totals &other) const
    {
        return rows == other.rows && std::abs(amount - other.amount) < 0.01;
    }
};

double amountOf(const QVariant &value)
{
    return platform::isCurrency(value) ? value.value<platform::Currency>().toDouble()
                                       : value.toDouble();
}

// One journal sum per detail account and month, in the periodic exact-account form the
// statistic run sends.
QStringList journalSums(Connection &connection, const demo::SampleOptions &options)
{
    QStringList accounts;
    auto chart = connection.execute(
        QStringLiteral("SELECT CODIGO FROM MA_CUENTAS WHERE Titulo = 0 ORDER BY CODIGO"));
    for (; !chart.eof(); chart.moveNext())
        accounts << chart.field(QStringLiteral("CODIGO")).value().toString();

    QStringList statements;
    const platform::Utilidades &util = platform::gUtil();
    for (const QString &account : accounts) {
        for (QDate month = options.firstDay; month <= demo::lastJournalDay(options);
             month = month.addMonths(1)) {
            statements << u"Select CUENTA, FECHA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE  From "
                          u"MV_ASIENTOS  WHERE (EsResumen = 0)  GROUP BY CUENTA, FECHA, "
                          u"[DEBE-HABER]  HAVING (CUENTA = '"
                    % account % u"' AND FECHA >=" % util.FechaSQL(month) % u" AND Fecha <="
                    % util.FechaSQL(month.addMonths(1).addDays(-1)) % u" )";
        }
    }
    return statements;
}

Totals runThroughObjectModel(Connection &connection, const QStringList &statements)
{
    Totals totals;
    for (const QString &statement : statements) {
        auto rows = connection.execute(statement);
        for (; !rows.eof(); rows.moveNext()) {
            rows.field(QStringLiteral("CUENTA")).value();
            rows.field(QStringLiteral("FECHA")).value();
            rows.field(QStringLiteral("DEBE-HABER")).value();
            totals.amount += amountOf(rows.field(QStringLiteral("IMPORTE")).value());
            ++totals.rows;
        }
    }
    return totals;
}

// The same database on the raw API, with the engine's collations and functions, which its
// schema and its translated statements name.
class RawDatabase
{
public:
    explicit RawDatabase(const QString &file)
    {
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr)
            != SQLITE_OK)
            fail();
        registerSqlServerFunctions(m_db, &m_context);
    }
    ~RawDatabase()
    {
        for (sqlite3_stmt *statement : std::as_const(m_statements))
            sqlite3_finalize(statement);
        sqlite3_close(m_db);
    }
    RawDatabase(const RawDatabase &) = delete;
    RawDatabase &operator=(const RawDatabase &) = delete;

    // Prepared once per text, as the engine caches its statements.
    Totals run(const QStringList &sqlTexts)
    {
        Totals totals;
        for (const QString &text : sqlTexts) {
            sqlite3_stmt *statement = prepared(text);
            while (sqlite3_step(statement) == SQLITE_ROW) {
                sqlite3_column_text(statement, 0);
                sqlite3_column_text(statement, 1);
                sqlite3_column_text(statement, 2);
                totals.amount += sqlite3_column_double(statement, 3);
                ++totals.rows;
            }
            sqlite3_reset(statement);
        }
        return totals;
    }

    QStringList queryPlan(const QString &sqlText)
    {
        QStringList plan;
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, ("EXPLAIN QUERY PLAN " + sqlText).toUtf8().constData(), -1,
                               &statement, nullptr)
            != SQLITE_OK)
            fail();
        while (sqlite3_step(statement) == SQLITE_ROW)
            plan << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(statement, 3)));
        sqlite3_finalize(statement);
        return plan;
    }

private:
    sqlite3_stmt *prepared(const QString &text)
    {
        sqlite3_stmt *&statement = m_statements[text];
        if (!statement
            && sqlite3_prepare_v2(m_db, text.toUtf8().constData(), -1, &statement, nullptr)
                != SQLITE_OK)
            fail();
        return statement;
    }

    [[noreturn]] void fail() const
    {
        throw platform::Error(0, QString::fromUtf8(sqlite3_errmsg(m_db)),
                              QStringLiteral("sqlite3"));
    }

    sqlite3 *m_db = nullptr;
    FunctionContext m_context;
    QHash<QString, sqlite3_stmt *> m_statements;
};

QStringList translated(const QStringList &statements)
{
    TranslationContext context;
    context.isDateColumn = [](const QString &column) {
        return column.compare(QStringLiteral("FECHA"), Qt::CaseInsensitive) == 0;
    };
    context.dateOrder = platform::regionalSettings().dateOrder;
    QStringList result;
    for (const QString &statement : statements) {
        const TranslatedBatch batch = translateBatch(statement, context);
        if (batch.error || batch.statements.size() != 1
            || batch.statements.first().kind != EngineStatement::Kind::Sql)
            throw platform::Error(batch.error ? batch.error->nativeError : 0,
                                  u"Cannot translate: " % statement, QStringLiteral("benchmark"));
        result << batch.statements.first().sql;
    }
    return result;
}

double secondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void requireSameTotals(const Totals &engine, const Totals &raw)
{
    if (!engine.agreesWith(raw))
        throw platform::Error(
            0,
            QStringLiteral("The two paths disagree: %1 rows, %2 against %3 rows, %4")
                .arg(engine.rows)
                .arg(engine.amount, 0, 'f', 2)
                .arg(raw.rows)
                .arg(raw.amount, 0, 'f', 2),
            QStringLiteral("benchmark"));
}

void report(const char *label, double engine, double raw)
{
    out << label << ": object model " << QString::number(engine * 1000, 'f', 1) << " ms, sqlite3 "
        << QString::number(raw * 1000, 'f', 1) << " ms, ratio "
        << QString::number(engine / raw, 'f', 2) << Qt::endl;
}

void runBenchmark(const demo::SampleOptions &options, int passes)
{
    const QString name = QStringLiteral("BENCH");
    QString connectionText;
    const double making = secondsOf([&] {
        connectionText = demo::createSuiteDatabase(name, {true, options});
    });
    out << "demo maker: " << options.journalLines << " journal lines in "
        << QString::number(making, 'f', 1) << " s" << Qt::endl;

    const auto connection = Connection::create();
    connection->open(connectionText);
    const QStringList statements = journalSums(*connection, options);
    const QStringList sqlTexts = translated(statements);
    RawDatabase raw(platform::db::embedded::dataFolder() % u'/' % name % u".db");
    out << statements.size() << " journal sums, one per detail account and month, such as\n  "
        << statements.first() << "\ntranslated to\n  " << sqlTexts.first()
        << "\nplan: " << raw.queryPlan(sqlTexts.first()).join(QStringLiteral("; ")) << Qt::endl;

    // The first pass translates and prepares every statement; later passes find them cached.
    Totals engineTotals, rawTotals;
    const double engineFirst
        = secondsOf([&] { engineTotals = runThroughObjectModel(*connection, statements); });
    const double rawFirst = secondsOf([&] { rawTotals = raw.run(sqlTexts); });
    requireSameTotals(engineTotals, rawTotals);
    out << engineTotals.rows << " rows summed, " << QString::number(engineTotals.amount, 'f', 2)
        << " in all" << Qt::endl;
    report("first pass", engineFirst, rawFirst);

    std::vector<double> engineTimes, rawTimes;
    for (int pass = 0; pass < passes; ++pass) {
        engineTimes.push_back(secondsOf([&] { runThroughObjectModel(*connection, statements); }));
        rawTimes.push_back(secondsOf([&] { raw.run(sqlTexts); }));
    }
    report(qPrintable(QStringLiteral("repeated passes (median of %1)").arg(passes)),
           median(engineTimes), median(rawTimes));
    out << "target: ratio at most 1.2" << Qt::endl;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times the journal sums through the object model against raw sqlite3, and the demo "
        "maker, on a demo database made in a temporary folder."));
    parser.addHelpOption();
    const QCommandLineOption lines(QStringLiteral("lines"), QStringLiteral("Journal lines."),
                                   QStringLiteral("count"), QStringLiteral("1000000"));
    const QCommandLineOption passes(QStringLiteral("passes"),
                                    QStringLiteral("Repeated passes after the first."),
                                    QStringLiteral("count"), QStringLiteral("5"));
    const QCommandLineOption keep(QStringLiteral("keep"),
                                  QStringLiteral("Keep the database folder afterwards."));
    parser.addOptions({lines, passes, keep});
    parser.process(application);

    demo::SampleOptions options;
    options.journalLines = parser.value(lines).toInt();
    const int passCount = parser.value(passes).toInt();
    if (options.journalLines < 2 || passCount < 1) {
        QTextStream(stderr)
            << "journal_sum_benchmark: --lines takes at least 2, --passes at least 1\n";
        return 2;
    }

    QTemporaryDir folder;
    folder.setAutoRemove(!parser.isSet(keep));
    qputenv("RP_PANELCTA_DATOS", folder.path().toUtf8());
    if (parser.isSet(keep))
        out << "data folder: " << folder.path() << Qt::endl;
    try {
        runBenchmark(options, passCount);
    } catch (const platform::Error &error) {
        QTextStream(stderr) << "journal_sum_benchmark: " << error.description() << " ("
                            << error.number() << ")\n";
        return 1;
    }
    return 0;
}
