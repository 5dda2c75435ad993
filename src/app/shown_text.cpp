#include "app/shown_text.h"

#include "tags/text_encoding.h"

namespace brambex {

std::string EscapedControls(std::string_view text, bool keepLineBreaks) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const char32_t c = DecodeUtf8(text, pos);
        // A real U+FFFD takes three bytes; a byte that starts no character takes one.
        const bool invalid = c == ReplacementChar && pos - start == 1;
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        if (c == '\n' && keepLineBreaks)
            shown += '\n';
        else if (invalid || control)
            shown += '?';
        else
            shown.append(text.substr(start, pos - start));
    }
    return shown;
}

std::size_t ShownChars(std::string_view text) {
    return CountUtf8Chars(text);
}

std::string_view CutToChars(std::string_view text, std::size_t chars) {
    return CutUtf8Chars(text, chars);
}

}  // namespace brambex
