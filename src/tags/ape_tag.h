// The APE tag that ReplayGain tools and some rippers put after the audio, before the
// ID3v1 trailer or at the very end of the file: APEv2 with or without its 32-byte
// header, and APEv1, which has none. It is not audio. A rewrite sets the texts of the
// items the merge sets (album, artist, album artist, title, track, genre) and copies
// every other item byte for byte from the input, so a cover of any size is never held
// whole; items the tag lacks are not added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/file_stream.h"

namespace brambex {

struct TagEdits;

class ApeTag {
  public:
    static constexpr int FooterSize = 32;

    ApeTag() = default;
    ApeTag(const ApeTag&) = delete;
    ApeTag& operator=(const ApeTag&) = delete;

    // Whether the 32 bytes begin like an APE tag's header or footer.
    static bool IsFooter(const unsigned char* bytes);
    // Reads the tag whose footer is `footer`, the 32 bytes before input offset end. False
    // when the tag cannot be read whole: bad sizes, a start before `lowest`, items that
    // run past the tag or do not match its count, or a failed read.
    bool Read(InputFile& in, const unsigned char* footer, std::int64_t lowest, std::int64_t end);
    // Drops what a pass found: a new pass may be over another file.
    void Forget();
    bool Found() const { return start_ >= 0; }
    // The tag's first byte (its header when it has one) and the byte after its footer.
    std::int64_t Start() const { return start_; }
    std::int64_t End() const { return itemsEnd_ + FooterSize; }

    // Writes the tag with the edits' texts in the items they set. False when the input
    // no longer holds the items that Read found.
    bool Write(InputFile& in, OutputFile& out, const TagEdits& edits);

  private:
    struct Item {
        const unsigned char* head = nullptr;  // size, flags, key and its zero, in block_
        std::size_t headSize = 0;
        std::uint32_t valueSize = 0;
        std::int64_t valueStart = 0;
        int field = -1;  // the TagField a text item holds, else -1
    };

    bool NextItem(InputFile& in, std::int64_t at, Item& item);
    const unsigned char* Bytes(InputFile& in, std::int64_t offset, std::size_t n);
    // The text that replaces the item's value, or null when the item is kept.
    const std::string_view* NewValue(const Item& item, const TagEdits& edits) const;
    std::uint64_t ItemsSize(const TagEdits& edits) const;
    bool WriteItem(InputFile& in, OutputFile& out, const Item& item, const TagEdits& edits);

    static constexpr int FieldCount = 6;
    static constexpr std::size_t BlockSize = 4096;

    std::int64_t start_ = -1;
    std::int64_t itemsStart_ = 0;
    std::int64_t itemsEnd_ = 0;
    std::uint32_t itemCount_ = 0;
    bool hasHeader_ = false;
    bool editable_ = false;  // the edited tag's size fits its 32-bit field
    unsigned char header_[FooterSize] = {};
    unsigned char footer_[FooterSize] = {};
    // Value bytes and items of the text items that each field's key names.
    std::uint64_t fieldBytes_[FieldCount] = {};
    std::uint32_t fieldItems_[FieldCount] = {};
    // Item heads and small values, read a block at a time; left uninitialised.
    unsigned char block_[BlockSize];
    std::int64_t blockStart_ = -1;
    std::size_t blockSize_ = 0;
};

}  // namespace brambex
