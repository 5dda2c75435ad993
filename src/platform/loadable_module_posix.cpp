// Modules on POSIX systems: dlopen, and the program's own file from /proc.
#include <dlfcn.h>
#include <unistd.h>

#include <string_view>
#include <vector>

#include "platform/loadable_module.h"

namespace brambex::platform {

LoadedModule LoadModule(const std::string& path) {
    // The module's symbols stay its own: another module's cannot bind to them.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle)
        return {handle, {}};
    // The loader begins its reason with the path, which the caller shows already.
    const char* said = ::dlerror();
    std::string_view reason = said ? said : "it cannot be loaded";
    if (reason.starts_with(path) && reason.substr(path.size()).starts_with(": "))
        reason.remove_prefix(path.size() + 2);
    return {nullptr, std::string(reason)};
}

void* ModuleFunction(const LoadedModule& module, const char* name) {
    return module.handle ? ::dlsym(module.handle, name) : nullptr;
}

std::string ExecutablePath() {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        // A path as long as the buffer may have been cut short.
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace brambex::platform
