// A folder named on a command line: why it cannot be used.
#include "app/chosen_folder.h"

#include <gtest/gtest.h>

#include "support/temp_tree.h"

namespace brambex {
namespace {

TEST(ChosenFolder, ThatIsNoFolderIsSaidWithTheReasonWhereThereIsOne) {
    testing::TempTree tree;
    const std::string file = tree.File("notes.txt", "x");
    EXPECT_EQ(ChosenFolderProblem(file), file + " is not a folder");
    const std::string gone = tree.Path("gone");
    EXPECT_EQ(ChosenFolderProblem(gone), gone + " is not a folder (No such file or directory)");
}

}  // namespace
}  // namespace brambex
