#include "platform/db/odbc/odbc_values.h"

#include "platform/variant.h"

#include <QDateTime>
#include <QRegularExpression>
#include <algorithm>
#include <limits>

namespace platform::db::odbc {

namespace {

constexpr int longTextSize = std::numeric_limits<std::int32_t>::max();

// SQL Server's own types that ODBC describes as something wider.
constexpr SQLSMALLINT sqlServerTime = -154; // SQL_SS_TIME2
constexpr SQLSMALLINT sqlServerXml = -152; // SQL_SS_XML
constexpr SQLSMALLINT sqlServerOffset = -155; // SQL_SS_TIMESTAMPOFFSET

struct TypeRule
{
    SQLSMALLINT sqlType;
    DataType type;
    int fixedSize; // ADO's DefinedSize; 0 when the column's own size is it
};

constexpr TypeRule typeRules[] = {
    {SQL_CHAR, adChar, 0},
    {SQL_VARCHAR, adVarChar, 0},
    {SQL_LONGVARCHAR, adLongVarChar, 0},
    {SQL_WCHAR, adWChar, 0},
    {SQL_WVARCHAR, adVarWChar, 0},
    {SQL_WLONGVARCHAR, adLongVarWChar, 0},
    {sqlServerXml, adLongVarWChar, 0},
    {SQL_GUID, adGUID, 16},
    {SQL_BIT, adBoolean, 2},
    {SQL_TINYINT, adUnsignedTinyInt, 1},
    {SQL_SMALLINT, adSmallInt, 2},
    {SQL_INTEGER, adInteger, 4},
    {SQL_BIGINT, adBigInt, 8},
    {SQL_REAL, adSingle, 4},
    {SQL_FLOAT, adDouble, 8},
    {SQL_DOUBLE, adDouble, 8},
    {SQL_DECIMAL, adNumeric, 19},
    {SQL_NUMERIC, adNumeric, 19},
    {SQL_TYPE_DATE, adDBDate, 6},
    {SQL_TYPE_TIME, adDBTime, 6},
    {sqlServerTime, adDBTime, 6},
    {SQL_TYPE_TIMESTAMP, adDBTimeStamp, 16},
    {sqlServerOffset, adDBTimeStamp, 16},
    {SQL_BINARY, adBinary, 0},
    {SQL_VARBINARY, adVarBinary, 0},
    {SQL_LONGVARBINARY, adLongVarBinary, 0},
};

bool isMoneyTypeName(const QString &typeName)
{
    return typeName.compare(QLatin1String("money"), Qt::CaseInsensitive) == 0
        || typeName.compare(QLatin1String("smallmoney"), Qt::CaseInsensitive) == 0;
}

QString columnTypeName(const Handle &statement, SQLUSMALLINT index)
{
    SQLWCHAR typeName[128] = {};
    SQLSMALLINT bytes = 0;
    if (!SQL_SUCCEEDED(SQLColAttributeW(statement.get(), index, SQL_DESC_TYPE_NAME, typeName,
                                        sizeof(typeName), &bytes, nullptr)))
        return {};
    return fromWideBuffer(typeName, 128, bytes / qsizetype(sizeof(SQLWCHAR)));
}

// Reads a long value in pieces: the driver says how much is left, or that it cannot tell.
template<typename Append>
bool readPieces(const Handle &statement, SQLUSMALLINT index, SQLSMALLINT cType,
                qsizetype terminatorBytes, ErrorCollector &errors, bool &isNull, Append append)
{
    QByteArray buffer(16 * 1024, Qt::Uninitialized);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc
            = SQLGetData(statement.get(), index, cType, buffer.data(), buffer.size(), &indicator);
        if (rc == SQL_NO_DATA)
            return true;
        if (!SQL_SUCCEEDED(rc)) {
            errors.add(rc, statement);
            return false;
        }
        if (indicator == SQL_NULL_DATA) {
            isNull = true;
            return true;
        }
        const qsizetype room = buffer.size() - terminatorBytes;
        const bool truncated = indicator == SQL_NO_TOTAL || indicator > room;
        append(buffer.constData(), truncated ? room : qsizetype(indicator));
        if (!truncated)
            return true;
    }
}

QVariant readText(const Handle &statement, SQLUSMALLINT index, ErrorCollector &errors)
{
    QString text;
    bool isNull = false;
    const bool read = readPieces(statement, index, SQL_C_WCHAR, sizeof(SQLWCHAR), errors, isNull,
                                 [&text](const char *data, qsizetype bytes) {
                                     text += fromWide(reinterpret_cast<const SQLWCHAR *>(data),
                                                      bytes / qsizetype(sizeof(SQLWCHAR)));
                                 });
    if (!read || isNull)
        return nullVariant();
    return text;
}

QVariant readBinary(const Handle &statement, SQLUSMALLINT index, ErrorCollector &errors)
{
    QByteArray bytes;
    bool isNull = false;
    const bool read
        = readPieces(statement, index, SQL_C_BINARY, 0, errors, isNull,
                     [&bytes](const char *data, qsizetype size) { bytes.append(data, size); });
    if (!read || isNull)
        return nullVariant();
    return bytes;
}

template<typename T>
std::optional<T> readFixed(const Handle &statement, SQLUSMALLINT index, SQLSMALLINT cType,
                           ErrorCollector &errors)
{
    T value{};
    SQLLEN indicator = 0;
    const SQLRETURN rc
        = SQLGetData(statement.get(), index, cType, &value, sizeof(value), &indicator);
    if (!SQL_SUCCEEDED(rc)) {
        if (rc != SQL_NO_DATA)
            errors.add(rc, statement);
        return std::nullopt;
    }
    if (indicator == SQL_NULL_DATA)
        return std::nullopt;
    return value;
}

template<typename T, typename Convert>
QVariant readConverted(const Handle &statement, SQLUSMALLINT index, SQLSMALLINT cType,
                       ErrorCollector &errors, Convert convert)
{
    const std::optional<T> value = readFixed<T>(statement, index, cType, errors);
    return value ? QVariant(convert(*value)) : nullVariant();
}

QDate toDate(const SQL_DATE_STRUCT &value)
{
    return QDate(value.year, value.month, value.day);
}

QTime toTime(const SQL_TIME_STRUCT &value)
{
    return QTime(value.hour, value.minute, value.second);
}

QDateTime toDateTime(const SQL_TIMESTAMP_STRUCT &value)
{
    return QDateTime(QDate(value.year, value.month, value.day),
                     QTime(value.hour, value.minute, value.second, int(value.fraction / 1000000)));
}

// Money as the server writes it, "-1234.5678", read digit by digit so that no amount gains
// binary noise on the way; other forms go through a double.
Currency currencyFromText(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^(-?)(\\d+)(?:\\.(\\d{0,4}))?$"));
    const QString trimmed = text.trimmed();
    const QRegularExpressionMatch match = plain.match(trimmed);
    if (!match.hasMatch())
        return Currency::fromDouble(trimmed.toDouble());
    const qlonglong scaled = match.captured(2).toLongLong() * 10000
        + match.captured(3).leftJustified(4, QLatin1Char('0')).toLongLong();
    return Currency::fromScaled(match.captured(1).isEmpty() ? scaled : -scaled);
}

} // namespace

