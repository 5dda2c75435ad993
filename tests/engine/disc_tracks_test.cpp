// Which files of a disc folder are its tracks, and the title part of a track's name.
#include "engine/disc_tracks.h"

#include <gtest/gtest.h>

#include <utility>

namespace brambex {
namespace {

TEST(TrackTitlePart, CutsNumberAndExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"03 Chapter Three.mp3", "Chapter Three"},
        {"05.mp3", "05"},
        {"05 Song.MP3", "Song"},
        {"06 Live.mp3 Remix.mp3", "Live"},
        {"07Song.mp3", "07Song"},
        {"100 Hundred.mp3", "100 Hundred"},
        {"08 .Mp3", ""},
    };
    for (const auto& [name, title] : cases)
        EXPECT_EQ(TrackTitlePart(name), title) << name;
}

}  // namespace
}  // namespace brambex
