// Reading and writing the multi-byte numbers of tag headers, named by their byte order.
#pragma once

#include <cstdint>

namespace brambex {

inline std::uint32_t ReadUint32BigEndian(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

inline void WriteUint32BigEndian(unsigned char* p, std::uint32_t value) {
    p[0] = static_cast<unsigned char>(value >> 24);
    p[1] = static_cast<unsigned char>(value >> 16);
    p[2] = static_cast<unsigned char>(value >> 8);
    p[3] = static_cast<unsigned char>(value);
}

// The 28-bit sizes of ID3v2 tag headers: four bytes of seven bits each, most
// significant first. The caller has checked that no byte has its top bit set.
inline std::uint32_t ReadSyncsafe32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 21) | (std::uint32_t{p[1]} << 14) | (std::uint32_t{p[2]} << 7) |
           std::uint32_t{p[3]};
}

inline void WriteSyncsafe32(unsigned char* p, std::uint32_t value) {
    p[0] = static_cast<unsigned char>((value >> 21) & 0x7F);
    p[1] = static_cast<unsigned char>((value >> 14) & 0x7F);
    p[2] = static_cast<unsigned char>((value >> 7) & 0x7F);
    p[3] = static_cast<unsigned char>(value & 0x7F);
}

// The three-byte frame sizes of ID3v2.2.
inline std::uint32_t ReadUint24BigEndian(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | std::uint32_t{p[2]};
}

// The little-endian numbers of APE tags.
inline std::uint32_t ReadUint32LittleEndian(const unsigned char* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

inline void WriteUint32LittleEndian(unsigned char* p, std::uint32_t value) {
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

}  // namespace brambex
