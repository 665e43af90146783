#pragma once

#include <QString>
#include <optional>

namespace testing_support {
class ScriptedDialogs;
}

// What a test can read back from a PDF file.
namespace report_pdf {

// Scripts the next print preview to save its report as a PDF file at path through the preview's
// own action, as its user saves it.
void savePreviewAsPdf(testing_support::ScriptedDialogs &dialogs, const QString &path);

// Pages counted from the file's page objects.
int pageCount(const QString &path);

// The text of the file as pdftotext reads it; nothing when pdftotext is not installed.
std::optional<QString> text(const QString &path);

} // namespace report_pdf
