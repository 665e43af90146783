#include "core/oracle_adaptation.h"

#include "data/db_dll.h"
#include "platform/error.h"
#include "platform/runtime.h"
#include "platform/suite/utilidades.h"

namespace core {

namespace {

QString withRowLimit(const QString &sql)
{
    const QLatin1String top("top");
    const qsizetype topAt = sql.indexOf(top, 0, Qt::CaseInsensitive);
    const QString rest = sql.mid(topAt + top.size());
    const qsizetype star = rest.indexOf(QLatin1Char('*'));
    if (star < 0)
        throw platform::Error(platform::errors::InvalidProcedureCall,
                              QStringLiteral("Llamada a procedimiento o argumento no válido"),
                              platform::programName());
    return sql.left(topAt) + QStringLiteral(" * ") + rest.mid(star + 1)
        + QStringLiteral(" WHERE ROWNUM <= ") + rest.left(star);
}

} // namespace

QString AdaptarSQL(const QString &SQL)
{
    if (!data::gDB().gConnString.contains(QLatin1String("oracle"), Qt::CaseInsensitive))
        return SQL;
    if (platform::gUtil().CantidadPalabras(SQL) < 2)
        return SQL.toUpper() == QLatin1String("LEN") ? QStringLiteral("LENGTH") : SQL;
    if (SQL.contains(QLatin1String("top "), Qt::CaseInsensitive))
        return withRowLimit(SQL);
    return SQL;
}

} // namespace core
