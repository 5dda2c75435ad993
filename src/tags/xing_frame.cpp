#include "tags/xing_frame.h"

#include <algorithm>
#include <cstring>

#include "tags/byte_order.h"

namespace brambex {

namespace {

// The Xing tag: "Xing" or "Info", flags, frames, bytes, seek table, quality.
constexpr int XingTagSize = 4 + 4 + 4 + 4 + 100 + 4;
constexpr int LameExtensionSize = 36;
constexpr std::uint32_t FramesFlag = 1;
constexpr std::uint32_t BytesFlag = 2;
constexpr std::uint32_t TocFlag = 4;
constexpr std::uint32_t QualityFlag = 8;
constexpr std::uint64_t Largest32 = 0xFFFFFFFFu;

MpegFrameHeader XingHeader(const MpegFormat& format, int bitrateKbps) {
    MpegFrameHeader header;
    header.format = format;
    header.bitrateKbps = bitrateKbps;
    header.channelMode =
        format.channels == 1 ? MpegFrameHeader::Mono : MpegFrameHeader::JointStereo;
    return header;
}

int XingTagOffset(const MpegFormat& format) {
    return MpegFrameHeader::Size + XingHeader(format, 0).SideInfoSize();
}

// Writes LAME's extension at p: its encoder, the gapless fields and the music's length
// and CRC; the fields that describe an encoding (filters, replay gain, preset) stay 0.
void RenderLameExtension(unsigned char* p, const XingFields& f, std::uint32_t musicLength) {
    std::memcpy(p, f.encoder.data(), f.encoder.size());
    // Revision 0; the method "constant bitrate", or "unknown".
    p[9] = f.constantBitrate ? 1 : 0;
    if (f.constantBitrate) {
        p[20] = static_cast<unsigned char>(std::clamp(f.streamKbps, 0, 255));
    }
    const auto delay = static_cast<unsigned>(std::clamp(f.encoderDelay, 0, 4095));
    const auto padding = static_cast<unsigned>(std::clamp(f.encoderPadding, 0, 4095));
    p[21] = static_cast<unsigned char>(delay >> 4);
    p[22] = static_cast<unsigned char>((delay & 0x0F) << 4 | padding >> 8);
    p[23] = static_cast<unsigned char>(padding);
    WriteUint32BigEndian(p + 28, musicLength);
    p[32] = static_cast<unsigned char>(f.musicCrc >> 8);
    p[33] = static_cast<unsigned char>(f.musicCrc);
}

}  // namespace

int XingFrameBitrate(const MpegFormat& format, int streamKbps) {
    if (format.layer != 3 || format.sampleRate == 0) {
        return 0;
    }
    const int needed = XingTagOffset(format) + XingTagSize + LameExtensionSize;
    if (streamKbps > 0 && MpegFrameLength(format, streamKbps) >= needed) {
        return streamKbps;
    }
    const std::uint16_t* rates = MpegBitrates(format);
    for (int i = 0; i < 14; ++i) {
        if (MpegFrameLength(format, rates[i]) >= needed) {
            return rates[i];
        }
    }
    return 0;
}

std::array<std::uint8_t, 100> BookToc(std::span<const TrackAudio> tracks,
                                      std::uint64_t xingLength) {
    std::uint64_t frames = 0;
    std::uint64_t total = xingLength;
    for (const TrackAudio& t : tracks) {
        frames += t.frames;
        total += t.Bytes();
    }
    std::array<std::uint8_t, 100> toc{};
    if (total == 0) {
        return toc;
    }
    std::size_t track = 0;
    std::uint64_t trackFrame = 0;  // the book's index of the track's first frame
    std::uint64_t trackByte = xingLength;
    for (std::uint64_t percent = 0; percent < 100; ++percent) {
        const std::uint64_t frame = percent * frames / 100;
        while (track < tracks.size() && frame >= trackFrame + tracks[track].frames) {
            trackFrame += tracks[track].frames;
            trackByte += tracks[track].Bytes();
            ++track;
        }
        std::uint64_t at = trackByte;
        if (track < tracks.size()) {
            const TrackAudio& t = tracks[track];
            at += t.index.OffsetOf(frame - trackFrame, t.frames, t.Bytes());
        }
        toc[percent] = static_cast<std::uint8_t>(std::min<std::uint64_t>(255, at * 256 / total));
    }
    return toc;
}

std::vector<unsigned char> RenderXingFrame(const XingFields& f) {
    if (f.format.layer != 3 || f.format.sampleRate == 0 || f.bitrateKbps <= 0) {
        return {};
    }
    const MpegFrameHeader header = XingHeader(f.format, f.bitrateKbps);
    const int offset = XingTagOffset(f.format);
    std::vector<unsigned char> frame(
        static_cast<std::size_t>(MpegFrameLength(f.format, f.bitrateKbps)));
    if (frame.size() < static_cast<std::size_t>(offset + XingTagSize + LameExtensionSize)) {
        return {};
    }
    header.Render(frame.data());
    unsigned char* p = frame.data() + offset;
    std::memcpy(p, f.constantBitrate ? "Info" : "Xing", 4);
    // Counts past 32 bits cannot be said: their fields are left out, and the fields
    // after them move up, as the flags tell.
    const bool bytesFit = f.bytes <= Largest32;
    const std::uint32_t flags = (f.frames <= Largest32 ? FramesFlag : 0) |
                                (bytesFit ? BytesFlag | TocFlag : 0) | QualityFlag;
    WriteUint32BigEndian(p + 4, flags);
    p += 8;
    if (flags & FramesFlag) {
        WriteUint32BigEndian(p, static_cast<std::uint32_t>(f.frames));
        p += 4;
    }
    if (bytesFit) {
        WriteUint32BigEndian(p, static_cast<std::uint32_t>(f.bytes));
        std::copy(f.toc.begin(), f.toc.end(), p + 4);
        p += 104;
    }
    WriteUint32BigEndian(p, f.quality);
    p += 4;
    RenderLameExtension(p, f, bytesFit ? static_cast<std::uint32_t>(f.bytes) : 0);
    const auto crcAt = static_cast<std::size_t>(p + LameExtensionSize - 2 - frame.data());
    const std::uint16_t crc = Crc16(frame.data(), crcAt);
    frame[crcAt] = static_cast<unsigned char>(crc >> 8);
    frame[crcAt + 1] = static_cast<unsigned char>(crc);
    return frame;
}

std::vector<unsigned char> BookXingFrame(const BookAudio& book,
                                         std::span<const TrackAudio> tracks) {
    XingFields f;
    f.format = book.format;
    f.bitrateKbps = XingFrameBitrate(book.format, book.constantBitrate ? book.bitrateKbps : 0);
    if (f.bitrateKbps == 0) {
        return {};
    }
    const auto length = static_cast<std::uint64_t>(MpegFrameLength(f.format, f.bitrateKbps));
    f.constantBitrate = book.constantBitrate;
    f.streamKbps = book.constantBitrate ? book.bitrateKbps : 0;
    f.frames = book.frames;
    f.bytes = length + book.bytes;
    f.toc = BookToc(tracks, length);
    f.quality = book.quality;
    f.encoderDelay = book.encoderDelay;
    f.encoderPadding = book.encoderPadding;
    f.encoder = book.encoder;
    return RenderXingFrame(f);
}

std::uint16_t Crc16(const unsigned char* data, std::size_t n, std::uint16_t crc) {
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u)
                             : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

}  // namespace brambex
