#pragma once

#include <QString>
#include <QVector>
#include <optional>

namespace platform::db::embedded {

// A grouped SUM whose HAVING tests one account (`col = 'x'` or `substring(col,1,n) = 'x'`)
// and, last, possibly the side (`[DEBE-HABER] = 'D'`), the other conditions bounding the
// rows alike for every account. A run sends many of these that differ only in those tests:
// their common part, the range statement, gives every account's rows of the range at once,
// and each statement's rows are those of the range rows that pass its own tests.
struct GroupedSumShape
{
    // The statement without the account and side tests. When the statement groups by the
    // bare account column, whose collation may put different texts in one group, the range
    // statement also reads each group's least and greatest text as two last columns: a
    // group of one text passes or fails a prefix test whole.
    QString rangeStatement;
    bool readsTextBounds = false;
    QVector<int> boundedColumns; // whose bounds follow, in pairs: the account's first

    // A statement whose columns are its grouped ones and sums, with no other condition on its
    // groups, has a range grouped by the bare account column even when it groups by a prefix
    // of it: one range, read and grouped once, then serves the exact accounts and every
    // prefix length. Its range reads the bounds of every grouped column, since the
    // statement's groups are the passing range groups added up by prefix, which is exact only
    // where each holds one text.
    bool mergesByPrefix = false;
    QVector<int> otherGroupedColumns; // in the order of GROUP BY, with mergesByPrefix
    QVector<int> sumColumns;

    int accountColumn = -1; // in the result
    int prefixLength = 0; // 0 for a test of the whole value
    QString account;

    int sideColumn = -1; // -1 without a side test
    QString side;
};

// Nothing for any other statement, and for one grouped by a date column without both of its
// bounds: its range would be the whole journal.
std::optional<GroupedSumShape> groupedSumShapeOf(const QString &sql);

} // namespace platform::db::embedded
