#include "core/error_records.h"

#include "core/error_reporter.h"
#include "data/db_dll.h"
#include "platform/db/object_errors.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/sistema.h"
#include "platform/suite/utilidades.h"

#include <optional>

namespace core {

namespace {

const QString Routine = QStringLiteral("GrabarErrorBD");

} // namespace

void GrabarErrorBD(const QString &SQL, QString &Proceso, std::int32_t NroError,
                   const QString &Descripcion)
{
    if (Proceso.isEmpty())
        Proceso = platform::programName();

    data::DB_Dll &db = data::gDB();
    platform::db::Recordset rs;
    std::optional<platform::Error> firstFailure;
    auto set = [&rs](const char *column, const QVariant &value) {
        rs.field(QLatin1String(column)).setValue(value);
    };
    platform::StepRunner::run(
        {
            [&] {
                if (db.gCnn->state() != platform::db::adStateOpen)
                    platform::db::raiseObjectError(platform::db::ado::ConnectionUnusable,
                                                   platform::db::connectionSource);
            },
            [&] {
                db.AbrirRecordset(QStringLiteral("select  top 1 * from AUX_ERR  with(nolock) "), rs,
                                  nullptr, platform::db::adOpenDynamic,
                                  platform::db::adLockOptimistic, platform::db::adOptionUnspecified,
                                  true);
            },
            [&] { rs.addNew(); },
            [&] { set("Proceso", Proceso); },
            [&] { set("Fecha", platform::now()); },
            [&] { set("Error", NroError); },
            [&] { set("Descripcion", platform::gUtil().CortarTexto(Descripcion, 250)); },
            [&] { set("SQL", SQL); },
            [&] { set("PC", platform::gSistema().NombreMaquina()); },
            [&] { set("Usuario", db.gUsuario); },
            [&] { rs.update(); },
            [&] { db.CierraRecordset(rs); },
        },
        [&firstFailure](const platform::Error &error, int step) {
            if (!firstFailure)
                firstFailure = error;
            // Without a connection the data class would answer every later step with an error
            // box of its own, and this procedure shows nothing.
            return step == 0 ? platform::Resume::Leave : platform::Resume::Next;
        });
    if (firstFailure)
        logSkippedError(*firstFailure, Routine);
}

} // namespace core
