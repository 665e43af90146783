#include "breakdown/breakdown_installation.h"
#include "data/frm_acceso.h"
#include "platform/desktop_integration.h"
#include "platform/runtime.h"
#include "statistics/frm_estadistica.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::allowBrowserEngineAsRoot();
    QApplication app(argc, argv);
    // The parameter string may carry the database password: no other user may read it in ps.
    platform::keepStartupParametersHidden(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RP_PANELCTA"));
    QApplication::setWindowIcon(platform::applicationIcon());
    platform::installSpanishQtTranslations();
    data::installConnectionDialog();
    breakdown::installBreakdownReport();

    // Loading the main window connects the program; no accepted connection ends it there.
    statistics::frm_Estadistica &window = statistics::frmEstadistica();
    window.Form_Load();
    window.show();
    return app.exec();
}
