#include "platform/suite/sistema.h"

#include "platform/runtime.h"
#include "platform/suite/utilidades.h"

#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace platform {

QString Sistema::NombreMaquina() const
{
    return QSysInfo::machineHostName();
}

namespace {

// The name of the account the program runs as; empty when the system has no entry for it.
QString accountName()
{
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? std::size_t(suggested) : 16384);
    passwd entry{};
    passwd *found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found
        || !found->pw_name)
        return {};
    return QString::fromLocal8Bit(found->pw_name);
}

} // namespace

// The account, not the environment, names the user: su without -l, setpriv or cron leave another
// user's USER behind, and two accounts with one key would delete each other's work rows.
QString Sistema::NombreUsuario() const
{
    if (const QString account = accountName(); !account.isEmpty())
        return account;
    for (const char *name : {"USER", "LOGNAME", "USERNAME"}) {
        const QString user = environmentVariable(QLatin1String(name));
        if (!user.isEmpty())
            return user;
    }
    return {};
}

QString Sistema::CarpetaTemporal() const
{
    return gUtil().AgregarBarra(temporaryFolder());
}

bool Sistema::Ejecutar(long long, const QString &, const QString &file, const QString &parameters,
                       const QString &, int) const
{
    const QStringList arguments = parameters.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (arguments.isEmpty())
        return launcher().openDocument(file);
    return launcher().start(file, arguments, false);
}

Sistema &gSistema()
{
    static Sistema instance;
    return instance;
}

} // namespace platform
