#include "platform/db/embedded/rowset_reader.h"

#include "platform/db/embedded/column_types.h"
#include "platform/db/embedded/row_writer.h"
#include "platform/db/embedded/sqlite_database.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace platform::db::embedded {

namespace {

QString text(const char *utf8)
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

QStringList primaryKeyOf(sqlite3 *db, const QString &table)
{
    QStringList key;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk", -1,
                           &statement, nullptr)
        != SQLITE_OK)
        return key;
    bindValue(statement, 1, table);
    while (stepStatement(statement) == SQLITE_ROW)
        key.append(text(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))));
    sqlite3_finalize(statement);
    return key;
}

bool containsAll(const QStringList &columns, const QStringList &wanted)
{
    return std::all_of(wanted.begin(), wanted.end(), [&](const QString &column) {
        return columns.contains(column, Qt::CaseInsensitive);
    });
}

// Rows that merge or compute table rows stand for no single row to write back. Texts and
// quoted names are left out of the search: a group named "Union (+)" merges nothing.
bool showsTableRows(sqlite3_stmt *statement)
{
    static const QRegularExpression quoted(
        QStringLiteral(R"('(?:[^']|'')*'|"(?:[^"]|"")*"|\[[^\]]*\])"));
    static const QRegularExpression merging(
        QStringLiteral(R"(\b(GROUP\s+BY|DISTINCT|UNION|EXCEPT|INTERSECT)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString sql
        = QString::fromUtf8(sqlite3_sql(statement)).replace(quoted, QStringLiteral(" "));
    return !merging.match(sql).hasMatch();
}

std::optional<UpdateTarget> updateTargetOf(sqlite3 *db, sqlite3_stmt *statement)
{
    if (!showsTableRows(statement))
        return std::nullopt;
    UpdateTarget target;
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const QString table = text(sqlite3_column_table_name(statement, i));
        if (table.isEmpty())
            return std::nullopt;
        if (!target.table.isEmpty() && target.table.compare(table, Qt::CaseInsensitive) != 0)
            return std::nullopt; // rows of a join belong to no single table
        if (text(sqlite3_column_database_name(statement, i)) != QLatin1String("main"))
            return std::nullopt;
        target.table = table;
        target.baseColumns.append(text(sqlite3_column_origin_name(statement, i)));
    }
    if (target.table.isEmpty())
        return std::nullopt;
    const QStringList key = primaryKeyOf(db, target.table);
    // Without its key among the columns a row is found again by all its original values.
    if (!key.isEmpty() && containsAll(target.baseColumns, key))
        target.keyColumns = key;
    return target;
}

// The server keeps char(n) values blank-padded to their length; they are stored trimmed here.
bool isFixedText(const Column &column)
{
    return column.type == adChar || column.type == adWChar;
}

} // namespace

FetchedRows fetchedColumns(sqlite3_stmt *statement, const QVector<int> &moneyColumns)
{
    FetchedRows fetched;
    const int count = sqlite3_column_count(statement);
    fetched.typedByDeclaration.resize(count);
    fetched.columns.resize(count);
    for (int i = 0; i < count; ++i) {
        const QString name = text(sqlite3_column_name(statement, i));
        const QString declaredType = moneyColumns.contains(i)
            ? QStringLiteral("money")
            : text(sqlite3_column_decltype(statement, i));
        const std::optional<Column> declared = declaredColumn(name, declaredType);
        fetched.typedByDeclaration[i] = declared.has_value();
        fetched.columns[i] = declared.value_or(Column{name});
    }
    return fetched;
}

FetchedRows fetchRows(sqlite3_stmt *statement, int &resultCode, const QVector<int> &moneyColumns)
{
    FetchedRows fetched = fetchedColumns(statement, moneyColumns);
    const qsizetype count = fetched.columns.size();
    while ((resultCode = stepStatement(statement)) == SQLITE_ROW) {
        QVector<QVariant> row(count);
        for (int i = 0; i < count; ++i) {
            row[i] = fetched.typedByDeclaration[i]
                ? readTypedValue(statement, i, fetched.columns[i].type)
                : readRawValue(statement, i);
            if (isFixedText(fetched.columns[i]) && row[i].typeId() == QMetaType::QString)
                row[i] = row[i].toString().leftJustified(fetched.columns[i].definedSize);
        }
        fetched.rows.append(std::move(row));
    }
    return fetched;
}

RowSet typedRowSet(const FetchedRows &fetched, QVector<QVector<QVariant>> rows)
{
    RowSet rowSet;
    rowSet.columns = fetched.columns;
    for (int i = 0; i < rowSet.columns.size(); ++i) {
        if (!fetched.typedByDeclaration[i])
            rowSet.columns[i] = typeByValues(rowSet.columns[i].name, rows, i);
    }
    rowSet.rows = std::move(rows);
    return rowSet;
}

RowSet readRowSet(sqlite3 *db, sqlite3_stmt *statement, bool updatable, int &resultCode,
                  const QVector<int> &moneyColumns)
{
    FetchedRows fetched = fetchRows(statement, resultCode, moneyColumns);
    QVector<QVector<QVariant>> rows = std::move(fetched.rows);
    RowSet rowSet = typedRowSet(fetched, std::move(rows));
    if (updatable && resultCode == SQLITE_DONE) {
        rowSet.target = updateTargetOf(db, statement);
        if (rowSet.target) {
            for (const QVector<QVariant> &row : std::as_const(rowSet.rows))
                rowSet.keys.append(keyOf(*rowSet.target, rowSet.columns, row));
        }
    }
    return rowSet;
}

} // namespace platform::db::embedded
