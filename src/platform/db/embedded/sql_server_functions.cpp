#include "platform/db/embedded/sql_server_functions.h"

#include "platform/db/embedded/stored_money.h"
#include "platform/runtime.h"
#include "platform/variant.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <sqlite3.h>
#include <variant>

namespace platform::db::embedded {

namespace {

QStringView withoutTrailingBlanks(QStringView text)
{
    qsizetype length = text.size();
    while (length > 0 && text[length - 1] == QLatin1Char(' '))
        --length;
    return text.first(length);
}

QString withoutAccents(const QString &text)
{
    QString result;
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    result.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            result.append(c);
    }
    return result;
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

bool isAscii(const char *text, int length)
{
    return std::all_of(text, text + length, [](char c) { return (unsigned char)(c) < 0x80; });
}

int trimmedLength(const char *text, int length)
{
    while (length > 0 && text[length - 1] == ' ')
        --length;
    return length;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Gives the same order as compareText for texts without accents, without building strings:
// nearly every key the program compares is plain ASCII.
int compareAscii(const char *left, int leftLength, const char *right, int rightLength)
{
    const int common = std::min(leftLength, rightLength);
    for (int i = 0; i < common; ++i) {
        const char l = asciiLower(left[i]);
        const char r = asciiLower(right[i]);
        if (l != r)
            return (unsigned char)(l) < (unsigned char)(r) ? -1 : 1;
    }
    return sign(leftLength - rightLength);
}

template<bool accentSensitive>
int collate(void *, int leftLength, const void *left, int rightLength, const void *right)
{
    const auto *l = static_cast<const char *>(left);
    const auto *r = static_cast<const char *>(right);
    // The same bytes are the same text, whatever the collation: nearly every comparison of a
    // grouping or of an index walk meets its own key again.
    if (leftLength == rightLength && std::memcmp(l, r, size_t(leftLength)) == 0)
        return 0;
    leftLength = trimmedLength(l, leftLength);
    rightLength = trimmedLength(r, rightLength);
    if (isAscii(l, leftLength) && isAscii(r, rightLength))
        return compareAscii(l, leftLength, r, rightLength);
    return compareText(QString::fromUtf8(l, leftLength), QString::fromUtf8(r, rightLength),
                       accentSensitive);
}

// The bytes of the first `characters` characters of UTF-8 text, as substr counts them.
int prefixBytes(const char *text, int bytes, sqlite3_int64 characters)
{
    int end = 0;
    for (; end < bytes && characters > 0; --characters) {
        ++end;
        while (end < bytes && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return end;
}

// The text of a value as SQLite holds it, without copying it: valid until the value changes.
QByteArrayView utf8Argument(sqlite3_value *value)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    return QByteArrayView(text, sqlite3_value_bytes(value));
}

// prefix_equals(value, n, literal, accentSensitive) is substring(value, 1, n) = literal under
// the collation, comparing the first characters where they lie instead of building a text
// for every row of a journal scan. A blob's substring is a blob, never equal to a text.
void prefixEquals(sqlite3_context *call, int, sqlite3_value **arguments)
{
    switch (sqlite3_value_type(arguments[0])) {
    case SQLITE_NULL:
        sqlite3_result_null(call);
        return;
    case SQLITE_BLOB:
        sqlite3_result_int(call, 0);
        return;
    default:
        break;
    }
    sqlite3_result_int(
        call,
        prefixEqualsUtf8(utf8Argument(arguments[0]), sqlite3_value_int64(arguments[1]),
                         utf8Argument(arguments[2]), sqlite3_value_int(arguments[3]) != 0));
}

FunctionContext &contextOf(sqlite3_context *call)
{
    return *static_cast<FunctionContext *>(sqlite3_user_data(call));
}

QString textArgument(sqlite3_value *value)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(value)),
                             sqlite3_value_bytes(value));
}

void resultText(sqlite3_context *call, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(call, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

bool anyNull(int count, sqlite3_value **arguments)
{
    return std::any_of(arguments, arguments + count,
                       [](sqlite3_value *v) { return sqlite3_value_type(v) == SQLITE_NULL; });
}

QString foldedForMatching(const QString &text, bool accentInsensitive)
{
    const QString folded = text.toCaseFolded();
    return accentInsensitive ? withoutAccents(folded) : folded;
}

// The length in the pattern of the bracket class that opens at `open` ("[a-c]", "[^x]", "[%]"),
// or 0 when no bracket closes it: then the "[" stands for itself.
qsizetype classLength(QStringView pattern, qsizetype open)
{
    qsizetype close = open + 1;
    if (close < pattern.size() && pattern[close] == QLatin1Char('^'))
        ++close;
    if (close < pattern.size() && pattern[close] == QLatin1Char(']'))
        ++close; // "[]a]": a leading "]" is one of the class's characters
    while (close < pattern.size() && pattern[close] != QLatin1Char(']'))
        ++close;
    return close < pattern.size() ? close - open + 1 : 0;
}

// A range takes in what the collation sorts between its ends, accented letters too: "á" is in
// "[a-c]" as the server orders it, though its code lies past "c".
bool inRange(QChar c, QChar low, QChar high, bool accentSensitive)
{
    const QStringView text(&c, 1);
    return compareText(text, QStringView(&low, 1), accentSensitive) >= 0
        && compareText(text, QStringView(&high, 1), accentSensitive) <= 0;
}

bool classMatches(QStringView members, QChar c, bool accentSensitive)
{
    const bool negated = !members.isEmpty() && members.front() == QLatin1Char('^');
    if (negated)
        members = members.sliced(1);
    bool found = false;
    for (qsizetype i = 0; i < members.size() && !found; ++i) {
        if (i + 2 < members.size() && members[i + 1] == QLatin1Char('-')) {
            found = inRange(c, members[i], members[i + 2], accentSensitive);
            i += 2;
        } else {
            found = members[i] == c;
        }
    }
    return found != negated;
}

// Whether the pattern's element at `p` (one character, "_", an escaped character or a bracket
// class) matches `c`; `width` is the element's length in the pattern.
bool elementMatches(QStringView pattern, qsizetype p, QChar c, QChar escape, bool accentSensitive,
                    qsizetype &width)
{
    const QChar first = pattern[p];
    if (!escape.isNull() && first == escape && p + 1 < pattern.size()) {
        width = 2;
        return pattern[p + 1] == c;
    }
    width = 1;
    if (first == QLatin1Char('_'))
        return true;
    if (first == QLatin1Char('[')) {
        if (const qsizetype length = classLength(pattern, p)) {
            width = length;
            return classMatches(pattern.sliced(p + 1, length - 2), c, accentSensitive);
        }
    }
    return first == c;
}

// LIKE's matching of %, _ and bracket classes with an optional escape character, on texts
// already folded.
bool likeMatches(QStringView pattern, QStringView text, QChar escape, bool accentSensitive)
{
    qsizetype p = 0;
    qsizetype t = 0;
    qsizetype starPattern = -1;
    qsizetype starText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('%')) {
            starPattern = ++p;
            starText = t;
            continue;
        }
        qsizetype width = 0;
        if (p < pattern.size()
            && elementMatches(pattern, p, text[t], escape, accentSensitive, width)) {
            p += width;
            ++t;
            continue;
        }
        if (starPattern < 0)
            return false;
        p = starPattern;
        t = ++starText;
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('%'))
        ++p;
    return p == pattern.size();
}

void like(sqlite3_context *call, int count, sqlite3_value **arguments)
{
    if (anyNull(count, arguments)) {
        sqlite3_result_null(call);
        return;
    }
    const bool accentInsensitive = contextOf(call).accentInsensitive;
    const QString pattern = foldedForMatching(textArgument(arguments[0]), accentInsensitive);
    const QString text = foldedForMatching(textArgument(arguments[1]), accentInsensitive);
    QChar escape;
    if (count == 3) {
        const QString escapeText = textArgument(arguments[2]);
        if (escapeText.size() != 1) {
            sqlite3_result_error(call, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = escapeText.front().toCaseFolded();
    }
    // SQL Server pads the shorter side with blanks, so a value's trailing blanks do not stop
    // it matching: 'Neto (-) ' LIKE '%(-)'.
    const bool matches = likeMatches(pattern, text, escape, !accentInsensitive)
        || likeMatches(pattern, withoutTrailingBlanks(text), escape, !accentInsensitive);
    sqlite3_result_int(call, matches ? 1 : 0);
}

void len(sqlite3_context *call, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(call);
        return;
    }
    const QString text = textArgument(arguments[0]);
    sqlite3_result_int64(call, withoutTrailingBlanks(text).size());
}

template<QString (QString::*convert)() const &>
void changeCase(sqlite3_context *call, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(call);
        return;
    }
    resultText(call, (textArgument(arguments[0]).*convert)());
}

void getDate(sqlite3_context *call, int, sqlite3_value **)
{
    resultText(call, platform::now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void charIndex(sqlite3_context *call, int count, sqlite3_value **arguments)
{
    if (anyNull(count, arguments)) {
        sqlite3_result_null(call);
        return;
    }
    const bool accentInsensitive = contextOf(call).accentInsensitive;
    const QString needle = foldedForMatching(textArgument(arguments[0]), accentInsensitive);
    const QString haystack = foldedForMatching(textArgument(arguments[1]), accentInsensitive);
    const qsizetype start
        = count == 3 ? std::max<qsizetype>(sqlite3_value_int64(arguments[2]), 1) : 1;
    if (needle.isEmpty()) {
        sqlite3_result_int(call, 0);
        return;
    }
    sqlite3_result_int64(call, haystack.indexOf(needle, start - 1) + 1);
}

void systemUser(sqlite3_context *call, int, sqlite3_value **)
{
    resultText(call, contextOf(call).login);
}

void nonzeroDivisor(sqlite3_context *call, int, sqlite3_value **arguments)
{
    sqlite3_value *divisor = arguments[0];
    const int type = sqlite3_value_numeric_type(divisor);
    if ((type == SQLITE_INTEGER || type == SQLITE_FLOAT) && sqlite3_value_double(divisor) == 0) {
        sqlite3_result_error(call, divideByZeroMessage, -1);
        return;
    }
    sqlite3_result_value(call, divisor);
}

// A money value in units of 1/10,000; nullopt for a Null, or for a value beyond money's range.
// A text is read to its last digit, as the server converts it.
std::optional<std::int64_t> moneyUnits(sqlite3_value *value, bool &overflow)
{
    overflow = false;
    if (sqlite3_value_type(value) == SQLITE_TEXT) {
        const std::optional<std::int64_t> units = moneyUnitsOfText(std::string_view(
            reinterpret_cast<const char *>(sqlite3_value_text(value)), sqlite3_value_bytes(value)));
        if (units)
            return units;
    }
    switch (sqlite3_value_numeric_type(value)) {
    case SQLITE_NULL:
        return std::nullopt;
    case SQLITE_INTEGER: {
        std::int64_t units = 0;
        overflow = __builtin_mul_overflow(sqlite3_value_int64(value), std::int64_t(10000), &units);
        return units;
    }
    default: {
        const std::optional<std::int64_t> units = moneyUnitsOf(sqlite3_value_double(value));
        overflow = !units;
        return units.value_or(0);
    }
    }
}

// An amount whose double would read back as a neighbour fails rather than changes.
void resultMoney(sqlite3_context *call, std::int64_t units)
{
    if (keptExactly(units)) {
        sqlite3_result_double(call, storedMoney(units));
        return;
    }
    const QByteArray message
        = inexactNumberDescription(Currency::fromScaled(units).toString()).toUtf8();
    sqlite3_result_error(call, message.constData(), int(message.size()));
}

void money(sqlite3_context *call, int, sqlite3_value **arguments)
{
    bool overflow = false;
    const std::optional<std::int64_t> units = moneyUnits(arguments[0], overflow);
    // A text that is no number (CAST('x' AS money)) would read as 0.
    const int type = sqlite3_value_numeric_type(arguments[0]);
    if (type == SQLITE_TEXT || type == SQLITE_BLOB)
        sqlite3_result_error(call, moneySyntaxMessage, -1);
    else if (overflow)
        sqlite3_result_error(call, moneyOverflowMessage, -1);
    else if (!units)
        sqlite3_result_null(call);
    else
        resultMoney(call, *units);
}

// A computed amount so large that its double may be a ten-thousandth off fails instead.
void computedMoney(sqlite3_context *call, int count, sqlite3_value **arguments)
{
    if (sqlite3_value_numeric_type(arguments[0]) == SQLITE_FLOAT) {
        const double amount = sqlite3_value_double(arguments[0]);
        if (std::abs(amount) >= computedMoneyLimit) {
            const QByteArray message = inexactComputationDescription(amount).toUtf8();
            sqlite3_result_error(call, message.constData(), int(message.size()));
            return;
        }
    }
    money(call, count, arguments);
}

struct MoneySum
{
    std::int64_t units;
    std::int64_t count;
    bool anyValue;
    bool overflow;
};

void moneySumStep(sqlite3_context *call, int, sqlite3_value **arguments)
{
    auto *sum = static_cast<MoneySum *>(sqlite3_aggregate_context(call, sizeof(MoneySum)));
    if (!sum || sum->overflow)
        return;
    bool overflow = false;
    const std::optional<std::int64_t> units = moneyUnits(arguments[0], overflow);
    if (units || overflow)
        sum->anyValue = true;
    if (units)
        ++sum->count;
    sum->overflow = overflow || (units && __builtin_add_overflow(sum->units, *units, &sum->units));
}

// The server divides the money sum by the count and rounds to money's places.
void moneyAverageFinal(sqlite3_context *call)
{
    const auto *sum = static_cast<MoneySum *>(sqlite3_aggregate_context(call, 0));
    if (sum && sum->overflow) {
        sqlite3_result_error(call, moneyOverflowMessage, -1);
    } else if (!sum || sum->count == 0) {
        sqlite3_result_null(call);
    } else {
        const std::int64_t half = sum->count / 2;
        const std::int64_t rounded
            = sum->units >= 0 ? (sum->units + half) / sum->count : (sum->units - half) / sum->count;
        resultMoney(call, rounded);
    }
}

void moneySumFinal(sqlite3_context *call)
{
    const auto *sum = static_cast<MoneySum *>(sqlite3_aggregate_context(call, 0));
    if (sum && sum->overflow)
        sqlite3_result_error(call, moneyOverflowMessage, -1);
    else if (!sum || !sum->anyValue)
        sqlite3_result_null(call); // SUM of no value is Null
    else
        resultMoney(call, sum->units);
}

// A text met by a number is read as that number's type, a whole number for an integer and a
// decimal otherwise; nullopt once the server's conversion error is the call's result.
std::optional<std::variant<sqlite3_int64, double>>
textAsNumber(sqlite3_context *call, sqlite3_value *text, sqlite3_value *number)
{
    const QString value = textArgument(text);
    bool ok = false;
    if (sqlite3_value_type(number) == SQLITE_INTEGER) {
        const qlonglong converted = value.trimmed().toLongLong(&ok);
        if (ok)
            return sqlite3_int64(converted);
        const QByteArray error = QString::fromLatin1(intConversionMessage).arg(value).toUtf8();
        sqlite3_result_error(call, error.constData(), int(error.size()));
        return std::nullopt;
    }
    const double converted = value.trimmed().toDouble(&ok);
    if (ok)
        return converted;
    sqlite3_result_error(call, numericConversionMessage, -1);
    return std::nullopt;
}

void plusTextAndNumber(sqlite3_context *call, sqlite3_value *text, sqlite3_value *number)
{
    const auto converted = textAsNumber(call, text, number);
    if (!converted)
        return;
    const auto *whole = std::get_if<sqlite3_int64>(&*converted);
    sqlite3_int64 sum = 0;
    if (whole && !__builtin_add_overflow(*whole, sqlite3_value_int64(number), &sum))
        sqlite3_result_int64(call, sum);
    else
        sqlite3_result_double(call,
                              std::visit([](auto v) { return double(v); }, *converted)
                                  + sqlite3_value_double(number));
}

bool isNumber(int type)
{
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

void textOperand(sqlite3_context *call, int, sqlite3_value **arguments)
{
    sqlite3_value *value = arguments[0];
    sqlite3_value *other = arguments[1];
    if (sqlite3_value_type(value) != SQLITE_TEXT || sqlite3_value_type(other) == SQLITE_NULL) {
        sqlite3_result_value(call, sqlite3_value_type(other) == SQLITE_NULL ? other : value);
        return;
    }
    if (!isNumber(sqlite3_value_type(other))) {
        const QByteArray error = QString::fromLatin1(invalidOperandMessage)
                                     .arg(QStringLiteral("varchar"), textArgument(arguments[2]))
                                     .toUtf8();
        sqlite3_result_error(call, error.constData(), int(error.size()));
        return;
    }
    const auto converted = textAsNumber(call, value, other);
    if (!converted)
        return;
    if (const auto *whole = std::get_if<sqlite3_int64>(&*converted))
        sqlite3_result_int64(call, *whole);
    else
        sqlite3_result_double(call, std::get<double>(*converted));
}

void plus(sqlite3_context *call, int, sqlite3_value **arguments)
{
    const int leftType = sqlite3_value_type(arguments[0]);
    const int rightType = sqlite3_value_type(arguments[1]);
    if (leftType == SQLITE_NULL || rightType == SQLITE_NULL) {
        sqlite3_result_null(call);
        return;
    }
    if (!isNumber(leftType) && !isNumber(rightType)) {
        resultText(call, textArgument(arguments[0]) + textArgument(arguments[1]));
        return;
    }
    if (isNumber(leftType) != isNumber(rightType)) {
        const bool textFirst = isNumber(rightType);
        plusTextAndNumber(call, arguments[textFirst ? 0 : 1], arguments[textFirst ? 1 : 0]);
        return;
    }
    sqlite3_int64 sum = 0;
    if (leftType == SQLITE_INTEGER && rightType == SQLITE_INTEGER
        && !__builtin_add_overflow(sqlite3_value_int64(arguments[0]),
                                   sqlite3_value_int64(arguments[1]), &sum)) {
        sqlite3_result_int64(call, sum);
        return;
    }
    sqlite3_result_double(call,
                          sqlite3_value_double(arguments[0]) + sqlite3_value_double(arguments[1]));
}

struct Average
{
    std::int64_t wholeSum;
    double sum;
    std::int64_t count;
    bool anyFraction;
};

void averageStep(sqlite3_context *call, int, sqlite3_value **arguments)
{
    auto *average = static_cast<Average *>(sqlite3_aggregate_context(call, sizeof(Average)));
    const int type = sqlite3_value_numeric_type(arguments[0]);
    if (!average || type == SQLITE_NULL)
        return;
    ++average->count;
    average->sum += sqlite3_value_double(arguments[0]);
    if (type != SQLITE_INTEGER
        || __builtin_add_overflow(average->wholeSum, sqlite3_value_int64(arguments[0]),
                                  &average->wholeSum))
        average->anyFraction = true;
}

// Whole numbers average to a whole number cut toward zero, as the server divides them.
void averageFinal(sqlite3_context *call)
{
    const auto *average = static_cast<Average *>(sqlite3_aggregate_context(call, 0));
    if (!average || average->count == 0)
        sqlite3_result_null(call);
    else if (average->anyFraction)
        sqlite3_result_double(call, average->sum / double(average->count));
    else
        sqlite3_result_int64(call, average->wholeSum / average->count);
}

void dataLength(sqlite3_context *call, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(call);
        return;
    }
    const sqlite3_int64 perCharacter = sqlite3_value_int64(arguments[1]);
    const sqlite3_int64 fixed = sqlite3_value_int64(arguments[2]);
    const sqlite3_int64 characters
        = fixed > 0 ? fixed : sqlite3_int64(textArgument(arguments[0]).size());
    sqlite3_result_int64(call, characters * perCharacter);
}

void padded(sqlite3_context *call, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(call);
        return;
    }
    resultText(call,
               textArgument(arguments[0]).leftJustified(int(sqlite3_value_int64(arguments[1]))));
}

struct FunctionDefinition
{
    const char *name;
    int argumentCount;
    bool deterministic;
    void (*function)(sqlite3_context *, int, sqlite3_value **);
};

const FunctionDefinition functions[] = {
    {"like", 2, true, like},
    {"like", 3, true, like},
    {"len", 1, true, len},
    {"upper", 1, true, changeCase<&QString::toUpper>},
    {"lower", 1, true, changeCase<&QString::toLower>},
    {"getdate", 0, false, getDate},
    {"charindex", 2, true, charIndex},
    {"charindex", 3, true, charIndex},
    {"system_user", 0, false, systemUser},
    {divisorFunction, 1, true, nonzeroDivisor},
    {moneyFunction, 1, true, money},
    {computedMoneyFunction, 1, true, computedMoney},
    {prefixEqualsFunction, 4, true, prefixEquals},
    {plusFunction, 2, true, plus},
    {dataLengthFunction, 3, true, dataLength},
    {paddedFunction, 2, true, padded},
    {textOperandFunction, 3, true, textOperand},
};

} // namespace

int compareText(QStringView left, QStringView right, bool accentSensitive)
{
    const QString leftFolded = withoutTrailingBlanks(left).toString().toCaseFolded();
    const QString rightFolded = withoutTrailingBlanks(right).toString().toCaseFolded();
    const int primary = sign(withoutAccents(leftFolded).compare(withoutAccents(rightFolded)));
    if (primary != 0 || !accentSensitive)
        return primary;
    return sign(leftFolded.compare(rightFolded));
}

int compareUtf8(QByteArrayView left, QByteArrayView right, bool accentSensitive)
{
    const auto compare = accentSensitive ? collate<true> : collate<false>;
    return compare(nullptr, int(left.size()), left.data(), int(right.size()), right.data());
}

bool prefixEqualsUtf8(QByteArrayView value, qint64 characters, QByteArrayView literal,
                      bool accentSensitive)
{
    const int prefix = prefixBytes(value.data(), int(value.size()), characters);
    return compareUtf8(value.first(prefix), literal, accentSensitive) == 0;
}

QByteArrayView utf8Prefix(QByteArrayView text, qint64 characters)
{
    return text.first(prefixBytes(text.data(), int(text.size()), characters));
}

void registerSqlServerFunctions(sqlite3 *db, FunctionContext *context)
{
    sqlite3_create_collation(db, accentSensitiveCollation, SQLITE_UTF8, nullptr, collate<true>);
    sqlite3_create_collation(db, accentInsensitiveCollation, SQLITE_UTF8, nullptr, collate<false>);
    for (const FunctionDefinition &f : functions) {
        const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
        sqlite3_create_function_v2(db, f.name, f.argumentCount, flags, context, f.function, nullptr,
                                   nullptr, nullptr);
    }
    sqlite3_create_function_v2(db, moneySumFunction, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               nullptr, moneySumStep, moneySumFinal, nullptr);
    sqlite3_create_function_v2(db, moneyAverageFunction, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                               nullptr, nullptr, moneySumStep, moneyAverageFinal, nullptr);
    sqlite3_create_function_v2(db, averageFunction, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               nullptr, averageStep, averageFinal, nullptr);
}

} // namespace platform::db::embedded
