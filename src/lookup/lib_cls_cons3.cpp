#include "lookup/lib_cls_cons3.h"

namespace lookup {

Lib_ClsCons3 &gConsultas()
{
    static Lib_ClsCons3 instance;
    return instance;
}

} // namespace lookup
