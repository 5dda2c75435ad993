// The Win32 program's settings in the registry: where the Qt program on Windows reads
// them (the key's default value for the library path, "RecentSets" for the recent
// sets), what Forget does to a key that is not there, and the main window's place. The user's own
// key is never touched: HKEY_CURRENT_USER is mapped to a key of the test's own.
#include "shell_win32/settings_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/recent_sets.h"
#include "platform/win32.h"

namespace brambex::win32 {
namespace {

constexpr const wchar_t* Key = L"Software\\Halvern Labs\\Brambex";

class SettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = L"Software\\Brambex Tests\\" + std::to_wstring(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, root_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &user_, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, user_), ERROR_SUCCESS);
    }
    void TearDown() override {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(user_);
        RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
        // Gone with the last test's own key.
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Brambex Tests");
    }

    // A text value as the Qt program reads it; empty for none.
    static std::string Value(const wchar_t* name, const wchar_t* key = Key) {
        wchar_t text[1024] = {};
        DWORD bytes = sizeof text;
        if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
            ERROR_SUCCESS)
            return {};
        return platform::Narrow(text);
    }

    std::wstring root_;
    HKEY user_ = nullptr;
};

TEST_F(SettingsStoreTest, TheLibraryPathIsTheKeysDefaultValue) {
    EXPECT_EQ(ForgetLibraryPath(), ForgetResult::NoKey);
    EXPECT_EQ(LoadLibraryPath(), "");
    ASSERT_TRUE(StoreLibraryPath("C:\\Music\\Hörbücher"));
    EXPECT_EQ(Value(nullptr), "C:\\Music\\Hörbücher");
    EXPECT_EQ(LoadLibraryPath(), "C:\\Music\\Hörbücher");
    EXPECT_EQ(ForgetLibraryPath(), ForgetResult::Forgotten);
    EXPECT_EQ(LoadLibraryPath(), "");
}

TEST_F(SettingsStoreTest, TheRecentSetsAreOneValueBesideIt) {
    const std::vector<std::string> paths{"C:\\Books\\Dune Disc 1", "D:\\Über \"alles\" CD1"};
    StoreRecentSets(paths);
    EXPECT_EQ(Value(L"RecentSets"), RecentSetsText(paths));
    EXPECT_EQ(LoadRecentSets(), paths);
    EXPECT_EQ(Value(nullptr), "");
}

TEST_F(SettingsStoreTest, TheWindowsPlaceIsTheWindowKeysPlacement) {
    constexpr const wchar_t* WindowKey = L"Software\\Halvern Labs\\Brambex Window";
    EXPECT_FALSE(LoadWindowPlacement());
    // A monitor left of the primary one has negative coordinates.
    StoreWindowPlacement(RECT{-1200, 40, -400, 700});
    EXPECT_EQ(Value(L"Placement", WindowKey), "-1200 40 -400 700");
    const std::optional<RECT> place = LoadWindowPlacement();
    ASSERT_TRUE(place);
    EXPECT_EQ(std::vector<LONG>({place->left, place->top, place->right, place->bottom}),
              std::vector<LONG>({-1200, 40, -400, 700}));
    // Whatever else the value holds places the window nowhere.
    for (const wchar_t* text : {L"1 2 3", L"1 2 3 4 5", L"10 2 5 20", L"1 20 5 20", L"a b c d"}) {
        RegSetKeyValueW(HKEY_CURRENT_USER, WindowKey, L"Placement", REG_SZ, text,
                        static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
        EXPECT_FALSE(LoadWindowPlacement()) << platform::Narrow(text);
    }
}

}  // namespace
}  // namespace brambex::win32
