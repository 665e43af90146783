#include "platform/suite/archivo_ini.h"

#include "platform/error.h"
#include "platform/legacy_files.h"
#include "platform/text.h"

#include <QFileInfo>

namespace platform {

namespace {

// The name of a "[section]" line; nothing for any other line.
std::optional<QString> sectionName(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

} // namespace

QString ArchivoIni::LeerIni(const QString &file, const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    const QFileInfo info(file);
    const QString path = findFileIgnoringCase(info.path(), info.fileName());
    if (!QFileInfo(path).isFile())
        return defaultValue;
    QStringList lines;
    try {
        lines = readTextLines(path);
    } catch (const Error &) {
        // An unreadable file reads like a missing one, as Windows reads it.
        return defaultValue;
    }
    bool inSection = false;
    for (const QString &line : lines) {
        if (const std::optional<QString> name = sectionName(line)) {
            inSection = equalsIgnoringCase(*name, section.trimmed());
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && equalsIgnoringCase(line.left(equals).trimmed(), key.trimmed()))
            return line.mid(equals + 1);
    }
    return defaultValue;
}

ArchivoIni &gIni()
{
    static ArchivoIni instance;
    return instance;
}

} // namespace platform
