#pragma once

#include "platform/db/embedded/tsql_sql_rewriter.h"

// Rules on expressions where SQLite's reading of a statement differs from the server's: the
// type of "+", grouped select lists, DATALENGTH, collations through functions, and conditions
// too long for SQLite's expression tree.
namespace platform::db::embedded::tsql {

// The first token of the operand whose last token is `last`: a call with its name, a
// bracketed expression, a CASE … END, a qualified name or a single value.
qsizetype operandStart(const StatementText &text, qsizetype last);

// The last token of the operand that starts at `first`, after its signs: a bracketed
// expression, a CASE … END, a (qualified) name or a call with its arguments, or a single value.
// -1 when there is none.
qsizetype operandEnd(const StatementText &text, qsizetype first);

// Whether the token can end an operand, so that a "+" or "-" after it is binary.
bool isOperandEnd(const StatementText &text, qsizetype index);

// The first token of the select list of the SELECT at `select`, after DISTINCT, ALL and TOP.
qsizetype selectListStart(const StatementText &text, qsizetype select);

// The first and last token of the chain of operands that the operator at `op` joins, going
// over the operators in `operators` (the ones that bind at least as tightly).
qsizetype chainStart(const StatementText &text, qsizetype op,
                     std::initializer_list<QStringView> operators);
qsizetype chainEnd(const StatementText &text, qsizetype op,
                   std::initializer_list<QStringView> operators);

// "a + b" where either side may be a text becomes plus(a, b), which joins texts and converts
// a text met by a number as the server does. Throws for "+" with a date column.
void joinTextsWithPlus(StatementText &text, const RewriteContext &context);

// A text met by "-", "*", "/" or "%" is converted to the other operand's type, or fails as
// the server's conversion does, where SQLite would read a text that is no number as 0.
void convertTextOperands(StatementText &text, const RewriteContext &context);

// Throws the server's 8117 for a minus sign before a text or a date ("-a + b", "2 * -'1'",
// "-GETDATE()"), which SQLite would negate as a number.
void rejectInvalidSigns(const StatementText &text, const RewriteContext &context);

// Throws the server's 8117 for SUM or AVG of a text column, which SQLite would add as numbers.
void rejectTextSums(const StatementText &text, const RewriteContext &context);

// Throws the server's 8120 for a column of a grouped (or aggregated) select list that is
// neither grouped nor inside an aggregate.
void rejectUngroupedColumns(const StatementText &text);

// DATALENGTH(column) or DATALENGTH('literal') by the column's declared type; throws for any
// other argument.
void translateDataLength(StatementText &text, const RewriteContext &context);

// A text function's result has no collation in SQLite: LTRIM(name) = 'abc' would compare byte
// by byte where the server compares as the column does.
void keepCollationThroughFunctions(StatementText &text, const QString &collation);

// SQLite refuses an expression tree deeper than a thousand: a long chain of OR or AND goes in
// balanced brackets, which give the same result.
void balanceLongConditions(StatementText &text);

} // namespace platform::db::embedded::tsql
