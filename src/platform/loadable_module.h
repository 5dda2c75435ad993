// Code loaded while the program runs: a module (a shared object, a DLL) opened by its
// path, one of its exported functions, and the running program's own file, beside which
// the installed modules lie. A module stays loaded until the program ends, so that
// what it handed out (functions, error categories, the code its threads run) never
// outlives it.
#pragma once

#include <string>

namespace brambex::platform {

struct LoadedModule {
    void* handle = nullptr;  // none when the module did not load
    std::string reason;      // the loader's reason when it did not, without the path
    explicit operator bool() const { return handle != nullptr; }
};

// Loads the module at path with every symbol it needs resolved now, so that a module
// that cannot run is refused here, with the loader's words.
LoadedModule LoadModule(const std::string& path);

// The address of a function the module exports under name; null when it has none.
void* ModuleFunction(const LoadedModule& module, const char* name);

// The running program's file, with its links resolved; empty where the system does
// not tell.
std::string ExecutablePath();

}  // namespace brambex::platform
