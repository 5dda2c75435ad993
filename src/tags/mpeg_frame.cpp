#include "tags/mpeg_frame.h"

namespace brambex {

namespace {

// The bitrate tables of ISO/IEC 11172-3 and 13818-3 (kbit/s), from index 1 to 14.
constexpr std::uint16_t Mpeg1Layer1[14] = {32,  64,  96,  128, 160, 192, 224,
                                           256, 288, 320, 352, 384, 416, 448};
constexpr std::uint16_t Mpeg1Layer2[14] = {32,  48,  56,  64,  80,  96,  112,
                                           128, 160, 192, 224, 256, 320, 384};
constexpr std::uint16_t Mpeg1Layer3[14] = {32,  40,  48,  56,  64,  80,  96,
                                           112, 128, 160, 192, 224, 256, 320};
constexpr std::uint16_t Mpeg2Layer1[14] = {32,  48,  56,  64,  80,  96,  112,
                                           128, 144, 160, 176, 192, 224, 256};
constexpr std::uint16_t Mpeg2Layer23[14] = {8,  16, 24, 32,  40,  48,  56,
                                            64, 80, 96, 112, 128, 144, 160};

constexpr int SampleRates[3] = {44100, 48000, 32000};

// The two bits of the version field, in the order of MpegVersion; 01 is reserved.
constexpr unsigned VersionBits[3] = {3, 2, 0};

// MPEG 1 layer II leaves out some pairs of bitrate and channel mode.
bool Mpeg1Layer2Allows(int kbps, bool mono) {
    if (kbps == 32 || kbps == 48 || kbps == 56 || kbps == 80) {
        return mono;
    }
    return kbps < 224 || !mono;
}

}  // namespace

int MpegFormat::SamplesPerFrame() const {
    if (layer == 1) {
        return 384;
    }
    return layer == 3 && version != MpegVersion::Mpeg1 ? 576 : 1152;
}

const std::uint16_t* MpegBitrates(const MpegFormat& format) {
    if (format.version == MpegVersion::Mpeg1) {
        return format.layer == 1 ? Mpeg1Layer1 : format.layer == 2 ? Mpeg1Layer2 : Mpeg1Layer3;
    }
    return format.layer == 1 ? Mpeg2Layer1 : Mpeg2Layer23;
}

int MpegFrameLength(const MpegFormat& format, int bitrateKbps) {
    const long bits = 1000L * bitrateKbps;
    if (format.layer == 1) {
        return static_cast<int>(12 * bits / format.sampleRate * 4);
    }
    const bool half = format.layer == 3 && format.version != MpegVersion::Mpeg1;
    return static_cast<int>((half ? 72 : 144) * bits / format.sampleRate);
}

bool MpegFrameHeader::Parse(const unsigned char* p) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) {
        return false;
    }
    const unsigned versionBits = (p[1] >> 3) & 3u;
    const unsigned layerBits = (p[1] >> 1) & 3u;
    const unsigned bitrateIndex = p[2] >> 4;
    const unsigned rateIndex = (p[2] >> 2) & 3u;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3 || (p[3] & 3u) == 2) {
        return false;
    }
    format.version = versionBits == 3   ? MpegVersion::Mpeg1
                     : versionBits == 2 ? MpegVersion::Mpeg2
                                        : MpegVersion::Mpeg25;
    format.layer = 4 - static_cast<int>(layerBits);
    const int divisor = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 4;
    format.sampleRate = SampleRates[rateIndex] / divisor;
    channelMode = static_cast<ChannelMode>(p[3] >> 6);
    format.channels = channelMode == Mono ? 1 : 2;
    bitrateKbps = MpegBitrates(format)[bitrateIndex - 1];
    if (format.version == MpegVersion::Mpeg1 && format.layer == 2 &&
        !Mpeg1Layer2Allows(bitrateKbps, channelMode == Mono)) {
        return false;
    }
    padding = (p[2] & 2u) != 0;
    crc = (p[1] & 1u) == 0;
    length = MpegFrameLength(format, bitrateKbps) + (padding ? (format.layer == 1 ? 4 : 1) : 0);
    return true;
}

void MpegFrameHeader::Render(unsigned char* p) const {
    const std::uint16_t* rates = MpegBitrates(format);
    unsigned bitrateIndex = 1;
    while (bitrateIndex < 14 && rates[bitrateIndex - 1] != bitrateKbps) {
        ++bitrateIndex;
    }
    const int divisor = format.version == MpegVersion::Mpeg1   ? 1
                        : format.version == MpegVersion::Mpeg2 ? 2
                                                               : 4;
    unsigned rateIndex = 0;
    while (rateIndex < 2 && SampleRates[rateIndex] / divisor != format.sampleRate) {
        ++rateIndex;
    }
    const unsigned layerBits = static_cast<unsigned>(4 - format.layer);
    p[0] = 0xFF;
    p[1] = static_cast<unsigned char>(0xE0 | VersionBits[static_cast<int>(format.version)] << 3 |
                                      layerBits << 1 | (crc ? 0u : 1u));
    p[2] = static_cast<unsigned char>(bitrateIndex << 4 | rateIndex << 2 | (padding ? 2u : 0u));
    p[3] = static_cast<unsigned char>(static_cast<unsigned>(channelMode) << 6);
}

int MpegFrameHeader::SideInfoSize() const {
    const int size = format.version == MpegVersion::Mpeg1 ? (format.channels == 1 ? 17 : 32)
                                                          : (format.channels == 1 ? 9 : 17);
    return size + (crc ? 2 : 0);
}

}  // namespace brambex
