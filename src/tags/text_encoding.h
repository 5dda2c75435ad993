// Conversions between the program's UTF-8 texts and the encodings found in tags:
// ISO-8859-1 and UTF-16 with or without a byte-order mark.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brambex {

// The character that stands for a byte sequence that is not valid UTF-8 or UTF-16.
constexpr char32_t ReplacementChar = 0xFFFD;

// Decodes the character that starts at pos and moves pos past it. A byte that does
// not start a valid sequence (overlong forms and surrogates included) decodes as
// ReplacementChar and moves pos by one byte, so every byte belongs to one character.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);
// Writes the UTF-8 form of c (at most 4 bytes) to out; returns the byte count.
std::size_t EncodeUtf8(char32_t c, char* out);

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
