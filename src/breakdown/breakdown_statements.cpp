#include "breakdown/breakdown_statements.h"

#include "data/sql_rewriting.h"

namespace breakdown {

QString combinationsStatement(const QString &nombre)
{
    return u"SELECT NOMBRE, GRUPO,CUENTA  From MA_PANELCTA  WHERE EsRanking = 0  GROUP BY NOMBRE, "
           u"GRUPO,CUENTA HAVING (NOMBRE = '"
        + data::escapeSqlQuotes(nombre) + u"')";
}

QString accountWorkRowsStatement(int rowLimit, const QString &nombre, const QString &cuenta,
                                 const QString &estacionUsuario)
{
    return u"Select top " + QString::number(rowLimit) + u" * from  Aux_PanelCta where Nombre = '"
        + data::escapeSqlQuotes(nombre) + u"' and Grupo = '" + data::escapeSqlQuotes(cuenta)
        + u"' and usuario = '" + data::escapeSqlQuotes(estacionUsuario)
        + u"' ORDER BY FECHAD, FECHAH, UNEGOCIO, CCOSTO";
}

} // namespace breakdown
