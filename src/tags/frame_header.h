// The header in front of each frame of an ID3v2 tag: 6 bytes in version 2.2, 10 in
// 2.3 and 2.4, whose sizes and flag bits differ. Read for all three, written as 2.3.
#pragma once

#include <cstdint>
#include <string_view>

namespace brambex {

struct FrameHeader {
    static constexpr int MaxSize = 10;

    char id[4] = {};         // version 2.2: three characters and a zero
    std::uint32_t size = 0;  // payload bytes as stored in the tag
    // The 2.3 status bits: what a tagger should do with the frame when the tag or the
    // file is altered, and whether it is read-only. Kept as they are.
    unsigned char status = 0;
    // How the payload is stored (2.3 and 2.4).
    bool compressed = false;
    bool encrypted = false;
    bool grouped = false;
    bool unsynchronised = false;  // 2.4 only
    bool dataLength = false;      // 2.4 only: a four-byte syncsafe length leads the data

    static int SizeFor(int version) { return version == 2 ? 6 : 10; }
    // False when the bytes cannot begin a frame: zero padding, or an id that is not
    // capital letters and digits.
    bool Read(const unsigned char* bytes, int version);
    std::string_view Id() const;
    // A 2.3 header for this id, size, status and the compression, encryption and
    // grouping bits.
    void WriteV23(unsigned char* out) const;
};

}  // namespace brambex
