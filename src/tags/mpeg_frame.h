// The four-byte header in front of every MPEG audio frame (MPEG 1, 2 and 2.5; layers
// I, II and III): what the frame holds and how long it is. A joined book is built
// from these: the track scan jumps from one header to the next, and the book's
// Xing/Info frame gets a header of its own.
//
// Free-format frames (bitrate index 0) and reserved values (version, layer, bitrate
// index 15, sample rate, emphasis, and the layer II bitrates that its channel mode
// forbids) are not frames: a scan meeting them has lost the stream.
#pragma once

#include <cstdint>

namespace brambex {

enum class MpegVersion : std::uint8_t { Mpeg1, Mpeg2, Mpeg25 };

// What every frame of one stream shares.
struct MpegFormat {
    MpegVersion version = MpegVersion::Mpeg1;
    int layer = 3;  // 1, 2 or 3
    int sampleRate = 0;
    int channels = 0;  // 1 or 2

    // Frames of the same version, layer and sample rate follow each other in a stream;
    // the channel mode may change from frame to frame.
    bool Continues(const MpegFormat& other) const {
        return version == other.version && layer == other.layer && sampleRate == other.sampleRate;
    }
    int SamplesPerFrame() const;
};

struct MpegFrameHeader {
    static constexpr int Size = 4;
    enum ChannelMode : std::uint8_t { Stereo = 0, JointStereo = 1, DualChannel = 2, Mono = 3 };

    MpegFormat format;
    int bitrateKbps = 0;
    bool padding = false;
    ChannelMode channelMode = Stereo;
    // Whether a 16-bit CRC follows the header.
    bool crc = false;
    // The whole frame with its header, in bytes.
    int length = 0;

    // Reads the four bytes at p; false when they are not a frame header (see above).
    bool Parse(const unsigned char* p);
    // The four bytes of a header without CRC, copyright or original flags, whose
    // bitrate index is the one for bitrateKbps (which the version and layer must have).
    void Render(unsigned char* p) const;
    // Bytes of layer III side information after the header (and its CRC).
    int SideInfoSize() const;
};

// The length in bytes of a frame of this format at this bitrate, without padding.
int MpegFrameLength(const MpegFormat& format, int bitrateKbps);
// The bitrates (kbit/s) a frame of this version and layer may have, rising, after
// index 0 (free format): fourteen of them.
const std::uint16_t* MpegBitrates(const MpegFormat& format);

}  // namespace brambex
