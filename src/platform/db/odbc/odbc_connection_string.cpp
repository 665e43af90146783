#include "platform/db/odbc/odbc_connection_string.h"

#include "platform/db/odbc/odbc_handles.h"
#include "platform/runtime.h"

#include <QRegularExpression>

namespace platform::db::odbc {

namespace {

const QString defaultSqlServerDriver = QStringLiteral("FreeTDS");

// Key and value pairs in the order they are written.
class AttributeList
{
public:
    void add(const QString &key, const QString &value) { m_pairs.append({key, value}); }

    QString text() const
    {
        QStringList parts;
        for (const auto &[key, value] : m_pairs)
            parts.append(key + QLatin1Char('=') + value);
        return parts.join(QLatin1Char(';')) + QLatin1Char(';');
    }

private:
    QVector<std::pair<QString, QString>> m_pairs;
};

// The first value among keys that mean the same thing to the providers.
QString firstValue(const ConnectionString &connection, std::initializer_list<const char *> keys)
{
    for (const char *key : keys) {
        const QString name = QLatin1String(key);
        if (connection.contains(name))
            return connection.value(name);
    }
    return {};
}

QString userOf(const ConnectionString &connection, const QString &user)
{
    return user.isEmpty() ? firstValue(connection, {"UId", "User Id", "User"}) : user;
}

QString passwordOf(const ConnectionString &connection, const QString &password)
{
    return password.isEmpty() ? firstValue(connection, {"Pwd", "Password"}) : password;
}

ProviderError missingDriver(const QString &description)
{
    ProviderError error;
    error.number = hresult::E_Fail;
    error.sqlState = QStringLiteral("IM002");
    error.description = description;
    error.source = QStringLiteral("ODBC");
    return error;
}

bool isFreeTds(const QString &driver)
{
    return driver.contains(QLatin1String("tds"), Qt::CaseInsensitive);
}

// "host\instance" stays whole; "host:port" and "host,port" give the port apart.
std::pair<QString, QString> splitPort(const QString &server)
{
    static const QRegularExpression withPort(QStringLiteral("^(.*)[:,]\\s*(\\d+)$"));
    const QRegularExpressionMatch match = withPort.match(server);
    if (match.hasMatch())
        return {match.captured(1).trimmed(), match.captured(2)};
    return {server, {}};
}

ProviderError valueFreeTdsCannotCarry(const QString &what)
{
    ProviderError error;
    error.number = hresult::E_Fail;
    error.sqlState = QStringLiteral("08001");
    error.description
        = QStringLiteral("%1 contiene \"};\", que el controlador FreeTDS no puede recibir: "
                         "cambie ese valor, o use otro controlador ODBC (variable de entorno "
                         "RP_PANELCTA_SQLSERVER_DRIVER).")
              .arg(what);
    error.source = QStringLiteral("ODBC");
    return error;
}

// Values as the chosen driver reads them; an error when the driver cannot read one.
class DriverValues
{
public:
    explicit DriverValues(bool freeTds) : m_freeTds(freeTds) { }

    QString operator()(const QString &value, const char *what)
    {
        if (!m_freeTds)
            return odbcValue(value);
        const std::optional<QString> written = freeTdsValue(value);
        if (!written && !m_error)
            m_error = valueFreeTdsCannotCarry(QString::fromUtf8(what));
        return written.value_or(QString());
    }

