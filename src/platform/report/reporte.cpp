#include "platform/report/reporte.h"

#include "platform/db/connection.h"

namespace platform {

Reporte::Reporte() = default;
Reporte::~Reporte() = default;

void Reporte::setConexion(std::shared_ptr<db::Connection> connection)
{
    m_connection = std::move(connection);
}

std::shared_ptr<db::Connection> Reporte::conexion() const
{
    return m_connection;
}

void Reporte::Imprimir(const QString &, const std::array<QString, 2> &, const QString &,
                       const QString &, const QVariant &, const QVariant &, const QVariant &,
                       const QVariant &, const QVariant &, const QString &, const QString &,
                       const QString &)
{ }

Reporte &gReporte()
{
    static Reporte instance;
    return instance;
}

} // namespace platform
