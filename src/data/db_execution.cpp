#include "data/db_dll.h"
#include "data/error_log.h"
#include "data/sql_batch.h"
#include "data/sql_rewriting.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/user_dialogs.h"

namespace data {

namespace {

using platform::Resume;
namespace hresult = platform::db::hresult;
namespace msgbox = platform::msgbox;

bool containsText(const QString &text, const QString &part)
{
    return text.contains(part, Qt::CaseInsensitive);
}

// Failures the program expects and handles by their outcome: duplicate keys and other integrity
// violations, missing tables, errors in the command and generic provider failures.
bool isQuietFailure(std::int32_t number)
{
    return number == hresult::E_Fail || number == hresult::IntegrityViolation
        || number == hresult::NoTable || number == hresult::ErrorsInCommand;
}

bool isTruncation(const platform::db::Errors &errors)
{
    return errors.count() > 0
        && errors.item(0).nativeError == platform::db::native::StringTruncated;
}

} // namespace

bool DB_Dll::EjecutaConsultaSQL(QString &SentenciaSQL, std::int32_t *RecordsAffected,
                                platform::db::Recordset *Lrcs)
{
    return runStatement(SentenciaSQL, RecordsAffected, Lrcs, QStringLiteral("EjecutaConsultaSQL"),
                        QStringLiteral("Aviso al operador!!! - 4"));
}

bool DB_Dll::EjecutaConsultaSQL(const QString &SentenciaSQL, std::int32_t *RecordsAffected,
                                platform::db::Recordset *Lrcs)
{
    QString statement = SentenciaSQL;
    return EjecutaConsultaSQL(statement, RecordsAffected, Lrcs);
}

bool DB_Dll::EjecutaConsultaRSQL(QString &SentenciaSQL, std::int32_t *RecordsAffected,
                                 platform::db::Recordset *Lrcs)
{
    return runStatement(SentenciaSQL, RecordsAffected, Lrcs, QStringLiteral("EjecutaConsultaRSQL"),
                        QStringLiteral("Aviso al operador!!!"));
}

bool DB_Dll::EjecutaConsultaRSQL(const QString &SentenciaSQL, std::int32_t *RecordsAffected,
                                 platform::db::Recordset *Lrcs)
{
    QString statement = SentenciaSQL;
    return EjecutaConsultaRSQL(statement, RecordsAffected, Lrcs);
}

QString DB_Dll::withAdminMarkerResolved(const QString &sql)
{
    // Scripts that drop and re-create objects name the restricted tables as they are, so they
    // get the synonyms unless they delete rows or ask for the unrestricted names themselves.
    if (containsText(sql, QStringLiteral("DROP")) && containsText(sql, QStringLiteral("CREATE"))
        && !containsText(sql, QStringLiteral("DELETE"))
        && !containsText(sql, QStringLiteral("@ADMIN_")))
        return SS_TSinonimos(sql);
    return removeAdminMarker(sql);
}

bool DB_Dll::runStatement(QString &SentenciaSQL, std::int32_t *RecordsAffected,
                          platform::db::Recordset *Lrcs, const QString &routine,
                          const QString &boxTitle)
{
    try {
        SentenciaSQL = withAdminMarkerResolved(SentenciaSQL);
        if (m_oracle) {
            runOracleBatch(SentenciaSQL, RecordsAffected);
        } else {
            platform::db::Recordset result
                = gCnn->execute(SentenciaSQL, RecordsAffected, platform::db::adOptionUnspecified);
            if (Lrcs)
                *Lrcs = std::move(result);
        }
        platform::db::Errors &errors = gCnn->errors();
        if (errors.count() <= 2 && isTruncation(errors) && !holdsTransactionControl(SentenciaSQL))
            errors.clear();
        return true;
    } catch (const platform::Error &error) {
        const bool transactionControl = holdsTransactionControl(SentenciaSQL);
        if (isTruncation(gCnn->errors()) && !transactionControl) {
            // No box, as for every statement whose data does not fit; but the rows did not
            // reach the table, so the error stays in the collection and in the log.
            appendErrorLogLine(gLogErr,
                               errorLogLine(platform::now(), QStringLiteral("- ") + routine,
                                            errorMessageText(error), 0));
        } else if (!isQuietFailure(error.number()) && !transactionControl) {
            platform::userDialogs().messageBox(error.description(),
                                               msgbox::OkOnly | msgbox::Critical, boxTitle);
        }
        return false;
    }
}

void DB_Dll::runOracleBatch(const QString &script, std::int32_t *RecordsAffected)
{
    if (RecordsAffected)
        *RecordsAffected = 0;
    for (const QString &statement : oracleBatchStatements(script)) {
        if (statement.compare(QLatin1String("SET TRANSACTION"), Qt::CaseInsensitive) == 0) {
            gCnn->beginTrans();
        } else if (statement.compare(QLatin1String("COMMIT"), Qt::CaseInsensitive) == 0) {
            gCnn->commitTrans();
        } else if (statement.compare(QLatin1String("ROLLBACK"), Qt::CaseInsensitive) == 0) {
            gCnn->rollbackTrans();
        } else {
            const QString oracleStatement = ORACLE_Dicc(statement).trimmed();
            // Oracle has no counterpart of these; the statements they guard run on their own.
            if (oracleStatement.isEmpty()
                || containsText(oracleStatement, QStringLiteral("SET NOCOUNT"))
                || containsText(oracleStatement, QStringLiteral("IF NOT EXIST")))
                continue;
            std::int32_t affected = 0;
            gCnn->execute(oracleStatement, &affected, platform::db::adOptionUnspecified);
            if (RecordsAffected && affected > 0)
                *RecordsAffected += affected;
        }
    }
    platform::db::Errors &errors = gCnn->errors();
    if (errors.count() == 1 && errors.item(0).number == hresult::NoResult)
        errors.clear();
}

void DB_Dll::AbrirRecordset(QString &SentenciaSQL, platform::db::Recordset &Lrcs,
                            const std::shared_ptr<platform::db::Connection> &Conexionactiva,
                            int CursorType, int LockType, int Options, bool ConvOracle)
{
    int attempts = 1;
    QString sql;
    platform::StepRunner::run(
        {
            [&] { CierraRecordset(Lrcs); },
            [&] { SentenciaSQL = SS_TSinonimos(SentenciaSQL); },
            [&] {
                if (Conexionactiva && Conexionactiva != gCnn) {
                    gCnn = Conexionactiva;
                    fixDialect(gCnn->connectionString());
                }
                sql = ConvOracle && m_oracle ? ORACLE_Dicc(SentenciaSQL) : SentenciaSQL;
            },
            [&] { Lrcs.open(sql, gCnn, CursorType, LockType, Options); },
        },
        [&](const platform::Error &error, int) {
            const bool linkLost = (error.number() == hresult::E_Fail
                                   || error.number() == platform::db::ado::ConnectionUnusable)
                && gCnn->errors().count() > 0;
            if (linkLost) {
                reconnectAfterLostLink();
                if (++attempts < 3)
                    return Resume::Retry;
            }
            return platform::resumeForAnswer(
                TratamientoErrores(error, std::nullopt, QStringLiteral("AbrirRecordset")));
        });
}

void DB_Dll::AbrirRecordset(const QString &SentenciaSQL, platform::db::Recordset &Lrcs,
                            const std::shared_ptr<platform::db::Connection> &Conexionactiva,
                            int CursorType, int LockType, int Options, bool ConvOracle)
{
    QString statement = SentenciaSQL;
    AbrirRecordset(statement, Lrcs, Conexionactiva, CursorType, LockType, Options, ConvOracle);
}

void DB_Dll::reconnectAfterLostLink()
{
    const QString NL = QStringLiteral("\r\n");
    ReintentaConectar();
    while (!gOpenFlag) {
        ReintentaConectar();
        if (gOpenFlag)
            return;
        const QString text = NL + NL + NL
            + QStringLiteral("Se perdio la conexion con la base de datos ") + gDBName + NL
            + QStringLiteral(" Servidor ") + gServidor + NL + NL
            + QStringLiteral("Elija SI para reintentar conectarse") + NL
            + QStringLiteral("Elija NO para cerrar la aplicacion") + NL + NL + NL;
        if (platform::userDialogs().messageBox(text, msgbox::YesNo | msgbox::Critical,
                                               QStringLiteral("AVISO AL OPERADOR"))
            != msgbox::Yes)
            platform::endProcess(0);
    }
}

} // namespace data