Column columnFor(const QString &name, SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT digits,
                 bool nullable, const QString &typeName)
{
    Column column;
    column.name = name;
    column.nullable = nullable;
    const int columnSize = int(qMin<SQLULEN>(size, longTextSize));
    column.type = adVarWChar;
    column.definedSize = columnSize;
    for (const TypeRule &rule : typeRules) {
        if (rule.sqlType == sqlType) {
            column.type = rule.type;
            column.definedSize = rule.fixedSize != 0 ? rule.fixedSize : columnSize;
        }
    }
    if (column.type == adNumeric) {
        column.precision = columnSize;
        column.numericScale = digits;
    }
    if (isMoneyTypeName(typeName)) {
        column.type = adCurrency;
        column.definedSize = 8;
        column.precision = 19;
        column.numericScale = 4;
    }
    return column;
}

Column describeColumn(const Handle &statement, SQLUSMALLINT index)
{
    SQLWCHAR name[512] = {};
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
    SQLDescribeColW(statement.get(), index, name, 512, &nameLength, &sqlType, &size, &digits,
                    &nullable);
    return columnFor(fromWideBuffer(name, 512, nameLength), sqlType, size, digits,
                     nullable != SQL_NO_NULLS, columnTypeName(statement, index));
}

QVariant readValue(const Handle &statement, SQLUSMALLINT index, DataType type,
                   ErrorCollector &errors)
{
    const auto same = [](auto value) { return value; };
    switch (type) {
    case adBoolean:
        return readConverted<unsigned char>(statement, index, SQL_C_BIT, errors,
                                            [](unsigned char bit) { return bit != 0; });
    case adUnsignedTinyInt:
    case adSmallInt:
    case adInteger:
        return readConverted<SQLINTEGER>(statement, index, SQL_C_SLONG, errors,
                                         [](SQLINTEGER value) { return int(value); });
    case adBigInt:
        return readConverted<SQLBIGINT>(statement, index, SQL_C_SBIGINT, errors,
                                        [](SQLBIGINT value) { return qlonglong(value); });
    case adSingle:
        return readConverted<SQLREAL>(statement, index, SQL_C_FLOAT, errors, same);
    case adDouble:
        return readConverted<SQLDOUBLE>(statement, index, SQL_C_DOUBLE, errors, same);
    case adCurrency: {
        const QVariant text = readText(statement, index, errors);
        return isNull(text) ? text : currencyVariant(currencyFromText(text.toString()));
    }
    case adNumeric: {
        const QVariant text = readText(statement, index, errors);
        return isNull(text) ? text : QVariant(text.toString().trimmed().toDouble());
    }
    case adDBDate:
        return readConverted<SQL_DATE_STRUCT>(statement, index, SQL_C_TYPE_DATE, errors, toDate);
    case adDBTime:
        return readConverted<SQL_TIME_STRUCT>(statement, index, SQL_C_TYPE_TIME, errors, toTime);
    case adDBTimeStamp:
        return readConverted<SQL_TIMESTAMP_STRUCT>(statement, index, SQL_C_TYPE_TIMESTAMP, errors,
                                                   toDateTime);
    case adBinary:
    case adVarBinary:
    case adLongVarBinary:
        return readBinary(statement, index, errors);
    default:
        return readText(statement, index, errors);
    }
}

