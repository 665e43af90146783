#include "lookup/lib_frm_cons3_widths.h"

#include "platform/error.h"
#include "platform/legacy_files.h"
#include "platform/program_files.h"
#include "platform/regional_settings.h"
#include "platform/text.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace lookup::column_widths {
namespace {

// One field of a sequential-file line from position on: a text between double quotes, or the
// text up to the next comma without its surrounding blanks. Position moves past the comma.
std::optional<QString> readField(const QString &text, qsizetype &position)
{
    while (position < text.size() && text.at(position) == QLatin1Char(' '))
        ++position;
    if (position >= text.size())
        return std::nullopt;
    QString field;
    if (text.at(position) == QLatin1Char('"')) {
        const qsizetype close = text.indexOf(QLatin1Char('"'), position + 1);
        const qsizetype end = close < 0 ? text.size() : close;
        field = text.mid(position + 1, end - position - 1);
        position = close < 0 ? text.size() : close + 1;
        const qsizetype comma = text.indexOf(QLatin1Char(','), position);
        position = comma < 0 ? text.size() : comma + 1;
        return field;
    }
    const qsizetype comma = text.indexOf(QLatin1Char(','), position);
    const qsizetype end = comma < 0 ? text.size() : comma;
    field = text.mid(position, end - position).trimmed();
    position = comma < 0 ? text.size() : comma + 1;
    return field;
}

platform::Error inputPastEnd()
{
    return platform::Error(62, QStringLiteral("Input past end of file"));
}

} // namespace

QString filePath()
{
    return platform::readableProgramFile(QStringLiteral("CONSULTASLEN.TVC"));
}

QString temporaryPath()
{
    return QFileInfo(filePath()).absolutePath() + QStringLiteral("/CONSULTASLEN.AUX");
}

std::optional<Line> parseLine(const QString &text)
{
    qsizetype position = 0;
    const std::optional<QString> key = readField(text, position);
    if (!key)
        return std::nullopt;
    const std::optional<QString> widths = readField(text, position);
    if (!widths)
        return std::nullopt;
    return Line{*key, *widths};
}

QString formatLine(const Line &line)
{
    return QLatin1Char('"') + line.key + QStringLiteral("\",\"") + line.widths + QLatin1Char('"');
}

QString formatWidths(const QList<double> &widths)
{
    QString text;
    const QChar decimalSeparator = platform::regionalSettings().decimalSeparator;
    for (const double width : widths) {
        QString number = QString::number(double(float(width)), 'g', 7);
        number.replace(QLatin1Char('.'), decimalSeparator);
        text += number + QLatin1Char('|');
    }
    return text;
}

void save(const QString &key, const QList<double> &widths)
{
    const QString main = filePath();
    const QString temporary = temporaryPath();
    QStringList lines;
    if (QFile::exists(main)) {
        for (const QString &text : platform::readTextLines(main)) {
            const std::optional<Line> line = parseLine(text);
            if (!line)
                throw inputPastEnd();
            if (!platform::equalsIgnoringCase(line->key, key))
                lines << formatLine(*line);
        }
    }
    lines << formatLine({key, formatWidths(widths)});

    try {
        platform::writeTextLines(temporary, lines);
        std::error_code failure;
        std::filesystem::rename(QFile::encodeName(temporary).constData(),
                                QFile::encodeName(main).constData(), failure);
        if (failure)
            throw platform::Error(platform::errors::PathFileAccess,
                                  QStringLiteral("Path/File access error"));
    } catch (const platform::Error &) {
        QFile::remove(temporary);
        throw;
    }
}

} // namespace lookup::column_widths
