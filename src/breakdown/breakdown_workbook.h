#pragma once

#include "breakdown/breakdown_page.h"

#include <QList>
#include <QString>

namespace breakdown {

// Writes the breakdown as a spreadsheet workbook (.xlsx) of one sheet holding the page's rows
// from row 1, column 1: texts as texts, amounts as numbers shown with two decimals, so the sheet
// can be summed whatever the spreadsheet's language. A number is the page's amount to the cent;
// an amount of more digits than a spreadsheet's number shows keeps that number and shows the
// page's text. The file is created new, for this user alone. Raises platform::Error 75 when it
// cannot be written; nothing is left behind then.
void writeWorkbook(const QString &path, const QList<BreakdownRow> &rows);

} // namespace breakdown
