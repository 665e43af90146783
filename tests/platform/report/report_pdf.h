#pragma once

#include <QString>
#include <optional>

// What a test can read back from a PDF file.
namespace report_pdf {

// Pages counted from the file's page objects.
int pageCount(const QString &path);

// The text of the file as pdftotext reads it; nothing when pdftotext is not installed.
std::optional<QString> text(const QString &path);

} // namespace report_pdf
