// Modules on Windows: DLLs loaded by their UTF-16 path, and the program's own file.
#include <windows.h>

#include <string_view>

#include "platform/loadable_module.h"
#include "platform/win32.h"

namespace brambex::platform {

namespace {

// The system's text for a Win32 error code, without its closing period and line break.
std::string SystemText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring_view words(text ? text : L"", n);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' ||
                              words.back() == L' ' || words.back() == L'.'))
        words.remove_suffix(1);
    std::string reason = words.empty() ? "error " + std::to_string(error) : Narrow(words);
    LocalFree(text);
    return reason;
}

}  // namespace

LoadedModule LoadModule(const std::string& path) {
    HMODULE module = LoadLibraryW(Widen(path).c_str());
    if (module)
        return {reinterpret_cast<void*>(module), {}};
    return {nullptr, SystemText(GetLastError())};
}

void* ModuleFunction(const LoadedModule& module, const char* name) {
    if (!module.handle)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module.handle), name));
}

std::string ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return Narrow(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace brambex::platform
