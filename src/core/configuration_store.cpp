#include "core/configuration_store.h"

#include "core/error_reporter.h"
#include "core/mod_global.h"
#include "data/db_dll.h"
#include "data/sql_rewriting.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"

namespace core {

namespace {

using platform::Resume;
using platform::db::Recordset;

void defaultConfigurationTable()
{
    if (gTablaConfiguracion.trimmed().isEmpty())
        gTablaConfiguracion = QStringLiteral("TA_CONFIGURACION");
}

QString selectByKey(const QString &columns, const QString &key)
{
    return QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM ") + gTablaConfiguracion
        + QStringLiteral(" with(nolock)  WHERE CLAVE = '") + data::escapeSqlQuotes(key)
        + QStringLiteral("'");
}

bool isDateRangeKey(const QString &key)
{
    return platform::equalsIgnoringCase(key, QStringLiteral("[FECHA HASTA]"))
        || platform::equalsIgnoringCase(key, QStringLiteral("[FECHA DESDE]"));
}

QString readKey(data::DB_Dll &db, const QString &routine, const QString &Clave, QString &ValorAux)
{
    const platform::Utilidades &util = platform::gUtil();
    const QString key = Clave.trimmed();
    QString result;
    QString statement;
    Recordset rs;
    platform::StepRunner::run(
        {
            [&] { defaultConfigurationTable(); },
            [&] {
                statement = selectByKey(QStringLiteral("VALOR, valoraux"), key);
                if (isDateRangeKey(key))
                    statement = statement.toUpper();
            },
            [&] {
                db.AbrirRecordset(statement, rs, nullptr, platform::db::adOpenForwardOnly,
                                  platform::db::adLockReadOnly, platform::db::adOptionUnspecified,
                                  true);
            },
            [&] {
                if (rs.bof()) {
                    result = QStringLiteral(" ");
                    ValorAux.clear();
                } else {
                    result = util.ValorTexto(rs.field(QStringLiteral("Valor")));
                    ValorAux = util.ValorTexto(rs.field(QStringLiteral("ValorAux")));
                }
            },
            [&] { db.CierraRecordset(rs); },
            [&] {
                if (platform::equalsIgnoringCase(Clave, QStringLiteral("THEME"))
                    && result.trimmed().isEmpty())
                    result = QStringLiteral("1");
            },
        },
        [&](const platform::Error &error, int) {
            if (MensajeError(error, std::nullopt, routine) == platform::msgbox::Ignore)
                return Resume::Next;
            db.CierraRecordset(rs);
            result.clear();
            return Resume::Leave;
        });
    return result;
}

} // namespace

QString Cfg(const QString &Clave, QString &ValorAux)
{
    if (!data::gDB().gOpenFlag)
        return {};
    return readKey(data::gDB(), QStringLiteral("Cfg"), Clave, ValorAux);
}

QString Cfg(const QString &Clave)
{
    QString ignored;
    return Cfg(Clave, ignored);
}

QString CfgTV(const QString &Clave, QString &ValorAux)
{
    return readKey(data::gDBEstadisticas(), QStringLiteral("CfgTV"), Clave, ValorAux);
}

QString CfgTV(const QString &Clave)
{
    QString ignored;
    return CfgTV(Clave, ignored);
}

void GrabaCfgTV(const QString &Clave, const QVariant &Valor, const QString &ValorAux,
                bool PoliticaNegocio, const QString &Grupo, bool QuitarEspacios)
{
    data::DB_Dll &db = data::gDBEstadisticas();
    const platform::Utilidades &util = platform::gUtil();
    // The row is looked up under the form the key is stored in, so a key given with blanks or
    // in small letters updates its row instead of adding a second one.
    const QString storedKey = Clave.trimmed().toUpper();
    Recordset rs;
    platform::StepRunner::run(
        {
            [&] { defaultConfigurationTable(); },
            [&] {
                db.AbrirRecordset(selectByKey(QStringLiteral("*"), storedKey), rs, db.gCnn,
                                  platform::db::adOpenDynamic, platform::db::adLockOptimistic,
                                  platform::db::adOptionUnspecified, true);
            },
            [&] {
                if (rs.bof())
                    rs.addNew();
                else
                    rs.moveFirst();
            },
            [&] { rs.field(QStringLiteral("Grupo")).setValue(Grupo); },
            [&] { rs.field(QStringLiteral("Clave")).setValue(storedKey); },
            [&] {
                const QString text = util.ValorTexto(Valor);
                rs.field(QStringLiteral("Valor")).setValue(QuitarEspacios ? text.trimmed() : text);
            },
            [&] { rs.field(QStringLiteral("PoliticaNegocio")).setValue(PoliticaNegocio); },
            [&] {
                if (!ValorAux.isEmpty())
                    rs.field(QStringLiteral("ValorAux")).setValue(ValorAux.trimmed());
            },
            [&] { rs.update(); },
            [&] { db.CierraRecordset(rs); },
        },
        [](const platform::Error &error, int) {
            logSkippedError(error, QStringLiteral("GrabaCfgTV"));
            return Resume::Next;
        });
}

} // namespace core
