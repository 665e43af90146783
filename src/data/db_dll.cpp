#include "data/db_dll.h"

#include "data/error_log.h"
#include "platform/runtime.h"
#include "platform/steps.h"
#include "platform/suite/utilidades.h"
#include "platform/user_dialogs.h"

namespace data {

using platform::db::adStateClosed;

DB_Dll::DB_Dll() = default;
DB_Dll::~DB_Dll() = default;

platform::Utilidades &DB_Dll::util()
{
    if (!m_util)
        m_util = std::make_shared<platform::Utilidades>();
    return *m_util;
}

void DB_Dll::CierraRecordset(platform::db::Recordset &LrcsTemp)
{
    platform::StepRunner::run({[&] {
                                  if (LrcsTemp.state() != adStateClosed)
                                      LrcsTemp.close();
                              }},
                              [&](const platform::Error &error, int) {
                                  if (error.number() != platform::db::ado::NotAllowedInContext)
                                      return platform::resumeForAnswer(TratamientoErrores(
                                          error, std::nullopt, QStringLiteral("CierraRecordset")));
                                  // A pending edit blocks the close: drop the edit, then close
                                  // whatever happens.
                                  try {
                                      LrcsTemp.cancelUpdate();
                                      if (LrcsTemp.state() != adStateClosed)
                                          LrcsTemp.close();
                                  } catch (const platform::Error &) { }
                                  return platform::Resume::Leave;
                              });
}

int DB_Dll::TratamientoErrores(const platform::Error &CodErr, std::optional<int> Botones,
                               std::optional<QString> Rutina)
{
    if (CodErr.number() == 0)
        return 0;
    const QString message = errorMessageText(CodErr);
    const QString routineText = Rutina ? QStringLiteral(" - ") + *Rutina : QString();
    const QString title
        = CodErr.source() + routineText + QStringLiteral(" Aviso al operador!!! - 5 ");
    const int answer = platform::userDialogs().messageBox(
        message, Botones.value_or(platform::msgbox::AbortRetryIgnore | platform::msgbox::Critical),
        title);
    appendErrorLogLine(gLogErr, errorLogLine(platform::now(), routineText, message, answer));
    return answer;
}

DB_Dll &gDB()
{
    static DB_Dll instance;
    return instance;
}

DB_Dll &gDBEstadisticas()
{
    static DB_Dll instance;
    return instance;
}

DB_Dll &gUDBC()
{
    static DB_Dll instance;
    return instance;
}

DB_Dll &gDBAux()
{
    static DB_Dll instance;
    return instance;
}

} // namespace data
