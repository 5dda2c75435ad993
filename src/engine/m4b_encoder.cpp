// Finding and loading the M4B encoder's module. Where it lies is decided by the build
// (m4b_module_paths.h, written by CMake): its place beside an installed program and
// its place in the build tree.
#include "engine/m4b_encoder.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <string_view>

#include "m4b_module_paths.h"
#include "platform/file_system.h"
#include "platform/loadable_module.h"

namespace brambex {

namespace {

// The folder that holds path: everything before its last separator.
std::string_view FolderOf(std::string_view path) {
    const std::size_t last = path.find_last_of(platform::Separator);
    return last == std::string_view::npos ? std::string_view() : path.substr(0, last);
}

M4bEncoder Load(const std::string& path) {
    M4bEncoder encoder{nullptr, path, {}};
    if (path.empty()) {
        encoder.reason = "the program cannot tell which folder it was started from";
        return encoder;
    }
    const platform::LoadedModule module = platform::LoadModule(path);
    if (!module) {
        encoder.reason = module.reason;
        return encoder;
    }
    const auto entry =
        reinterpret_cast<M4bModuleEntryFunction>(platform::ModuleFunction(module, M4bModuleEntry));
    const M4bModuleFunctions* functions = entry ? entry() : nullptr;
    if (!functions)
        encoder.reason = "it is not the M4B encoder of Brambex";
    else if (functions->version != M4bModuleVersion || functions->layout != M4bModuleLayout)
        encoder.reason = "it comes from another build of Brambex";
    else
        encoder.functions = functions;
    return encoder;
}

}  // namespace

std::string M4bModulePath(const std::string& executable, const char* override) {
    if (override && *override)
        return override;
    const std::string_view buildTree = M4bBuildTree;
    if (!buildTree.empty() && executable.size() > buildTree.size() &&
        executable.starts_with(buildTree) && executable[buildTree.size()] == platform::Separator)
        return M4bModuleInBuildTree;
    // Without the program's own place a relative path would be taken from the current
    // folder, where anyone may have put a file of that name.
    if (!executable.starts_with(platform::Separator))
        return {};
    // "../lib/brambex" from /usr/bin is /usr/lib/brambex.
    std::string_view folder = FolderOf(executable);
    std::string_view relative = M4bModuleFromPrograms;
    while (relative.starts_with("../")) {
        folder = FolderOf(folder);
        relative.remove_prefix(3);
    }
    return platform::JoinPath(platform::JoinPath(folder, relative), M4bModuleName);
}

M4bEncoder LoadM4bEncoder() {
    const std::string path =
        M4bModulePath(platform::ExecutablePath(), std::getenv("BRAMBEX_M4B_MODULE"));
    // A module once loaded stays; one that failed is tried again at the next merge,
    // as it may have been installed meanwhile.
    static std::mutex mutex;
    static std::map<std::string, M4bEncoder> loaded;
    const std::lock_guard lock(mutex);
    if (const auto found = loaded.find(path); found != loaded.end())
        return found->second;
    M4bEncoder encoder = Load(path);
    if (encoder.functions)
        loaded.emplace(path, encoder);
    return encoder;
}

}  // namespace brambex
