#include "tags/lyrics3_block.h"

#include <cstring>

namespace brambex {

namespace {

constexpr int SizeDigits = 6;
constexpr char EndMarker[] = "LYRICS200";
constexpr char BeginMarker[] = "LYRICSBEGIN";
constexpr std::size_t BeginSize = sizeof BeginMarker - 1;

}  // namespace

bool Lyrics3Block::IsEnd(const unsigned char* bytes) {
    for (int i = 0; i < SizeDigits; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9') {
            return false;
        }
    }
    return std::memcmp(bytes + SizeDigits, EndMarker, EndSize - SizeDigits) == 0;
}

bool Lyrics3Block::Read(InputFile& in, const unsigned char* last, std::int64_t lowest,
                        std::int64_t end) {
    start_ = -1;
    // The size counts the bytes from "LYRICSBEGIN" up to the size digits.
    std::int64_t size = 0;
    for (int i = 0; i < SizeDigits; ++i) {
        size = size * 10 + (last[i] - '0');
    }
    const std::int64_t start = end - EndSize - size;
    if (size < static_cast<std::int64_t>(BeginSize) || start < lowest) {
        return false;
    }
    unsigned char begin[BeginSize];
    in.Seek(start);
    if (in.Read(begin, BeginSize) < BeginSize || std::memcmp(begin, BeginMarker, BeginSize) != 0) {
        return false;
    }
    start_ = start;
    end_ = end;
    return true;
}

}  // namespace brambex
