#pragma once

#include <QString>
#include <QStringList>

// The code lists a definition stores for its voucher-type, business-unit and cost-centre list
// boxes. Each list item reads "Description (CODE)"; a stored list is every selected code between
// single quotes, separated by commas: 'A1','B2'.
namespace statistics {

// The text between the item's last "(" and the ")" after it; empty when the item has no such
// pair, so a malformed item never selects or stores anything.
QString itemCode(const QString &item);

// The stored form of the codes of the selected items, in list order; empty for no selection.
QString storedCodeList(const QStringList &selectedItems);

// Whether the stored list holds the item's code as a whole quoted entry: 'A1' is not found in
// 'A10'. Letter case is ignored, as everywhere in the window.
bool storedCodeListHolds(const QString &storedList, const QString &code);

} // namespace statistics
