// The 10-byte header in front of an ID3v2 tag: read for versions 2.2 to 2.4, written
// for version 2.3 only, the one version the program writes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brambex {

struct TagHeader {
    static constexpr int Size = 10;
    static constexpr unsigned char Unsynchronisation = 0x80;
    // 2.3 and 2.4: an extended header follows; 2.2: the tag is compressed.
    static constexpr unsigned char ExtendedHeader = 0x40;
    static constexpr unsigned char Footer = 0x10;  // 2.4 only
    // A size beyond 28 bits cannot be written syncsafe.
    static constexpr std::uint32_t MaxSize = 0x0FFFFFFF;

    enum class Status { NoTag, UnknownVersion, BadSize, Valid };

    int version = -1;  // the major version; -1 without "ID3"
    int revision = 0;
    unsigned char flags = 0;
    std::uint32_t size = 0;  // bytes after the header, footer excluded

    // Reads the n bytes that the input held (up to Size).
    Status Read(const unsigned char* bytes, std::size_t n);
    bool Unsynchronised() const { return (flags & Unsynchronisation) != 0; }
    // Bytes from the header's first byte to the first byte after the tag.
    std::int64_t TotalSize() const;

    // An ID3v2.3.0 header without flags for a tag of `size` bytes after the header.
    static void WriteV23(unsigned char* out, std::uint32_t size);
};

}  // namespace brambex
