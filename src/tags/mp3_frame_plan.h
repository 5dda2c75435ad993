// What the two walks make of one input frame: the plan both follow, so that the
// measuring walk and the writing walk cannot disagree. Private to the MP3 pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tags/frame_conversion.h"
#include "tags/frame_header.h"
#include "tags/mp3.h"
#include "tags/payload_converter.h"

namespace brambex {

inline constexpr int FrameHeaderSize = 10;
// The bytes 2.4 puts before a frame's data: group, encryption method, data length.
inline constexpr std::size_t MaxExtras = 6;

struct MP3::FramePlan {
    enum class Kind { Drop, Verbatim, Held, Converted, Chapter, Date, OriginalDate, People, Gain };
    Kind kind = Kind::Drop;
    char id[4] = {};
    int field = -1;
    FrameHeader out;
    unsigned char extras[MaxExtras] = {};
    std::size_t extrasSize = 0;
    // Verbatim: the payload's first bytes, the rest streamed after them; Held: all of it.
    const unsigned char* head = nullptr;
    std::size_t headSize = 0;
    std::uint64_t rest = 0;
    // Converted and Chapter: the payload is read again from its start to be written.
    const FrameLayout* layout = nullptr;
    std::string_view name;
    bool latin1 = true;
    PayloadSource::Mark start;
    std::uint32_t key = 0;
    std::string_view text;  // a text frame's text, as UTF-8
    VolumeAdjustment gain;
    // An input frame left out, to be named: 2.3 has no form for it, or it cannot be read.
    std::string_view leftOut;
    bool unreadable = false;
    std::string_view Id() const { return {id, 4}; }
    // Where a text starts in the head: after the group id that a 2.3 frame carries
    // there (2.4's is among the extras).
    std::size_t TextStart() const { return out.grouped && extrasSize == 0 ? 1 : 0; }
    bool Kept() const {
        return kind == Kind::Verbatim || kind == Kind::Held || kind == Kind::Converted ||
               kind == Kind::Chapter;
    }
};

}  // namespace brambex
