#include "tags/front_cover.h"

#include <algorithm>
#include <cstddef>

#include "tags/byte_order.h"
#include "tags/frame_header.h"
#include "tags/tag_header.h"

namespace brambex {

namespace {

constexpr unsigned char FrontCoverType = 3;

// The bytes of an APIC payload before its picture: encoding, MIME type, picture type and
// description. Only this much is read of a frame to find where its picture starts.
constexpr std::size_t PictureHeadSize = 1024;

// Where the picture of an APIC payload starts (0 when the head does not hold it all),
// with its MIME type and picture type.
std::size_t PictureStart(const unsigned char* p, std::size_t n, std::string& mimeType,
                         unsigned char& type) {
    if (n < 4)
        return 0;
    const unsigned char encoding = p[0];
    const auto* mimeEnd = std::find(p + 1, p + n, 0);
    if (mimeEnd + 2 >= p + n)
        return 0;
    mimeType.assign(p + 1, mimeEnd);
    type = mimeEnd[1];
    // The description ends in one zero byte, or in two on a character boundary in UTF-16.
    const bool wide = encoding == 1 || encoding == 2;
    for (std::size_t at = static_cast<std::size_t>(mimeEnd + 2 - p); at < n; at += wide ? 2 : 1) {
        if (p[at] == 0 && (!wide || (at + 1 < n && p[at + 1] == 0)))
            return at + (wide ? 2 : 1);
    }
    return 0;
}

// The extended header's bytes after the tag header, to be stepped over.
std::int64_t ExtendedHeaderSize(InputFile& in, const TagHeader& tag) {
    unsigned char size[4];
    if ((tag.flags & TagHeader::ExtendedHeader) == 0)
        return 0;
    if (in.Read(size, 4) != 4)
        return -1;
    // 2.3 counts the bytes after the size, 2.4 the whole header, syncsafe.
    return tag.version == 3 ? 4 + std::int64_t{ReadUint32BigEndian(size)}
                            : std::int64_t{ReadSyncsafe32(size)};
}

}  // namespace

FrontCover FindFrontCover(InputFile& in) {
    unsigned char head[TagHeader::Size];
    TagHeader tag;
    if (!in.Seek(0) || tag.Read(head, in.Read(head, TagHeader::Size)) != TagHeader::Status::Valid ||
        (tag.version != 3 && tag.version != 4) || tag.Unsynchronised())
        return {};
    const std::int64_t extended = ExtendedHeaderSize(in, tag);
    if (extended < 0)
        return {};
    const std::int64_t end = TagHeader::Size + std::int64_t{tag.size};
    std::int64_t at = TagHeader::Size + extended;
    unsigned char bytes[FrameHeader::MaxSize + PictureHeadSize];
    while (at + FrameHeader::MaxSize <= end) {
        FrameHeader frame;
        const std::size_t got = in.Seek(at) ? in.Read(bytes, sizeof bytes) : 0;
        if (got < FrameHeader::MaxSize || !frame.Read(bytes, tag.version))
            break;
        const std::int64_t payloadEnd = at + FrameHeader::MaxSize + std::int64_t{frame.size};
        if (payloadEnd > end)
            break;
        const bool plain = !frame.compressed && !frame.encrypted && !frame.grouped &&
                           !frame.unsynchronised && !frame.dataLength;
        std::string mimeType;
        unsigned char type = 0;
        const std::size_t headSize = std::min<std::size_t>(got - FrameHeader::MaxSize, frame.size);
        if (frame.Id() == "APIC" && plain) {
            const std::size_t start =
                PictureStart(bytes + FrameHeader::MaxSize, headSize, mimeType, type);
            const std::int64_t offset = at + FrameHeader::MaxSize + std::int64_t(start);
            if (start > 0 && type == FrontCoverType && offset < payloadEnd)
                return {offset, payloadEnd - offset, std::move(mimeType)};
        }
        at = payloadEnd;
    }
    return {};
}

}  // namespace brambex
