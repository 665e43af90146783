#include "data/connection_registration.h"

#include "data/connection_list.h"
#include "data/db_dll.h"
#include "platform/legacy_files.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/user_dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace data {

namespace {

using platform::Flow;
using platform::Resume;
namespace msgbox = platform::msgbox;

// Errors of starting a server's service that say it was already running or is not there to
// start; none of them stops a registration.
bool isIgnoredError(std::int32_t number)
{
    static const QList<std::int32_t> ignored = {3704, std::int32_t(0x80070420), 1056, 440, 20480};
    return ignored.contains(number);
}

bool isListed(const QString &key)
{
    const std::optional<RegisteredConnection> listed = ConnectionList().find(key);
    return listed && !listed->server.trimmed().isEmpty();
}

bool opens(const TypedConnection &typed, bool showErrors)
{
    DB_Dll probe;
    probe.gServidor = typed.server;
    probe.gDBName = typed.database;
    probe.gUsuario = typed.user;
    probe.gUserPassWord = typed.password;
    probe.OpenServerADODB(false, platform::db::adUseClient, QString(), false, showErrors);
    return probe.gOpenFlag;
}

// The suite's databases each have a login of their own name, which is tried first.
bool opensWithDatabaseLogin(const TypedConnection &typed)
{
    const QString owner = typed.database.toUpper();
    return ExisteBaseDeDatos(typed.server, owner, owner, owner);
}

void startOdbcProgram(const TypedConnection &typed)
{
    const QString program
        = platform::findFileIgnoringCase(platform::programFolder(), QStringLiteral("ODBC.exe"));
    if (!QFileInfo::exists(program))
        return;
    const bool started = platform::launcher().start(program,
                                                    {QStringLiteral("Server=") + typed.server
                                                     + QStringLiteral(";DB=") + typed.database
                                                     + QStringLiteral(";")},
                                                    false);
    if (!started)
        throw platform::Error(platform::errors::InvalidProcedureCall,
                              QStringLiteral("No se pudo iniciar ")
                                  + QDir::toNativeSeparators(program),
                              platform::programName());
}

void showAlreadyListed()
{
    platform::userDialogs().messageBox(
        QStringLiteral("La conexion que intenta registrar ya existe "), msgbox::Information,
        QStringLiteral("Atencion"));
}

void showUnreachable(const QString &server)
{
    platform::userDialogs().messageBox(
        QStringLiteral("NO SE PUDO CONECTAR AL SERVIDOR ") + server
            + QStringLiteral(" VERIFIQUE EL NOMBRE DE USUARIO Y PASSWORD INGRESADO"),
        msgbox::Information, QStringLiteral("AVISO AL OPERADOR"));
}

void showFailure(const platform::Error &error)
{
    platform::userDialogs().messageBox(
        QStringLiteral("SQL Server start failed.  \rSQL-DMO error:  ")
        + QString::number(error.number()) + QStringLiteral(" ") + error.description());
}

} // namespace

bool ExisteBaseDeDatos(const QString &server, const QString &database, const QString &user,
                       const QString &password)
{
    return opens({database, server, user, password}, false);
}

bool registerConnection(const TypedConnection &typed)
{
    const QString key = connectionKey(typed.database, typed.server);
    bool registered = false;
    const std::vector<platform::Step> steps = {
        [&] {
            if (!isListed(key))
                return Flow::Next;
            showAlreadyListed();
            return Flow::Finish;
        },
        [&] {
            if (opensWithDatabaseLogin(typed) || opens(typed, true))
                return Flow::Next;
            showUnreachable(typed.server);
            return Flow::Finish;
        },
        [&] {
            RegistrarBaseEnArchivo(key, typed.database, typed.database, typed.database,
                                   typed.server);
            registered = true;
        },
        [&] { startOdbcProgram(typed); },
    };
    platform::StepRunner::run(steps, [](const platform::Error &error, int) {
        if (isIgnoredError(error.number()))
            return Resume::Next;
        // Nothing after a failed step can be trusted to have happened, so the registration
        // stops here rather than carrying on as if the line had been written.
        showFailure(error);
        return Resume::Leave;
    });
    return registered;
}

} // namespace data
