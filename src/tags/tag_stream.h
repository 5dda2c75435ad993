// Reads a stretch of a tag from the input in order, undoing unsynchronisation (a zero
// byte put after every 0xFF) where the tag or the frame says it was applied. One buffer,
// whatever the length of the stretch; it never holds a byte past the stretch.
//
// A stretch that fits the buffer is read in one piece, and opening it again reads
// nothing, so the codec's two walks over a tag cost one read. A longer one is read a
// block at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_stream.h"

namespace brambex {

class TagStream {
  public:
    static constexpr std::size_t WholeSize = 64 * 1024;
    static constexpr std::size_t BlockSize = 4096;

    TagStream() = default;
    TagStream(const TagStream&) = delete;
    TagStream& operator=(const TagStream&) = delete;

    // The stretch from raw input offset start up to end.
    void Open(InputFile& in, std::int64_t start, std::int64_t end, bool unsynchronised);
    // The same, taken from what whole holds when that is all of the stretch; whole may
    // go on only within what it holds while this one is in use.
    void OpenWithin(const TagStream& whole, InputFile& in, std::int64_t start, std::int64_t end,
                    bool unsynchronised);
    // Drops what the buffer holds: the next Open reads the input again. For a new pass,
    // which may be over other bytes at the same offsets.
    void Forget();
    // Reads up to n decoded bytes; fewer when the stretch ends or a read fails.
    std::size_t Read(unsigned char* out, std::size_t n);
    // The next n bytes of a plain stretch where the buffer holds them all, taken as
    // read; otherwise null, and nothing is taken.
    const unsigned char* TakeInPlace(std::uint64_t n);
    // Passes over n decoded bytes; false when the stretch ends first.
    bool Skip(std::uint64_t n);
    // The raw offset of the next byte to decode.
    std::int64_t Position() const;
    // A place in the stretch to come back to, for a frame read twice.
    struct Mark {
        std::int64_t position = 0;
        bool afterFF = false;
    };
    Mark Here() const { return {Position(), afterFF_}; }
    void Rewind(const Mark& mark);
    bool Unsynchronised() const { return unsynchronised_; }
    InputFile& Input() { return *in_; }

  private:
    bool Fill();
    // Whether the next fill reads all of the stretch: it is at its start and fits.
    bool WholeAtOnce() const;
    // Takes up to n bytes from the buffer.
    std::size_t TakeBuffered(unsigned char* out, std::size_t n);
    // Whether the buffer holds all of the stretch from start to end.
    bool Holds(const InputFile& in, std::int64_t start, std::int64_t end) const;

    InputFile* in_ = nullptr;
    std::int64_t start_ = 0;
    std::int64_t position_ = 0;  // raw offset of the byte after the buffered ones
    std::int64_t end_ = 0;
    bool unsynchronised_ = false;
    bool afterFF_ = false;
    // The buffered bytes: own_ or another stream's, from raw offset bufferStart_ on.
    // Left uninitialised: only bytes read into it are ever taken.
    unsigned char own_[WholeSize];
    const unsigned char* data_ = own_;
    std::int64_t bufferStart_ = -1;
    std::size_t chunkSize_ = 0;
    std::size_t chunkPos_ = 0;
};

}  // namespace brambex
