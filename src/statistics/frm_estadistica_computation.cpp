#include "core/mod_global.h"
#include "statistics/frm_estadistica.h"
#include "statistics/statistic_computation.h"

namespace statistics {

void frm_Estadistica::GeneraAuxiliar()
{
    generateStatistic(definitionOnScreen(), core::gEstacionUsuario, NombreTabla,
                      computationHooks());
}

} // namespace statistics
