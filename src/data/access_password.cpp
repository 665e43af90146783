#include "data/access_password.h"

#include "platform/db/provider.h"
#include "platform/user_dialogs.h"

namespace data {

AccessPasswordRetry::AccessPasswordRetry(bool useStoredPassword, QString storedPassword)
    : m_useStoredPassword(useStoredPassword), m_storedPassword(std::move(storedPassword))
{ }

AccessPasswordRetry::Next AccessPasswordRetry::afterRejection()
{
    ++m_rejections;
    if (m_useStoredPassword && m_rejections == 1) {
        m_clause = QStringLiteral("Jet OLEDB:Database Password=")
            + platform::db::connectionValue(m_storedPassword) + QStringLiteral(";");
        return Next::Retry;
    }
    if (m_useStoredPassword && m_rejections > 2)
        return Next::GiveUp;
    const QString answer = platform::userDialogs().inputBox(QStringLiteral("ingrese el password:"),
                                                            QStringLiteral("Password Access"));
    if (answer.isEmpty())
        return Next::Cancelled;
    m_clause = QStringLiteral(" Jet OLEDB:Database Password=")
        + platform::db::connectionValue(answer) + QStringLiteral(";");
    return Next::Retry;
}

} // namespace data
