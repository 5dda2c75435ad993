#include "tags/frame_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace brambex {
namespace {

TEST(FrameConversion, GenresByNumberBecomeNames) {
    const struct {
        std::string_view genres;
        std::string_view names;
    } cases[] = {
        {"17", "Rock"},
        {"(17)(12)Rock", "Rock/Other/Rock"},
        {"(17)Rock/17", "Rock"},  // a name that repeats the last is dropped
        {"(RX)/CR", "Remix/Cover"},
        {"(17)Spoken", "Rock/Spoken"},
        {"126/0x11/rock", "126/0x11/rock"},
        {"(999)", "999"},
        {"//", ""},
        {"(", "("},
    };
    for (const auto& c : cases) {
        char out[64];
        EXPECT_EQ(std::string_view(out, GenreNames(c.genres, out, sizeof out)), c.names)
            << c.genres;
    }
    char small[6];
    EXPECT_EQ(std::string_view(small, GenreNames("17/12", small, sizeof small)), "Rock");
}

TEST(FrameConversion, VolumeAdjustmentOfTheMasterChannel) {
    const struct {
        std::string body;
        bool read;
        bool album;
        std::string_view gain;
        std::string_view peak;
    } cases[] = {
        {std::string("track\0\x01\xF3\x99\x10\x7E\x89", 12), true, false, "-6.20 dB", "0.988556"},
        {std::string("ALBUM\0\x01\x01\x00\x00", 10), true, true, "0.50 dB", "0.000000"},
        // The master channel after another; a peak of 32 bits.
        {std::string("x\0\x02\0\0\x08\x01\x01\0\0\x20\x80\0\0\0", 16), true, false, "0.00 dB",
         "1.000000"},
        // Hostile: no master channel, a peak past the end, no identification's end.
        {std::string("x\0\x02\0\0\0", 6), false, false, "", ""},
        {std::string("x\0\x01\0\0\x10\x7E", 7), false, false, "", ""},
        {"track", false, false, "", ""},
        {"", false, false, "", ""},
    };
    for (const auto& c : cases) {
        VolumeAdjustment volume;
        const auto* in = reinterpret_cast<const unsigned char*>(c.body.data());
        EXPECT_EQ(ReadVolumeAdjustment(in, c.body.size(), volume), c.read) << c.body;
        if (c.read) {
            EXPECT_EQ(volume.album, c.album) << c.body;
            EXPECT_EQ(std::string_view(volume.gain), c.gain) << c.body;
            EXPECT_EQ(std::string_view(volume.peak), c.peak) << c.body;
        }
    }
}

TEST(FrameConversion, TimeStampsSplitIntoYearDateAndTime) {
    const struct {
        std::string_view stamp;
        std::string_view year, date, time;
    } cases[] = {
        {"2019-03-07T10:20:30", "2019", "0703", "1020"},
        {"2019-03", "2019", "", ""},
        {"2001-05-03T00", "2001", "0305", "0000"},
        {"0000-01-02", "", "0201", ""},
        {"123456789", "9999", "", ""},
        {"1999x-01-01", "1999", "", ""},
        {"T10:20", "", "", ""},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        const Id3Date date = SplitTimeStamp(c.stamp);
        EXPECT_EQ(std::string_view(date.year), c.year) << c.stamp;
        EXPECT_EQ(std::string_view(date.date), c.date) << c.stamp;
        EXPECT_EQ(std::string_view(date.time), c.time) << c.stamp;
    }
}

}  // namespace
}  // namespace brambex
