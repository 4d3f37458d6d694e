#include "ScEngineEntries.h"

// The library is linked with -Bsymbolic-functions: these addresses are the engine's own
// functions, not the loader's functions of the same names.
extern "C" __attribute__((visibility("default"))) const ScEngineEntries* scEngineEntries()
{
    static const ScEngineEntries entries = {
        sizeof(ScEngineEntries),
#define SC_ENGINE_VALUE(member, function) &function,
        SC_ENGINE_ENTRIES(SC_ENGINE_VALUE)
#undef SC_ENGINE_VALUE
    };
    return &entries;
}
