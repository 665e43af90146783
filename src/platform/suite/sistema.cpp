#include "platform/suite/sistema.h"

#include "platform/runtime.h"
#include "platform/suite/utilidades.h"

#include <QSysInfo>

namespace platform {

QString Sistema::NombreMaquina() const
{
    return QSysInfo::machineHostName();
}

QString Sistema::NombreUsuario() const
{
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
