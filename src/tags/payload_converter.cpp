// The conversion reads its payload through a look-ahead buffer a byte at a time and
// writes through another: a character split between two reads needs no care beyond
// the few bytes a UTF-8 sequence or a UTF-16 surrogate pair holds back.
#include "tags/payload_converter.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "tags/frame_header.h"
#include "tags/frame_ids.h"
#include "tags/frame_text.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

constexpr std::uint32_t HashStart = 2166136261u;

std::uint32_t Hash(std::uint32_t hash, unsigned char byte) {
    return (hash ^ byte) * 16777619u;
}

std::size_t Utf8Length(unsigned char lead) {
    return (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
}

}  // namespace

std::uint64_t PayloadSource::CopyTo(PayloadSink& sink, std::uint64_t n) {
    unsigned char block[1024];
    std::uint64_t copied = 0;
    while (copied < n) {
        const std::size_t got =
            Read(block, static_cast<std::size_t>(std::min<std::uint64_t>(n - copied, 1024)));
        if (got == 0) {
            break;
        }
        sink.Write(block, got);
        copied += got;
    }
    return copied;
}

std::size_t MemorySource::Read(unsigned char* out, std::size_t n) {
    const std::size_t k = std::min(n, size_ - pos_);
    std::memcpy(out, bytes_ + pos_, k);
    pos_ += k;
    return k;
}

std::uint64_t MemorySource::Skip(std::uint64_t n) {
    const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - pos_));
    pos_ += k;
    return k;
}

PayloadConverter::Result PayloadConverter::Measure(const FrameLayout& layout, PayloadSource& in,
                                                   std::string_view name) {
    in_ = &in;
    out_ = nullptr;
    latin1_ = true;
    fits_ = true;
    latin1Size_ = utf16Size_ = 0;
    Result result;
    result.valid = Run(layout, name);
    if (!result.valid) {
        in.Skip(PayloadSource::All);
    }
    result.latin1 = fits_;
    result.size = fits_ ? latin1Size_ : utf16Size_;
    result.key = key_;
    return result;
}

void PayloadConverter::Write(const FrameLayout& layout, PayloadSource& in, bool latin1,
                             PayloadSink& out, std::string_view name) {
    in_ = &in;
    out_ = &out;
    latin1_ = latin1;
    Run(layout, name);
    Flush();
    out_ = nullptr;
}

bool PayloadConverter::Run(const FrameLayout& layout, std::string_view name) {
    textCount_ = 0;
    captureSize_ = 0;
    capturing_ = hashing_ = false;
    key_ = HashStart;
    inPos_ = inSize_ = outSize_ = 0;
    std::optional<TextEncoding> encoding = TextEncoding::Latin1;
    if (layout.encoded) {
        unsigned char byte = 0;
        if (!Next(byte) || !(encoding = TextEncodingOf(byte))) {
            return false;
        }
        Raw(EncodingByte(latin1_ ? TextEncoding::Latin1 : TextEncoding::Utf16));
    }
    for (int f = 0; f < layout.count; ++f) {
        const Field field = layout.fields[f];
        if (!FieldOf(field, *encoding, f == layout.keyField, name)) {
            return false;
        }
        if (field == Field::Binary) {
            return true;
        }
    }
    // What follows the last field is no part of the frame's 2.3 form.
    inPos_ = inSize_;
    in_->Skip(PayloadSource::All);
    return true;
}

bool PayloadConverter::FieldOf(Field field, TextEncoding encoding, bool key,
                               std::string_view name) {
    switch (field) {
        case Field::Fixed1:
        case Field::Fixed3:
        case Field::Fixed4:
        case Field::Fixed8:
        case Field::PicFormat:
            return FixedField(field);
        case Field::Latin1Z:
            for (unsigned char byte = 1; byte != 0 && Next(byte);) {
                Raw(byte);
                key_ = key && byte != 0 ? Hash(key_, byte) : key_;
            }
            return true;
        case Field::Name:
            BeginText(key);
            Name(name);
            EndText(true);
            return true;
        case Field::TextZ:
        case Field::TextRest:
            BeginText(key);
            Text(encoding);
            EndText(field == Field::TextZ);
            return true;
        case Field::TextList:
            // One 2.3 text: the values joined with "/"; a terminator at the very end
            // closes the last value and starts none.
            BeginText(key);
            while (Text(encoding) && !AtEnd()) {
                Char('/');
            }
            EndText(false);
            return true;
        case Field::TextPairs:
        case Field::Synced:
            return TextsEach(encoding, field == Field::Synced);
        case Field::Binary:
            return CopyRest();
    }
    return false;
}

bool PayloadConverter::FixedField(Field field) {
    const int size = field == Field::Fixed1   ? 1
                     : field == Field::Fixed4 ? 4
                     : field == Field::Fixed8 ? 8
                                              : 3;
    unsigned char bytes[8];
    for (int i = 0; i < size; ++i) {
        if (!Next(bytes[i])) {
            return false;
        }
    }
    if (field != Field::PicFormat) {
        std::for_each(bytes, bytes + size, [this](unsigned char b) { Raw(b); });
        return true;
    }
    const std::string_view format(reinterpret_cast<const char*>(bytes), 3);
    const std::string_view mime = format == "JPG"   ? "image/jpeg"
                                  : format == "PNG" ? "image/png"
                                                    : format;
    std::for_each(mime.begin(), mime.end(), [this](char c) { Raw(static_cast<unsigned char>(c)); });
    Raw(0);
    return true;
}

bool PayloadConverter::TextsEach(TextEncoding encoding, bool synced) {
    // Each text with its terminator, a time after each of the synchronised ones.
    unsigned char byte = 0;
    while (!AtEnd()) {
        BeginText(false);
        Text(encoding);
        EndText(true);
        for (int i = 0; synced && i < 4; ++i) {
            if (!Next(byte)) {
                return false;
            }
            Raw(byte);
        }
    }
    return true;
}

