#include "breakdown/breakdown_installation.h"

#include "breakdown/frm_detallado.h"
#include "statistics/breakdown_report.h"

namespace breakdown {

namespace {

class WindowReport final : public statistics::BreakdownReport
{
public:
    void GeneraAuxiliar(const QString &nombre,
                        const statistics::StatisticDefinition &definition) override
    {
        QString name = nombre;
        frmDetallado().GeneraAuxiliar(name, definition);
    }

    // A window already open from an earlier run comes to the front with its new page.
    void Show() override
    {
        FrmDetallado &window = frmDetallado();
        window.show();
        window.raise();
        window.activateWindow();
    }
};

} // namespace

void installBreakdownReport()
{
    static WindowReport report;
    statistics::setBreakdownReport(&report);
}

} // namespace breakdown
