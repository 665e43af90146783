#pragma once

#include <QList>
#include <QString>
#include <optional>

// The column-width file "CONSULTASLEN.TVC" of the list dialog: one line per lookup key, the key
// and the list of column widths in twips, each field between double quotes ("MA_CUENTAS",
// "1440|2115|"). Lines end in CR LF; the text is Windows-1252.
namespace lookup::column_widths {

struct Line
{
    QString key;
    QString widths; // each width followed by "|"
};

// The file in the program folder.
QString filePath();
// The temporary file a save writes before it takes the place of the file.
QString temporaryPath();

// A line's two fields, quoted or not; nothing when it does not hold two.
std::optional<Line> parseLine(const QString &text);
QString formatLine(const Line &line);

// The widths as the file lists them: each the shortest text of the single-precision number,
// with the regional decimal separator, followed by "|".
QString formatWidths(const QList<double> &widths);

// The lines of every other key in their order, then the key's own line. The temporary file is
// written first and then takes the place of the file, so a failed save leaves the file as it
// was; raises platform::Error when it fails.
void save(const QString &key, const QList<double> &widths);

} // namespace lookup::column_widths
