#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// The program's files keep the formats the suite's other programs read and write: text in the
// Windows ANSI code page (Windows-1252) with CR LF line ends, and files of fixed-length records.
// Failures raise platform::Error with the run-time numbers (53 file not found, 75 path or file
// access error).
namespace platform {

// Windows-1252 text. Characters the code page cannot hold are written as "?".
QByteArray toWindows1252(QStringView text);
QString fromWindows1252(QByteArrayView bytes);

// The lines as a text file holds them: in Windows-1252, each followed by CR LF.
QByteArray linesWithEnds(const QStringList &lines);

// The lines of a text file, each without its line end; CR LF and LF both end a line. A last
// line without a line end is a line; a file that ends in a line end has no empty last line.
// Raises 53 when the file does not exist.
QStringList readTextLines(const QString &path);

// The lines as readTextLines gives them, the file read as UTF-8 (a byte-order mark dropped) when
// it is valid UTF-8, as Windows-1252 otherwise: files the suite's programs write and files
// edited on Linux both read right. utf8, when given, tells which reading was used.
QStringList readTextLinesUtf8OrWindows1252(const QString &path, bool *utf8 = nullptr);

// The whole text of a file, line ends as they stand. Raises 53 when the file does not exist.
QString readTextFile(const QString &path);

// Replaces the file by these lines, each followed by CR LF.
void writeTextLines(const QString &path, const QStringList &lines);

// Adds these lines, each followed by CR LF, at the end of the file; creates it when missing.
void appendTextLines(const QString &path, const QStringList &lines);
// The same written in UTF-8, for a file that already holds UTF-8 text.
void appendUtf8TextLines(const QString &path, const QStringList &lines);

// The path of the file of that name in the folder, whatever the letter case of the name on disk
// ("BASES.TXT" finds "bases.txt"). An exact match wins; when no file matches, the path of the
// name as given, so a caller can create it.
QString findFileIgnoringCase(const QString &folder, const QString &fileName);

// A file of fixed-length records, numbered from 1, as the suite keeps its query masks. The file
// is opened for reading and writing on each call, so several objects may share one path.
class RecordFile
{
public:
    // Raises 5 (invalid procedure call) for a record length below 1.
    RecordFile(QString path, int recordLength);

    const QString &path() const { return m_path; }
    int recordLength() const { return m_recordLength; }

    // Whole records in the file (its size divided by the record length); 0 when missing.
    int count() const;

    // Record n's bytes; a record beyond the end reads as zero bytes. Raises 63 (bad record
    // number) for n below 1, 53 when the file does not exist.
    QByteArray read(int recordNumber) const;
    // Writes record n, cut or padded with blanks to the record length; writing beyond the end
    // extends the file with zero bytes. Creates the file when missing. Raises 63 for n below 1.
    void write(int recordNumber, QByteArrayView record);

    // The same as Windows-1252 text.
    QString readText(int recordNumber) const;
    void writeText(int recordNumber, QStringView text);

private:
    QString m_path;
    int m_recordLength;
};

} // namespace platform
