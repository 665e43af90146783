#pragma once

#include <QString>

// The statements only the breakdown runs; the rest it shares with the printed report
// (statistics/statistic_statements.h). Every value between single quotes has its quotes doubled.
namespace breakdown {

// The (group, account) lines of a definition, one row each.
QString combinationsStatement(const QString &nombre);

// The first work rows of an account, in the order their columns were made: by date, then by the
// unit or cost-centre code, which is the order the units and cost centres were read in.
QString accountWorkRowsStatement(int rowLimit, const QString &nombre, const QString &cuenta,
                                 const QString &estacionUsuario);

} // namespace breakdown
