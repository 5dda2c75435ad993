// Names listed as the windows' list sorts them: letter case and Unicode form aside.
#include "app/sorted_names.h"

#include <gtest/gtest.h>

namespace brambex {
namespace {

TEST(SortedNames, FolderListIsSortedLikeTheWindowsList) {
    EXPECT_EQ(SortedNames({"Set Disc 2", "Set Disc 10", "set disc 3", "Set Disc 1"}),
              (std::vector<std::string>{"Set Disc 1", "Set Disc 10", "Set Disc 2", "set disc 3"}));
    // "Café Disc 2" with its accent written apart sorts beside its siblings, not before
    // "Cafz" as its bare "e" would.
    EXPECT_EQ(SortedNames({"Cafe\xCC\x81 Disc 2", "Caf\xC3\xA9 Disc 3", "Caf\xC3\xA9 Disc 1",
                           "Cafz Disc 1"}),
              (std::vector<std::string>{"Cafz Disc 1", "Caf\xC3\xA9 Disc 1", "Cafe\xCC\x81 Disc 2",
                                        "Caf\xC3\xA9 Disc 3"}));
}

}  // namespace
}  // namespace brambex
