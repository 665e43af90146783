#include "platform/legacy_files.h"

#include "platform/error.h"
#include "platform/runtime.h"
#include "platform/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <array>

namespace platform {

namespace {

// The code page's characters for the bytes 0x80-0x9F. The five bytes the code page leaves
// undefined read as the control character of the same number, as Windows reads them, so
// every byte survives a round trip.
constexpr std::array<char16_t, 32> highControlRange
    = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
       0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
       0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char byteFor(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return char(codePoint);
    for (std::size_t i = 0; i < highControlRange.size(); ++i)
        if (highControlRange[i] == codePoint)
            return char(0x80 + i);
    return '?';
}

QString fileMessage(const char *what, const QString &path)
{
    return QString::fromUtf8(what) + QStringLiteral(": ") + QDir::toNativeSeparators(path);
}

[[noreturn]] void raiseFileError(std::int32_t number, const char *what, const QString &path)
{
    throw Error(number, fileMessage(what, path), programName());
}

[[noreturn]] void raiseOpenFailure(const QString &path)
{
    if (!QFileInfo(path).absoluteDir().exists())
        raiseFileError(errors::PathNotFound, "No se encontró la ruta de acceso", path);
    raiseFileError(errors::PathFileAccess, "Error de acceso a la ruta o el archivo", path);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        raiseFileError(errors::FileNotFound, "No se encontró el archivo", path);
    if (!file.open(QIODevice::ReadOnly))
        raiseOpenFailure(path);
    return file.readAll();
}

QStringList splitLines(const QString &text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.back().isEmpty())
        lines.removeLast();
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines;
}

void appendBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        raiseOpenFailure(path);
    if (file.write(bytes) != bytes.size())
        raiseFileError(errors::PathFileAccess, "Error de acceso a la ruta o el archivo", path);
}

void checkRecordNumber(int recordNumber, const QString &path)
{
    if (recordNumber < 1)
        raiseFileError(errors::BadRecordNumber, "Número de registro incorrecto", path);
}

} // namespace

QByteArray toWindows1252(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (char32_t codePoint : text.toUcs4())
        bytes += byteFor(codePoint);
    return bytes;
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text += (value >= 0x80 && value < 0xA0) ? QChar(highControlRange[value - 0x80])
                                                : QChar(value);
    }
    return text;
}

QByteArray linesWithEnds(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += toWindows1252(line) + "\r\n";
    return bytes;
}

QStringList readTextLines(const QString &path)
{
    return splitLines(fromWindows1252(readAll(path)));
}

QStringList readTextLinesUtf8OrWindows1252(const QString &path, bool *utf8)
{
    const QByteArray bytes = readAll(path);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString asUtf8 = decoder.decode(bytes);
    const bool valid = !decoder.hasError();
    if (utf8)
        *utf8 = valid;
    return splitLines(valid ? asUtf8 : fromWindows1252(bytes));
}

QString readTextFile(const QString &path)
{
    return fromWindows1252(readAll(path));
}

void writeTextLines(const QString &path, const QStringList &lines)
{
    // Written aside and renamed into place, so a failure never leaves half a file behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        raiseOpenFailure(path);
    file.write(linesWithEnds(lines));
    if (!file.commit())
        raiseFileError(errors::PathFileAccess, "Error de acceso a la ruta o el archivo", path);
}

void appendTextLines(const QString &path, const QStringList &lines)
{
    appendBytes(path, linesWithEnds(lines));
}

void appendUtf8TextLines(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    appendBytes(path, bytes);
}

QString findFileIgnoringCase(const QString &folder, const QString &fileName)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (dir.exists(fileName))
        return dir.filePath(fileName);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries)
        if (equalsIgnoringCase(entry, fileName))
            return dir.filePath(entry);
    return dir.filePath(fileName);
}

RecordFile::RecordFile(QString path, int recordLength)
    : m_path(std::move(path)), m_recordLength(recordLength)
{
    if (recordLength < 1)
        throw Error(errors::InvalidProcedureCall,
                    QStringLiteral("Llamada a procedimiento o argumento no válido"), programName());
}

int RecordFile::count() const
{
    return int(QFileInfo(m_path).size() / m_recordLength);
}

QByteArray RecordFile::read(int recordNumber) const
{
    checkRecordNumber(recordNumber, m_path);
    QFile file(m_path);
    if (!file.exists())
        raiseFileError(errors::FileNotFound, "No se encontró el archivo", m_path);
    if (!file.open(QIODevice::ReadOnly))
        raiseOpenFailure(m_path);
    QByteArray record;
    if (file.seek(qint64(recordNumber - 1) * m_recordLength))
        record = file.read(m_recordLength);
    return record.leftJustified(m_recordLength, '\0', true);
}

void RecordFile::write(int recordNumber, QByteArrayView record)
{
    checkRecordNumber(recordNumber, m_path);
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite))
        raiseOpenFailure(m_path);
    const qint64 offset = qint64(recordNumber - 1) * m_recordLength;
    const QByteArray bytes = record.toByteArray().leftJustified(m_recordLength, ' ', true);
    // Growing the file first fills any skipped records with zero bytes.
    const bool written = (file.size() >= offset || file.resize(offset)) && file.seek(offset)
        && file.write(bytes) == bytes.size();
    if (!written)
        raiseFileError(errors::PathFileAccess, "Error de acceso a la ruta o el archivo", m_path);
}

QString RecordFile::readText(int recordNumber) const
{
    return fromWindows1252(read(recordNumber));
}

void RecordFile::writeText(int recordNumber, QStringView text)
{
    write(recordNumber, toWindows1252(text));
}

} // namespace platform
