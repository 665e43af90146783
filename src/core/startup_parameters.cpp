#include "core/startup_parameters.h"

#include "platform/runtime.h"
#include "platform/suite/archivo_ini.h"
#include "platform/suite/utilidades.h"

#include <QRegularExpression>

namespace core {

namespace {

constexpr int StationUserLength = 50;

// The value of the first "key =" of the text, or the default when the key is not there.
QString parameterValue(const QString &text, const QString &key, const QString &defaultValue)
{
    const QRegularExpression keyAndEquals(QRegularExpression::escape(key)
                                              + QStringLiteral("[ \\t]*="),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = keyAndEquals.match(text);
    if (!match.hasMatch())
        return defaultValue;
    const qsizetype start = match.capturedEnd();
    const qsizetype end = text.indexOf(QLatin1Char(';'), start);
    return text.mid(start, end < 0 ? -1 : end - start).trimmed();
}

} // namespace

ParametrosInicio LeerParametros(const QString &CadenaParametros)
{
    const ParametrosInicio defaults;
    ParametrosInicio p;
    const auto read = [&](const char *key, const QString &defaultValue) {
        return parameterValue(CadenaParametros, QLatin1String(key), defaultValue);
    };
    p.ParametroAdicional = read("@ParametroAdicional", defaults.ParametroAdicional);
    p.Menu = read("@Menu", defaults.Menu);
    p.Servidor = read("@Server", defaults.Servidor);
    p.DbName = read("@DbName", defaults.DbName);
    p.Usuario = read("@Usuario", defaults.Usuario);
    p.Password = read("@Password", defaults.Password);
    p.UsuarioLogeado = read("@UsuarioLogeado", defaults.UsuarioLogeado);
    p.Caja = read("@Caja", defaults.Caja);
    return p;
}

QString ExtraerServidor(const QString &Servidor)
{
    const qsizetype slash = Servidor.indexOf(QLatin1Char('/'));
    QString host = slash < 0 ? Servidor : Servidor.mid(slash + 1);
    const qsizetype colon = host.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        host.truncate(colon);
    return host;
}

QString EstacionUsuario(const QString &Maquina, const QString &Usuario)
{
    const QString key = Maquina.toUpper() + QLatin1Char('|') + Usuario.toUpper();
    return key.trimmed().size() > StationUserLength ? key.left(StationUserLength) : key;
}

QString settingsFilePath()
{
    return platform::gUtil().AgregarBarra(platform::programFolder())
        + QStringLiteral("CN000pr.INI");
}

QString ParametrosDesdeIni(const QString &Maquina, const QString &Usuario)
{
    const platform::Utilidades &util = platform::gUtil();
    const platform::ArchivoIni &ini = platform::gIni();
    const QString section
        = Maquina.toUpper() + QLatin1Char('|') + Usuario.toUpper() + QStringLiteral("BaseDeDatos");
    const auto read = [&](const QString &key, const QString &defaultValue) {
        return ini.LeerIni(settingsFilePath(), section, key, defaultValue);
    };
    const auto firstPart
        = [&](const QString &value) { return util.ExtraerToken(value, QStringLiteral("|")); };
    const QString server = firstPart(read(QStringLiteral("Servidor"), QString()));
    const QString database = firstPart(read(QStringLiteral("DbName"), QString()));
    const QString user = firstPart(util.Decodificar(
        read(QStringLiteral("Usuario"), util.Codificar(QStringLiteral("Tarvica")))));
    const QString password = firstPart(util.Decodificar(
        read(QStringLiteral("UserPassWord"), util.Codificar(QStringLiteral("pardelo")))));
    return QStringLiteral("@server=") + server + QStringLiteral("; @dbname= ") + database
        + QStringLiteral("; @usuario= ") + user + QStringLiteral("; @Password= ") + password
        + QStringLiteral("; @ParametroAdicional=; @Caja=1;koru@");
}

} // namespace core
