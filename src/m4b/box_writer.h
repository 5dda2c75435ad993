// The bytes of MP4 boxes, big-endian as the format stores them, appended to one string:
// a box is opened with its type, filled, and closed, which writes its size in front.
// One stretch of a box's body may be left for the caller to write elsewhere (a gap):
// the boxes around it count its bytes all the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace brambex {

class BoxWriter {
  public:
    void U8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void U16(std::uint16_t v) { Big(v, 2); }
    void U24(std::uint32_t v) { Big(v, 3); }
    void U32(std::uint32_t v) { Big(v, 4); }
    void U64(std::uint64_t v) { Big(v, 8); }
    void Zeros(std::size_t n) { out_.append(n, '\0'); }
    void Text(std::string_view bytes) { out_.append(bytes); }

    // Starts a box of a four-character type; returns what Close takes.
    std::size_t Open(std::string_view type) {
        const std::size_t at = out_.size();
        U32(0);
        Text(type.substr(0, 4));
        return at;
    }
    // Starts a box with a version and flags.
    std::size_t OpenFull(std::string_view type, std::uint8_t version, std::uint32_t flags = 0) {
        const std::size_t at = Open(type);
        U8(version);
        U24(flags);
        return at;
    }
    // Leaves n bytes here to be written by the caller; one gap a writer. The boxes open
    // now count them; a box opened from here on follows them.
    void Gap(std::uint64_t n) {
        gapAt_ = out_.size();
        gapBytes_ = n;
    }
    // Writes the size of the box started at `at`, which ends here.
    void Close(std::size_t at) {
        const std::uint64_t size = out_.size() - at + (at < gapAt_ ? gapBytes_ : 0);
        for (int i = 0; i < 4; ++i)
            out_[at + static_cast<std::size_t>(i)] = static_cast<char>(size >> (24 - 8 * i));
    }

    std::size_t Size() const { return out_.size(); }
    std::size_t GapAt() const { return gapAt_; }
    const std::string& Bytes() const { return out_; }
    std::string Take() { return std::move(out_); }

  private:
    void Big(std::uint64_t v, int bytes) {
        for (int i = bytes - 1; i >= 0; --i)
            out_.push_back(static_cast<char>(v >> (8 * i)));
    }

    std::string out_;
    std::size_t gapAt_ = static_cast<std::size_t>(-1);
    std::uint64_t gapBytes_ = 0;
};

}  // namespace brambex
