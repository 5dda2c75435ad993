// The words that say what the typed answers chose and what the form would have shown,
// and the typed Yes.
#include "app/typed_answers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "options/merge_options_form.h"
#include "options/merge_settings.h"
#include "platform/file_system.h"

namespace brambex {
namespace {

TEST(TypedAnswers, AnUnreadableFirstTrackIsNotedWithItsReason) {
    for (const std::error_code error :
         {platform::SystemError(ENAMETOOLONG), platform::NotARegularFile()}) {
        MergeSettings settings;
        settings.firstTrackPath = "/m/Set Disc 1/01 x.mp3";
        settings.firstTrackError = error;
        MergeOptionsForm form(settings);
        form.SetUp();
        const std::vector<std::string> notes = MergeOptionsNotes(form);
        ASSERT_FALSE(notes.empty());
        for (const std::string& note : notes)  // in place of the note on the empty artist
            EXPECT_EQ(note.find("names no artist"), std::string::npos) << note;
        EXPECT_EQ(notes[0], std::string("Note: the first track \"/m/Set Disc 1/01 x.mp3\" could "
                                        "not be read (") +
                                (error == std::errc::filename_too_long ? "the path is too long"
                                                                       : "not a regular file") +
                                "), so its tags give no artist, album or genre.");
    }
}

TEST(TypedAnswers, OnlyYOrYesIsYes) {
    const std::pair<const char*, bool> cases[] = {
        {"y", true},  {"YES", true}, {"  Yes \r", true}, {"\ty", true},   {"", false},
        {"n", false}, {"ye", false}, {"yes!", false},    {"y es", false},
    };
    for (const auto& [line, yes] : cases)
        EXPECT_EQ(IsYesAnswer(line), yes) << line;
}

}  // namespace
}  // namespace brambex
