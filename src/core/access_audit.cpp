#include "core/access_audit.h"

#include "core/error_reporter.h"
#include "core/field_assignment.h"
#include "core/mod_global.h"
#include "core/statement_builder.h"
#include "core/transaction_script.h"
#include "data/db_dll.h"
#include "data/sql_rewriting.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/sistema.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"

namespace core {

namespace {

const QString DefinitionParameterPrefix = QStringLiteral("CFG_");

QString rightsQuery(const QString &user, const QString &process)
{
    return QStringLiteral("SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , "
                          "TA_MENU.Nombre  FROM TA_TAREAS  with(nolock) INNER JOIN TA_MENU ON "
                          "TA_TAREAS.TAREA = TA_MENU.Clave  WHERE (TA_TAREAS.USUARIO = '")
        + data::escapeSqlQuotes(user) + QStringLiteral("') AND (TA_MENU.Proceso LIKE '%")
        + data::escapeSqlQuotes(process) + QStringLiteral("%') ORDER BY TA_MENU.Clave");
}

// The definition this run was started on ("CFG_" and its name), or the empty text.
QString startedDefinitionParameter()
{
    const QString parameter = gParametroAdicional.trimmed();
    return parameter.startsWith(DefinitionParameterPrefix, Qt::CaseInsensitive) ? parameter
                                                                                : QString();
}

// The title of the menu entry the user came through. Several entries can start this program
// (one per definition anchored to the menu): the entry of the definition this run was started
// on wins, else the one with the lowest key, which the query puts first.
QString taskOfMatchingRows(platform::db::Recordset &rows)
{
    const QString started = startedDefinitionParameter();
    QString task;
    for (bool first = true; !rows.eof(); rows.moveNext(), first = false) {
        const QString title = platform::gUtil().ValorTexto(rows.field(QStringLiteral("Nombre")));
        if (first)
            task = title;
        const QString process = platform::gUtil().ValorTexto(rows.field(QStringLiteral("Proceso")));
        if (!started.isEmpty() && process.trimmed().endsWith(started, Qt::CaseInsensitive))
            return title;
    }
    return task;
}

// The task recorded for a user no menu entry leads to.
QString taskWithoutMenuEntry()
{
    const data::DB_Dll &db = data::gDB();
    const QString program = platform::programName();
    if (platform::equalsIgnoringCase(program, QStringLiteral("CN000PR")))
        return QStringLiteral("Menu Principal");
    if (platform::equalsIgnoringCase(db.gUsuario, db.gDBName)
        || platform::equalsIgnoringCase(db.gUsuario, QStringLiteral("SUPERVISOR TARVICA MC")))
        return program;
    return {};
}

} // namespace

void ControlAcceso(const QString &Formulario)
{
    data::DB_Dll &db = data::gDB();
    const QString process = Formulario.isEmpty() ? platform::programName() : Formulario;
    const auto capitals = [](const QString &text) { return text.trimmed().toUpper(); };
    QString task;
    platform::db::Recordset rows;
    platform::StepRunner::run(
        {
            [&] { gUsuarioLogeado = db.gUsuario; },
            [&] {
                db.AbrirRecordset(rightsQuery(gUsuarioLogeado, process), rows, nullptr,
                                  platform::db::adOpenForwardOnly, platform::db::adLockReadOnly,
                                  platform::db::adOptionUnspecified, true);
            },
            [&] {
                if (rows.state() == platform::db::adStateOpen && !rows.eof())
                    task = taskOfMatchingRows(rows);
                else
                    task = taskWithoutMenuEntry();
            },
            [&] { db.CierraRecordset(rows); },
            [&] { gSentencias() = QStringList{QString()}; },
            [&] {
                AgregarCampo(QStringLiteral("Maquina"),
                             capitals(platform::gSistema().NombreMaquina()), QStringLiteral("'"),
                             true);
            },
            [&] {
                AgregarCampo(QStringLiteral("Usuario"), capitals(gUsuarioLogeado),
                             QStringLiteral("'"), false);
            },
            [&] {
                AgregarCampo(QStringLiteral("Formulario"), capitals(process), QStringLiteral("'"),
                             false);
            },
            [&] {
                AgregarCampo(QStringLiteral("Tarea"), capitals(task), QStringLiteral("'"), false);
            },
            [&] {
                AgregarCampo(QStringLiteral("Ingreso"),
                             platform::now().toString(FormatoFechaHora()), QStringLiteral("'"),
                             false);
            },
            [&] {
                AgregarCampo(QStringLiteral("NombreUsuario"), gUsuarioLogeado, QStringLiteral("'"),
                             false);
            },
            [&] {
                QString noCondition;
                ArmarSentencia(gCampos(), gSentencias(), QStringLiteral("Control_Acceso"), false,
                               noCondition, false);
            },
            [&] {
                bool failed = false;
                std::int32_t number = 0;
                QString script;
                QString errorText;
                GActualizarDatoScript(gSentencias(), failed, number, false, false, script,
                                      errorText, true);
            },
        },
        [](const platform::Error &error, int) {
            logSkippedError(error, QStringLiteral("ControlAcceso"));
            return platform::Resume::Next;
        });
}

} // namespace core
