#pragma once

#include "platform/db/ado.h"

#include <QVariant>
#include <optional>

namespace platform::db {

// A value assigned to a field, converted to the field's type as a variant assignment would:
// numbers from numeric text (regional or "." decimals), dates from the regional short date or
// ISO text, Null and Empty kept as Null. nullopt when the value cannot be converted.
std::optional<QVariant> convertForField(const QVariant &value, DataType type);

} // namespace platform::db
