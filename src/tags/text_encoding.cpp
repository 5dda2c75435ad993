// UTF-8 decoding is strict (no overlong forms, no surrogates, nothing above U+10FFFF)
// so that a text that passes through the program comes out as valid UTF-8 whatever
// bytes a file name or a tag held.
#include "tags/text_encoding.h"

namespace brambex {

char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return ReplacementChar;
    }
    if (pos + length > text.size()) {
        ++pos;
        return ReplacementChar;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byteAt(pos + i);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return ReplacementChar;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++pos;
        return ReplacementChar;
    }
    pos += length;
    return c;
}

std::size_t EncodeUtf8(char32_t c, char* out) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = ReplacementChar;
    }
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

std::string_view CutUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t pos = 0;
    std::size_t boundary = 0;
    while (pos < text.size()) {
        DecodeUtf8(text, pos);
        if (pos > maxBytes) {
            break;
        }
        boundary = pos;
    }
    return text.substr(0, boundary);
}

std::string_view CutUtf8Chars(std::string_view text, std::size_t maxChars) {
    std::size_t pos = 0;
    for (std::size_t count = 0; count < maxChars && pos < text.size(); ++count) {
        DecodeUtf8(text, pos);
    }
    return text.substr(0, pos);
}

std::size_t CountUtf8Chars(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        DecodeUtf8(text, pos);
    }
    return count;
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string result;
    result.reserve(latin1.size());
    char encoded[4];
    for (const char byte : latin1) {
        const std::size_t n = EncodeUtf8(static_cast<unsigned char>(byte), encoded);
        result.append(encoded, n);
    }
    return result;
}

std::string Utf8ToLatin1(std::string_view utf8) {
    std::string result;
    result.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t c = DecodeUtf8(utf8, pos);
        result.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    }
    return result;
}

bool FitsLatin1(std::string_view utf8) {
    for (std::size_t pos = 0; pos < utf8.size();) {
        if (DecodeUtf8(utf8, pos) > 0xFF) {
            return false;
        }
    }
    return true;
}

}  // namespace brambex
