// A joined book's sums and times, from its tracks' scans.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/mpeg_bytes.h"
#include "tags/book_audio.h"

namespace brambex::testing {
namespace {

// 3, 2 and 4 frames of 1152 samples at 44.1 kHz.
std::vector<TrackAudio> Book() {
    return {Scan(LameInfoFrame("Info", 576, 100) + Frames(3)), Scan(Frames(2)),
            Scan(LameInfoFrame("Info", 576, 1000) + Frames(4))};
}

TEST(BookAudio, JoinsTracksOfOneFormat) {
    const TrackAudio first = Book()[0], last = Book()[2], faster = Scan(Frames(2, Vbr160));
    const BookAudio b = JoinTrackAudio(Book());
    EXPECT_EQ(std::tuple(b.status, b.frames, b.bytes, b.samples, b.constantBitrate),
              std::tuple(BookAudio::Status::Ok, 9u, 9u * 417, 9u * 1152, true));
    EXPECT_EQ(std::tuple(b.encoderDelay, b.encoderPadding), std::tuple(576, 1000));
    EXPECT_FALSE(JoinTrackAudio(std::vector<TrackAudio>{first, faster}).constantBitrate);

    const struct {
        std::vector<TrackAudio> tracks;
        BookAudio::Status status;
        std::size_t track;
    } cases[] = {{{}, BookAudio::Status::NoTracks, 0},
                 {{first, Scan(Frames(2, 0xFFFB9464))}, BookAudio::Status::Differs, 1},
                 {{first, last, Scan("no audio")}, BookAudio::Status::Unusable, 2}};
    for (const auto& c : cases) {
        const BookAudio joined = JoinTrackAudio(c.tracks);
        EXPECT_EQ(std::tuple(joined.status, joined.track), std::tuple(c.status, c.track));
    }
}

TEST(BookAudio, ChaptersStartAfterTheDelayThatDecodersSkip) {
    const std::vector<TrackAudio> tracks = Book();
    const BookAudio book = JoinTrackAudio(tracks);
    // 0, 3456 - 576 and 5760 - 576 samples; 10368 - 576 - 1000 in all.
    EXPECT_EQ(TrackStartsMs(book, tracks), (std::vector<std::uint32_t>{0, 65, 118}));
    EXPECT_EQ(BookLengthMs(book), 199u);
}

}  // namespace
}  // namespace brambex::testing
