#pragma once

#include "platform/db/embedded/tsql_statement_text.h"

#include <QString>

namespace platform::db::embedded::tsql {

// LEFT(text, n) as SQLite spells it, substr(text, 1, n).
void translateLeftCalls(StatementText &text);

// A prefix test `substring(col, 1, n) = 'literal'` (or LEFT) compares a function result, which
// no index can search. Beside it goes the range of col that every matching row lies in, so
// SQLite can search an index on col; the rows stay the same. Runs after the literals carry
// their collation; `collation` is the one a literal without its own compares with.
void addPrefixRanges(StatementText &text, const QString &collation);

} // namespace platform::db::embedded::tsql
