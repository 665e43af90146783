#pragma once

#include "statistics/statistic_definition.h"

#include <QList>
#include <QString>
#include <optional>

namespace data {
class DB_Dll;
}
namespace platform::db {
class Recordset;
}

// Writing a definition to MA_PANELCTA: a save replaces every row of the name with one row per
// account line, a delete removes them. Both are all-or-nothing: a save that is abandoned after
// an error leaves the definition exactly as it was stored before.
namespace statistics {

// One row to store: the group carried down from the line that names it.
struct StoredLine
{
    QString group;
    QString account;
    bool debit = false;
    bool credit = false;
};

// The lines a save stores: a line's group is the last non-empty group cell at or above it;
// lines without a group or without an account are left out. "S" in either case marks a side,
// and so does an empty cell (length zero), which stands for the "S" its validation writes. The
// account is stored trimmed.
QList<StoredLine> linesToStore(const QList<GridLine> &gridLines);

// How a save or delete ended.
struct WriteResult
{
    // The new rows are stored (or the old ones removed); the menu anchoring may follow.
    bool completed = false;
    // An error was reported, or the operation was abandoned: the window's failure flag.
    bool failed = false;
    // The header box to give the focus to after an abandoned operation.
    std::optional<int> focusHeader;
};

class DefinitionWriter
{
public:
    explicit DefinitionWriter(data::DB_Dll &db) : m_db(db) { }

    // Deletes every row of the name and appends the definition's rows through `rows`, an
    // updatable recordset over the whole table, in one transaction. A failing row is discarded
    // and shown through the suite's error box: retry writes it again, any other answer abandons
    // the save, ignore too, so a stored definition never lacks a line the window showed. Other
    // errors go to the save-error box.
    WriteResult replace(const QString &name, const StatisticDefinition &definition,
                        platform::db::Recordset &rows);

    // Deletes every row of the name; the header boxes only say where the focus goes back to.
    WriteResult remove(const QString &name, const QList<HeaderField> &header);

private:
    data::DB_Dll &m_db;
};

} // namespace statistics
