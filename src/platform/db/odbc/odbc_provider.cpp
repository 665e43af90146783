#include "platform/db/odbc/odbc_provider.h"

namespace platform::db::odbc {

OpenResult open(const ConnectionString &, const QString &, const QString &)
{
    ProviderError error;
    error.number = hresult::E_Fail;
    error.description = QStringLiteral("No hay proveedor ODBC en esta compilación.");
    error.sqlState = QStringLiteral("IM002");
    error.source = QStringLiteral("ODBC");
    return {nullptr, {error}};
}

} // namespace platform::db::odbc
