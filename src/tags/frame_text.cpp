#include "tags/frame_text.h"

#include <algorithm>
#include <cstring>

#include "tags/text_encoding.h"

namespace brambex {

std::optional<TextEncoding> TextEncodingOf(unsigned char byte) {
    if (byte > EncodingByte(TextEncoding::Utf8)) {
        return std::nullopt;
    }
    return static_cast<TextEncoding>(byte);
}

TextEncoding OutputEncoding(std::string_view utf8) {
    return FitsLatin1(utf8) ? TextEncoding::Latin1 : TextEncoding::Utf16;
}

std::size_t UnitSize(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16 || encoding == TextEncoding::Utf16Be ? 2 : 1;
}

std::size_t EncodeChar(TextEncoding encoding, char32_t c, unsigned char* out) {
    if (encoding == TextEncoding::Latin1) {
        out[0] = static_cast<unsigned char>(c);
        return 1;
    }
    const auto unit = [](char32_t u, unsigned char* at) {
        at[0] = static_cast<unsigned char>(u & 0xFF);
        at[1] = static_cast<unsigned char>(u >> 8);
    };
    if (c < 0x10000) {
        unit(c, out);
        return 2;
    }
    unit(0xD800 + ((c - 0x10000) >> 10), out);
    unit(0xDC00 + ((c - 0x10000) & 0x3FF), out + 2);
    return 4;
}

std::size_t TextLength(TextEncoding encoding, const unsigned char* p, std::size_t n) {
    if (UnitSize(encoding) == 1) {
        return static_cast<std::size_t>(std::find(p, p + n, 0) - p);
    }
    std::size_t i = 0;
    while (i + 1 < n && (p[i] != 0 || p[i + 1] != 0)) {
        i += 2;
    }
    return i + 1 < n ? i : n;
}

bool IsValidUtf8(const unsigned char* p, std::size_t n) {
    const std::string_view text(reinterpret_cast<const char*>(p), n);
    for (std::size_t pos = 0; pos < n;) {
        const std::size_t start = pos;
        if (DecodeUtf8(text, pos) == ReplacementChar && pos - start == 1) {
            return false;
        }
    }
    return true;
}

void Utf8Out::Put(char32_t c) {
    char encoded[4];
    const std::size_t k = EncodeUtf8(c, encoded);
    if (full_ || size_ + k > cap_) {
        full_ = true;
        return;
    }
    std::memcpy(out_ + size_, encoded, k);
    size_ += k;
}

namespace {

void DecodeUtf16(bool little, const unsigned char* p, std::size_t n, Utf8Out& out) {
    std::size_t i = 0;
    if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
        little = p[0] == 0xFF;
        i = 2;
    }
    const auto unitAt = [&](std::size_t k) -> char32_t {
        return little ? char32_t(p[k] | (p[k + 1] << 8)) : char32_t((p[k] << 8) | p[k + 1]);
    };
    while (i + 1 < n) {
        char32_t c = unitAt(i);
        i += 2;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && unitAt(i) >= 0xDC00 && unitAt(i) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unitAt(i) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = ReplacementChar;
        }
        out.Put(c);
    }
}

}  // namespace

void DecodeText(TextEncoding encoding, const unsigned char* p, std::size_t n, Utf8Out& out) {
    switch (encoding) {
        case TextEncoding::Latin1:
            std::for_each(p, p + n, [&out](unsigned char byte) { out.Put(byte); });
            return;
        case TextEncoding::Utf16:
        case TextEncoding::Utf16Be:
            DecodeUtf16(encoding == TextEncoding::Utf16, p, n, out);
            return;
        case TextEncoding::Utf8:
            const std::string_view bytes(reinterpret_cast<const char*>(p), n);
            for (std::size_t pos = 0; pos < n;) {
                out.Put(DecodeUtf8(bytes, pos));
            }
            return;
    }
}

bool TextFieldWriter::Put(const unsigned char* bytes, std::size_t n) {
    if (size_ + n > cap_) {
        size_ = cap_;
        return false;
    }
    std::memcpy(out_ + size_, bytes, n);
    size_ += n;
    return true;
}

bool TextFieldWriter::EncodingByte() {
    const unsigned char byte = brambex::EncodingByte(encoding_);
    return Put(&byte, 1);
}

bool TextFieldWriter::Text(std::string_view utf8, bool terminate) {
    static constexpr unsigned char Zeros[2] = {};
    static constexpr unsigned char ByteOrderMark[2] = {0xFF, 0xFE};
    if (encoding_ == TextEncoding::Utf16 && !Put(ByteOrderMark, 2)) {
        return false;
    }
    unsigned char bytes[4];
    for (std::size_t pos = 0; pos < utf8.size();) {
        if (!Put(bytes, EncodeChar(encoding_, DecodeUtf8(utf8, pos), bytes))) {
            return false;
        }
    }
    return !terminate || Put(Zeros, UnitSize(encoding_));
}

}  // namespace brambex
