// Where a track's own front cover lies in its file: the picture bytes of the first APIC
// frame of picture type 3 ("Cover (front)") of its ID3v2.3 or 2.4 tag, so that a book's
// tag can stream the picture straight from the track. A picture stored otherwise than
// as plain bytes (an unsynchronised tag or frame, a compressed or encrypted frame) and
// a version 2.2 tag give none: such a track's picture is not taken.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_stream.h"

namespace brambex {

struct FrontCover {
    std::int64_t offset = 0;  // of the picture's first byte in the file
    std::int64_t size = 0;    // 0: none found
    std::string mimeType;
};

// Reads the tag at the input's start; the input's position is left anywhere.
FrontCover FindFrontCover(InputFile& in);

}  // namespace brambex
