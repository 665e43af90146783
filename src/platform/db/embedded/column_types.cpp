#include "platform/db/embedded/column_types.h"

#include "platform/db/embedded/stored_money.h"
#include "platform/variant.h"

#include <QHash>
#include <limits>
#include <sqlite3.h>

namespace platform::db::embedded {

namespace {

constexpr int longTextSize = std::numeric_limits<std::int32_t>::max();
constexpr int longUnicodeTextSize = longTextSize / 2;

struct FixedType
{
    const char *name;
    DataType type;
    int size;
};

constexpr FixedType fixedTypes[] = {
    {"int", adInteger, 4},
    {"integer", adInteger, 4},
    {"smallint", adSmallInt, 2},
    {"tinyint", adUnsignedTinyInt, 1},
    {"bigint", adBigInt, 8},
    {"bit", adBoolean, 2},
    {"money", adCurrency, 8},
    {"smallmoney", adCurrency, 8},
    {"float", adDouble, 8},
    {"real", adSingle, 4},
    {"datetime", adDBTimeStamp, 16},
    {"smalldatetime", adDBTimeStamp, 16},
    {"datetime2", adDBTimeStamp, 16},
    {"date", adDBDate, 6},
    {"text", adLongVarChar, longTextSize},
    {"ntext", adLongVarWChar, longUnicodeTextSize},
};

struct TextType
{
    const char *name;
    DataType type;
    DataType longType;
};

constexpr TextType textTypes[] = {
    {"varchar", adVarChar, adLongVarChar},
    {"nvarchar", adVarWChar, adLongVarWChar},
    {"char", adChar, adLongVarChar},
    {"nchar", adWChar, adLongVarWChar},
};

// "varchar(15)" gives "varchar" and {"15"}.
std::pair<QString, QStringList> splitTypeName(const QString &declaredType)
{
    const QString lowered = declaredType.trimmed().toLower();
    const qsizetype open = lowered.indexOf(QLatin1Char('('));
    if (open < 0)
        return {lowered.simplified(), {}};
    const qsizetype close = lowered.indexOf(QLatin1Char(')'), open);
    QStringList arguments
        = lowered.mid(open + 1, close < 0 ? -1 : close - open - 1).split(QLatin1Char(','));
    for (QString &argument : arguments)
        argument = argument.trimmed();
    return {lowered.left(open).simplified(), arguments};
}

QString columnText(sqlite3_stmt *statement, int index)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, index)),
                             sqlite3_column_bytes(statement, index));
}

QVariant readBoolean(sqlite3_stmt *statement, int index)
{
    if (sqlite3_column_type(statement, index) == SQLITE_TEXT) {
        const QString text = columnText(statement, index).trimmed();
        return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
            || (text.toDouble() != 0);
    }
    return sqlite3_column_double(statement, index) != 0;
}

QVariant readInteger(sqlite3_stmt *statement, int index, bool wide)
{
    if (sqlite3_column_type(statement, index) == SQLITE_TEXT) {
        bool ok = false;
        const qlonglong number = columnText(statement, index).trimmed().toLongLong(&ok);
        if (!ok)
            return columnText(statement, index);
        return wide ? QVariant(number) : QVariant(int(number));
    }
    const sqlite3_int64 number = sqlite3_column_int64(statement, index);
    return wide ? QVariant(qlonglong(number)) : QVariant(int(number));
}

// A value beyond money's range raises the overflow error, as converting it would.
QVariant readCurrency(sqlite3_stmt *statement, int index)
{
    std::optional<std::int64_t> units;
    switch (sqlite3_column_type(statement, index)) {
    case SQLITE_INTEGER: {
        std::int64_t scaled = 0;
        if (!__builtin_mul_overflow(sqlite3_column_int64(statement, index), 10000, &scaled))
            units = scaled;
        break;
    }
    case SQLITE_TEXT:
        units = moneyUnitsOfText(
            std::string_view(reinterpret_cast<const char *>(sqlite3_column_text(statement, index)),
                             sqlite3_column_bytes(statement, index)));
        break;
    default:
        units = moneyUnitsOf(sqlite3_column_double(statement, index));
        break;
    }
    if (!units)
        return currencyVariant(Currency::fromDouble(sqlite3_column_double(statement, index)));
    return currencyVariant(Currency::fromScaled(*units));
}

