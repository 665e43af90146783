#pragma once

#include "statistics/statistic_buckets.h"

#include <QDate>
#include <QList>
#include <QString>

// The statements of a statistic run, in the SQL Server dialect. Every value between single
// quotes has its quotes doubled, so a quote in a name, group, account or code stays inside its
// literal.
namespace statistics {

// ---- Work rows --------------------------------------------------------------------------------

QString deleteWorkRowsStatement(const QString &key);

QString definitionRowsStatement(const QString &table, const QString &name);
QString definitionGroupsStatement(const QString &name);
// Units and cost centres of a run; an empty code list takes every one.
QString businessUnitsStatement(const QString &unitCodes);
QString costCentresStatement(const QString &costCentreCodes);

// One empty work row of a group. The code is the unit or cost centre of those groupings.
enum class WorkRowKind { Bucket, BusinessUnit, CostCentre };
struct WorkRow
{
    QString key;
    QString name;
    QString group;
    DateSpan span;
    WorkRowKind kind = WorkRowKind::Bucket;
    QString code;
};
QString insertWorkRowStatement(const WorkRow &row);
// The INSERTs of the rows as one batch: one round trip to the server for all of them. Each
// stands on a line of its own, without ";", which an Oracle connection would take for part of
// the statement it cuts out before the next INSERT.
QString insertWorkRowsStatement(const QList<WorkRow> &rows);

QString groupWorkRowsStatement(const QString &name, const QString &group, const QString &key);

// ---- Journal sums -----------------------------------------------------------------------------

// Which side of the journal a definition line sums: one side when only its debit or only its
// credit flag is set, both otherwise.
QString sideClause(bool debe, bool haber);

// Everything one journal sum depends on: the definition line, the work row it fills and the
// run's filter lists.
struct JournalSum
{
    Grouping grouping = Grouping::Date;
    int periodicidad = Diario;
    QString account; // as stored; matched trimmed, a title account's code as prefix
    bool titleAccount = false;
    QString side; // sideClause()
    QString voucherCodes;
    QString unitCodes;
    DateSpan bucket;
    bool lastBucket = false; // ends on the statistic's end date: its end day is included
    bool openingBalance = false; // every line up to the bucket's day, whatever the grouping
    QString unit; // business-unit grouping: the work row's unit
    QString costCentre; // cost-centre grouping: the work row's cost centre
    // Confidentiality: the user may not see every account. The journal itself then reaches the
    // server as its restricted synonym; the cost-centre view has none, so its lines are kept to
    // the accounts of the user's restricted chart of accounts.
    bool userAccountsOnly = false;
};
QString journalSumStatement(const JournalSum &sum);

// ---- Signs ------------------------------------------------------------------------------------

// Groups named "... (+)" show absolute amounts, groups named "... (-)" negated ones.
QString positiveGroupsStatement(const QString &key);
QString negativeGroupsStatement(const QString &key);

} // namespace statistics
