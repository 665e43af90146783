#pragma once

#include "platform/report/cross_table.h"
#include "platform/report/report_layout.h"

#include <QDate>
#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace platform::report {

// Everything one printed statistic shows.
struct ReportContent
{
    QString company; // the "empresa" formula
    QString title; // the "NOMBREREP" formula
    QString parameters; // the "Parametros" formula
    QString rowHeading; // heading of the column of row labels
    CrossTable table;
    ReportLayout layout;
    QDate printedOn;
};

// Lays a statistic out on pages: a heading on every page, the cross table split across pages
// by rows and by columns (each part repeats the row labels and the column headings), the
// totals the layout asks for, and the chart under the table or on a page of its own.
class ReportDocument
{
public:
    explicit ReportDocument(ReportContent content);

    // Paints every page on the device (a printer or a PDF writer) and returns how many.
    int print(QPagedPaintDevice &device) const;

    const ReportContent &content() const { return m_content; }

private:
    ReportContent m_content;
};

// An amount as the reports print it: two decimals in the regional format.
QString amountText(Currency amount);

} // namespace platform::report
