#include "core/statistics_database.h"

#include "core/configuration_store.h"
#include "core/documents.h"
#include "core/error_reporter.h"
#include "core/mod_global.h"
#include "core/script_runner.h"
#include "core/startup_parameters.h"
#include "data/db_dll.h"
#include "data/sql_rewriting.h"
#include "platform/legacy_files.h"
#include "platform/private_folder.h"
#include "platform/program_files.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <limits>

namespace core {

namespace {

using platform::Flow;
using platform::Resume;
namespace native = platform::db::native;

const QString NL = QStringLiteral("\r\n");
const QString StatisticsLogin = QStringLiteral("TV_ESTADISTICAS");
const QString StatisticsPassword = QStringLiteral("TV_PALMIROSQUET");
constexpr std::int16_t DefaultTimeOut = 360;
constexpr int ClientCursor = platform::db::adUseClient;

QString quoted(const QString &value)
{
    return QLatin1Char('\'') + data::escapeSqlQuotes(value) + QLatin1Char('\'');
}

QString creationScriptPath()
{
    return platform::readableProgramFile(QStringLiteral("completotve.sql"));
}

// The box asks for nothing: it says what is missing, where it belongs and what the program does
// without it.
QString missingScriptMessage(const QString &script)
{
    QString ownFolder;
    try {
        ownFolder = QStringLiteral(" o en ") + QDir::toNativeSeparators(platform::userFolder());
    } catch (const platform::Error &) { }
    return QStringLiteral("No se encuentra el archivo ") + QDir::toNativeSeparators(script)
        + QStringLiteral(", que crea la base de datos de estadísticas ") + BaseEstadisticas
        + QStringLiteral(". El programa sigue sin ella, con el tiempo de espera por omisión. "
                         "Copie el archivo en la carpeta del programa")
        + ownFolder + QStringLiteral(" y vuelva a iniciarlo.");
}

// The login's user in its database, owner of it. Run on the database itself, so the login is
// given nothing anywhere else.
QString userGrants(const QString &Usuario)
{
    return QStringLiteral("EXEC sp_grantdbaccess @loginame = ") + quoted(Usuario)
        + QStringLiteral(" , @name_in_db =") + quoted(Usuario) + NL
        + QStringLiteral("EXEC sp_addrolemember N'db_owner', N") + quoted(Usuario);
}

// Puts the connection back on the database it was on: provisioning switches databases with USE.
class CurrentDatabaseKeeper
{
public:
    explicit CurrentDatabaseKeeper(data::DB_Dll &db) : m_db(db), m_database(currentDatabase()) { }
    ~CurrentDatabaseKeeper()
    {
        try {
            if (!m_database.isEmpty() && currentDatabase() != m_database)
                m_db.gCnn->setDefaultDatabase(m_database);
        } catch (const platform::Error &error) {
            logSkippedError(error, QStringLiteral("CrearUsuarioBase"));
        }
    }
    CurrentDatabaseKeeper(const CurrentDatabaseKeeper &) = delete;
    CurrentDatabaseKeeper &operator=(const CurrentDatabaseKeeper &) = delete;

private:
    QString currentDatabase() const
    {
        return m_db.gCnn->state() == platform::db::adStateOpen ? m_db.gCnn->defaultDatabase()
                                                               : QString();
    }

