#include "startup/system_startup.h"

#include "core/access_audit.h"
#include "core/configuration_loader.h"
#include "core/error_reporter.h"
#include "core/mod_global.h"
#include "core/query_masks.h"
#include "core/startup_parameters.h"
#include "core/statistics_database.h"
#include "data/db_dll.h"
#include "lookup/lib_cls_cons3.h"
#include "platform/program_files.h"
#include "platform/report/reporte.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/archivo_ini.h"
#include "platform/suite/sistema.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QWidget>

namespace core {

namespace {

using platform::Flow;
using platform::Outcome;
using platform::Resume;
using platform::Step;

const QString Routine = QStringLiteral("ConectarSistema");
constexpr int ReadUncommitted = 256;
constexpr int NoConnectionExitStatus = 1;

// A setting the program works without: its failure is reported and the start-up goes on.
template<typename F>
Step convenience(F step)
{
    return [step]() mutable {
        try {
            step();
        } catch (const platform::Error &error) {
            MensajeError(error, platform::msgbox::OkOnly | platform::msgbox::Exclamation, Routine);
        }
    };
}

bool runSteps(std::vector<Step> steps)
{
    const Outcome outcome
        = platform::StepRunner::run(std::move(steps), [](const platform::Error &error, int) {
              if (error.number() == platform::errors::InvalidProcedureCall)
                  return Resume::Next;
              return platform::resumeForAnswer(MensajeError(error, std::nullopt, Routine));
          });
    return outcome == Outcome::Completed;
}

// An installed copy's folder is the administrator's: a user who cannot write there gets the
// default masks in a folder of the user's own.
QString queryMaskPath()
{
    const QString name = QStringLiteral("consultas.tvc");
    const QString existing = platform::readableProgramFile(name);
    return QFileInfo(existing).isFile() ? existing : platform::writableProgramFile(name);
}

} // namespace

void ConectarSistema(bool UsarIni, const QString &Parametros, QString &ConnString, int lCursor)
{
    installErrorReporter();
    data::DB_Dll &db = data::gDB();
    const platform::Sistema &sistema = platform::gSistema();
    QString ruta;
    QString cadena;

    const bool prepared = runSteps({
        [&] { ruta = platform::gUtil().AgregarBarra(platform::programFolder()); },
        convenience([&] { gHelpFile = ruta + QStringLiteral("htmlhelp/korubayplus.chm"); }),
        [&] {
            gColorLetra = 0;
            gColorFondo = 0xFFFFFF;
        },
        [&] { cadena = Parametros.isEmpty() ? platform::startupParameterText() : Parametros; },
        [&] {
            if (cadena.trimmed().isEmpty() && UsarIni)
                cadena = ParametrosDesdeIni(sistema.NombreMaquina(), sistema.NombreUsuario());
        },
        [&] {
            gEstacionUsuario = EstacionUsuario(sistema.NombreMaquina(), sistema.NombreUsuario());
        },
        [&] {
            gFlatToolbars = platform::leadingNumber(
                platform::gIni().LeerIni(settingsFilePath(), gEstacionUsuario,
                                         QStringLiteral("FlatToolbars"), QStringLiteral("1")));
        },
    });
    if (!prepared)
        return;

    if (!db.gOpenFlag) {
        ParametrosInicio parametros;
        const bool connected = runSteps({
            [&] {
                parametros = LeerParametros(cadena);
                gParametroAdicional = parametros.ParametroAdicional;
                gMenu = parametros.Menu;
                gUsuarioLogeado = parametros.UsuarioLogeado;
                gCaja = parametros.Caja;
            },
            [&] {
                db.gUsuario = parametros.Usuario;
                db.gDBName = parametros.DbName;
                db.gUserPassWord = parametros.Password;
                db.gServidor = ExtraerServidor(parametros.Servidor);
            },
            [&] {
                const bool askValues = parametros.Servidor.trimmed().isEmpty()
                    || parametros.Usuario.trimmed().isEmpty();
                db.OpenServerADODB(askValues, lCursor, ConnString, true, true);
            },
            [&] {
                if (!db.gOpenFlag)
                    platform::endProcess(NoConnectionExitStatus);
            },
            [&] { ConectarBaseEstadisticas(); },
            [&] { gUsuarioLogeado = db.gUsuario; },
            [&] {
                db.gCnn->setCommandTimeout(gTimeOut);
                db.gCnn->setIsolationLevel(ReadUncommitted);
            },
        });
        if (!connected)
            return;
    }

    if (!db.gDBName.isEmpty()) {
        lookup::Lib_ClsCons3 &consultas = lookup::gConsultas();
        const bool configured = runSteps({
            [&] {
                gConexionODBC = QStringLiteral("DSN=") + db.gDBName + QStringLiteral("; UID=")
                    + db.gUsuario + QStringLiteral("; PWD=") + db.gUserPassWord;
            },
            convenience([&] {
                gCarpetaReportes = ruta;
                platform::gReporte().CarpetaReportes = ruta;
            }),
            [&] { db.gCnn->setDefaultDatabase(db.gDBName); },
            [&] {
                consultas.gConnString = db.gConnString;
                consultas.gUsarMascarasConsultas = true;
                consultas.gRutaMascaraConsultas = queryMaskPath();
            },
            convenience([&] {
                if (!QFileInfo(consultas.gRutaMascaraConsultas).isFile())
                    DefinirConsultas(consultas.gRutaMascaraConsultas);
            }),
            [&] { db.gCnn->setDefaultDatabase(db.gDBName); },
            [&] { CargarConfiguracion(ruta); },
        });
        if (!configured)
            return;
    }

    runSteps({[] { ControlAcceso(QString()); }});
}

void DecorarFormulario(QWidget &Formulario)
{
    static const QString programIcon = QStringLiteral(":/ICONTARVICA");
    static const QString iconFile = QStringLiteral("tarvica.ico");
    if (QFileInfo::exists(programIcon))
        Formulario.setWindowIcon(QIcon(programIcon));
    else if (QFileInfo::exists(iconFile))
        Formulario.setWindowIcon(QIcon(iconFile));

    const QString typeName = QString::fromLatin1(Formulario.metaObject()->className())
                                 .section(QStringLiteral("::"), -1);
    if (!platform::equalsIgnoringCase(typeName, QStringLiteral("FRMMDI"))) {
        for (const char *name : {"BrezaCtl1", "TBarRep1", "Util0011"}) {
            if (QObject *toolbar = Formulario.findChild<QObject *>(QLatin1String(name)))
                toolbar->setProperty("StyleBar", gFlatToolbars);
        }
    }
    QCoreApplication::processEvents();
}

} // namespace core