bool PayloadConverter::Next(unsigned char& byte) {
    if (inPos_ == inSize_) {
        inSize_ = in_->Read(inBuffer_, sizeof inBuffer_);
        inPos_ = 0;
        if (inSize_ == 0) {
            return false;
        }
    }
    byte = inBuffer_[inPos_++];
    return true;
}

bool PayloadConverter::AtEnd() {
    if (inPos_ < inSize_) {
        return false;
    }
    inSize_ = in_->Read(inBuffer_, sizeof inBuffer_);
    inPos_ = 0;
    return inSize_ == 0;
}

void PayloadConverter::Raw(unsigned char byte) {
    if (out_ == nullptr) {
        ++latin1Size_;
        ++utf16Size_;
        return;
    }
    outBuffer_[outSize_++] = byte;
    if (outSize_ == sizeof outBuffer_) {
        Flush();
    }
}

void PayloadConverter::Flush() {
    if (out_ != nullptr && outSize_ > 0) {
        out_->Write(outBuffer_, outSize_);
    }
    outSize_ = 0;
}

void PayloadConverter::BeginText(bool key) {
    capturing_ = ++textCount_ == 1;
    hashing_ = key;
    if (out_ == nullptr) {
        utf16Size_ += 2;
    } else if (!latin1_) {
        Raw(0xFF);
        Raw(0xFE);
    }
}

void PayloadConverter::EndText(bool terminate) {
    capturing_ = hashing_ = false;
    if (!terminate) {
        return;
    }
    if (out_ == nullptr) {
        ++latin1Size_;
        utf16Size_ += 2;
        return;
    }
    Raw(0);
    if (!latin1_) {
        Raw(0);
    }
}

void PayloadConverter::Char(char32_t c) {
    if (capturing_ || hashing_) {
        char utf8[4];
        const std::size_t k = EncodeUtf8(c, utf8);
        for (std::size_t i = 0; hashing_ && i < k; ++i) {
            key_ = Hash(key_, static_cast<unsigned char>(utf8[i]));
        }
        if (capturing_ && captureSize_ + k <= MaxCapture) {
            std::memcpy(capture_ + captureSize_, utf8, k);
            captureSize_ += k;
        } else {
            capturing_ = false;
        }
    }
    if (out_ == nullptr) {
        fits_ = fits_ && c <= 0xFF;
        ++latin1Size_;
        utf16Size_ += c >= 0x10000 ? 4 : 2;
        return;
    }
    unsigned char bytes[4];
    const std::size_t n =
        EncodeChar(latin1_ ? TextEncoding::Latin1 : TextEncoding::Utf16, c, bytes);
    std::for_each(bytes, bytes + n, [this](unsigned char b) { Raw(b); });
}

void PayloadConverter::Name(std::string_view utf8) {
    for (std::size_t pos = 0; pos < utf8.size();) {
        Char(DecodeUtf8(utf8, pos));
    }
}

bool PayloadConverter::Text(TextEncoding encoding) {
    if (encoding == TextEncoding::Latin1) {
        for (unsigned char byte = 0; Next(byte);) {
            if (byte == 0) {
                return true;
            }
            Char(byte);
        }
        return false;
    }
    return encoding == TextEncoding::Utf8 ? Utf8Text() : Utf16Text(encoding == TextEncoding::Utf16);
}

bool PayloadConverter::Utf8Text() {
    // A sequence is decoded once all of its bytes are here, or the text has ended.
    unsigned char pending[4];
    std::size_t held = 0;
    for (unsigned char byte = 0;;) {
        const bool got = Next(byte);
        const bool more = got && byte != 0;
        if (more) {
            pending[held++] = byte;
        }
        while (held > 0 && (!more || held >= Utf8Length(pending[0]))) {
            std::size_t pos = 0;
            Char(DecodeUtf8({reinterpret_cast<const char*>(pending), held}, pos));
            std::memmove(pending, pending + pos, held - pos);
            held -= pos;
        }
        if (!more) {
            return got;
        }
    }
}

bool PayloadConverter::Utf16Text(bool little) {
    // The byte-order mark decides; without one, little-endian for encoding 1 (what
    // Windows taggers write) and big-endian for encoding 2.
    bool first = true;
    char32_t high = 0;
    unsigned char a = 0;
    unsigned char b = 0;
    bool terminated = false;
    while (Next(a) && Next(b)) {
        if (a == 0 && b == 0) {
            terminated = true;
            break;
        }
        if (std::exchange(first, false) && ((a == 0xFF && b == 0xFE) || (a == 0xFE && b == 0xFF))) {
            little = a == 0xFF;
            continue;
        }
        const char32_t unit = little ? char32_t(a | (b << 8)) : char32_t((a << 8) | b);
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high != 0) {
            Char(low ? 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00) : ReplacementChar);
            high = 0;
            if (low) {
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            high = unit;
        } else {
            Char(low ? ReplacementChar : unit);
        }
    }
    if (high != 0) {
        Char(ReplacementChar);
    }
    return terminated;
}

bool PayloadConverter::CopyRest() {
    const std::size_t held = inSize_ - inPos_;
    if (out_ == nullptr) {
        const std::uint64_t n = held + in_->Skip(PayloadSource::All);
        latin1Size_ += n;
        utf16Size_ += n;
    } else {
        Flush();
        out_->Write(inBuffer_ + inPos_, held);
        in_->CopyTo(*out_, PayloadSource::All);
    }
    inPos_ = inSize_;
    return true;
}

}  // namespace brambex
