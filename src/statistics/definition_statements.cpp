#include "statistics/definition_statements.h"

#include "data/sql_rewriting.h"

namespace statistics {

namespace {

QString nameLiteral(const QString &name)
{
    return data::escapeSqlQuotes(name.trimmed());
}

} // namespace

QString definitionRowsStatement(const QString &name)
{
    return QStringLiteral("SELECT * FROM MA_PANELCTA WHERE NOMBRE = '") + nameLiteral(name)
        + QStringLiteral("' AND EsRanking = 0 ORDER BY NOMBRE,GRUPO,CUENTA");
}

QString definitionDeleteStatement(const QString &name)
{
    return QStringLiteral("DELETE MA_PANELCTA WHERE NOMBRE = '") + nameLiteral(name)
        + QStringLiteral("' AND EsRanking = 0 ");
}

} // namespace statistics
