#include "platform/db/odbc/odbc_handles.h"

#include <utility>

namespace platform::db::odbc {

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type)
{
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &m_handle)))
        m_handle = nullptr;
}

Handle::~Handle()
{
    release();
}

Handle::Handle(Handle &&other) noexcept
    : m_type(other.m_type), m_handle(std::exchange(other.m_handle, nullptr))
{ }

Handle &Handle::operator=(Handle &&other) noexcept
{
    if (this != &other) {
        release();
        m_type = other.m_type;
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

void Handle::release()
{
    if (m_handle != nullptr)
        SQLFreeHandle(m_type, std::exchange(m_handle, nullptr));
}

Handle newEnvironment()
{
    Handle environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    if (environment.isValid())
        SQLSetEnvAttr(environment.get(), SQL_ATTR_ODBC_VERSION,
                      reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return environment;
}

QVector<DiagnosticRecord> diagnostics(const Handle &handle)
{
    QVector<DiagnosticRecord> records;
    if (!handle.isValid())
        return records;
    // SQL Server messages run to 2,047 characters, far past SQL_MAX_MESSAGE_LENGTH.
    constexpr SQLSMALLINT messageCapacity = 4096;
    QVector<SQLWCHAR> message(messageCapacity);
    for (SQLSMALLINT index = 1;; ++index) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(handle.type(), handle.get(), index, state, &nativeError,
                                            message.data(), messageCapacity, &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        records.append({fromWide(state, 5), nativeError,
                        fromWideBuffer(message.data(), messageCapacity, length)});
    }
    return records;
}

QStringList installedDriverNames()
{
    QStringList names;
    const Handle environment = newEnvironment();
    if (!environment.isValid())
        return names;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    SQLWCHAR name[512];
    SQLSMALLINT nameLength = 0;
    SQLWCHAR attributes[1024];
    SQLSMALLINT attributesLength = 0;
    while (SQL_SUCCEEDED(SQLDriversW(environment.get(), direction, name, 512, &nameLength,
                                     attributes, 1024, &attributesLength))) {
        names.append(fromWideBuffer(name, 512, nameLength));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

} // namespace platform::db::odbc
