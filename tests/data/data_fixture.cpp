#include "data_fixture.h"

#include "platform/db/embedded/embedded_provider.h"
#include "platform/db/embedded/login_registry.h"
#include "platform/legacy_files.h"
#include "platform/runtime.h"

#include <QFile>

namespace data_testing {

namespace {

class ScriptedConnectionDialog final : public data::ConnectionDialog
{
public:
    ScriptedConnectionDialog(std::optional<ConnectionValues> answer,
                             std::vector<ConnectionValues> &shown)
        : m_answer(std::move(answer)), m_shownLog(shown)
    { }

    QString dbName() const override { return m_values.dbName; }
    void setDbName(const QString &value) override { m_values.dbName = value; }
    QString servidor() const override { return m_values.servidor; }
    void setServidor(const QString &value) override { m_values.servidor = value; }
    QString usuario() const override { return m_values.usuario; }
    void setUsuario(const QString &value) override { m_values.usuario = value; }
    QString userPassword() const override { return m_values.password; }
    void setUserPassword(const QString &value) override { m_values.password = value; }
    int plataforma() const override { return m_values.plataforma; }
    void setPlataforma(int index) override { m_values.plataforma = index; }

    void showModal() override
    {
        m_shownLog.push_back(m_values);
        if (m_answer)
            m_values = *m_answer;
    }
    bool aceptar() const override { return m_answer.has_value(); }

private:
    std::optional<ConnectionValues> m_answer;
    std::vector<ConnectionValues> &m_shownLog;
    ConnectionValues m_values;
};

} // namespace

ScriptedConnectionDialogs::ScriptedConnectionDialogs()
{
    data::setConnectionDialogFactory([this]() -> std::unique_ptr<data::ConnectionDialog> {
        if (m_answers.empty()) {
            ADD_FAILURE() << "unexpected connection dialog";
            return std::make_unique<ScriptedConnectionDialog>(std::nullopt, m_shown);
        }
        auto dialog = std::make_unique<ScriptedConnectionDialog>(m_answers.front(), m_shown);
        m_answers.pop_front();
        return dialog;
    });
}

ScriptedConnectionDialogs::~ScriptedConnectionDialogs()
{
    data::setConnectionDialogFactory(nullptr);
    EXPECT_TRUE(m_answers.empty()) << "scripted connection dialogs left unused";
}

void resetInstance(data::DB_Dll &db)
{
    db.gCnn = platform::db::Connection::create();
    db.gOpenFlag = false;
    db.gIgnoraPassWord = QVariant();
    db.gProveedor.clear();
    db.gServidor.clear();
    db.gDBName.clear();
    db.gUsuario.clear();
    db.gEsAdmin = false;
    db.gUserPassWord.clear();
    db.gConnString.clear();
    db.gExtended.clear();
    db.gLogErr.clear();
}

DataTest::DataTest()
{
    qputenv("RP_PANELCTA_DATOS", m_folder.path().toUtf8());
    qputenv("RP_PANELCTA_HOME", m_folder.path().toUtf8());
    qputenv("XDG_DATA_HOME", m_folder.path().toUtf8());
    platform::setClock(&DataTest::fixedNow);
    platform::db::embedded::simulateLinkLoss(false);
    for (data::DB_Dll *db :
         {&data::gDB(), &data::gDBEstadisticas(), &data::gUDBC(), &data::gDBAux()})
        resetInstance(*db);
    createDatabase(QStringLiteral("PRUEBA"));
    addLogin(QStringLiteral("sa"), QStringLiteral("x"));
}

DataTest::~DataTest()
{
    platform::db::embedded::simulateLinkLoss(false);
    platform::setEndProcessHook({});
    platform::setClock({});
    for (data::DB_Dll *db :
         {&data::gDB(), &data::gDBEstadisticas(), &data::gUDBC(), &data::gDBAux()})
        resetInstance(*db);
}

void DataTest::createDatabase(const QString &name)
{
    QFile file(m_folder.filePath(name + QStringLiteral(".db")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

void DataTest::addLogin(const QString &name, const QString &password)
{
    const std::optional<platform::db::ProviderError> error
        = platform::db::embedded::LoginRegistry(m_folder.path()).addLogin(name, password, {});
    ASSERT_FALSE(error && error->nativeError != platform::db::native::LoginExists)
        << error->description.toStdString();
}

QString DataTest::embeddedConnectionString(const QString &database, const QString &provider)
{
    return QStringLiteral("PROVIDER=%1;Server=(embebido);Database =%2;UId=sa;Pwd=x;")
        .arg(provider, database);
}

void DataTest::openEmbedded(data::DB_Dll &db, const QString &database, const QString &user)
{
    addLogin(user, QStringLiteral("x"));
    db.gServidor = QStringLiteral("(embebido)");
    db.gDBName = database;
    db.gUsuario = user;
    db.gUserPassWord = QStringLiteral("x");
    db.OpenServerADODB(false, platform::db::adUseClient, QString(), false, false);
    ASSERT_TRUE(db.gOpenFlag) << "the embedded database did not open";
}

void DataTest::openEmbeddedAsOracle(data::DB_Dll &db)
{
    db.gDBName = QStringLiteral("PRUEBA");
    db.OpenServerADODB(
        false, platform::db::adUseClient,
        embeddedConnectionString(QStringLiteral("PRUEBA"), QStringLiteral("OraOLEDB.Oracle.1")),
        false, false);
    ASSERT_TRUE(db.gOpenFlag);
    ASSERT_TRUE(db.isOracle());
}

void DataTest::execute(const QString &sql, data::DB_Dll &db)
{
    db.gCnn->execute(sql);
}

QVariant DataTest::scalar(const QString &sql, data::DB_Dll &db)
{
    platform::db::Recordset rows = db.gCnn->execute(sql);
    if (rows.state() == platform::db::adStateClosed || rows.eof())
        return {};
    return rows.field(0).value();
}

QString DataTest::logPath() const
{
    return m_folder.filePath(QStringLiteral("rp_panelcta/TVERR.LOG"));
}

QStringList DataTest::logLines() const
{
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = platform::fromWindows1252(file.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace data_testing
