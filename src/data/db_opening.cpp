#include "data/access_password.h"
#include "data/db_dll.h"
#include "data/services.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/dialogo_archivo.h"
#include "platform/suite/utilidades.h"
#include "platform/user_dialogs.h"

namespace data {

namespace {

using platform::Flow;
using platform::Resume;
using platform::StepRunner;
namespace ado = platform::db::ado;
namespace msgbox = platform::msgbox;

const QString OracleProvider = QStringLiteral("OraOLEDB.Oracle.1");
const QString CR = QStringLiteral("\r");
const QString NL = QStringLiteral("\r\n");

bool marksOracle(const QString &server)
{
    return server.contains(QLatin1Char('#'));
}

// Values go in as they are, except that one holding ";" (a password, say) is braced so the
// provider reads it whole.
QString value(const QString &text)
{
    return platform::db::connectionValue(text);
}

} // namespace

void DB_Dll::closeIfOpen()
{
    // Called on the way to opening again, where a connection that will not even close is of
    // no further interest: the opening that follows reports what is wrong.
    try {
        if (gCnn->state() != platform::db::adStateClosed)
            gCnn->close();
    } catch (const platform::Error &) { }
}

void DB_Dll::fixDialect(const QString &connectionString)
{
    const auto parsed = platform::db::ConnectionString::parse(connectionString);
    m_oracle = parsed.value(QStringLiteral("Provider"))
                   .contains(QLatin1String("oracle"), Qt::CaseInsensitive)
        || marksOracle(parsed.value(QStringLiteral("Server")));
}

void DB_Dll::buildServerConnectionString()
{
    if (marksOracle(gServidor)) {
        gConnString = QStringLiteral("Provider=") + OracleProvider + QStringLiteral(";Data Source=")
            + value(gDBName) + QStringLiteral(";User Id=") + value(gUsuario)
            + QStringLiteral(";Password=") + value(gUserPassWord) + QStringLiteral(";");
        return;
    }
    gConnString = QStringLiteral("PROVIDER=") + pSQLOLEDB() + QStringLiteral(";Server=")
        + value(gServidor) + QStringLiteral(";Database =") + value(gDBName)
        + QStringLiteral(";UId=") + value(gUsuario) + QStringLiteral(";Pwd=") + value(gUserPassWord)
        + QStringLiteral(";") + gExtended;
}

bool DB_Dll::askConnectionValues()
{
    gOpenFlag = false;
    const std::unique_ptr<ConnectionDialog> dialog = createConnectionDialog();
    if (!dialog)
        return false;
    dialog->setDbName(gDBName);
    dialog->setServidor(gServidor);
    dialog->setUsuario(gUsuario);
    dialog->setUserPassword(gUserPassWord);
    dialog->setPlataforma(marksOracle(gServidor) ? 1 : 0);
    dialog->showModal();
    if (!dialog->aceptar())
        return false;

    gOpenFlag = true;
    gDBName = dialog->dbName();
    gServidor = dialog->servidor();
    gUsuario = dialog->usuario();
    gUserPassWord = dialog->userPassword();
    if (dialog->plataforma() > 0) {
        gProveedor = OracleProvider;
        if (!marksOracle(gServidor))
            gServidor.prepend(QLatin1Char('#'));
    } else {
        gProveedor = pSQLOLEDB();
        gServidor.remove(QLatin1Char('#'));
    }
    return true;
}

int DB_Dll::askRetryAfterConnectionError(const platform::db::ProviderError &error) const
{
    const QString text = QStringLiteral(" Estado de Sql: ") + error.sqlState + CR
        + QStringLiteral("Numero de Error: ") + QString::number(error.number) + CR
        + QStringLiteral("Descripcion: ") + error.description + CR
        + QStringLiteral("Codigo Nativo: ") + QString::number(error.nativeError) + CR + NL
        + QStringLiteral("Nombre de Proceso: ") + platform::programName() + CR + NL + NL
        + QStringLiteral("1. Verifique el Usuario, contraseña y base de datos") + NL
        + QStringLiteral("2. Verifique el nombre del servidor, quizas necesite agregarle el "
                         "nombre de la instancia, por ejemplo : ")
        + gServidor + QStringLiteral("\\KORUBAY") + NL
        + QStringLiteral("3. Verifique si el inicio de sesion para el usuario ") + gUsuario
        + QStringLiteral(" existe") + NL + NL + NL
        + QStringLiteral(" - Desea Intentarlo Nuevamente??? ");
    return platform::userDialogs().messageBox(text, msgbox::YesNo | msgbox::Critical,
                                              QStringLiteral(" Error de Conexion a Base de Datos"));
}

void DB_Dll::OpenServerADODB(bool PideParametrosSQL, int lCursor, const QString &ConnString,
                             bool ValidaAdmin, bool MuestraError)
{
    gOpenFlag = true;
    if (gProveedor.isEmpty())
        gProveedor = pSQLOLEDB();
    if (ConnString.trimmed().isEmpty())
        buildServerConnectionString();
    else
        gConnString = ConnString;
    if (PideParametrosSQL) {
        if (!askConnectionValues())
            return;
        buildServerConnectionString();
    }

    bool reopenedOnce = false;
    bool startAgain = false;
    const std::vector<platform::Step> steps = {
        [&] {
            gCnn->setCursorLocation(lCursor);
            fixDialect(gConnString);
            gCnn->open(gConnString, {}, {}, platform::db::adOptionUnspecified);
        },
        [&] {
            if (!ValidaAdmin) {
                gEsAdmin = true;
                return Flow::Finish;
            }
            return gDBName.trimmed().isEmpty() ? Flow::Finish : Flow::Next;
        },
        [&] { gCnn->setDefaultDatabase(gDBName); },
        [&] {
            // Whether the suite keeps users at all is a question for the main database, also
            // when a second connection (the statistics database) is being opened.
            if (!gDB().ExisteTablaDB(QStringLiteral("TA_USUARIOS")))
                return Flow::Finish;
            if (!MuestraError)
                gEsAdmin = true;
            return MuestraError ? Flow::Next : Flow::Finish;
        },
        [&] {
            const QVariant flag = DatosTabla(
                QStringLiteral("ta_usuarios"), gUsuario, QStringLiteral("Administrador"),
                QStringLiteral("nombre"), platform::db::adBSTR, QString(), true, false);
            gEsAdmin = util().TextoAMoneda(flag.toString()).toDouble() == 1.0;
        },
    };
    const auto handler = [&](const platform::Error &error, int) {
        if (error.number() == ado::ObjectOpen && !reopenedOnce) {
            reopenedOnce = true;
            closeIfOpen();
            return Resume::Retry;
        }
        if (MuestraError && gCnn->errors().count() > 0) {
            if (askRetryAfterConnectionError(gCnn->errors().item(0)) == msgbox::Yes) {
                gCnn->errors().clear();
                // Whatever step failed, the corrected values are opened afresh.
                if (askConnectionValues()) {
                    buildServerConnectionString();
                    closeIfOpen();
                    startAgain = true;
                }
                return Resume::Leave;
            }
        } else if (MuestraError) {
            platform::userDialogs().messageBox(error.description());
        }
        gOpenFlag = false;
        return Resume::Leave;
    };
    do {
        startAgain = false;
        StepRunner::run(steps, handler);
    } while (startAgain);
}

void DB_Dll::ReintentaConectar()
{
    gOpenFlag = false;
    const int commandTimeout = gCnn->commandTimeout();
    StepRunner::run({
                        [&] { gCnn->setCommandTimeout(5); },
                        [&] { gCnn->close(); },
                        [&] {
                            gCnn->open(gCnn->connectionString(), gUsuario, gUserPassWord,
                                       platform::db::adOptionUnspecified);
                        },
                        [&] { gOpenFlag = true; },
                    },
                    [&](const platform::Error &error, int) {
                        if (error.number() == ado::ObjectClosed)
                            return Resume::Next;
                        gOpenFlag = false;
                        if (error.number() == platform::db::hresult::E_Fail)
                            return Resume::Leave;
                        return platform::resumeForAnswer(TratamientoErrores(
                            error, std::nullopt, QStringLiteral("AbrirRecordset")));
                    });
    // Only the reopening is hurried; the statements that follow keep their own time limit.
    try {
        gCnn->setCommandTimeout(commandTimeout);
    } catch (const platform::Error &) { }
}

QString DB_Dll::accessConnectionString(const QString &CadenaID, const QString &CadenaPWD) const
{
    return QStringLiteral("PROVIDER=") + gProveedor + QStringLiteral(";Data Source =")
        + value(gDBName) + QStringLiteral(";") + CadenaID + QStringLiteral("=") + value(gUsuario)
        + QStringLiteral(";") + CadenaPWD + QStringLiteral("=") + value(gUserPassWord)
        + QStringLiteral(";") + gExtended;
}

bool DB_Dll::askAccessPath()
{
    if (!CmdDlg)
        CmdDlg = std::make_shared<platform::DialogoArchivo>();
    CmdDlg->TituloDialogo = QStringLiteral("Buscar Base de Datos");
    CmdDlg->Filtro = QStringLiteral("Base de Datos de Microsoft Access |*.MDB");
    CmdDlg->MostrarAbrir();
    gDBName = CmdDlg->NombreArchivo;
    return CmdDlg->Cancelado == 0;
}

void DB_Dll::OpenLocalADODB(const QString &ConnString, const QString &CadenaID,
                            const QString &CadenaPWD)
{
    static const QStringList pathStates
        = {QStringLiteral("3024"), QStringLiteral("3051"), QStringLiteral("3044")};
    AccessPasswordRetry password(gIgnoraPassWord.toBool(), gUserPassWord);
    for (;;) {
        if (gDBName.trimmed().isEmpty() && !askAccessPath())
            return;
        const QString connectionString
            = (ConnString.isEmpty() ? accessConnectionString(CadenaID, CadenaPWD) : ConnString)
            + password.clause();
        try {
            fixDialect(connectionString);
            gCnn->open(connectionString, {}, {}, platform::db::adOptionUnspecified);
            gConnString = connectionString;
            return;
        } catch (const platform::Error &error) {
            const QString state
                = gCnn->errors().count() > 0 ? gCnn->errors().item(0).sqlState : QString();
            if (pathStates.contains(state)) {
                if (!askAccessPath())
                    return;
                continue;
            }
            if (state == QStringLiteral("3031")) {
                const AccessPasswordRetry::Next next = password.afterRejection();
                if (next == AccessPasswordRetry::Next::Retry)
                    continue;
                if (next == AccessPasswordRetry::Next::Cancelled)
                    return;
            }
            platform::userDialogs().messageBox(QString::number(error.number())
                                                   + QStringLiteral("  ") + error.description(),
                                               msgbox::Critical);
            return;
        }
    }
}

} // namespace data
