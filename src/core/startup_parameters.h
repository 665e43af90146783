#pragma once

#include <QString>

// The start-up parameter string: pairs of a key, "=" and a value, each closed by ";", as the
// suite's menu and the sibling programs start this one.
namespace core {

struct ParametrosInicio
{
    QString ParametroAdicional;
    QString Menu;
    QString Servidor; // as given; ExtraerServidor cuts it to the host
    QString DbName;
    QString Usuario;
    QString Password;
    QString UsuarioLogeado;
    QString Caja = QStringLiteral("1");
};

// The values of the keys "@ParametroAdicional", "@Menu", "@Server", "@DbName", "@Usuario",
// "@Password", "@UsuarioLogeado" and "@Caja". A key is found without regard to case, only where
// optional blanks and "=" follow it, so "@Usuario" never matches inside "@UsuarioLogeado"; its
// first occurrence counts. The value is the text after that "=" up to the next ";" (or the end),
// trimmed, so a value may itself hold "=". A missing key keeps its default. Text outside the
// pairs, such as the marker "koru@", is ignored.
ParametrosInicio LeerParametros(const QString &CadenaParametros);

// The host part of a server text: what follows the first "/", cut before the first ":".
QString ExtraerServidor(const QString &Servidor);

// Upper-case machine name, "|", upper-case user name; cut to its first 50 characters when its
// trimmed length is above 50.
QString EstacionUsuario(const QString &Maquina, const QString &Usuario);

// The per-machine settings file "CN000pr.INI" in the program folder.
QString settingsFilePath();

// The parameter string of the default connection kept in the settings file, in the section of the
// machine and user names followed by "BaseDeDatos". The user and password are stored encoded.
QString ParametrosDesdeIni(const QString &Maquina, const QString &Usuario);

} // namespace core
