#pragma once

#include <QString>

// Registering a new connection from the connection dialog: it is tried first, and only a
// connection that opens is added to the connection list.
namespace data {

// A connection as typed in the connection dialog, the server carrying its port ("host:port").
struct TypedConnection
{
    QString database;
    QString server;
    QString user;
    QString password;
};

// Registers the connection unless its key is already listed: tries the database's own login,
// then the typed one with the connection-error box and its retry; appends the line and starts
// "ODBC.exe" of the program folder, when there is one, on the new database. Every outcome is
// shown to the user. True when the line was written. The program's own connection (gDB) is
// never touched: each try opens and closes an instance of its own.
bool registerConnection(const TypedConnection &typed);

// Whether the database opens with these values, without any box.
bool ExisteBaseDeDatos(const QString &server, const QString &database, const QString &user,
                       const QString &password);

} // namespace data
