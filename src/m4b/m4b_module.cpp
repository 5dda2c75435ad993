// The entry point of the M4B encoder's module: the one name it exports.
#include "m4b/m4b_module.h"

extern "C" __attribute__((visibility("default"))) const brambex::M4bModuleFunctions*
brambex_m4b_functions() {
    static constexpr brambex::M4bModuleFunctions functions{
        brambex::M4bModuleVersion, brambex::M4bModuleLayout, &brambex::ReadM4bTracks,
        &brambex::WriteM4bBook};
    return &functions;
}