QVariant readDate(sqlite3_stmt *statement, int index, DataType type)
{
    const QString text = columnText(statement, index);
    const std::optional<QDateTime> value = parseStoredDateTime(text);
    if (!value)
        return text; // not a date the engine wrote: shown as stored rather than lost
    return type == adDBDate ? QVariant(value->date()) : QVariant(*value);
}

bool fitsInInt(qlonglong value)
{
    return value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
}

// Dates are stored as text in one fixed form, so that is what an expression over a date
// column gives (MAX(FECHA), a date from a UNION): a value in exactly that form is a date.
std::optional<QDateTime> storedDateTimeValue(const QVariant &value)
{
    constexpr qsizetype storedLength = 19; // "YYYY-MM-DD HH:MM:SS"
    if (value.typeId() != QMetaType::QString || value.toString().size() != storedLength)
        return std::nullopt;
    return parseStoredDateTime(value.toString());
}

} // namespace

std::optional<Column> declaredColumn(const QString &name, const QString &declaredType)
{
    const auto [typeName, arguments] = splitTypeName(declaredType);
    Column column;
    column.name = name;
    for (const FixedType &fixed : fixedTypes) {
        if (typeName == QLatin1String(fixed.name)) {
            column.type = fixed.type;
            column.definedSize = fixed.size;
            return column;
        }
    }
    for (const TextType &text : textTypes) {
        if (typeName == QLatin1String(text.name)) {
            const bool isLong = !arguments.isEmpty() && arguments.front() == QLatin1String("max");
            column.type = isLong ? text.longType : text.type;
            column.definedSize = isLong
                ? (text.longType == adLongVarWChar ? longUnicodeTextSize : longTextSize)
                : (arguments.isEmpty() ? 1 : arguments.front().toInt());
            return column;
        }
    }
    if (typeName == QLatin1String("decimal") || typeName == QLatin1String("numeric")) {
        column.type = adNumeric;
        column.definedSize = 19;
        column.precision = arguments.isEmpty() ? 18 : arguments.value(0).toInt();
        column.numericScale = arguments.value(1).toInt();
        return column;
    }
    return std::nullopt;
}

QVariant readTypedValue(sqlite3_stmt *statement, int index, DataType type)
{
    if (sqlite3_column_type(statement, index) == SQLITE_NULL)
        return nullVariant();
    switch (type) {
    case adBoolean:
        return readBoolean(statement, index);
    case adSmallInt:
    case adInteger:
    case adUnsignedTinyInt:
        return readInteger(statement, index, false);
    case adBigInt:
        return readInteger(statement, index, true);
    case adCurrency:
        return readCurrency(statement, index);
    case adSingle:
        return float(sqlite3_column_double(statement, index));
    case adDouble:
    case adNumeric:
        return sqlite3_column_double(statement, index);
    case adDBTimeStamp:
    case adDBDate:
        return readDate(statement, index, type);
    default:
        return columnText(statement, index);
    }
}

QVariant readRawValue(sqlite3_stmt *statement, int index)
{
    switch (sqlite3_column_type(statement, index)) {
    case SQLITE_NULL:
        return nullVariant();
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(statement, index));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, index);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, index)),
                          sqlite3_column_bytes(statement, index));
    default:
        return columnText(statement, index);
    }
}

