#include "core/field_assignment.h"

#include "data/db_dll.h"
#include "platform/db/recordset.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/variant.h"

#include <QStringList>

namespace core {

namespace {

// Text fields up to this size hold codes, which are stored fitted to the field's width.
constexpr int LongestCodeField = 29;

bool isOneOfWords(const QString &text, const QStringList &words)
{
    return words.contains(text.toUpper());
}

QVariant textForField(const QString &Texto, int definedSize)
{
    const QString text = definedSize > LongestCodeField
        ? Texto.trimmed()
        : platform::gUtil().FormatoCodigo(Texto, definedSize);
    if (text.trimmed().isEmpty())
        return platform::nullVariant();
    return text;
}

QVariant dateForField(const QString &Texto)
{
    const std::optional<QDate> date = platform::parseRegionalDate(Texto);
    return date ? QVariant(*date) : platform::nullVariant();
}

} // namespace

void AsignarCampo(platform::db::Recordset &rs, QString &NombreCampo, const QString &Texto)
{
    NombreCampo.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    platform::db::Field field = rs.field(NombreCampo);
    const data::DB_Dll &db = data::gDB();
    const QVariant type = int(field.type());

    // Amounts are handed over as numbers, so no decimal separator can be misread on the way.
    if (db.ADOText(type))
        field.setValue(textForField(Texto, field.definedSize()));
    else if (db.ADONumeric(type))
        field.setValue(platform::gUtil().TextoAMoneda(Texto).toDouble());
    else if (db.ADOBoolean(type))
        field.setValue(TextoABoolean(Texto, true));
    else if (db.ADOCurrency(type))
        field.setValue(platform::currencyVariant(platform::gUtil().TextoAMoneda(Texto)));
    else if (db.adodate(type))
        field.setValue(dateForField(Texto));
    else
        field.setValue(Texto);
}

bool TextoABoolean(const QString &Texto, bool PorDefecto)
{
    static const QStringList falseWords
        = {QStringLiteral("FALSE"), QStringLiteral("FALSO"), QStringLiteral("0"),
           QStringLiteral("NO"), QStringLiteral("N")};
    static const QStringList trueWords
        = {QStringLiteral("TRUE"), QStringLiteral("VERDADERO"), QStringLiteral("1"),
           QStringLiteral("SI"), QStringLiteral("S")};
    if (PorDefecto)
        return !isOneOfWords(Texto, falseWords);
    return isOneOfWords(Texto, trueWords);
}

QString FormatoFechaHora()
{
    return FormatoFecha() + QLatin1Char(' ') + FormatoHora();
}

QString FormatoFecha()
{
    return QStringLiteral("dd/MM/yy");
}

QString FormatoHora()
{
    return QStringLiteral("HH:mm");
}

} // namespace core