RowSet fetchRowSet(const Handle &statement, SQLSMALLINT columnCount, ErrorCollector &errors)
{
    RowSet rows;
    for (SQLUSMALLINT index = 1; index <= columnCount; ++index)
        rows.columns.append(describeColumn(statement, index));
    for (;;) {
        const SQLRETURN rc = SQLFetch(statement.get());
        if (rc == SQL_NO_DATA)
            break;
        errors.add(rc, statement);
        if (!SQL_SUCCEEDED(rc))
            break;
        QVector<QVariant> row;
        row.reserve(columnCount);
        for (SQLUSMALLINT index = 1; index <= columnCount; ++index)
            row.append(readValue(statement, index, rows.columns.at(index - 1).type, errors));
        rows.rows.append(std::move(row));
    }
    return rows;
}

namespace {

struct ParameterType
{
    SQLSMALLINT sqlType;
    SQLULEN size;
    SQLSMALLINT digits;
};

// The column's own type, so the server compares and stores the value as it would its own;
// a text or binary value longer than the column goes whole, for the server to refuse.
ParameterType parameterType(const Column &column, qsizetype valueLength)
{
    const SQLULEN length = SQLULEN(std::max<qsizetype>({column.definedSize, valueLength, 1}));
    switch (column.type) {
    case adBoolean:
        return {SQL_BIT, 1, 0};
    case adTinyInt:
    case adUnsignedTinyInt:
        return {SQL_TINYINT, 3, 0};
    case adSmallInt:
        return {SQL_SMALLINT, 5, 0};
    case adInteger:
        return {SQL_INTEGER, 10, 0};
    case adBigInt:
        return {SQL_BIGINT, 19, 0};
    case adSingle:
        return {SQL_REAL, 7, 0};
    case adDouble:
        return {SQL_DOUBLE, 15, 0};
    case adCurrency:
        return {SQL_DECIMAL, 19, 4};
    case adNumeric:
    case adDecimal:
        return {SQL_NUMERIC, SQLULEN(column.precision > 0 ? column.precision : 38),
                SQLSMALLINT(column.numericScale)};
    case adDBDate:
        return {SQL_TYPE_DATE, 10, 0};
    case adDBTime:
        return {SQL_TYPE_TIME, 8, 0};
    case adDate:
    case adDBTimeStamp:
        return {SQL_TYPE_TIMESTAMP, 23, 3};
    case adChar:
    case adVarChar:
    case adLongVarChar:
        return {length > 8000 ? SQLSMALLINT(SQL_LONGVARCHAR) : SQLSMALLINT(SQL_VARCHAR), length, 0};
    case adBinary:
    case adVarBinary:
    case adLongVarBinary:
        return {length > 8000 ? SQLSMALLINT(SQL_LONGVARBINARY) : SQLSMALLINT(SQL_VARBINARY), length,
                0};
    default:
        return {length > 4000 ? SQLSMALLINT(SQL_WLONGVARCHAR) : SQLSMALLINT(SQL_WVARCHAR), length,
                0};
    }
}

template<typename T>
QByteArray bytesOf(const T &value)
{
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof(value));
}

