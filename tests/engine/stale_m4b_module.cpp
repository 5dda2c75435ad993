// A module of the M4B encoder's name from another build: its table's version differs.
#include "m4b/m4b_module.h"

extern "C" __attribute__((visibility("default"))) const brambex::M4bModuleFunctions*
brambex_m4b_functions() {
    static constexpr brambex::M4bModuleFunctions functions{
        brambex::M4bModuleVersion + 1, brambex::M4bModuleLayout, nullptr, nullptr};
    return &functions;
}
