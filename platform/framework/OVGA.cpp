#include "OVGA.h"

OVGA* OVGA::instance()
{
    static OVGA s_instance;
    return &s_instance;
}
