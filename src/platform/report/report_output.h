#pragma once

#include <QString>

namespace platform::report {

class ReportDocument;

// Writes the report as a PDF file. False when the file cannot be written.
bool saveReportPdf(const ReportDocument &document, const QString &path);

// Shows the report in a print preview through the user-dialogs seam; with exportable set, the
// preview offers saving it as PDF, and with maximized it opens maximized.
void previewReport(const ReportDocument &document, bool exportable, bool maximized);

// Prints the report at once on the default printer; a message says when there is none.
void printReport(const ReportDocument &document);

// Caption of the preview's action that saves the report as PDF.
QString savePdfCaption();

} // namespace platform::report
