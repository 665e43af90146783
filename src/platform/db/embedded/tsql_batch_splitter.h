#pragma once

#include "platform/db/embedded/tsql_lexer.h"

#include <QVector>

namespace platform::db::embedded::tsql {

// The tokens [begin, end) of one statement, without the blanks and comments around it.
struct StatementSpan
{
    qsizetype begin = 0;
    qsizetype end = 0;
};

// Splits a batch into its statements: at ";" and before each keyword that starts a statement
// at parenthesis depth 0, as SQL Server reads a batch that has no separators. Throws
// TranslationError (102) for a "GO" line or unbalanced parentheses.
QVector<StatementSpan> splitStatements(const QVector<Token> &tokens);

} // namespace platform::db::embedded::tsql
