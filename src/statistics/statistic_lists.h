#pragma once

#include <QString>
#include <QVariant>

class QListWidget;

namespace platform::db {
class Recordset;
}

// The voucher-type, business-unit and cost-centre lists of the window: one item per master row,
// "Description (CODE)", so the code can be read back from a selected item.
namespace statistics {

// How an item shows its row's code.
enum class CodeText {
    AsStored, // voucher types
    Trimmed, // business units and cost centres, whose codes the suite pads to a fixed width
};

// "Description (CODE)"; a null description gives "" before the blank.
QString listItemText(const QVariant &description, const QVariant &code, CodeText form);

// Empties the list and adds one item per row of the statement, opened forward-only and read-only
// on the main connection into rows, which the caller closes or keeps. The data layer reports a
// statement that cannot be opened; a row that cannot be read ends the load quietly, so a broken
// master view leaves the list as far as it was filled and the window usable.
void fillCodeList(QListWidget &list, const QString &statement, platform::db::Recordset &rows,
                  CodeText form);

} // namespace statistics
