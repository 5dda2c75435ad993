// Where a merge finds the M4B encoder's module, and what it says, writing nothing, when
// the module there cannot be used.
#ifdef BRAMBEX_M4B

#include "engine/m4b_writer.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "engine/m4b_encoder.h"
#include "engine/merge_session.h"
#include "platform/loadable_module.h"
#include "support/fake_front_end.h"
#include "support/mpeg_bytes.h"
#include "support/temp_tree.h"

namespace brambex {
namespace {

TEST(M4bEncoder, TheModuleIsFoundBesideTheProgramInstalledOrInTheBuildTree) {
    EXPECT_EQ(M4bModulePath("/usr/bin/brambex", ""), "/usr/lib/brambex/brambex-m4b.so");
    EXPECT_EQ(M4bModulePath("/usr/bin/brambex", "/tmp/m.so"), "/tmp/m.so");
    // Never a path taken from the current folder.
    EXPECT_EQ(M4bModulePath("", nullptr), "");
    EXPECT_EQ(M4bModulePath("brambex", nullptr), "");
    // This test runs in the build tree, and loads the module built there.
    const std::string built = M4bModulePath(platform::ExecutablePath(), nullptr);
    const std::string inTree = "/src/m4b/brambex-m4b.so";
    ASSERT_TRUE(built.ends_with(inTree)) << built;
    // A folder whose name only begins with the build tree's is not in it.
    const std::string other = built.substr(0, built.size() - inTree.size()) + "2";
    EXPECT_EQ(M4bModulePath(other + "/bin/brambex", nullptr),
              other + "/lib/brambex/brambex-m4b.so");
    const M4bEncoder encoder = LoadM4bEncoder();
    ASSERT_NE(encoder.functions, nullptr) << encoder.reason;
    EXPECT_EQ(encoder.path, built);
}

// The module looked for by a merge, for as long as the test runs.
class ModuleOverride {
  public:
    explicit ModuleOverride(const std::string& path) {
        setenv("BRAMBEX_M4B_MODULE", path.c_str(), 1);
    }
    ~ModuleOverride() { unsetenv("BRAMBEX_M4B_MODULE"); }
};

TEST(M4bWriter, AModuleThatCannotBeUsedStopsTheMergeBeforeAnythingIsWritten) {
    testing::TempTree tree;
    tree.File("Moby Dick Disc 1/01 A.mp3", testing::Frames(10));
    struct Case {
        std::string module, reason;
    };
    const Case cases[] = {
        {tree.Path("none.so"), "cannot open shared object file: No such file or directory"},
        {"libc.so.6", "it is not the M4B encoder of Brambex"},
        {STALE_M4B_MODULE, "it comes from another build of Brambex"},
    };
    for (const Case& c : cases) {
        const ModuleOverride module(c.module);
        testing::FakeFrontEnd ui;
        MergeSession session{ui};
        session.Settings().choices.format = OutputFormat::M4bBook;
        ASSERT_TRUE(session.Scan(tree.Path("Moby Dick Disc 1")).Completed());
        const MergeOutcome outcome = session.Merge(ui.cancel, nullptr);
        EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Stopped) << c.module;
        EXPECT_EQ(outcome.stoppedAt, c.module);
        ASSERT_EQ(ui.messages.size(), 1u) << c.module;
        EXPECT_EQ(ui.messages[0].caption, c.module);
        EXPECT_EQ(ui.messages[0].text,
                  "Could not load the M4B encoder, so no M4B book was written (" + c.reason + ")");
        EXPECT_FALSE(tree.Exists("Moby Dick"));
    }
}

}  // namespace
}  // namespace brambex

#endif
