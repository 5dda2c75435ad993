#include "tags/tag_header.h"

#include <cstring>

#include "tags/byte_order.h"

namespace brambex {

TagHeader::Status TagHeader::Read(const unsigned char* bytes, std::size_t n) {
    version = -1;
    if (n < 3 || std::memcmp(bytes, "ID3", 3) != 0) {
        return Status::NoTag;
    }
    if (n < 4) {
        return Status::BadSize;
    }
    version = bytes[3];
    if (version < 2 || version > 4) {
        return Status::UnknownVersion;
    }
    if (n < Size || ((bytes[6] | bytes[7] | bytes[8] | bytes[9]) & 0x80) != 0) {
        return Status::BadSize;
    }
    revision = bytes[4];
    flags = bytes[5];
    size = ReadSyncsafe32(bytes + 6);
    return Status::Valid;
}

std::int64_t TagHeader::TotalSize() const {
    const bool footer = version == 4 && (flags & Footer) != 0;
    return Size + std::int64_t{size} + (footer ? Size : 0);
}

void TagHeader::WriteV23(unsigned char* out, std::uint32_t size) {
    std::memcpy(out, "ID3\x03\x00\x00", 6);
    WriteSyncsafe32(out + 6, size);
}

}  // namespace brambex
