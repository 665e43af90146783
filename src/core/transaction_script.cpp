#include "core/transaction_script.h"

#include "core/error_records.h"
#include "core/error_reporter.h"
#include "data/db_dll.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/user_dialogs.h"

namespace core {

namespace {

namespace native = platform::db::native;
using platform::Flow;

const QChar CarriageReturn(u'\r');

QString joinedStatements(const QStringList &statements)
{
    QString joined;
    for (const QString &statement : statements)
        if (!statement.trimmed().isEmpty())
            joined += CarriageReturn + statement;
    return joined;
}

QString framedBatch(const QString &joinedStatements)
{
    return QStringLiteral("BEGIN TRANSACTION ") + CarriageReturn + CarriageReturn + joinedStatements
        + CarriageReturn;
}

// What the connection reported about the batch.
struct BatchFailure
{
    std::int32_t number = 0;
    QString errorText; // described in AUX_ERR and shown
    QString textoError;
};

// SQL Server ends a failed statement's errors with a notice of its own; with several errors
// the last one is that notice and says nothing about the cause.
BatchFailure failureOf(const platform::db::Errors &errors, bool silenceDuplicate,
                       bool silenceReference)
{
    BatchFailure failure;
    const platform::db::ProviderError &first = errors.item(0);
    failure.number = first.nativeError;
    const int described = errors.count() == 1 ? 1 : errors.count() - 1;
    for (int i = 0; i < described; ++i) {
        const platform::db::ProviderError &error = errors.item(i);
        failure.errorText += QString::number(error.nativeError) + QStringLiteral(" : ")
            + error.description + QStringLiteral("\r\n");
    }
    failure.textoError = failure.errorText;
    if ((silenceDuplicate && failure.number == native::DuplicateKey)
        || (silenceReference && failure.number == native::ReferenceConflict)) {
        failure.textoError = first.description;
        failure.errorText.clear();
    }
    return failure;
}

} // namespace

void GActualizarDatoScript(const QStringList &Sentencias, bool &HayError, std::int32_t &NroError,
                           bool SilenciarDuplicado, bool SilenciarReferencia, QString &Script,
                           QString &TextoError, bool MostrarMensaje)
{
    data::DB_Dll &db = data::gDB();
    QString batch;
    BatchFailure failure;
    bool ran = false;
    platform::StepRunner::run(
        {
            [&] {
                HayError = false;
                const QString joined = joinedStatements(Sentencias);
                if (joined.isEmpty())
                    return Flow::Finish;
                batch = framedBatch(joined);
                return Flow::Next;
            },
            [&] {
                Script = batch;
                // Errors left by an earlier operation would roll back a batch that succeeded.
                db.gCnn->errors().clear();
                ran = db.EjecutaConsultaSQL(batch);
            },
            [&] {
                platform::db::Errors &errors = db.gCnn->errors();
                if (errors.count() == 0) {
                    // A batch that never reached the server (a closed connection) leaves no
                    // provider errors, yet nothing of it was written.
                    HayError = !ran;
                    return;
                }
                failure = failureOf(errors, SilenciarDuplicado, SilenciarReferencia);
                HayError = true;
                TextoError = failure.textoError;
                errors.clear();
            },
            [&] {
                db.EjecutaConsultaSQL(HayError ? QStringLiteral("ROLLBACK TRANSACTION")
                                               : QStringLiteral("COMMIT TRANSACTION"));
            },
            [&] {
                if (!HayError)
                    return;
                QString process = platform::programName();
                GrabarErrorBD(batch, process, failure.number, failure.errorText);
            },
            [&] {
                if (HayError && MostrarMensaje && !failure.errorText.trimmed().isEmpty())
                    platform::userDialogs().messageBox(
                        failure.errorText, platform::msgbox::OkOnly | platform::msgbox::Critical,
                        QStringLiteral("Aviso al Operador!"));
            },
            [&] { NroError = failure.number; },
        },
        [](const platform::Error &error, int) {
            return platform::resumeForAnswer(
                MensajeError(error, std::nullopt, QStringLiteral("GActualizarDatoScript")));
        });
}

} // namespace core
