// printf-style formatting into a std::string, for the names and texts the merge builds
// with the same conversions as the names on disk ("%02d %d-%d %s.mp3").
#pragma once

#include <cstdio>
#include <string>

namespace brambex {

std::string Format(const char* format, auto... args) {
    int n = std::snprintf(nullptr, 0, format, args...);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0)
        std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

}  // namespace brambex
