#include "core/statement_builder.h"

#include "data/db_dll.h"

namespace core {

ListaCampos &gCampos()
{
    static ListaCampos campos;
    return campos;
}

QStringList &gSentencias()
{
    static QStringList sentencias;
    return sentencias;
}

void AgregarCampo(const QString &Nombre, const QString &Valor, const QString &Delimitador,
                  bool Inicializar)
{
    ListaCampos &campos = gCampos();
    if (Inicializar)
        campos.clear();
    const bool isNullKeyword = Valor.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0;
    campos.append({Nombre,
                   isNullKeyword ? QStringLiteral("Null")
                                 : data::gDB().SQLValue(Valor, Delimitador).toString()});
}

void ArmarSentencia(ListaCampos &Campos, QStringList &Sentencias, const QString &Tabla,
                    bool EsUpdate, QString &Condicion, bool ConservarCampos)
{
    QStringList names;
    QStringList values;
    QStringList pairs;
    for (const CampoSentencia &campo : std::as_const(Campos)) {
        names << campo.Nombre;
        values << campo.Valor;
        pairs << campo.Nombre + QStringLiteral(" = ") + campo.Valor;
    }

    QString statement;
    if (EsUpdate) {
        if (!Condicion.contains(QLatin1String("WHERE"), Qt::CaseInsensitive))
            Condicion = QStringLiteral(" WHERE ") + Condicion;
        statement = QStringLiteral("UPDATE ") + Tabla + QStringLiteral(" SET ")
            + pairs.join(QLatin1Char(',')) + QLatin1Char(' ') + Condicion;
    } else {
        statement = QStringLiteral("INSERT INTO ") + Tabla + QStringLiteral(" (")
            + names.join(QLatin1Char(',')) + QStringLiteral(") VALUES (")
            + values.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    Sentencias << statement << QString();

    if (!ConservarCampos)
        Campos.clear();
}

} // namespace core
