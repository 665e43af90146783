#include "core/error_reporter.h"

#include "data/error_log.h"
#include "data/services.h"
#include "platform/runtime.h"
#include "platform/user_dialogs.h"

namespace core {

namespace {

QString routineText(const std::optional<QString> &routine)
{
    return routine ? QStringLiteral(" - ") + *routine : QString();
}

} // namespace

std::int16_t MensajeError(const platform::Error &CodErr, std::optional<int> Botones,
                          std::optional<QString> Rutina)
{
    data::createErrorLog();
    if (CodErr.number() == 0)
        return 0;

    const QString message = data::errorMessageText(CodErr);
    const QString routine = routineText(Rutina);
    const QString title = CodErr.source() + routine + QStringLiteral(" Aviso al operador!!! - 2 ");
    const int style
        = Botones.value_or(platform::msgbox::AbortRetryIgnore | platform::msgbox::Critical);

    const int answer = platform::userDialogs().messageBox(message, style, title);
    data::appendErrorLogLine(QString(),
                             data::errorLogLine(platform::now(), routine, message, answer));
    return std::int16_t(answer);
}

void installErrorReporter()
{
    data::setErrorReporter(
        [](const platform::Error &error, std::optional<int> buttons,
           std::optional<QString> routine) { return MensajeError(error, buttons, routine); });
}

void logSkippedError(const platform::Error &error, const QString &routine)
{
    data::appendErrorLogLine(QString(),
                             data::errorLogLine(platform::now(), routineText(routine),
                                                data::errorMessageText(error), 0));
}

} // namespace core
