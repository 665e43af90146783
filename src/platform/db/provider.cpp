#include "platform/db/provider.h"

#include "platform/db/embedded/embedded_provider.h"
#include "platform/db/odbc/odbc_provider.h"

namespace platform::db {

Session::~Session() = default;

namespace {
QString normalisedKey(const QString &key)
{
    return key.trimmed().toLower();
}
} // namespace

namespace {

// The "}" that closes the brace at open; "}}" inside is a brace of the value.
qsizetype closingBrace(const QString &text, qsizetype open)
{
    for (qsizetype at = open + 1; at < text.size(); ++at) {
        if (text.at(at) != QLatin1Char('}'))
            continue;
        if (at + 1 < text.size() && text.at(at + 1) == QLatin1Char('}'))
            ++at;
        else
            return at;
    }
    return text.size();
}

} // namespace

QVector<ConnectionPair> connectionPairs(const QString &text)
{
    QVector<ConnectionPair> pairs;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype equals = text.indexOf(QLatin1Char('='), at);
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), at);
        if (equals < 0)
            break;
        if (semicolon >= 0 && semicolon < equals) { // a piece without a value
            at = semicolon + 1;
            continue;
        }
        qsizetype valueAt = equals + 1;
        while (valueAt < text.size() && text.at(valueAt).isSpace())
            ++valueAt;
        const bool braced = valueAt < text.size() && text.at(valueAt) == QLatin1Char('{');
        const qsizetype close = braced ? closingBrace(text, valueAt) : valueAt;
        qsizetype end = text.indexOf(QLatin1Char(';'), close);
        if (end < 0)
            end = text.size();
        QString value = braced ? text.mid(valueAt + 1, close - valueAt - 1)
                               : text.mid(equals + 1, end - equals - 1);
        if (braced)
            value.replace(QLatin1String("}}"), QLatin1String("}"));
        pairs.append({text.mid(at, equals - at).trimmed(), value, at, end});
        at = end + 1;
    }
    return pairs;
}

QString bracedValue(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('}'), QLatin1String("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

QString connectionValue(const QString &value)
{
    const bool needsBraces = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{'))
        || value.contains(QLatin1Char('}'));
    return needsBraces ? bracedValue(value) : value;
}

ConnectionString ConnectionString::parse(const QString &text)
{
    ConnectionString result;
    result.m_text = text;
    for (const ConnectionPair &pair : connectionPairs(text)) {
        const QString key = normalisedKey(pair.key);
        if (!key.isEmpty() && !result.m_values.contains(key))
            result.m_values.insert(key, pair.value);
    }
    return result;
}

QString ConnectionString::value(const QString &key) const
{
    return m_values.value(normalisedKey(key));
}

bool ConnectionString::contains(const QString &key) const
{
    return m_values.contains(normalisedKey(key));
}

void ConnectionString::set(const QString &key, const QString &value)
{
    m_values.insert(normalisedKey(key), value);
}

QVector<Column> schemaRowsetColumns(Schema schema)
{
    const auto text = [](const char *name) { return Column{QLatin1String(name), adVarWChar, 128}; };
    const auto number = [](const char *name, DataType type) {
        return Column{QLatin1String(name), type, 4};
    };
    if (schema == adSchemaTables)
        return {text("TABLE_CATALOG"), text("TABLE_SCHEMA"), text("TABLE_NAME"),
                text("TABLE_TYPE")};
    return {text("TABLE_CATALOG"),
            text("TABLE_SCHEMA"),
            text("TABLE_NAME"),
            text("COLUMN_NAME"),
            number("ORDINAL_POSITION", adUnsignedInt),
            Column{QStringLiteral("IS_NULLABLE"), adBoolean, 2},
            number("DATA_TYPE", adUnsignedSmallInt),
            number("CHARACTER_MAXIMUM_LENGTH", adUnsignedInt)};
}

OpenResult openSession(const QString &connectionString, const QString &user,
                       const QString &password)
{
    const ConnectionString parsed = ConnectionString::parse(connectionString);
    if (embedded::servesConnection(parsed))
        return embedded::open(parsed, user, password);
    return odbc::open(parsed, user, password);
}

} // namespace platform::db
