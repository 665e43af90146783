#pragma once

#include <QString>
#include <QStringList>

// Reading SQL Server scripts by their keywords. Keywords count only as whole words outside
// quoted texts ('...' literals, "..." and [...] names), so a value or a name that happens to
// hold one never changes how a script is run or reported.
namespace data {

// True when the text holds a transaction-control statement: BEGIN TRAN[SACTION], COMMIT,
// ROLLBACK or SAVE TRAN[SACTION].
bool holdsTransactionControl(const QString &sql);

// The statements of a SQL Server script in the form an Oracle connection runs them, one by one:
// SET NOCOUNT and GO are dropped, line breaks outside quoted texts become blanks, BEGIN, COMMIT
// and ROLLBACK TRANS[ACTION] become "SET TRANSACTION", "COMMIT" and "ROLLBACK", and the script
// is cut where a statement keyword (INSERT, DELETE, UPDATE, CREATE, DROP, ALTER,
// SET TRANSACTION, COMMIT, ROLLBACK, IF [NOT] EXIST, GRANT) begins a new statement. Text before
// the first keyword is a statement of its own. Statements come trimmed; empty ones are left out.
QStringList oracleBatchStatements(const QString &script);

} // namespace data