    data::DB_Dll &m_db;
    QString m_database;
};

// The stored time-out; a missing or non-positive one is stored as the default. Raises 6 for a
// value no 16-bit number holds, which leaves both the setting and the key as they were.
std::int16_t storedTimeOut()
{
    const double value = std::nearbyint(platform::leadingNumber(CfgTV(QStringLiteral("TimeOut"))));
    if (!(value >= std::numeric_limits<std::int16_t>::min()
          && value <= std::numeric_limits<std::int16_t>::max()))
        throw platform::Error(platform::errors::Overflow, QStringLiteral("Desbordamiento"));
    if (value > 0)
        return std::int16_t(value);
    GrabaCfgTV(QStringLiteral("TimeOut"), DefaultTimeOut, QString(), false,
               QStringLiteral("BaseDeDatos"), true);
    return DefaultTimeOut;
}

void runOracleForm(const QString &Usuario, const QString &Clave)
{
    platform::StepRunner::run(
        {[&] { data::gDB().EjecutaConsultaSQL(oracleUserStatement(Usuario, Clave)); }},
        [](const platform::Error &error, int) {
            if (error.number() == platform::db::hresult::ErrorsInCommand)
                return Resume::Next;
            return platform::resumeForAnswer(MensajeError(error));
        });
}

// Writes the script into a folder only this user can read, since it holds the password.
QString writePrivateScript(const QTemporaryDir &folder, const QString &text)
{
    const QString path = folder.filePath(QStringLiteral("CDB7.SQL"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw platform::Error(platform::errors::PathFileAccess,
                              QStringLiteral("No se puede escribir el archivo ") + path);
    const QByteArray bytes = platform::toWindows1252(text);
    if (file.write(bytes) != bytes.size())
        throw platform::Error(platform::errors::PathFileAccess,
                              QStringLiteral("No se puede escribir el archivo ") + path);
    return path;
}

} // namespace

QString databaseCreationScript(const QString &BaseDatos, const QString &Usuario,
                               const QString &Clave)
{
    const QString CR = QStringLiteral("\r");
    return QStringLiteral("Create Database ") + BaseDatos
        + QStringLiteral(" COLLATE Latin1_General_CI_AI ") + CR + NL + QStringLiteral("GO") + CR
        + NL + QStringLiteral("USE ") + BaseDatos + CR + NL + QStringLiteral("EXEC  sp_addlogin N")
        + quoted(Usuario) + QStringLiteral(", ") + quoted(Clave) + QStringLiteral(", ")
        + quoted(BaseDatos) + NL + userGrants(Usuario) + NL;
}

QString oracleUserStatement(const QString &Usuario, const QString &Clave)
{
    return QStringLiteral("CREATE USER ") + Usuario + QStringLiteral(" IDENTIFIED BY \"") + Clave
        + QStringLiteral("\"") + NL + QStringLiteral(" DEFAULT TABLESPACE USERS") + NL
        + QStringLiteral(" TEMPORARY TABLESPACE TEMP") + NL
        + QStringLiteral(" QUOTA UNLIMITED ON USERS") + NL + QStringLiteral(" PROFILE Default") + NL
        + QStringLiteral(" ACCOUNT UNLOCK") + NL + QStringLiteral(" GRANT \"CONNECT\" TO ")
        + Usuario + NL + QStringLiteral(" GRANT \"RESOURCE\" TO ") + Usuario + NL
        + QStringLiteral(" ALTER USER ") + Usuario
        + QStringLiteral(" DEFAULT ROLE \"CONNECT\", \"RESOURCE\"") + NL;
}

void ConectarBaseEstadisticas()
{
    data::DB_Dll &statistics = data::gDBEstadisticas();
    platform::StepRunner::run(
        {
            [&] { gTimeOut = DefaultTimeOut; },
            [&] {
                if (statistics.gOpenFlag)
                    statistics.gCnn->close();
            },
            [&] { CrearUsuarioBase(BaseEstadisticas, StatisticsLogin, StatisticsPassword); },
            [&] {
                statistics.gProveedor = data::DB_Dll::pSQLOLEDB();
                statistics.gServidor = data::gDB().gServidor;
                statistics.gDBName = BaseEstadisticas;
                statistics.gUsuario = StatisticsLogin;
                statistics.gUserPassWord = StatisticsPassword;
            },
            [&] { statistics.OpenServerADODB(false, ClientCursor, QString(), true, false); },
            [&] { return statistics.gOpenFlag ? Flow::Next : Flow::Finish; },
            [&] { statistics.gCnn->setDefaultDatabase(BaseEstadisticas); },
            [&] { gTimeOut = storedTimeOut(); },
        },
        [](const platform::Error &error, int) {
            logSkippedError(error, QStringLiteral("ConectarBaseEstadisticas"));
            return Resume::Next;
        });
}

void CrearUsuarioBase(const QString &BaseDatos, const QString &Usuario, const QString &Clave,
                      data::DB_Dll *Conexion)
{
    if (data::gDB().isOracle()) {
        runOracleForm(Usuario, Clave);
        return;
    }
    data::DB_Dll &db = Conexion ? *Conexion : data::gDB();
    const CurrentDatabaseKeeper keeper(db);
    platform::StepRunner::run(
        {
            [&] {
                db.gCnn->errors().clear();
                db.EjecutaConsultaSQL(QStringLiteral("EXEC  sp_addlogin N") + quoted(Usuario)
                                      + QStringLiteral(", ") + quoted(Clave) + QStringLiteral(", ")
                                      + quoted(BaseDatos) + QStringLiteral(",'Spanish'"));
            },
            [&] {
                const platform::db::Errors &errors = db.gCnn->errors();
                if (errors.count() == 0)
                    return Flow::Next;
                const platform::db::ProviderError &error = errors.item(0);
                switch (error.nativeError) {
                case 15116: // the password breaks the server's password policy
                    platform::userDialogs().messageBox(
                        error.description + NL
                        + QStringLiteral("Debe cambiar la contraseña del Usuario ") + Usuario
                        + QStringLiteral(" para que cumpla con las directivas de Windows."));
                    return Flow::Next;
                case native::LoginDatabaseMissing:
                    CrearBaseDeDatos(data::gDB().gServidor, Usuario, Clave, BaseDatos);
                    return Flow::Next;
                case native::LoginExists:
                    return Flow::Finish;
                default:
                    return Flow::Next;
                }
            },
            [&] {
                db.EjecutaConsultaSQL(QStringLiteral("USE ") + BaseDatos.trimmed() + NL
                                      + userGrants(Usuario));
            },
        },
        [](const platform::Error &error, int) {
            if (error.number() == platform::db::hresult::ErrorsInCommand)
                return Resume::Next;
            return platform::resumeForAnswer(MensajeError(error));
        });
}

bool CrearBaseDeDatos(const QString &Servidor, const QString &Usuario, const QString &Clave,
                      const QString &BaseDatos)
{
    const QString script = creationScriptPath();
    if (!ExisteArchivo(script)) {
        platform::userDialogs().messageBox(
            missingScriptMessage(script), platform::msgbox::OkOnly | platform::msgbox::Exclamation);
        return false;
    }
    const QString database = BaseDatos.trimmed();
    data::DB_Dll &statistics = data::gDBEstadisticas();
    bool permitDeletion = false;
    platform::StepRunner::run(
        {
            [&] {
                const CurrentDatabaseKeeper keeper(data::gDB());
                QTemporaryDir privateFolder(scriptPrivateFolder()
                                            + QStringLiteral("RP_PANELCTA-XXXXXX"));
                if (!privateFolder.isValid())
                    throw platform::Error(platform::errors::PathFileAccess,
                                          privateFolder.errorString());
                EjecutarScript(writePrivateScript(privateFolder,
                                                  databaseCreationScript(database, Usuario, Clave)),
                               nullptr, QString(), permitDeletion, false);
            },
            [&] { statistics.gCnn->close(); },
            [&] {
                statistics.gOpenFlag = false;
                statistics.gUsuario = Usuario;
                statistics.gDBName = database;
                statistics.gUserPassWord = Clave;
                statistics.gServidor = ExtraerServidor(Servidor);
            },
            [&] { statistics.OpenServerADODB(false, ClientCursor, QString(), false, true); },
            [&] { return statistics.gOpenFlag ? Flow::Next : Flow::Finish; },
            [&] { statistics.gCnn->setDefaultDatabase(database); },
            [&] { EjecutarScript(script, nullptr, QString(), permitDeletion, false, &statistics); },
        },
        [](const platform::Error &error, int) {
            if (error.number() == platform::db::ado::ObjectClosed)
                return Resume::Next;
            return platform::resumeForAnswer(MensajeError(error));
        });
    return statistics.gOpenFlag;
}

} // namespace core
