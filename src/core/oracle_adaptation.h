#pragma once

#include <QString>

namespace core {

// A query of the SQL Server dialect adapted to Oracle when the main connection is an Oracle
// one: the single word "LEN" becomes "LENGTH", and a "TOP n *" query becomes a "*" query ending
// in " WHERE ROWNUM <= n". Any other connection gets the text unchanged. Raises 5 for a "top "
// query without "*".
QString AdaptarSQL(const QString &SQL);

} // namespace core
