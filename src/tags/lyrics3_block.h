// The Lyrics3v2 block that some taggers put between the audio and the ID3v1 trailer:
// "LYRICSBEGIN", fields of lyrics and extended album, artist and title texts, then its
// size in six digits and "LYRICS200". It is not audio; a rewrite copies it as it is.
#pragma once

#include <cstdint>

#include "platform/file_stream.h"

namespace brambex {

class Lyrics3Block {
  public:
    // The size digits and the end marker.
    static constexpr int EndSize = 15;

    // Whether the 15 bytes are a block's size and end marker.
    static bool IsEnd(const unsigned char* bytes);
    // Reads the block whose end is `last`, the 15 bytes before input offset end. False
    // when its size points before `lowest` or at anything but "LYRICSBEGIN".
    bool Read(InputFile& in, const unsigned char* last, std::int64_t lowest, std::int64_t end);
    void Forget() { start_ = -1; }
    bool Found() const { return start_ >= 0; }
    std::int64_t Start() const { return start_; }
    std::int64_t End() const { return end_; }

  private:
    std::int64_t start_ = -1;
    std::int64_t end_ = 0;
};

}  // namespace brambex
