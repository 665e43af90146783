#pragma once

#include <QString>

namespace data {
class DB_Dll;
}

// The statistics database beside the suite's database on the same server: its own login, its
// configuration table (where the command time-out is kept), and its creation when it is missing.
namespace core {

inline const QString BaseEstadisticas = QStringLiteral("TV_ESTADISTICAS");

// Makes sure the statistics login exists (creating the login, the database and its objects when
// they are missing), opens gDBEstadisticas and reads gTimeOut from its "TimeOut" key. A missing
// or non-positive time-out reads as 360 and is stored so. Every failing step is skipped and
// logged; nothing is shown.
void ConectarBaseEstadisticas();

// Creates the login Usuario with the password Clave and the default database BaseDatos on the
// connection (gDB when none is given). When the database is missing it is created first
// (CrearBaseDeDatos); a login that exists already is left as it is. The login gets no server
// role: it becomes the owner (db_owner) of BaseDatos and of nothing else. The connection's
// current database is the same afterwards.
void CrearUsuarioBase(const QString &BaseDatos, const QString &Usuario, const QString &Clave,
                      data::DB_Dll *Conexion = nullptr);

// Creates the database with its login and user through the script "CDB7.SQL", written to a
// private folder and deleted after the run; then opens gDBEstadisticas on it and runs the
// creation script "completotve.sql" of the program folder there. False when that script is
// missing or the database does not open.
bool CrearBaseDeDatos(const QString &Servidor, const QString &Usuario, const QString &Clave,
                      const QString &BaseDatos);

// The text of "CDB7.SQL": the database, then (after "GO") the login and its user in it.
QString databaseCreationScript(const QString &BaseDatos, const QString &Usuario,
                               const QString &Clave);

// The Oracle counterpart of the login: a user that owns its own schema.
QString oracleUserStatement(const QString &Usuario, const QString &Clave);

} // namespace core
