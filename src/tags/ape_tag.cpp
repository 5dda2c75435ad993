// An APE tag is a footer of 32 bytes ("APETAGEX", version, size of items and footer,
// item count, flags), an optional header of the same form in front, and between them
// items: value size, flags, a zero-terminated key and the value. All numbers are
// little-endian.
#include "tags/ape_tag.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/ascii_case.h"
#include "tags/byte_order.h"
#include "tags/tag_edits.h"

namespace brambex {

namespace {

constexpr unsigned char Preamble[8] = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X'};
constexpr std::uint32_t Version1 = 1000;
constexpr std::uint32_t Version2 = 2000;
constexpr std::uint32_t HasHeaderFlag = 0x80000000u;
constexpr int SizeOffset = 12;
constexpr int CountOffset = 16;
constexpr int FlagsOffset = 20;
constexpr std::size_t ItemHeadSize = 8;
constexpr std::size_t MaxKeySize = 255;
// Item flag bits 1 and 2: 0 for UTF-8 text, else binary data or a link.
constexpr std::uint32_t ItemKindMask = 0x6;

struct KeyField {
    std::string_view key;
    TagField field;
};
constexpr KeyField KeyFields[] = {
    {"Album", TagField::Album},      {"Artist", TagField::Artist}, {"Album Artist", TagField::Band},
    {"AlbumArtist", TagField::Band}, {"Title", TagField::Title},   {"Track", TagField::Track},
    {"Genre", TagField::Genre},
};

int FieldOfKey(std::string_view key) {
    for (const KeyField& k : KeyFields) {
        if (EqualIgnoringAsciiCase(k.key, key)) {
            return static_cast<int>(k.field);
        }
    }
    return -1;
}

// A header or footer as read, with the tag's new size.
void WriteFrameWithSize(OutputFile& out, const unsigned char* read, std::uint32_t size) {
    unsigned char bytes[ApeTag::FooterSize];
    std::memcpy(bytes, read, sizeof bytes);
    WriteUint32LittleEndian(bytes + SizeOffset, size);
    out.Write(bytes, sizeof bytes);
}

}  // namespace

static_assert(TagFieldCount == 6, "ApeTag counts the value bytes of each field");

bool ApeTag::IsFooter(const unsigned char* bytes) {
    return std::memcmp(bytes, Preamble, sizeof Preamble) == 0;
}

void ApeTag::Forget() {
    start_ = -1;
    blockStart_ = -1;
    blockSize_ = 0;
}

bool ApeTag::Read(InputFile& in, const unsigned char* footer, std::int64_t lowest,
                  std::int64_t end) {
    Forget();
    const std::uint32_t version = ReadUint32LittleEndian(footer + 8);
    const std::uint32_t size = ReadUint32LittleEndian(footer + SizeOffset);
    hasHeader_ =
        version == Version2 && (ReadUint32LittleEndian(footer + FlagsOffset) & HasHeaderFlag) != 0;
    itemsStart_ = end - static_cast<std::int64_t>(size);
    itemsEnd_ = end - FooterSize;
    const std::int64_t start = itemsStart_ - (hasHeader_ ? FooterSize : 0);
    if ((version != Version1 && version != Version2) || size < FooterSize || start < lowest) {
        return false;
    }
    if (hasHeader_) {
        const unsigned char* header = Bytes(in, start, FooterSize);
        if (header == nullptr || !IsFooter(header)) {
            return false;
        }
        std::memcpy(header_, header, FooterSize);
    }
    std::memcpy(footer_, footer, FooterSize);
    itemCount_ = ReadUint32LittleEndian(footer + CountOffset);
    std::fill(std::begin(fieldBytes_), std::end(fieldBytes_), 0);
    std::fill(std::begin(fieldItems_), std::end(fieldItems_), 0);
    std::int64_t at = itemsStart_;
    for (std::uint32_t i = 0; i < itemCount_; ++i) {
        Item item;
        if (!NextItem(in, at, item)) {
            return false;
        }
        if (item.field >= 0) {
            fieldBytes_[item.field] += item.valueSize;
            ++fieldItems_[item.field];
        }
        at = item.valueStart + item.valueSize;
    }
    if (at != itemsEnd_) {
        return false;
    }
    start_ = start;
    return true;
}

bool ApeTag::NextItem(InputFile& in, std::int64_t at, Item& item) {
    const std::int64_t left = itemsEnd_ - at;
    if (left < static_cast<std::int64_t>(ItemHeadSize + 1)) {
        return false;
    }
    const auto n = static_cast<std::size_t>(
        std::min<std::int64_t>(left, static_cast<std::int64_t>(ItemHeadSize + MaxKeySize + 1)));
    const unsigned char* head = Bytes(in, at, n);
    if (head == nullptr) {
        return false;
    }
    const auto* zero =
        static_cast<const unsigned char*>(std::memchr(head + ItemHeadSize, 0, n - ItemHeadSize));
    if (zero == nullptr) {
        return false;
    }
    item.head = head;
    item.headSize = static_cast<std::size_t>(zero - head) + 1;
    item.valueSize = ReadUint32LittleEndian(head);
    item.valueStart = at + static_cast<std::int64_t>(item.headSize);
    if (item.valueSize > itemsEnd_ - item.valueStart) {
        return false;
    }
    const std::string_view key(reinterpret_cast<const char*>(head + ItemHeadSize),
                               item.headSize - ItemHeadSize - 1);
    const bool text = (ReadUint32LittleEndian(head + 4) & ItemKindMask) == 0;
    item.field = text ? FieldOfKey(key) : -1;
    return true;
}

// The n bytes at offset, from the block when it holds them; otherwise a new block is
// read there, as far as the tag goes.
const unsigned char* ApeTag::Bytes(InputFile& in, std::int64_t offset, std::size_t n) {
    const auto end = static_cast<std::int64_t>(n) + offset;
    if (blockStart_ >= 0 && offset >= blockStart_ &&
        end <= blockStart_ + static_cast<std::int64_t>(blockSize_)) {
        return block_ + (offset - blockStart_);
    }
    const auto want = static_cast<std::size_t>(std::clamp<std::int64_t>(
        itemsEnd_ + FooterSize - offset, static_cast<std::int64_t>(n), BlockSize));
    in.Seek(offset);
    blockStart_ = offset;
    blockSize_ = in.Read(block_, want);
    return blockSize_ >= n ? block_ : nullptr;
}

const std::string_view* ApeTag::NewValue(const Item& item, const TagEdits& edits) const {
    if (!editable_ || item.field < 0 || !edits.frames[item.field].set) {
        return nullptr;
    }
    return &edits.frames[item.field].text;
}

std::uint64_t ApeTag::ItemsSize(const TagEdits& edits) const {
    std::uint64_t size = static_cast<std::uint64_t>(itemsEnd_ - itemsStart_);
    for (int f = 0; f < FieldCount; ++f) {
        if (edits.frames[f].set) {
            size =
                size - fieldBytes_[f] + std::uint64_t{fieldItems_[f]} * edits.frames[f].text.size();
        }
    }
    return size;
}

bool ApeTag::Write(InputFile& in, OutputFile& out, const TagEdits& edits) {
    const std::uint64_t edited = ItemsSize(edits) + FooterSize;
    editable_ = edited <= 0xFFFFFFFFu;
    const auto size = static_cast<std::uint32_t>(
        editable_ ? edited : static_cast<std::uint64_t>(itemsEnd_ - itemsStart_) + FooterSize);
    if (hasHeader_) {
        WriteFrameWithSize(out, header_, size);
    }
    std::int64_t at = itemsStart_;
    for (std::uint32_t i = 0; i < itemCount_; ++i) {
        Item item;
        if (!NextItem(in, at, item) || !WriteItem(in, out, item, edits)) {
            return false;
        }
        at = item.valueStart + item.valueSize;
    }
    WriteFrameWithSize(out, footer_, size);
    return true;
}

bool ApeTag::WriteItem(InputFile& in, OutputFile& out, const Item& item, const TagEdits& edits) {
    if (const std::string_view* text = NewValue(item, edits)) {
        unsigned char size[4];
        WriteUint32LittleEndian(size, static_cast<std::uint32_t>(text->size()));
        out.Write(size, sizeof size);
        out.Write(item.head + 4, item.headSize - 4);
        out.Write(text->data(), text->size());
        return true;
    }
    const std::int64_t valueEnd = item.valueStart + item.valueSize;
    if (valueEnd <= blockStart_ + static_cast<std::int64_t>(blockSize_)) {
        out.Write(item.head, item.headSize + item.valueSize);
        return true;
    }
    // A large value, a cover say, goes from the input to the output in chunks.
    out.Write(item.head, item.headSize);
    in.Seek(item.valueStart);
    return CopyBytes(in, out, item.valueSize) == item.valueSize;
}

}  // namespace brambex
