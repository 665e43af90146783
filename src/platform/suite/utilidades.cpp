#include "platform/suite/utilidades.h"

#include "platform/db/recordset.h"
#include "platform/text.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QStringDecoder>
#include <QWidget>
#include <cmath>
#include <limits>

namespace platform {

namespace {

// Currency holds 922,337,203,685,477.5807 at most.
constexpr double largestAmount = 922337203685477.0;

[[noreturn]] void raiseOverflow()
{
    throw Error(errors::Overflow, QStringLiteral("Desbordamiento"), QStringLiteral("Utilidades"));
}

double numberOf(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return 0.0;
    if (const std::optional<double> regional = parseRegionalNumber(trimmed))
        return *regional;
    return leadingNumber(trimmed);
}

QString dateTimeText(const QDateTime &value)
{
    QString text = formatShortDate(value.date());
    if (value.time() != QTime(0, 0))
        text += QLatin1Char(' ') + value.time().toString(QStringLiteral("HH:mm:ss"));
    return text;
}

// The key of the credential obfuscation. It only keeps stored passwords from being read at a
// glance; anyone with the program can undo it.
constexpr char obfuscationKey[] = "RpPanelCta-Credenciales";

unsigned char keyByte(qsizetype position)
{
    const auto length = qsizetype(sizeof obfuscationKey - 1);
    return static_cast<unsigned char>(obfuscationKey[position % length] + position * 7);
}

// A check byte in front of the data lets Decodificar tell an encoded text from a plain one
// that merely looks like hex (a password "1234" stored by hand).
unsigned char checkByteOf(const QByteArray &plain)
{
    unsigned sum = 0x5A;
    for (char c : plain)
        sum = (sum * 31 + static_cast<unsigned char>(c)) & 0xFF;
    return static_cast<unsigned char>(sum);
}

QByteArray xored(QByteArray bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(static_cast<unsigned char>(bytes[i]) ^ keyByte(i));
    return bytes;
}

bool isUpperHex(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^(?:[0-9A-F]{2})+$"));
    return hex.match(text).hasMatch();
}

} // namespace

QString Utilidades::CortarTexto(const QString &text, int length) const
{
    return text.left(std::max(length, 0));
}

Currency Utilidades::TextoAMoneda(const QString &text) const
{
    const double value = numberOf(text);
    if (!std::isfinite(value) || std::fabs(value) > largestAmount)
        raiseOverflow();
    return Currency::fromDouble(value);
}

int Utilidades::TextoAEntero(const QString &text) const
{
    // nearbyint rounds half to even, as a conversion to a whole number does.
    const double value = std::nearbyint(TextoAMoneda(text).toDouble());
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        raiseOverflow();
    return int(value);
}

QString Utilidades::ValorTexto(const QVariant &value) const
{
    if (isNullOrEmpty(value))
        return {};
    if (isCurrency(value)) {
        QString text = value.value<Currency>().toString();
        return text.replace(QLatin1Char('.'), regionalSettings().decimalSeparator);
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("Verdadero") : QStringLiteral("Falso");
    case QMetaType::Double:
    case QMetaType::Float:
        return regionalNumberText(value.toDouble());
    case QMetaType::QDate:
        return formatShortDate(value.toDate());
    case QMetaType::QDateTime:
        return dateTimeText(value.toDateTime());
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    default:
        return value.toString();
    }
}

QString Utilidades::ValorTexto(const db::Field &field) const
{
    return ValorTexto(field.value());
}

int Utilidades::CantidadPalabras(const QString &text) const
{
    static const QRegularExpression separators(QStringLiteral("\\s+"));
    return int(text.split(separators, Qt::SkipEmptyParts).size());
}

QString Utilidades::ExtraerToken(const QString &text, const QString &separator,
                                 const QString &secondSeparator) const
{
    QStringList separators;
    for (const QString &s : {separator, secondSeparator})
        if (!s.isEmpty())
            separators << s;
    const auto separatorAt = [&](qsizetype position) -> qsizetype {
        for (const QString &s : separators)
            if (QStringView(text).mid(position).startsWith(s))
                return s.size();
        return 0;
    };

    qsizetype start = 0;
    while (start < text.size()) {
        if (text[start] == QLatin1Char(' '))
            ++start;
        else if (const qsizetype length = separatorAt(start))
            start += length;
        else
            break;
    }
    qsizetype end = text.size();
    for (const QString &s : separators) {
        const qsizetype found = text.indexOf(s, start);
        if (found >= 0)
            end = std::min(end, found);
    }
    return text.mid(start, end - start);
}

QString Utilidades::Reemplazar(const QString &text, const QString &find, const QString &put) const
{
    if (find.isEmpty())
        return text;
    return QString(text).replace(find, put, Qt::CaseSensitive);
}

QString Utilidades::ReemplazarTexto(const QString &text, const QString &find,
                                    const QString &put) const
{
    return replaceIgnoringCase(text, find, put);
}

void Utilidades::PrepararFormulario(QWidget &form, int) const
{
    const QScreen *screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = form.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    form.move(frame.topLeft());
}

QString Utilidades::FormatoCodigo(const QString &code, int width) const
{
    const QString trimmed = code.trimmed();
    if (width < 1)
        return trimmed;
    return trimmed.rightJustified(width, QLatin1Char(' '), true);
}

QString Utilidades::FormatoCodigo(const QString &code) const
{
    return code.trimmed();
}

QString Utilidades::FechaSQL(const QString &dateText) const
{
    const std::optional<QDate> date = parseRegionalDate(dateText);
    if (!date)
        throw Error(errors::TypeMismatch, QStringLiteral("No coinciden los tipos"),
                    QStringLiteral("Utilidades"));
    return FechaSQL(*date);
}

QString Utilidades::FechaSQL(const QDate &date) const
{
    if (!date.isValid())
        throw Error(errors::TypeMismatch, QStringLiteral("No coinciden los tipos"),
                    QStringLiteral("Utilidades"));
    return QLatin1Char('\'') + formatShortDate(date) + QLatin1Char('\'');
}

int Utilidades::MuestraError(const Error &error, int buttons, const QString &routine) const
{
    QString text
        = error.description() + QStringLiteral("\n\nError: ") + QString::number(error.number());
    if (!error.source().isEmpty())
        text += QStringLiteral("\nOrigen: ") + error.source();
    if (!routine.isEmpty())
        text += QStringLiteral("\nRutina: ") + routine;
    return userDialogs().messageBox(text, buttons);
}

QString Utilidades::Codificar(const QString &text) const
{
    if (text.isEmpty())
        return {};
    const QByteArray plain = text.toUtf8();
    const QByteArray encoded = QByteArray(1, char(checkByteOf(plain))) + xored(plain);
    return QString::fromLatin1(encoded.toHex().toUpper());
}

QString Utilidades::Decodificar(const QString &text) const
{
    if (text.isEmpty() || !isUpperHex(text))
        return {};
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    const QByteArray plain = xored(bytes.mid(1));
    if (static_cast<unsigned char>(bytes[0]) != checkByteOf(plain))
        return {};
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(plain);
    return utf8.hasError() ? QString() : decoded;
}

QString Utilidades::AgregarBarra(const QString &folder) const
{
    if (folder.isEmpty())
        return {};
    QString result = folder;
    while (result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result + QLatin1Char('/');
}

Utilidades &gUtil()
{
    static Utilidades instance;
    return instance;
}

} // namespace platform
