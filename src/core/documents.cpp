#include "core/documents.h"

#include "platform/suite/sistema.h"

#include <QFile>
#include <QFileInfo>

namespace core {

namespace {

// The show styles of a window the desktop opens.
constexpr int NormalWindow = 0;
constexpr int MinimizedWindow = 6;

QString unquoted(const QString &path)
{
    const QLatin1Char quote('"');
    if (path.size() >= 2 && path.startsWith(quote) && path.endsWith(quote))
        return path.mid(1, path.size() - 2);
    return path;
}

} // namespace

bool ExisteArchivo(const QString &Ruta)
{
    if (!QFileInfo(Ruta).isFile())
        return false;
    QFile file(Ruta);
    return file.open(QIODevice::ReadOnly);
}

void AbrirDocumento(const QString &Ruta, bool Minimizado)
{
    platform::gSistema().Ejecutar(0, QString(), unquoted(Ruta), QString(), QString(),
                                  Minimizado ? MinimizedWindow : NormalWindow);
}

} // namespace core
