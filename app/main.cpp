#include "core/system_startup.h"
#include "data/frm_acceso.h"
#include "platform/db/ado.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RP_PANELCTA"));
    data::installConnectionDialog();
    QString connectionString;
    core::ConectarSistema(false, QString(), connectionString, platform::db::adUseClient);
    return 0;
}
