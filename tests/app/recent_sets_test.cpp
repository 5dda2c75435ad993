// The recent sets' list: its order, its length, and one entry per set.
#include "app/recent_sets.h"

#include <gtest/gtest.h>

namespace brambex {
namespace {

using Paths = std::vector<std::string>;

#ifdef _WIN32
constexpr bool CaseTellsPathsApart = false;
#else
constexpr bool CaseTellsPathsApart = true;
#endif

TEST(RecentSetsTest, TheLatestComesFirstAndEachSetOnce) {
    struct Case {
        const char* name;
        Paths kept;
        const char* added;
        Paths expected;
    };
    Paths eleven;
    for (int i = 1; i <= 11; ++i)
        eleven.push_back("/s/" + std::to_string(i));
    const Paths firstTen(eleven.begin(), eleven.begin() + 10);
    Paths newTen{"/s/new"};
    newTen.insert(newTen.end(), eleven.begin(), eleven.begin() + 9);
    const Case cases[] = {
        {"first", {}, "/a", {"/a"}},
        {"newest first", {"/a", "/b"}, "/c", {"/c", "/a", "/b"}},
        {"chosen again moves up", {"/a", "/b", "/c"}, "/c", {"/c", "/a", "/b"}},
        {"ten at most as kept", eleven, "", firstTen},
        {"the oldest falls off", eleven, "/s/new", newTen},
        {"a repeat kept is taken once", {"/a", "/b", "/a"}, "", {"/a", "/b"}},
        {"an empty path is no set", {"", "/a"}, "", {"/a"}},
        {"letter case",
         {"/Books/Dune Disc 1"},
         "/books/dune disc 1",
         CaseTellsPathsApart ? Paths{"/books/dune disc 1", "/Books/Dune Disc 1"}
                             : Paths{"/books/dune disc 1"}},
    };
    for (const Case& c : cases) {
        RecentSets recent(c.kept);
        recent.Add(c.added);
        EXPECT_EQ(recent.Paths(), c.expected) << c.name;
    }
}

TEST(RecentSetsTest, ASetGoneLeavesTheList) {
    RecentSets recent({"/a", "/b", "/c"});
    recent.Remove("/b");
    EXPECT_EQ(recent.Paths(), (Paths{"/a", "/c"}));
    recent.Clear();
    EXPECT_TRUE(recent.Paths().empty());
}

// The settings keep the list as JSON, which the Qt program's JSON reader and writer
// read and write alike on the same Windows key.
TEST(RecentSetsTest, TheKeptTextGivesBackEveryPath) {
    const Paths paths{"C:\\Books\\Dune \"Deluxe\" Disc 1", "/ö/tab\there", "/a\nb", ""};
    EXPECT_EQ(RecentSetsText(paths), R"(["C:\\Books\\Dune \"Deluxe\" Disc 1","/ö/tab\u0009here",)"
                                     R"("/a\u000ab",""])");
    EXPECT_EQ(ReadRecentSetsText(RecentSetsText(paths)), paths);
    EXPECT_EQ(ReadRecentSetsText(RecentSetsText({})), Paths{});
}

TEST(RecentSetsTest, KeptTextReadsAsJsonDoes) {
    const struct {
        const char* text;
        Paths paths;
    } cases[] = {
        {R"( [ "/a" , "/b\/c\t" ] )", {"/a", "/b/c\t"}},
        {R"(["\u00e9\ud83c\udfb5"])", {"é\xF0\x9F\x8E\xB5"}},
        // What is not a list of strings keeps nothing.
        {"", {}},
        {R"("/a")", {}},
        {R"(["/a", 1])", {}},
        {R"(["/a")", {}},
        {R"(["/a"] x)", {}},
        {R"(["\ud83c"])", {}},
        {R"(["\q"])", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadRecentSetsText(c.text), c.paths) << c.text;
}

}  // namespace
}  // namespace brambex
