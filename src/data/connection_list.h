#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The list of registered connections "BASES.TXT" in the program folder: one line per database,
// five comma-separated fields, Windows-1252 text with CR LF line ends (UTF-8, as edited on
// Linux, is read too). The connection dialog is its only reader and its registration the only
// writer; lines are only ever appended.
namespace data {

// One line of the list.
struct RegisteredConnection
{
    QString key; // "DATABASE / SERVER", the server without its port
    QString database;
    QString user;
    QString password; // as stored, encoded with Codificar
    QString server; // may carry a port after ":"

    bool operator==(const RegisteredConnection &) const = default;
};

// The key a database on a server is registered under: both trimmed and in capitals, joined by
// " / ", the server taken up to its first ":".
QString connectionKey(const QString &database, const QString &server);

// A line read as five fields. A field's leading blanks are skipped; it ends at the next comma
// or the line end, unless it begins with a double quote, when it runs to the next double quote
// and may hold commas. Nothing when the line does not hold exactly five fields.
std::optional<RegisteredConnection> parseConnectionLine(const QString &line);

// The line for a connection: each field trimmed, written between double quotes when it holds a
// comma. Raises 5 (invalid procedure call) for a field the line could not give back as it is:
// one holding a line break, or a double quote where it would start or end a quoted field.
QString formatConnectionLine(const RegisteredConnection &connection);

class ConnectionList
{
public:
    // Where registrations go: "BASES.TXT" in the program folder, found whatever the letter case
    // of its name, or the user's own list when this user may not write there.
    static QString defaultPath();

    // The user's own list, then the program folder's, both read; registrations go to
    // defaultPath.
    ConnectionList();
    // One file, read and appended to.
    explicit ConnectionList(QString path);

    const QString &path() const { return m_path; }

    // The well-formed lines in file order; none from a missing file, or from one other users
    // may change (the user is told once).
    QList<RegisteredConnection> read() const;

    // The first line whose trimmed key equals the trimmed key given (letter case counts).
    std::optional<RegisteredConnection> find(const QString &key) const;

    // Adds the line at the end; the first one creates the file.
    void append(const RegisteredConnection &connection) const;

private:
    bool endsInsideALine() const;
    bool holdsUtf8Text() const;

    QString m_path;
    QStringList m_readPaths;
};

// Registers a connection in the program folder's list, the password encoded.
void RegistrarBaseEnArchivo(const QString &key, const QString &database, const QString &user,
                            const QString &password, const QString &server);

} // namespace data
