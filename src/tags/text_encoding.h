// Conversions between the program's UTF-8 texts and the encodings found in tags:
// ISO-8859-1 and UTF-16 with or without a byte-order mark.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brambex {

// The longest prefix of text that has at most maxBytes bytes and ends on a UTF-8
// character boundary.
std::string_view CutUtf8(std::string_view text, std::size_t maxBytes);
// The longest prefix of text with at most maxChars characters.
std::string_view CutUtf8Chars(std::string_view text, std::size_t maxChars);
// Number of characters (code points) in a UTF-8 text.
std::size_t CountUtf8Chars(std::string_view text);

std::string Latin1ToUtf8(std::string_view latin1);
// Characters that ISO-8859-1 lacks become '?'.
std::string Utf8ToLatin1(std::string_view utf8);
// True when every character of the text exists in ISO-8859-1.
bool FitsLatin1(std::string_view utf8);

}  // namespace brambex