    const std::optional<ProviderError> &error() const { return m_error; }

private:
    bool m_freeTds;
    std::optional<ProviderError> m_error;
};

OdbcConnectionString sqlServer(const ConnectionString &connection, const QString &user,
                               const QString &password, const DriverSetup &drivers)
{
    const QString driver
        = drivers.sqlServerDriver.isEmpty() ? defaultSqlServerDriver : drivers.sqlServerDriver;
    const auto [host, port]
        = splitPort(firstValue(connection, {"Server", "Data Source"}).trimmed());
    const bool freeTds = isFreeTds(driver);
    DriverValues value(freeTds);

    AttributeList attributes;
    attributes.add(QStringLiteral("DRIVER"), QLatin1Char('{') + driver + QLatin1Char('}'));
    if (port.isEmpty() || freeTds)
        attributes.add(QStringLiteral("SERVER"), value(host, "El servidor"));
    else
        attributes.add(QStringLiteral("SERVER"),
                       value(host + QLatin1Char(',') + port, "El servidor"));
    if (!port.isEmpty() && freeTds)
        attributes.add(QStringLiteral("PORT"), port);
    const QString database = firstValue(connection, {"Database", "Initial Catalog"}).trimmed();
    if (!database.isEmpty())
        attributes.add(QStringLiteral("DATABASE"), value(database, "La base de datos"));
    attributes.add(QStringLiteral("UID"), value(userOf(connection, user), "El usuario"));
    attributes.add(QStringLiteral("PWD"), value(passwordOf(connection, password), "La contraseña"));
    if (value.error())
        return {{}, value.error()};
    if (freeTds) {
        // Without these FreeTDS speaks an old protocol and converts text to the client's
        // code page, losing every character outside it.
        attributes.add(QStringLiteral("TDS_Version"), QStringLiteral("7.4"));
        attributes.add(QStringLiteral("ClientCharset"), QStringLiteral("UTF-8"));
    }
    return {attributes.text(), std::nullopt};
}

OdbcConnectionString oracle(const ConnectionString &connection, const QString &user,
                            const QString &password, const DriverSetup &drivers)
{
    if (drivers.oracleDriver.isEmpty())
        return {{},
                missingDriver(QStringLiteral(
                    "No hay un controlador ODBC de Oracle configurado: indique su nombre en la "
                    "variable de entorno RP_PANELCTA_ORACLE_DRIVER."))};
    AttributeList attributes;
    attributes.add(QStringLiteral("DRIVER"),
                   QLatin1Char('{') + drivers.oracleDriver + QLatin1Char('}'));
    attributes.add(QStringLiteral("DBQ"), odbcValue(firstValue(connection, {"Data Source"})));
    attributes.add(QStringLiteral("UID"), odbcValue(userOf(connection, user)));
    attributes.add(QStringLiteral("PWD"), odbcValue(passwordOf(connection, password)));
    return {attributes.text(), std::nullopt};
}

OdbcConnectionString access(const ConnectionString &connection, const DriverSetup &drivers)
{
    for (const QString &driver : drivers.installedDrivers) {
        if (driver.contains(QLatin1String("MDBTools"), Qt::CaseInsensitive)) {
            AttributeList attributes;
            attributes.add(QStringLiteral("DRIVER"), QLatin1Char('{') + driver + QLatin1Char('}'));
            attributes.add(QStringLiteral("DBQ"),
                           odbcValue(firstValue(connection, {"Data Source"}).trimmed()));
            return {attributes.text(), std::nullopt};
        }
    }
    return {{},
            missingDriver(QStringLiteral(
                "No está instalado el controlador ODBC de Access (MDBTools): instale el paquete "
                "odbc-mdbtools para abrir bases de datos de Access."))};
}

// The caller's own ODBC string, with the user and password replaced when they are given.
OdbcConnectionString withCredentials(const ConnectionString &connection, const QString &user,
                                     const QString &password)
{
    const struct
    {
        QString key;
        const QString &value;
        const char *what;
    } overrides[] = {{QStringLiteral("UID"), user, "El usuario"},
                     {QStringLiteral("PWD"), password, "La contraseña"}};
    DriverValues driverValue(isFreeTds(connection.value(QStringLiteral("Driver"))));
    QString result = connection.text();
    for (const auto &[key, value, what] : overrides) {
        if (value.isEmpty())
            continue;
        const QString replacement = key + QLatin1Char('=') + driverValue(value, what);
        bool replaced = false;
        const QVector<ConnectionPair> pairs = connectionPairs(result);
        for (auto pair = pairs.crbegin(); pair != pairs.crend(); ++pair) {
            if (pair->key.compare(key, Qt::CaseInsensitive) == 0) {
                result.replace(pair->begin, pair->end - pair->begin, replacement);
                replaced = true;
            }
        }
        if (!replaced) {
            if (!result.trimmed().isEmpty() && !result.trimmed().endsWith(QLatin1Char(';')))
                result += QLatin1Char(';');
            result += replacement + QLatin1Char(';');
        }
    }
    if (driverValue.error())
        return {{}, driverValue.error()};
    return {result, std::nullopt};
}

} // namespace

QString odbcValue(const QString &value)
{
    static const QRegularExpression needsBraces(QStringLiteral("[;={}]|^\\s|\\s$"));
    return value.contains(needsBraces) ? bracedValue(value) : value;
}

std::optional<QString> freeTdsValue(const QString &value)
{
    // FreeTDS ends a braced value at the first "}" followed by ";" or the end, and takes no
    // doubled "}" for one.
    if (value.contains(QLatin1String("};")))
        return std::nullopt;
    if (!value.contains(QLatin1Char(';')) && !value.startsWith(QLatin1Char('{')))
        return value;
    return QLatin1Char('{') + value + QLatin1Char('}');
}

OdbcConnectionString toOdbcConnectionString(const ConnectionString &connection, const QString &user,
                                            const QString &password, const DriverSetup &drivers)
{
    // The provider decides first: the program writes its values unquoted, so a "DSN=" or
    // "Driver=" after a password holding ";" must not turn its string into a driver's own.
    const QString provider = connection.value(QStringLiteral("Provider")).trimmed();
    if (provider.compare(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive) == 0)
        return sqlServer(connection, user, password, drivers);
    if (provider.startsWith(QLatin1String("OraOLEDB.Oracle"), Qt::CaseInsensitive))
        return oracle(connection, user, password, drivers);
    if (provider.startsWith(QLatin1String("Microsoft.Jet.OLEDB"), Qt::CaseInsensitive))
        return access(connection, drivers);
    if (connection.contains(QStringLiteral("DSN")) || connection.contains(QStringLiteral("Driver")))
        return withCredentials(connection, user, password);
    return {{},
            missingDriver(QStringLiteral("No se reconoce el proveedor \"%1\" de la cadena de "
                                         "conexión.")
                              .arg(provider))};
}

DriverSetup DriverSetup::fromSystem()
{
    DriverSetup setup;
    setup.sqlServerDriver = environmentVariable(QStringLiteral("RP_PANELCTA_SQLSERVER_DRIVER"));
    if (setup.sqlServerDriver.isEmpty())
        setup.sqlServerDriver = defaultSqlServerDriver;
    setup.oracleDriver = environmentVariable(QStringLiteral("RP_PANELCTA_ORACLE_DRIVER"));
    setup.installedDrivers = installedDriverNames();
    return setup;
}

} // namespace platform::db::odbc
