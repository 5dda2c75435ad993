// Names with their control characters shown harmlessly.
#include "app/shown_text.h"

#include <gtest/gtest.h>

namespace brambex {
namespace {

TEST(ShownText, ControlCharactersOfNamesShowAsQuestionMarks) {
    const struct {
        const char* text;
        bool keepLineBreaks;
        const char* shown;
    } cases[] = {
        {"Set\x1b[2J Disc 1", false, "Set?[2J Disc 1"},
        {"two\nlines\ttab\x7f", false, "two?lines?tab?"},
        {"two\nlines\r", true, "two\nlines?"},
        {"C1 \u0085\u009b end", false, "C1 ?? end"},
        {"bad \xff\x9b bytes \xe2\x82", false, "bad ?? bytes ??"},
        {"Bj\u00f6rk \ufffd \U0001F3B5 AC\\DC", false, "Bj\u00f6rk \ufffd \U0001F3B5 AC\\DC"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EscapedControls(c.text, c.keepLineBreaks), c.shown) << c.text;
}

}  // namespace
}  // namespace brambex
