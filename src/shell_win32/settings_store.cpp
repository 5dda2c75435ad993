#include "shell_win32/settings_store.h"

#include <windows.h>

#include "app/recent_sets.h"
#include "platform/win32.h"

namespace brambex::win32 {

namespace {

constexpr const wchar_t* Key = L"Software\\Halvern Labs\\Brambex";

constexpr const wchar_t* RecentSetsName = L"RecentSets";

bool WriteText(HKEY key, const wchar_t* name, const std::wstring& value) {
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool WriteDefault(HKEY key, const std::wstring& value) {
    return WriteText(key, nullptr, value);
}

// A text value of the key (the default value for no name); empty when it cannot be read.
std::string ReadText(const wchar_t* name) {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, Key, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return {};
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, Key, name, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS)
        return {};
    value.resize(wcsnlen(value.c_str(), value.size()));
    return platform::Narrow(value);
}

}  // namespace

std::string LoadLibraryPath() {
    return ReadText(nullptr);
}

std::vector<std::string> LoadRecentSets() {
    return ReadRecentSetsText(ReadText(RecentSetsName));
}

void StoreRecentSets(const std::vector<std::string>& paths) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    WriteText(key, RecentSetsName, platform::Widen(RecentSetsText(paths)));
    RegCloseKey(key);
}

bool StoreLibraryPath(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool written = WriteDefault(key, platform::Widen(path));
    RegCloseKey(key);
    return written;
}

ForgetResult ForgetLibraryPath() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Key, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return ForgetResult::NoKey;
    const bool written = WriteDefault(key, L"");
    RegCloseKey(key);
    return written ? ForgetResult::Forgotten : ForgetResult::WriteFailed;
}

}  // namespace brambex::win32
