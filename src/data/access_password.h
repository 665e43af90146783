#pragma once

#include <QString>

namespace data {

// What an Access opening does after the file rejected its password: try the stored password
// once when the instance says so, otherwise ask the user. The asking ends: an empty or cancelled
// answer stops the opening, and after a rejected stored password the user gets one try.
class AccessPasswordRetry
{
public:
    enum class Next {
        Retry, // open again with clause() at the end of the connection string
        Cancelled, // the user gave no password: stop without a message
        GiveUp // stop with the message of the rejection
    };

    AccessPasswordRetry(bool useStoredPassword, QString storedPassword);

    Next afterRejection();
    const QString &clause() const { return m_clause; }

private:
    bool m_useStoredPassword;
    QString m_storedPassword;
    int m_rejections = 0;
    QString m_clause;
};

} // namespace data
