// An M4B book's AAC bitrate as a person types it, read by one rule for the command
// line's --bitrate and the Merge Options field.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brambex {

// The kb/s the text gives: digits alone, MinBitrate to MaxBitrate; none otherwise.
std::optional<int> ReadBitrate(std::string_view text);

// What a bitrate must be: "a number of kb/s from 16 to 320".
std::string BitrateRangeText();

}  // namespace brambex
