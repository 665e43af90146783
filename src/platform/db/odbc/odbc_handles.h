#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <cstdint>
#include <sql.h>
#include <sqlext.h>

// Owned ODBC handles and the conversions between QString and the driver manager's wide text.
namespace platform::db::odbc {

class Handle
{
public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE parent); // invalid when the allocation fails
    ~Handle();
    Handle(Handle &&other) noexcept;
    Handle &operator=(Handle &&other) noexcept;
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }
    bool isValid() const { return m_handle != nullptr; }

private:
    void release();

    SQLSMALLINT m_type = 0;
    SQLHANDLE m_handle = nullptr;
};

// An environment asking for ODBC 3 behaviour (SQLSTATEs, SQL_NO_DATA for empty updates).
Handle newEnvironment();

// One diagnostic record as the driver reported it.
struct DiagnosticRecord
{
    QString sqlState;
    std::int32_t nativeError = 0;
    QString message;
};

QVector<DiagnosticRecord> diagnostics(const Handle &handle);

// QString and SQLWCHAR share UTF-16; unixODBC's SQLWCHAR is 16 bits wide. The driver manager
// never writes through an input text, so a const text serves.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));
inline SQLWCHAR *wide(const QString &text)
{
    return const_cast<SQLWCHAR *>(reinterpret_cast<const SQLWCHAR *>(text.utf16()));
}
inline QString fromWide(const SQLWCHAR *text, qsizetype length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}
// The text a driver wrote into a buffer of capacity characters, from the length it reported,
// which is past the buffer when the text was cut.
inline QString fromWideBuffer(const SQLWCHAR *buffer, qsizetype capacity, qsizetype length)
{
    return fromWide(buffer, std::clamp<qsizetype>(length, 0, capacity - 1));
}

// The names of the drivers the driver manager knows.
QStringList installedDriverNames();

} // namespace platform::db::odbc
