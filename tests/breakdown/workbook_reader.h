#pragma once

#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

// Reads back the first sheet of a workbook the way a spreadsheet program does: the file opened
// as the zip archive it is and the sheet's XML read cell by cell.
namespace breakdown_testing {

struct SheetCell
{
    bool number = false;
    QString text; // a text cell's text
    double value = 0; // a number cell's value
    int style = 0; // index of the cell's format
};

inline QByteArray archiveMember(const QString &path, const QString &member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, member});
    unzip.waitForFinished(30000);
    return unzip.exitCode() == 0 ? unzip.readAllStandardOutput() : QByteArray();
}

inline QStringList sharedStrings(const QString &path)
{
    QStringList strings;
    QXmlStreamReader xml(archiveMember(path, QStringLiteral("xl/sharedStrings.xml")));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("t"))
            strings.append(xml.readElementText());
    }
    return strings;
}

// The cells of the first sheet by their reference ("A1", "C4").
inline QHash<QString, SheetCell> readFirstSheet(const QString &path)
{
    const QStringList strings = sharedStrings(path);
    QHash<QString, SheetCell> cells;
    QXmlStreamReader xml(archiveMember(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString reference;
    SheetCell cell;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
            reference = xml.attributes().value(QLatin1String("r")).toString();
            cell = {};
            cell.number = xml.attributes().value(QLatin1String("t")).isEmpty();
            cell.style = xml.attributes().value(QLatin1String("s")).toInt();
        } else if (xml.isStartElement() && xml.name() == QLatin1String("v")) {
            const QString value = xml.readElementText();
            if (cell.number)
                cell.value = value.toDouble();
            else
                cell.text = strings.value(value.toInt());
            cells.insert(reference, cell);
        }
    }
    return cells;
}

// The number format of each cell style, by the style's index.
inline QStringList cellFormatCodes(const QString &path)
{
    QHash<int, QString> codes{{0, QStringLiteral("General")},
                              {2, QStringLiteral("0.00")},
                              {4, QStringLiteral("#,##0.00")}};
    QStringList formats;
    QXmlStreamReader xml(archiveMember(path, QStringLiteral("xl/styles.xml")));
    bool inCellStyles = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("numFmt"))
            codes.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                         xml.attributes().value(QLatin1String("formatCode")).toString());
        else if (xml.name() == QLatin1String("cellXfs"))
            inCellStyles = xml.isStartElement();
        else if (inCellStyles && xml.isStartElement() && xml.name() == QLatin1String("xf"))
            formats.append(codes.value(xml.attributes().value(QLatin1String("numFmtId")).toInt()));
    }
    return formats;
}

// What a spreadsheet shows of a number cell of two decimals: a format that is one quoted text
// shows that text.
inline QString shownText(const SheetCell &cell, const QStringList &formats)
{
    const QString format = formats.value(cell.style);
    if (format.startsWith(QLatin1Char('"')))
        return format.section(QLatin1Char('"'), 1, 1);
    return QString::number(cell.value, 'f', 2);
}

// "A1" for row 0, column 0.
inline QString cellReference(int row, int column)
{
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

} // namespace breakdown_testing
