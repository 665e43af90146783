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

ConnectionString ConnectionString::parse(const QString &text)
{
    ConnectionString result;
    result.m_text = text;
    for (const QString &pair : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = normalisedKey(pair.left(equals));
        if (!key.isEmpty() && !result.m_values.contains(key))
            result.m_values.insert(key, pair.mid(equals + 1));
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
