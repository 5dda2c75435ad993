#include "options/bitrate.h"

#include <charconv>

#include "options/merge_choices.h"

namespace brambex {

std::optional<int> ReadBitrate(std::string_view text) {
    int n = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, n);
    if (text.empty() || error != std::errc() || stop != end || n < MinBitrate || n > MaxBitrate)
        return std::nullopt;
    return n;
}

std::string BitrateRangeText() {
    return "a number of kb/s from " + std::to_string(MinBitrate) + " to " +
           std::to_string(MaxBitrate);
}

}  // namespace brambex