QByteArray dateBytes(const QDate &date)
{
    SQL_DATE_STRUCT value{};
    value.year = SQLSMALLINT(date.year());
    value.month = SQLUSMALLINT(date.month());
    value.day = SQLUSMALLINT(date.day());
    return bytesOf(value);
}

QByteArray timeBytes(const QTime &time)
{
    SQL_TIME_STRUCT value{};
    value.hour = SQLUSMALLINT(time.hour());
    value.minute = SQLUSMALLINT(time.minute());
    value.second = SQLUSMALLINT(time.second());
    return bytesOf(value);
}

QByteArray timestampBytes(const QDateTime &moment)
{
    SQL_TIMESTAMP_STRUCT value{};
    const QDate date = moment.date();
    const QTime time = moment.time();
    value.year = SQLSMALLINT(date.year());
    value.month = SQLUSMALLINT(date.month());
    value.day = SQLUSMALLINT(date.day());
    value.hour = SQLUSMALLINT(time.hour());
    value.minute = SQLUSMALLINT(time.minute());
    value.second = SQLUSMALLINT(time.second());
    value.fraction = SQLUINTEGER(time.msec()) * 1000000;
    return bytesOf(value);
}

QByteArray wideBytes(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()),
                      text.size() * qsizetype(sizeof(SQLWCHAR)));
}

// The C form of a value: its type code and bytes.
std::pair<SQLSMALLINT, QByteArray> cValue(const QVariant &value, SQLSMALLINT sqlType)
{
    if (isCurrency(value))
        return {SQL_C_WCHAR, wideBytes(value.value<Currency>().toString())};
    switch (value.typeId()) {
    case QMetaType::Bool:
        return {SQL_C_BIT, bytesOf<unsigned char>(value.toBool() ? 1 : 0)};
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::SChar:
        return {SQL_C_SBIGINT, bytesOf<SQLBIGINT>(value.toLongLong())};
    case QMetaType::Double:
    case QMetaType::Float:
        return {SQL_C_DOUBLE, bytesOf<SQLDOUBLE>(value.toDouble())};
    case QMetaType::QDate:
        return {SQL_C_TYPE_DATE, dateBytes(value.toDate())};
    case QMetaType::QDateTime:
        // A date column refuses a time part, even midnight's, from a timestamp.
        if (sqlType == SQL_TYPE_DATE)
            return {SQL_C_TYPE_DATE, dateBytes(value.toDateTime().date())};
        return {SQL_C_TYPE_TIMESTAMP, timestampBytes(value.toDateTime())};
    case QMetaType::QTime:
        return {SQL_C_TYPE_TIME, timeBytes(value.toTime())};
    case QMetaType::QByteArray:
        return {SQL_C_BINARY, value.toByteArray()};
    default:
        return {SQL_C_WCHAR, wideBytes(value.toString())};
    }
}

} // namespace

SQLRETURN ParameterBinding::bind(const Handle &statement, SQLUSMALLINT index, const QVariant &value,
                                 const Column &column)
{
    Buffer &buffer = m_buffers.emplace_back();
    if (isNullOrEmpty(value)) {
        const ParameterType type = parameterType(column, 0);
        buffer.indicator = SQL_NULL_DATA;
        return SQLBindParameter(statement.get(), index, SQL_PARAM_INPUT, SQL_C_WCHAR, type.sqlType,
                                type.size, type.digits, nullptr, 0, &buffer.indicator);
    }
    const qsizetype length = value.typeId() == QMetaType::QByteArray ? value.toByteArray().size()
                                                                     : value.toString().size();
    const ParameterType type = parameterType(column, length);
    auto [cType, bytes] = cValue(value, type.sqlType);
    buffer.data = std::move(bytes);
    buffer.indicator = buffer.data.size();
    return SQLBindParameter(statement.get(), index, SQL_PARAM_INPUT, cType, type.sqlType, type.size,
                            type.digits, buffer.data.data(), buffer.data.size(), &buffer.indicator);
}

} // namespace platform::db::odbc
