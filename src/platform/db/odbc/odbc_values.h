#pragma once

#include "platform/db/odbc/odbc_errors.h"
#include "platform/db/odbc/odbc_handles.h"
#include "platform/db/provider.h"

#include <QVariant>
#include <deque>

// Columns and values between ODBC and the object model: ADO types from the driver's column
// descriptions, values read by those types, and values bound as statement parameters.
namespace platform::db::odbc {

// A column as ADO describes it, from the driver's description: its SQL type, size (or
// precision), decimal digits and the server's type name.
Column columnFor(const QString &name, SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT digits,
                 bool nullable, const QString &typeName);

// The result column at index (1-based), as ADO describes it.
Column describeColumn(const Handle &statement, SQLUSMALLINT index);

// The value of a column of the current row; Null for a database null. A failure is added to
// errors and gives Null.
QVariant readValue(const Handle &statement, SQLUSMALLINT index, DataType type,
                   ErrorCollector &errors);

// Every row of the statement's current result set.
RowSet fetchRowSet(const Handle &statement, SQLSMALLINT columnCount, ErrorCollector &errors);

// Parameters of one statement. Each bound value's buffer lives as long as the binding.
class ParameterBinding
{
public:
    // Binds value as parameter index (1-based); a Null or Empty value as a null of the
    // column's type.
    SQLRETURN bind(const Handle &statement, SQLUSMALLINT index, const QVariant &value,
                   const Column &column);

private:
    struct Buffer
    {
        QByteArray data;
        SQLLEN indicator = 0;
    };
    std::deque<Buffer> m_buffers; // a deque keeps each buffer where the driver saw it
};

} // namespace platform::db::odbc
