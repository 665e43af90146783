#include "core/sibling_programs.h"

#include "core/error_reporter.h"
#include "core/mod_global.h"
#include "data/db_dll.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"
#include "platform/user_dialogs.h"

namespace core {

namespace {

const QString ShellPrefix = QStringLiteral("SHELL:");

QString withoutShellPrefix(const QString &exe)
{
    return exe.startsWith(ShellPrefix, Qt::CaseInsensitive) ? exe.mid(ShellPrefix.size()) : exe;
}

bool holdsFolder(const QString &path)
{
    return path.contains(QLatin1Char('\\')) || path.contains(QLatin1Char('/'));
}

QString programPath(const QString &exe)
{
    const QString program = withoutShellPrefix(exe);
    if (holdsFolder(program))
        return program;
    return platform::gUtil().AgregarBarra(platform::programFolder()) + program;
}

// The keys the start-up of every program of the suite reads.
QString parametersFor(const QString &additionalParameter)
{
    const data::DB_Dll &db = data::gDB();
    return QStringLiteral(" ; @server=") + db.gServidor + QStringLiteral("; @dbname=") + db.gDBName
        + QStringLiteral("; @usuario=") + db.gUsuario + QStringLiteral("; @Password=")
        + db.gUserPassWord + QStringLiteral("; @ParametroAdicional=") + additionalParameter
        + QStringLiteral("; koru@ ; @UsuarioLogeado = ") + gUsuarioLogeado
        + QStringLiteral("; @Caja=") + gCaja + QLatin1Char(';');
}

// The suite's programs read a value up to the next ";", so a password holding one reaches them
// cut and their login fails with nothing said here.
void warnOfCutPassword(const QString &program)
{
    if (!data::gDB().gUserPassWord.contains(QLatin1Char(';')))
        return;
    platform::userDialogs().messageBox(
        QStringLiteral("La contraseña contiene \";\": el programa %1 la recibe cortada y no "
                       "podrá conectarse con ella. Ingrese en él el usuario y la contraseña "
                       "cuando los pida.")
            .arg(program),
        platform::msgbox::OkOnly | platform::msgbox::Exclamation, QStringLiteral("Atención"));
}

} // namespace

void MenuExes(const QString &Exe, const QString &ParametroAdicional, std::int32_t &Resultado)
{
    QString parameters;
    QString program;
    platform::StepRunner::run(
        {
            [&] { parameters = parametersFor(ParametroAdicional); },
            [&] { program = programPath(Exe); },
            [&] { warnOfCutPassword(program); },
            // The launcher gives no task number; any non-zero one says the program runs.
            [&] { Resultado = platform::launcher().start(program, {parameters}, false) ? 1 : 0; },
            [&] {
                if (Resultado == 0)
                    platform::userDialogs().messageBox(
                        QStringLiteral("Opcion no Implementada!\rComuniquese con su proveedor de "
                                       "sistemas"),
                        platform::msgbox::OkOnly | platform::msgbox::Critical,
                        QStringLiteral("Atención"));
            },
        },
        [](const platform::Error &error, int) {
            return platform::resumeForAnswer(
                MensajeError(error, std::nullopt, QStringLiteral("MenuExes")));
        });
}

} // namespace core
