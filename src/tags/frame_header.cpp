#include "tags/frame_header.h"

#include <cstring>

#include "tags/byte_order.h"

namespace brambex {

namespace {

// Status and format bits, by version.
constexpr unsigned char StatusBitsV23 = 0xE0;
constexpr unsigned char CompressedV23 = 0x80;
constexpr unsigned char EncryptedV23 = 0x40;
constexpr unsigned char GroupedV23 = 0x20;
constexpr unsigned char GroupedV24 = 0x40;
constexpr unsigned char CompressedV24 = 0x08;
constexpr unsigned char EncryptedV24 = 0x04;
constexpr unsigned char UnsynchronisedV24 = 0x02;
constexpr unsigned char DataLengthV24 = 0x01;

bool IsIdChar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

bool FrameHeader::Read(const unsigned char* bytes, int version) {
    const int idLength = version == 2 ? 3 : 4;
    for (int i = 0; i < idLength; ++i) {
        if (!IsIdChar(bytes[i])) {
            return false;
        }
    }
    std::memset(id, 0, sizeof id);
    std::memcpy(id, bytes, static_cast<std::size_t>(idLength));
    status = 0;
    compressed = encrypted = grouped = unsynchronised = dataLength = false;
    if (version == 2) {
        size = ReadUint24BigEndian(bytes + 3);
        return true;
    }
    const unsigned char* s = bytes + 4;
    // Some taggers wrote 2.4 sizes as plain numbers; a byte with its top bit set can
    // only be one.
    const bool syncsafe = version == 4 && ((s[0] | s[1] | s[2] | s[3]) & 0x80) == 0;
    size = syncsafe ? ReadSyncsafe32(s) : ReadUint32BigEndian(s);
    const unsigned char statusByte = bytes[8];
    const unsigned char format = bytes[9];
    if (version == 3) {
        status = statusByte & StatusBitsV23;
        compressed = (format & CompressedV23) != 0;
        encrypted = (format & EncryptedV23) != 0;
        grouped = (format & GroupedV23) != 0;
    } else {
        // The 2.4 status bits are the 2.3 ones moved one place to the right.
        status = static_cast<unsigned char>((statusByte << 1) & StatusBitsV23);
        compressed = (format & CompressedV24) != 0;
        encrypted = (format & EncryptedV24) != 0;
        grouped = (format & GroupedV24) != 0;
        unsynchronised = (format & UnsynchronisedV24) != 0;
        dataLength = (format & DataLengthV24) != 0;
    }
    return true;
}

std::string_view FrameHeader::Id() const {
    return {id, id[3] == '\0' ? 3u : 4u};
}

void FrameHeader::WriteV23(unsigned char* out) const {
    std::memcpy(out, id, 4);
    WriteUint32BigEndian(out + 4, size);
    out[8] = status;
    out[9] =
        static_cast<unsigned char>((compressed ? CompressedV23 : 0) |
                                   (encrypted ? EncryptedV23 : 0) | (grouped ? GroupedV23 : 0));
}

}  // namespace brambex
