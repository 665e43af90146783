#pragma once

#include "platform/db/provider.h"

#include <QDateTime>
#include <QVariant>
#include <optional>

struct sqlite3_stmt;

// The ADO face of SQLite values: column types from the SQL Server type names the tables are
// declared with, values read by those types, and values bound as the engine stores them.
namespace platform::db::embedded {

// The column as ADO describes a column of that declared type; nullopt for a type name the
// engine does not know, whose values then give the type.
std::optional<Column> declaredColumn(const QString &name, const QString &declaredType);

// The value of a column of a known type, converted to that type.
QVariant readTypedValue(sqlite3_stmt *statement, int index, DataType type);

// The value of an expression column as SQLite holds it: qlonglong, double, QString or Null.
QVariant readRawValue(sqlite3_stmt *statement, int index);

// Types an expression column by the values it holds, and converts them to that type.
Column typeByValues(const QString &name, QVector<QVector<QVariant>> &rows, int index);

void bindValue(sqlite3_stmt *statement, int index, const QVariant &value);

// Dates and times as the engine stores them: "YYYY-MM-DD HH:MM:SS".
QString storedDateTime(const QDateTime &value);
std::optional<QDateTime> parseStoredDateTime(const QString &text);
// A local date and time, built without asking the system's time zone each time.
QDateTime localDateTime(QDate date, QTime time);

bool isDateType(DataType type);
bool isTextType(DataType type);

} // namespace platform::db::embedded
