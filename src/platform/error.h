#pragma once

#include <QString>
#include <cstdint>
#include <exception>

namespace platform {

// The run-time error every layer raises: the number a handler branches on, the text shown
// to the user and the component that raised it. Numbers are ADO numbers (3704, 3705, ...),
// OLE DB HRESULTs as signed 32-bit values, or the suite's own numbers.
class Error : public std::exception
{
public:
    Error(std::int32_t number, QString description, QString source = {});

    std::int32_t number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const QString &source() const noexcept { return m_source; }

    const char *what() const noexcept override { return m_what.constData(); }

private:
    std::int32_t m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

// Numbers of the run-time errors raised outside the database layer.
namespace errors {
inline constexpr std::int32_t InvalidProcedureCall = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t PathNotFound = 76;
inline constexpr std::int32_t PermissionDenied = 70;
inline constexpr std::int32_t PathFileAccess = 75;
inline constexpr std::int32_t BadFileMode = 54;
inline constexpr std::int32_t BadRecordNumber = 63;
} // namespace errors

} // namespace platform
