#include "data/connection_list.h"

#include "platform/error.h"
#include "platform/legacy_files.h"
#include "platform/program_files.h"
#include "platform/runtime.h"
#include "platform/suite/utilidades.h"

#include <QFile>
#include <QFileInfo>

namespace data {

namespace {

constexpr int FieldCount = 5;
const QString ListName = QStringLiteral("BASES.TXT");
const QLatin1Char Separator(',');
const QLatin1Char Quote('"');

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringList fieldsOf(const QString &line)
{
    QStringList fields;
    qsizetype pos = 0;
    for (;;) {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        qsizetype separator;
        if (pos < line.size() && line[pos] == Quote) {
            const qsizetype closing = line.indexOf(Quote, pos + 1);
            if (closing < 0) {
                fields << line.mid(pos + 1);
                break;
            }
            fields << line.mid(pos + 1, closing - pos - 1);
            separator = line.indexOf(Separator, closing + 1);
        } else {
            separator = line.indexOf(Separator, pos);
            fields << line.mid(pos, separator < 0 ? -1 : separator - pos);
        }
        if (separator < 0)
            break;
        pos = separator + 1;
    }
    return fields;
}

QString fieldText(const QString &value)
{
    const QString field = value.trimmed();
    const bool quoted = field.contains(Separator);
    const bool unreadable = field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n'))
        || field.startsWith(Quote) || (quoted && field.contains(Quote));
    if (unreadable)
        throw platform::Error(platform::errors::InvalidProcedureCall,
                              QStringLiteral("El valor no puede guardarse en la lista de "
                                             "conexiones: ")
                                  + field,
                              platform::programName());
    return quoted ? Quote + field + Quote : field;
}

} // namespace

QString connectionKey(const QString &database, const QString &server)
{
    const QString serverName = server.section(QLatin1Char(':'), 0, 0);
    return database.trimmed().toUpper() + QStringLiteral(" / ") + serverName.trimmed().toUpper();
}

std::optional<RegisteredConnection> parseConnectionLine(const QString &line)
{
    const QStringList fields = fieldsOf(line);
    if (fields.size() != FieldCount)
        return std::nullopt;
    return RegisteredConnection{fields[0], fields[1], fields[2], fields[3], fields[4]};
}

QString formatConnectionLine(const RegisteredConnection &connection)
{
    return QStringList{fieldText(connection.key), fieldText(connection.database),
                       fieldText(connection.user), fieldText(connection.password),
                       fieldText(connection.server)}
        .join(Separator);
}

QString ConnectionList::defaultPath()
{
    return platform::writableProgramFile(ListName);
}

ConnectionList::ConnectionList() : m_path(defaultPath())
{
    const QString own = platform::readableProgramFile(ListName);
    const QString shared = platform::findFileIgnoringCase(platform::programFolder(), ListName);
    for (const QString &path : {own, m_path, shared}) {
        if (!m_readPaths.contains(path))
            m_readPaths << path;
    }
}

ConnectionList::ConnectionList(QString path) : m_path(std::move(path)), m_readPaths{m_path} { }

QList<RegisteredConnection> ConnectionList::read() const
{
    QList<RegisteredConnection> connections;
    for (const QString &path : m_readPaths) {
        // Its lines name the servers the user's password is sent to.
        if (!QFileInfo::exists(path) || !platform::isTrustedOrReported(path))
            continue;
        for (const QString &line : platform::readTextLinesUtf8OrWindows1252(path)) {
            if (std::optional<RegisteredConnection> connection = parseConnectionLine(line))
                connections << *connection;
        }
    }
    return connections;
}

std::optional<RegisteredConnection> ConnectionList::find(const QString &key) const
{
    const QString sought = key.trimmed();
    for (const RegisteredConnection &connection : read()) {
        if (connection.key.trimmed() == sought)
            return connection;
    }
    return std::nullopt;
}

void ConnectionList::append(const RegisteredConnection &connection) const
{
    const QString line = formatConnectionLine(connection);
    // A list last saved by hand may lack its final line end; the new line must not run on
    // into the last one and spoil both.
    const QStringList lines = endsInsideALine() ? QStringList{QString(), line} : QStringList{line};
    if (holdsUtf8Text())
        platform::appendUtf8TextLines(m_path, lines);
    else
        platform::appendTextLines(m_path, lines);
}

// A list edited on Linux holds UTF-8: a line added in the code page would make the whole file
// read as the code page, spoiling every letter beyond ASCII already in it.
bool ConnectionList::holdsUtf8Text() const
{
    if (!QFileInfo::exists(m_path))
        return false;
    bool utf8 = false;
    const QStringList lines = platform::readTextLinesUtf8OrWindows1252(m_path, &utf8);
    if (!utf8)
        return false;
    for (const QString &line : lines) {
        for (const QChar c : line)
            if (c.unicode() > 0x7F)
                return true;
    }
    return false;
}

bool ConnectionList::endsInsideALine() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    file.seek(file.size() - 1);
    return file.read(1) != "\n";
}

void RegistrarBaseEnArchivo(const QString &key, const QString &database, const QString &user,
                            const QString &password, const QString &server)
{
    ConnectionList().append({key, database, user, platform::gUtil().Codificar(password), server});
}

} // namespace data