Column typeByValues(const QString &name, QVector<QVector<QVariant>> &rows, int index)
{
    bool anyText = false;
    bool allTextIsDates = true;
    bool anyInteger = false;
    bool anyDouble = false;
    bool allFitInt = true;
    int longestText = 0;
    for (const QVector<QVariant> &row : rows) {
        const QVariant &value = row[index];
        switch (value.typeId()) {
        case QMetaType::LongLong:
            anyInteger = true;
            allFitInt = allFitInt && fitsInInt(value.toLongLong());
            break;
        case QMetaType::Double:
            anyDouble = true;
            break;
        case QMetaType::QString:
        case QMetaType::QByteArray:
            anyText = true;
            allTextIsDates = allTextIsDates && storedDateTimeValue(value).has_value();
            longestText = std::max(longestText, int(value.toString().size()));
            break;
        default:
            break;
        }
    }
    Column column;
    column.name = name;
    if (anyText && allTextIsDates && !anyInteger && !anyDouble) {
        column.type = adDBTimeStamp;
        column.definedSize = 16;
        for (QVector<QVariant> &row : rows) {
            if (!isNull(row[index]))
                row[index] = *storedDateTimeValue(row[index]);
        }
        return column;
    }
    if (anyText) {
        column.type = adVarWChar;
        column.definedSize = longestText;
    } else if (anyDouble) {
        column.type = adDouble;
        column.definedSize = 8;
    } else {
        column.type = allFitInt ? adInteger : adBigInt;
        column.definedSize = allFitInt ? 4 : 8;
    }
    for (QVector<QVariant> &row : rows) {
        QVariant &value = row[index];
        if (isNull(value))
            continue;
        if (anyText)
            value = value.toString();
        else if (anyDouble)
            value = value.toDouble();
        else if (allFitInt)
            value = value.toInt();
    }
    return column;
}

void bindValue(sqlite3_stmt *statement, int index, const QVariant &value)
{
    if (isNullOrEmpty(value)) {
        sqlite3_bind_null(statement, index);
        return;
    }
    if (isCurrency(value)) {
        sqlite3_bind_double(statement, index, storedMoney(value.value<Currency>().scaled));
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        sqlite3_bind_int(statement, index, value.toBool() ? 1 : 0);
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
        sqlite3_bind_int64(statement, index, value.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(statement, index, value.toDouble());
        return;
    case QMetaType::QDateTime:
        bindValue(statement, index, storedDateTime(value.toDateTime()));
        return;
    case QMetaType::QDate:
        bindValue(statement, index,
                  QString(value.toDate().toString(Qt::ISODate) + QStringLiteral(" 00:00:00")));
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return;
    }
    }
}

QString storedDateTime(const QDateTime &value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::optional<QDateTime> parseStoredDateTime(const QString &text)
{
    // "YYYY-MM-DD", then optionally " HH:MM", ":SS" and ".fff", read by position: the
    // general parsers are far too slow for every date of a rowset.
    const auto number = [&](qsizetype from, qsizetype digits) {
        int value = 0;
        for (qsizetype i = from; i < from + digits; ++i) {
            if (i >= text.size() || !text[i].isDigit())
                return -1;
            value = value * 10 + text[i].digitValue();
        }
        return value;
    };
    const auto separatorAt = [&](qsizetype at, char separator) {
        return at < text.size() && text[at] == QLatin1Char(separator);
    };
    if (!separatorAt(4, '-') || !separatorAt(7, '-'))
        return std::nullopt;
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    QTime time(0, 0);
    if (text.size() > 10) {
        const bool seconds = separatorAt(16, ':');
        const bool milliseconds = seconds && separatorAt(19, '.');
        if (!separatorAt(10, ' ') || !separatorAt(13, ':'))
            return std::nullopt;
        time = QTime(number(11, 2), number(14, 2), seconds ? number(17, 2) : 0,
                     milliseconds ? number(20, 3) : 0);
        if (text.size() != (milliseconds ? 23 : seconds ? 19 : 16))
            return std::nullopt;
    }
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return localDateTime(date, time);
}

QDateTime localDateTime(QDate date, QTime time)
{
    // Finding a local time's offset asks the system's time zone files each time; a run reads
    // the same few hundred days over and over.
    constexpr qsizetype cacheLimit = 8192;
    static thread_local QHash<qint64, QDateTime> cache;
    const qint64 key = date.toJulianDay() * 86400000 + time.msecsSinceStartOfDay();
    if (const auto found = cache.constFind(key); found != cache.cend())
        return *found;
    if (cache.size() >= cacheLimit)
        cache.clear();
    const QDateTime value(date, time);
    cache.insert(key, value);
    return value;
}

bool isDateType(DataType type)
{
    return type == adDBTimeStamp || type == adDBDate || type == adDate;
}

bool isTextType(DataType type)
{
    switch (type) {
    case adChar:
    case adWChar:
    case adVarChar:
    case adVarWChar:
    case adLongVarChar:
    case adLongVarWChar:
    case adBSTR:
        return true;
    default:
        return false;
    }
}

} // namespace platform::db::embedded
