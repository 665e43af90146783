#include "engine_fixture.h"

#include "platform/db/embedded/login_registry.h"
#include "platform/error.h"
#include "platform/regional_settings.h"
#include "platform/variant.h"

#include <QDateTime>
#include <QFile>

using namespace platform::db;

void EngineTest::SetUp()
{
    ASSERT_TRUE(m_folder.isValid());
    platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
    qputenv("RP_PANELCTA_DATOS", m_folder.path().toUtf8());
    createDatabaseFile(QStringLiteral("PRUEBA"));
    addLogin(QStringLiteral("prueba"), QStringLiteral("x"));
    m_connection = Connection::create();
    m_connection->open(connectionString());
}

void EngineTest::TearDown()
{
    m_connection.reset();
    qunsetenv("RP_PANELCTA_DATOS");
}

QString EngineTest::connectionString(const QString &database)
{
    return QStringLiteral("PROVIDER=SQLOLEDB;Server=(embebido);Database =%1;UId=prueba;Pwd=x;")
        .arg(database);
}

void EngineTest::createDatabaseFile(const QString &name) const
{
    // An empty file is an empty database.
    QFile file(m_folder.filePath(name + QStringLiteral(".db")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

void EngineTest::addLogin(const QString &name, const QString &password) const
{
    const std::optional<ProviderError> error
        = platform::db::embedded::LoginRegistry(m_folder.path()).addLogin(name, password, {});
    ASSERT_FALSE(error && error->nativeError != native::LoginExists)
        << error->description.toStdString();
}

void EngineTest::run(const QString &sql)
{
    try {
        m_connection->execute(sql);
    } catch (const platform::Error &error) {
        FAIL() << sql.toStdString() << ": " << error.what();
    }
}

std::int32_t EngineTest::failureOf(const QString &sql)
{
    return failureOf([&] { m_connection->execute(sql); });
}

std::int32_t EngineTest::failureOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const platform::Error &error) {
        return error.number();
    }
    ADD_FAILURE() << "no failure";
    return 0;
}

QVector<std::int32_t> EngineTest::nativeErrors() const
{
    QVector<std::int32_t> numbers;
    for (const ProviderError &error : m_connection->errors().items())
        numbers.append(error.nativeError);
    return numbers;
}

QStringList EngineTest::column(const QString &sql)
{
    QStringList values;
    Recordset rows = m_connection->execute(sql);
    for (; !rows.eof(); rows.moveNext())
        values.append(shown(rows.field(0).value()));
    return values;
}

QVariant EngineTest::scalar(const QString &sql)
{
    Recordset rows = m_connection->execute(sql);
    return rows.field(0).value();
}

QString EngineTest::shown(const QVariant &value)
{
    using platform::Currency;
    if (platform::isCurrency(value))
        return value.value<Currency>().toString();
    if (value.typeId() == QMetaType::Double)
        return Currency::fromDouble(value.toDouble()).toString();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd"));
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}
