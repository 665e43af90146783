#pragma once

#include <QString>
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
    // bare account column, the range statement also groups by the column's exact text, so
    // that every range row holds a single account text, whichever test a statement makes.
    QString rangeStatement;
    bool splitByText = false;

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
