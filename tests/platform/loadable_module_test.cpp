// Modules loaded while the program runs: a system library hands out its functions, a
// file that is no module is refused with the loader's reason.
#include "platform/loadable_module.h"

#include <gtest/gtest.h>

#include "support/temp_tree.h"

namespace brambex::platform {
namespace {

#ifdef _WIN32
constexpr char SystemLibrary[] = "kernel32.dll", SystemFunction[] = "GetTickCount";
constexpr char Program[] = "\\platform_tests.exe";
#else
constexpr char SystemLibrary[] = "libc.so.6", SystemFunction[] = "strlen";
constexpr char Program[] = "/platform_tests";
#endif

TEST(LoadableModule, ASystemLibraryLoadsAndHandsOutItsFunctions) {
    const LoadedModule module = LoadModule(SystemLibrary);
    ASSERT_TRUE(module) << module.reason;
    EXPECT_NE(ModuleFunction(module, SystemFunction), nullptr);
    EXPECT_EQ(ModuleFunction(module, "NoSuchFunction"), nullptr);
    EXPECT_EQ(ModuleFunction(LoadedModule{}, SystemFunction), nullptr);
}

TEST(LoadableModule, WhatIsNoModuleIsRefusedWithTheLoadersReasonAlone) {
    testing::TempTree tree;
    const std::string paths[] = {tree.Path("none.so"),
                                 tree.File("text.so", std::string(4096, 'x'))};
    for (const std::string& path : paths) {
        const LoadedModule module = LoadModule(path);
        EXPECT_FALSE(module) << path;
        EXPECT_FALSE(module.reason.empty()) << path;
        EXPECT_FALSE(module.reason.starts_with(path)) << module.reason;
    }
}

TEST(LoadableModule, TheProgramKnowsItsOwnFile) {
    EXPECT_TRUE(ExecutablePath().ends_with(Program)) << ExecutablePath();
}

}  // namespace
}  // namespace brambex::platform
