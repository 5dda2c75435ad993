// Letter case as the program compares it: ASCII letters only, whatever the user's
// locale (Qt sets it from the environment, and a Turkish "I" must not change how a
// folder or genre name matches). Bytes of UTF-8 characters are compared as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brambex {

constexpr char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

// Leftmost occurrence of needle in text; npos when there is none.
constexpr std::size_t FindIgnoringAsciiCase(std::string_view text, std::string_view needle) {
    for (std::size_t at = 0; needle.size() <= text.size() && at <= text.size() - needle.size();
         ++at) {
        if (EqualIgnoringAsciiCase(text.substr(at, needle.size()), needle))
            return at;
    }
    return std::string_view::npos;
}

constexpr bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

constexpr bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

// Byte order of the folded texts, for lists sorted without regard to case.
constexpr bool LessIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(FoldAscii(a[i]));
        unsigned char y = static_cast<unsigned char>(FoldAscii(b[i]));
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

inline std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = FoldAscii(c);
    return lower;
}

}  // namespace brambex
