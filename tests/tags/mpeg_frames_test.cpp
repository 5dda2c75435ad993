// MPEG frame headers and the scan of a track's audio frames, over bytes built here and
// over files that lame makes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "support/mpeg_bytes.h"
#include "support/temp_tree.h"

namespace brambex::testing {
namespace {

TEST(MpegFrameHeader, ParsesTheStandardsTables) {
    using V = MpegVersion;
    const struct {
        std::uint32_t header;
        std::tuple<V, int, int, int, int, int, int, bool> parsed;  // up to length, samples, crc
    } cases[] = {
        {0xFFFB9064, {V::Mpeg1, 3, 128, 44100, 2, 417, 1152, false}},
        {0xFFFB9264, {V::Mpeg1, 3, 128, 44100, 2, 418, 1152, false}},
        {0xFFFA94C4, {V::Mpeg1, 3, 128, 48000, 1, 384, 1152, true}},
        {0xFFFBE800, {V::Mpeg1, 3, 320, 32000, 2, 1440, 1152, false}},
        {0xFFF38464, {V::Mpeg2, 3, 64, 24000, 2, 192, 576, false}},
        {0xFFE38464, {V::Mpeg25, 3, 64, 12000, 2, 384, 576, false}},
        {0xFFFD9004, {V::Mpeg1, 2, 160, 44100, 2, 522, 1152, false}},
        {0xFFFD10C4, {V::Mpeg1, 2, 32, 44100, 1, 104, 1152, false}},
        {0xFFFF9200, {V::Mpeg1, 1, 288, 44100, 2, 316, 384, false}},
        {0xFFF7E000, {V::Mpeg2, 1, 256, 22050, 2, 556, 384, false}},
    };
    for (const auto& c : cases) {
        const std::string bytes = HeaderBytes(c.header);
        MpegFrameHeader h;
        ASSERT_TRUE(h.Parse(reinterpret_cast<const unsigned char*>(bytes.data()))) << c.header;
        EXPECT_EQ(std::tuple(h.format.version, h.format.layer, h.bitrateKbps, h.format.sampleRate,
                             h.format.channels, h.length, h.format.SamplesPerFrame(), h.crc),
                  c.parsed)
            << c.header;
    }
}

TEST(MpegFrameHeader, RejectsFreeFormatAndReservedValues) {
    const std::uint32_t cases[] = {
        0xFEFB9064, 0xFF1B9064,  // no frame sync
        0xFFEB9064, 0xFFF99064,  // reserved version, layer
        0xFFFB0064, 0xFFFBF064,  // free format, bitrate index 15
        0xFFFB9C64, 0xFFFB9066,  // reserved sample rate, emphasis
        0xFFFD1004, 0xFFFDE0C4,  // layer II at 32 kbit/s in stereo, at 384 in mono
    };
    for (const std::uint32_t c : cases) {
        const std::string bytes = HeaderBytes(c);
        MpegFrameHeader h;
        EXPECT_FALSE(h.Parse(reinterpret_cast<const unsigned char*>(bytes.data()))) << c;
    }
}

TEST(MpegTrack, FindsTheFramesBetweenJunk) {
    // Junk before holds a frame sync whose frame is not followed by another.
    const std::string junk = HeaderBytes(Cbr128) + std::string(96, '\x22');
    const std::string vbri = Frame(Cbr128).replace(36, 4, "VBRI");
    const struct {
        std::string bytes;
        // frames start and end, junk before, after and inside, frame count, info frame
        std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t, std::int64_t,
                   std::uint64_t, InfoFrame>
            scanned;
    } cases[] = {
        {Frames(10), {0, 4170, 0, 0, 0, 10, InfoFrame::None}},
        {junk + Frames(10) + std::string(50, '\x33'), {100, 4270, 100, 50, 0, 10, InfoFrame::None}},
        // A truncated last frame is left out; junk between frames stays in.
        {Frames(10) + Frame(Cbr128).substr(0, 200), {0, 4170, 0, 200, 0, 10, InfoFrame::None}},
        {Frames(5) + std::string(37, '\x44') + Frames(5), {0, 4207, 0, 0, 37, 10, InfoFrame::None}},
        {LameInfoFrame("Xing", 0, 0) + Frames(10), {417, 4587, 0, 0, 0, 10, InfoFrame::Xing}},
        {junk + LameInfoFrame("Info", 0, 0) + Frames(3),
         {517, 1768, 100, 0, 0, 3, InfoFrame::Info}},
        {vbri + Frames(4), {417, 2085, 0, 0, 0, 4, InfoFrame::Vbri}},
    };
    // Read from memory, and looked at in place in a mapped file.
    TempTree folder;
    for (const bool mapped : {false, true}) {
        for (const auto& c : cases) {
            const TrackAudio t = mapped ? ScanFile(folder, c.bytes) : Scan(c.bytes);
            ASSERT_TRUE(t.Ok()) << &c - cases << mapped;
            EXPECT_EQ(std::tuple(t.framesStart, t.framesEnd, t.junkBefore, t.junkAfter,
                                 t.junkInside, t.frames, t.infoFrame),
                      c.scanned)
                << &c - cases << mapped;
            EXPECT_EQ(t.samples, t.frames * 1152);
        }
    }
    // Only the range counts: here, after a tag and before a trailer.
    const TrackAudio t = Scan("ID3 tag!" + Frames(3) + "TAG", 8, 8 + 3 * 417);
    EXPECT_EQ(std::tuple(t.framesStart, t.frames, t.junkAfter), std::tuple(8, 3u, 0));
}

// A mapped file is looked at a window at a time: frames across a window's edge count
// once, and junk there is stepped over as anywhere else.
TEST(MpegTrack, AMappedTrackLongerThanAWindowCountsEveryFrame) {
    TempTree folder;
    const std::string frames = Frames(3000) + std::string(37, '\x44') + Frames(3000);
    const TrackAudio t = ScanFile(folder, frames);
    EXPECT_EQ(std::tuple(t.frames, t.Bytes(), t.junkInside), std::tuple(6000u, frames.size(), 37));
    EXPECT_EQ(t.index.OffsetOf(3008, 6000, t.Bytes()), 3008u * 417 + 37);
}

TEST(MpegTrack, ReadsTheLameExtensionsDelayAndPadding) {
    const TrackAudio t = Scan(LameInfoFrame("Info", 576, 1234) + Frames(2));
    EXPECT_EQ(std::string(t.encoder.data(), 9), "LAME3.100");
    EXPECT_EQ(std::tuple(t.lameExtension, t.encoderDelay, t.encoderPadding),
              std::tuple(true, 576, 1234));
    // Bytes after a Xing tag that do not name LAME's or FFmpeg's libraries are not its fields.
    std::string unnamed = LameInfoFrame("Info", 576, 1234);
    unnamed.replace(36 + 120, 4, "XXXX");
    EXPECT_EQ(Scan(unnamed + Frames(2)).encoderDelay, 0);
}

TEST(MpegTrack, ABitrateChangeMakesTheTrackVariable) {
    EXPECT_TRUE(Scan(Frames(3)).constantBitrate);
    const TrackAudio t = Scan(Frames(2) + Frames(1, Vbr160) + Frames(2));
    EXPECT_EQ(std::tuple(t.constantBitrate, t.bitrateKbps, t.frames, t.Bytes()),
              std::tuple(false, 128, 5u, 4u * 417 + 522));
}

TEST(MpegTrack, WithoutAudioFramesTheTrackIsUnusable) {
    EXPECT_EQ(Scan(std::string(5000, '\x55')).status, TrackAudio::Status::NoFrames);
    EXPECT_EQ(Scan(LameInfoFrame("Info", 0, 0)).status, TrackAudio::Status::NoFrames);
    // A range past the end of the file cannot be read.
    EXPECT_EQ(Scan(Frames(3), 0, 100000).status, TrackAudio::Status::ReadFailed);
    TempTree folder;
    const TrackAudio t = ScanFile(folder, Frames(3), 0, 100000);
    EXPECT_EQ(std::tuple(t.status, t.error),
              std::tuple(TrackAudio::Status::ReadFailed, std::error_code()));
}

TEST(MpegTrack, TheFrameIndexStaysSmallAndFindsEveryFrame) {
    // Frames of 100 to 106 bytes: of 1000 the index keeps every eighth, and places the
    // others between them within one frame.
    FrameIndex index;
    std::uint64_t offsets[1001] = {};
    for (std::uint64_t i = 0; i < 1000; ++i) {
        index.Add(i, offsets[i]);
        offsets[i + 1] = offsets[i] + 100 + i % 7;
    }
    for (std::uint64_t i = 0; i <= 1000; ++i) {
        const std::uint64_t at = index.OffsetOf(i, 1000, offsets[1000]);
        EXPECT_TRUE(i % 8 != 0 || at == offsets[i]) << i;
        EXPECT_LE(at > offsets[i] ? at - offsets[i] : offsets[i] - at, 106u) << i;
    }
}

// ffprobe's count of packets, the delay lame writes, and the file's end agree with the scan.
TEST(MpegTrack, CountsTheFramesOfLamesOutput) {
#ifdef _WIN32
    GTEST_SKIP() << "lame and ffprobe run on the build machine";
#else
    if (std::system("(lame --version && ffmpeg -version && ffprobe -version) >/dev/null 2>&1")) {
        GTEST_SKIP() << "lame, ffmpeg or ffprobe is not installed";
    }
    TempTree folder;
    const std::string wav = folder.Path("tone.wav"), mp3 = folder.Path("tone.mp3");
    ASSERT_EQ(
        std::system(("ffmpeg -v error -f lavfi -i sine=duration=7 -ac 2 '" + wav + "'").c_str()),
        0);
    for (const std::string options : {"--preset cbr 64", "-V 5"}) {
        ASSERT_EQ(std::system(("lame --quiet " + options + " '" + wav + "' '" + mp3 + "'").c_str()),
                  0);
        FILE* probe = popen(("ffprobe -v error -count_packets -show_entries "
                             "stream=nb_read_packets -of csv=p=0 '" +
                             mp3 + "'")
                                .c_str(),
                            "r");
        ASSERT_NE(probe, nullptr);
        unsigned long packets = 0;
        EXPECT_EQ(std::fscanf(probe, "%lu", &packets), 1);
        pclose(probe);
        InputFile in;
        ASSERT_TRUE(in.Open(mp3));
        const TrackAudio t = ScanTrackAudio(in, 0, in.Size());
        EXPECT_EQ(std::tuple(t.frames, t.framesEnd, t.encoderDelay),
                  std::tuple(packets, in.Size(), 576))
            << options;
    }
#endif
}

}  // namespace
}  // namespace brambex::testing
