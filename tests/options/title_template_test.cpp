#include "options/title_template.h"

#include <gtest/gtest.h>

#include <string>

#include <vector>

#include "options/merge_settings.h"

namespace brambex {
namespace {

class TitleTemplateTest : public ::testing::Test {
  protected:
    void SetUp() override { PlaceAtTitle("Call Me Ishmael"); }

    void PlaceAtTitle(const std::string& songTitle) { song_ = songTitle; }

    // True with the title; false with the message kept in messages.
    bool Expand(std::string_view pattern, int disc = 2, int track = 7) {
        std::optional<Message> refusal =
            ExpandTitleTemplate(settings, pattern, disc, track, song_, result);
        if (refusal)
            messages.push_back(*refusal);
        return !refusal;
    }

    MergeSettings settings;
    std::vector<Message> messages;
    std::string result;

  private:
    std::string song_;
};

struct ExpandCase {
    const char* album;
    const char* pattern;
    const char* title;
};

TEST_F(TitleTemplateTest, ExpandsCodesAndCopiesEverythingElse) {
    const ExpandCase cases[] = {
        {"Dune", "<disc>-<track> <book>", "2-7 Dune"},
        {"Dune_1", "<disc>-<track> <book>", "2-7 Dune_1"},
        {"Dune", "<album>", "Dune"},
        {"Dune+", "<book>/<album>", "Dune/Dune"},
        {"A+B+", "<book>", "A+B+"},
        {"+", "[<book>]", "[]"},
        {"Dune", "<song>", "Call Me Ishmael"},
        {"Dune", "Plain words", "Plain words"},
        {"Dune", "", ""},
        {"Dune", "a>b > <track>>", "a>b > 7>"},
        {"Dune", "Volume <disc", "Volume 2"},  // a code left open runs to the end
        {"Dune", "<track><track><disc>", "772"},
        {"Dune", "<disc> <book", "2 Dune"},
    };
    for (const auto& c : cases) {
        settings.choices.title = c.album;
        EXPECT_TRUE(Expand(c.pattern)) << c.pattern;
        EXPECT_EQ(result, c.title) << c.pattern;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(TitleTemplateTest, TrackNumbersHaveNoLeadingZeros) {
    EXPECT_TRUE(Expand("<disc>.<track>", 10, 100));
    EXPECT_EQ(result, "10.100");
    EXPECT_TRUE(Expand("<disc>.<track>", 1, 1));
    EXPECT_EQ(result, "1.1");
}

TEST_F(TitleTemplateTest, UnknownCodeStopsWithMessage) {
    const std::pair<const char*, const char*> cases[] = {
        {"<Disc>-<track>", "Unrecognized code: <Disc> ignored."},
        {"<>", "Unrecognized code: <> ignored."},
        {"<track> <Title>", "Unrecognized code: <Title> ignored."},
    };
    for (const auto& [pattern, message] : cases) {
        messages.clear();
        settings.choices.title = "x";
        EXPECT_FALSE(Expand(pattern)) << pattern;
        ASSERT_EQ(messages.size(), 1u) << pattern;
        EXPECT_EQ(messages[0].text, message);
        EXPECT_EQ(messages[0].caption, "Error");
        EXPECT_EQ(messages[0].kind, MessageKind::Error);
    }
}

TEST_F(TitleTemplateTest, LongResultIsCutOnCharacterBoundary) {
    // "ä" is two bytes: 200 of them make 400 bytes, so the cut at 255 falls inside one.
    std::string album;
    for (int i = 0; i < 200; ++i)
        album += "ä";
    settings.choices.title = album;
    ASSERT_TRUE(Expand("<book>"));
    EXPECT_EQ(result.size(), 254u);
    EXPECT_EQ(result, album.substr(0, 254));

    settings.choices.title = std::string(200, 'a');
    ASSERT_TRUE(Expand("<book><book>"));
    EXPECT_EQ(result, std::string(255, 'a'));

    // A bad code after the cut is still found.
    EXPECT_FALSE(Expand("<book><book><nope>"));
}

}  // namespace
}  // namespace brambex
