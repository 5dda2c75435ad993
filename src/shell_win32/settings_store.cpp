#include "shell_win32/settings_store.h"

#include <windows.h>

#include <cstdio>

#include "app/recent_sets.h"
#include "platform/win32.h"

namespace brambex::win32 {

namespace {

constexpr const wchar_t* Key = L"Software\\Halvern Labs\\Brambex";

constexpr const wchar_t* RecentSetsName = L"RecentSets";

constexpr const wchar_t* WindowKey = L"Software\\Halvern Labs\\Brambex Window";
constexpr const wchar_t* PlacementName = L"Placement";

bool WriteText(HKEY key, const wchar_t* name, const std::wstring& value) {
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool WriteDefault(HKEY key, const std::wstring& value) {
    return WriteText(key, nullptr, value);
}

// A text value of the key (the default value for no name); empty when it cannot be read.
std::string ReadText(const wchar_t* name, const wchar_t* key = Key) {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return {};
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS)
        return {};
    value.resize(wcsnlen(value.c_str(), value.size()));
    return platform::Narrow(value);
}

// Writes a text value, making the key where needed; false when that fails.
bool StoreText(const wchar_t* keyName, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool written = WriteText(key, name, value);
    RegCloseKey(key);
    return written;
}

}  // namespace

std::string LoadLibraryPath() {
    return ReadText(nullptr);
}

std::vector<std::string> LoadRecentSets() {
    return ReadRecentSetsText(ReadText(RecentSetsName));
}

void StoreRecentSets(const std::vector<std::string>& paths) {
    StoreText(Key, RecentSetsName, platform::Widen(RecentSetsText(paths)));
}

std::optional<RECT> LoadWindowPlacement() {
    // "left top right bottom"; anything else is no placement at all.
    RECT place{};
    char end = 0;
    const std::string text = ReadText(PlacementName, WindowKey);
    if (std::sscanf(text.c_str(), "%ld %ld %ld %ld%c", &place.left, &place.top, &place.right,
                    &place.bottom, &end) != 4 ||
        place.right <= place.left || place.bottom <= place.top)
        return std::nullopt;
    return place;
}

void StoreWindowPlacement(const RECT& place) {
    StoreText(WindowKey, PlacementName,
              std::to_wstring(place.left) + L" " + std::to_wstring(place.top) + L" " +
                  std::to_wstring(place.right) + L" " + std::to_wstring(place.bottom));
}

bool StoreLibraryPath(const std::string& path) {
    return StoreText(Key, nullptr, platform::Widen(path));
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
