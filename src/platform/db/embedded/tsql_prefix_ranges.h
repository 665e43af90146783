#pragma once

#include "platform/db/embedded/tsql_statement_text.h"

#include <QString>
#include <functional>

namespace platform::db::embedded::tsql {

// LEFT(text, n) as SQLite spells it, substr(text, 1, n).
void translateLeftCalls(StatementText &text);

// A prefix test `substring(col, 1, n) = 'literal'` (or LEFT) compares a function result, which
// no index can search. Beside it goes the range of col that every matching row lies in, so
// SQLite can search an index on col; the rows stay the same. When a query reads one table
// whose index begins with col, the range's distinct values go beside it too, so that an index
// on col and a further column searches both. The test itself becomes a call that compares the
// first characters in place, with the same result. Runs after the literals carry their collation;
// `collation` is the one a literal without its own compares with.
using IndexLeaderTest
    = std::function<bool(const QString &table, const QString &column, const QString &collation)>;
void addPrefixRanges(StatementText &text, const QString &collation,
                     const IndexLeaderTest &leadsIndex = {});

} // namespace platform::db::embedded::tsql
