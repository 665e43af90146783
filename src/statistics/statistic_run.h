#pragma once

#include "platform/db/recordset.h"
#include "platform/error.h"
#include "platform/steps.h"
#include "platform/variant.h"
#include "statistics/statistic_buckets.h"
#include "statistics/statistic_definition.h"
#include "statistics/statistic_statements.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>

// The computation of a statistic: the user's work rows rebuilt from a definition and the
// journal, one statement at a time, under the run's cancel step and error path.
namespace statistics {

// Raised to end the run at once: the user stopped it, or left it from the error box.
struct RunLeft
{ };

// How a run asks its user: the error path turns an error into what happens to the failing
// statement; the cancel step answers true when the user stops the run.
struct RunHooks
{
    std::function<platform::Resume(const platform::Error &)> onError;
    std::function<bool()> confirmCancel;
};

// Runs the statements of a run under its error path, and the progress updates under its
// cancel step.
class RunGuard
{
public:
    explicit RunGuard(RunHooks hooks) : m_hooks(std::move(hooks)) { }

    // Runs one statement; on an error the error path decides: run it again, go on without it
    // (false), or leave the run (RunLeft).
    bool attempt(const std::function<void()> &statement) const;

    // Refreshes the progress window with the text, at most every refreshInterval. With
    // mayCancel, a stop request asks the cancel step, and a confirmed stop leaves the run
    // (RunLeft). A request seen where the run may not stop waits for the next call that may.
    void advance(const QString &text, bool mayCancel) const;

    static constexpr std::chrono::milliseconds refreshInterval{50};

    // Runs the work in one transaction of the main connection, committed however the work
    // ends: a stopped or failed run keeps the rows it wrote, as it would without one.
    void inOneTransaction(const std::function<void()> &work) const;

private:
    bool takeCancelRequest(const QString &text) const;

    RunHooks m_hooks;
    // The progress window is the run's state, not the guard's: a const guard still updates it.
    mutable QElapsedTimer m_sinceRefresh;
    mutable bool m_cancelRequested = false;
};

// Opens the rows of a journal sum as the program sends every read: through the restricted
// synonyms for a user under confidentiality, in Oracle's dialect on Oracle.
platform::db::Recordset openJournalSum(const JournalSum &sum);

// Adds the amount into the work row's total and saves the row with its group. A save that fails
// leaves the row as it is stored, so that a retry adds the amount once.
void addToWorkRow(platform::db::Recordset &workRow, const QString &group,
                  const platform::Currency &amount);

// Whether each account a run meets is a title account, standing for every account its code
// begins: the chart of accounts is read once per account and run, however many lines and
// buckets name it.
class TitleAccounts
{
public:
    // False for an account the chart does not hold; a type mismatch is raised when its Titulo
    // is no truth value.
    bool isTitle(const QString &account);

private:
    QHash<QString, bool> m_known; // by account as the definition holds it
};

// Rebuilds the user's work rows: deletes them, writes the empty rows of every group and
// bucket, then adds the journal sums of every definition line into its group's rows.
class StatisticRun
{
public:
    // The definition's lines are read from the definition table by its name; the work rows are
    // the user's of the key.
    StatisticRun(StatisticDefinition definition, QString key, QString definitionTable,
                 const RunGuard &guard);

    // Raises RunLeft when the run is stopped or left.
    void fillWorkTable();

    // The name as stored in the first definition row, trimmed; empty when the statistic has
    // none. Every statement after the definition rows names the statistic by it.
    const QString &statisticName() const { return m_name; }

private:
    void writeRows();
    void writeSkeleton();
    bool opensWithBalance() const;
    void writeGroupRows(const QString &group, const QDate &start, const QDate &end);
    WorkRow emptyRow(const QString &group, const DateSpan &span, WorkRowKind kind = {},
                     const QString &code = {}) const;
    void addCodedRows(QList<WorkRow> &rows, const QString &group, const DateSpan &span,
                      WorkRowKind kind);
    void addDefinitionLine();
    void addIntoWorkRow(const QString &group, const QString &account, const QString &side);
    JournalSum journalSumFor(const QString &account, const QString &side);

    const StatisticDefinition m_settings; // the definition as the window shows it
    const RunFilters m_filters;
    const QString m_key;
    const QString m_definitionTable;
    const RunGuard &m_guard;
    QString m_name;
    QDate m_start; // invalid when the start box holds no date
    QDate m_end;
    platform::db::Recordset m_definition;
    platform::db::Recordset m_workRows;
    TitleAccounts m_titleAccounts;
};

} // namespace statistics
