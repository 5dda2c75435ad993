// Reads a stretch of a tag from the input in order, undoing unsynchronisation (a zero
// byte put after every 0xFF) where the tag or the frame says it was applied. One small
// buffer, whatever the length of the stretch; it never holds a byte past the stretch.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tags/file_stream.h"

namespace brambex {

class TagStream {
  public:
    // The stretch from raw input offset start up to end.
    void Open(InputFile& in, std::int64_t start, std::int64_t end, bool unsynchronised);
    // Reads up to n decoded bytes; fewer when the stretch ends or a read fails.
    std::size_t Read(unsigned char* out, std::size_t n);
    // Passes over n decoded bytes; false when the stretch ends first.
    bool Skip(std::uint64_t n);
    // The raw offset of the next byte to decode.
    std::int64_t Position() const;
    bool Unsynchronised() const { return unsynchronised_; }
    InputFile& Input() { return *in_; }

  private:
    bool Fill();
    // Takes up to n bytes from the buffer.
    std::size_t TakeBuffered(unsigned char* out, std::size_t n);

    InputFile* in_ = nullptr;
    std::int64_t position_ = 0;  // raw offset of the byte after the buffered ones
    std::int64_t end_ = 0;
    bool unsynchronised_ = false;
    bool afterFF_ = false;
    unsigned char chunk_[4096] = {};
    std::size_t chunkSize_ = 0;
    std::size_t chunkPos_ = 0;
};

}  // namespace brambex
