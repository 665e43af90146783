#pragma once

#include <QString>
#include <cstdint>

// The errors the object model raises itself, for misuse of its objects, with ADO's texts.
namespace platform::db {

inline constexpr std::int32_t recordsetNotUpdatable = 3251; // lock type or source forbids writes

[[noreturn]] void raiseObjectError(std::int32_t number, const QString &source);

inline const QString connectionSource = QStringLiteral("ADODB.Connection");
inline const QString recordsetSource = QStringLiteral("ADODB.Recordset");
inline const QString fieldSource = QStringLiteral("ADODB.Field");

} // namespace platform::db
