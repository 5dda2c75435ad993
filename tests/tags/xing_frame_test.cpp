// The Xing/Info frame of a joined book and the sums and seek table it is made from.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/mpeg_bytes.h"
#include "support/same_bytes.h"
#include "tags/xing_frame.h"

namespace brambex::testing {
namespace {

std::string Hex(const char* hex) {
    std::string bytes;
    for (const char* p = hex; p[0] != '\0' && p[1] != '\0'; p += p[0] == ' ' ? 1 : 2) {
        if (p[0] != ' ') {
            bytes += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
        }
    }
    return bytes;
}

std::string Bytes(const std::vector<unsigned char>& v) {
    return {v.begin(), v.end()};
}

XingFields CbrFields() {
    XingFields f;
    f.format = {MpegVersion::Mpeg2, 3, 24000, 2};
    f.bitrateKbps = 64;
    f.streamKbps = 48;
    f.frames = 419;
    f.bytes = 80640;
    for (int i = 0; i < 100; ++i) {
        f.toc[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(2 * i + 1);
    }
    f.quality = 57;
    f.encoderDelay = 576;
    f.encoderPadding = 768;
    f.encoder = {'L', 'A', 'M', 'E', '3', '.', '1', '0', '0'};
    return f;
}

TEST(XingFrame, InfoFrameBytes) {
    std::string toc;
    for (int i = 0; i < 100; ++i) {
        toc += static_cast<char>(2 * i + 1);
    }
    const std::string expected =
        Hex("FFF38440") + std::string(17, '\0') + "Info" + Hex("0000000F000001A300013B00") + toc +
        Hex("00000039") + "LAME3.100" +
        // method, lowpass, peak, replay gains, flags, bitrate, delay and
        // padding, misc, gain, preset, music length, music CRC, tag CRC
        Hex("01 00 00000000 00000000 00 30 240300 00 00 0000 00013B00 0000 567D") +
        std::string(15, '\0');
    EXPECT_TRUE(SameBytes(Bytes(RenderXingFrame(CbrFields())), expected));
}

TEST(XingFrame, VariableBitrateAndCountsPast32Bits) {
    XingFields f = CbrFields();
    f.constantBitrate = false;
    f.encoderDelay = 5000;
    f.bytes = 0x100000000;
    const std::string frame = Bytes(RenderXingFrame(f));
    ASSERT_EQ(frame.size(), 192u);
    // Frames and quality only; the LAME extension follows them.
    EXPECT_EQ(frame.substr(21, 16), "Xing" + Hex("00000009000001A300000039"));
    EXPECT_EQ(frame.substr(37, 9), "LAME3.100");
    EXPECT_EQ(frame.substr(37 + 9, 1), Hex("00"));
    EXPECT_EQ(frame.substr(37 + 21, 3), Hex("FFF300"));
    EXPECT_EQ(frame.substr(37 + 28, 4), Hex("00000000"));
}

TEST(XingFrame, BitrateHoldsTheTag) {
    const MpegFormat mpeg1{MpegVersion::Mpeg1, 3, 44100, 2};
    const MpegFormat mono{MpegVersion::Mpeg1, 3, 48000, 1};
    const MpegFormat mpeg25{MpegVersion::Mpeg25, 3, 8000, 2};
    EXPECT_EQ(XingFrameBitrate(mpeg1, 128), 128);
    EXPECT_EQ(XingFrameBitrate(mpeg1, 48), 64);  // 156 bytes < 36 + 156
    EXPECT_EQ(XingFrameBitrate(mpeg1, 0), 64);
    EXPECT_EQ(XingFrameBitrate(mono, 0), 64);  // 56 kbit/s: 168 bytes < 21 + 156
    EXPECT_EQ(XingFrameBitrate(mpeg25, 0), 24);
    EXPECT_EQ(XingFrameBitrate({MpegVersion::Mpeg1, 2, 44100, 2}, 128), 0);
}

TEST(XingFrame, TocPlacesEachPercentInItsTrack) {
    // 60 frames of 192 bytes, then 40 of 384, behind 192 bytes: 27072 in all.
    const std::vector<TrackAudio> tracks = {Scan(Frames(60, 0xFFFB5464)),
                                            Scan(Frames(40, 0xFFFB9464))};
    const auto toc = BookToc(tracks, 192);
    EXPECT_EQ(toc[0], 1);    // 192 * 256 / 27072
    EXPECT_EQ(toc[50], 92);  // (192 + 50 * 192) * 256 / 27072
    EXPECT_EQ(toc[60], 110);
    EXPECT_EQ(toc[99], 252);  // (192 + 60 * 192 + 39 * 384) * 256 / 27072
}

TEST(XingFrame, ABooksFrameReadsBackAsItsInfoFrame) {
    const std::vector<TrackAudio> tracks = {Scan(LameInfoFrame("Info", 576, 0) + Frames(3)),
                                            Scan(LameInfoFrame("Info", 576, 1105) + Frames(2))};
    const std::vector<unsigned char> frame = BookXingFrame(JoinTrackAudio(tracks), tracks);
    ASSERT_EQ(frame.size(), 417u);
    const TrackAudio book = Scan(Bytes(frame) + Frames(5));
    EXPECT_EQ(std::tuple(book.infoFrame, book.encoderDelay, book.encoderPadding, book.frames),
              std::tuple(InfoFrame::Info, 576, 1105, 5u));
    EXPECT_EQ(Bytes(frame).substr(36 + 8, 8), Hex("00000005000009C6"));  // 5 frames, 6 * 417 bytes
}

}  // namespace
}  // namespace brambex::testing
