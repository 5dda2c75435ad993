// Text as the front ends lay it out: names with their control characters shown
// harmlessly, and lengths and cuts counted in characters, never in bytes, so that a
// column or a line never ends inside a character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brambex {

// The text with every control character (C0, DEL and C1) and every byte that is not
// part of a valid UTF-8 character replaced by '?'; line feeds kept when
// keepLineBreaks, for a message whose lines they break.
std::string EscapedControls(std::string_view text, bool keepLineBreaks = false);

// How many characters the UTF-8 text holds.
std::size_t ShownChars(std::string_view text);

// The first `chars` characters of the UTF-8 text; all of it when it holds no more.
std::string_view CutToChars(std::string_view text, std::size_t chars);

}  // namespace brambex
