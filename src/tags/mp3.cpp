// The ID3v2.3 half of the codec: tag header, frame walk, frame texts and the output
// tag. The output tag always has the size the input tag declares, so the audio starts
// at the same offset; frames that no longer fit are left out.
#include "tags/mp3.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "tags/byte_order.h"
#include "tags/diagnostic.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

constexpr int TagHeaderSize = 10;
constexpr int FrameHeaderSize = 10;
constexpr unsigned char FlagUnsynchronisation = 0x80;
constexpr unsigned char FlagExtendedHeader = 0x40;
// Second frame flag byte: how the payload is stored.
constexpr unsigned char FrameCompressed = 0x80;
constexpr unsigned char FrameEncrypted = 0x40;
constexpr unsigned char FrameGrouped = 0x20;

// Writes the text's characters to out, cut at limit bytes on a character boundary.
class Utf8Writer {
  public:
    Utf8Writer(char* out, std::size_t limit) : out_(out), limit_(limit) {}
    bool Put(char32_t c) {
        char encoded[4];
        const std::size_t n = EncodeUtf8(c, encoded);
        if (length_ + n > limit_) {
            return false;
        }
        std::memcpy(out_ + length_, encoded, n);
        length_ += n;
        return true;
    }
    std::string_view Text() const { return {out_, length_}; }

  private:
    char* out_;
    std::size_t limit_;
    std::size_t length_ = 0;
};

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

}  // namespace

MP3::MP3() : tagSize(-1), tagBytesWritten(0), frameHeader{}, frameSize(0), frameData{} {
    ResetTrailer();
}

bool MP3::ReadHeader(InputFile& in, OutputFile* out) {
    tagSize = -1;
    tagBytesWritten = 0;
    frameValid_ = false;
    walkEnded_ = false;
    tagStart_ = in.Position();
    tagHeaderBytes_ = in.Read(tagHeader_, TagHeaderSize);
    if (in.Error() != 0) {
        CheckStreams(&in, nullptr);
        return false;
    }
    if (tagHeaderBytes_ < 3 || std::memcmp(tagHeader_, "ID3", 3) != 0) {
        WriteDiagnostic("No ID3 identifier");
        return false;
    }
    if (tagHeaderBytes_ < 4 || tagHeader_[3] != 3) {
        WriteDiagnostic("ID3 version is not 3");
        return false;
    }
    const bool sizeBytesValid =
        tagHeaderBytes_ == TagHeaderSize &&
        ((tagHeader_[6] | tagHeader_[7] | tagHeader_[8] | tagHeader_[9]) & 0x80) == 0;
    const std::int64_t size = sizeBytesValid ? ReadSyncsafe32(tagHeader_ + 6) : -1;
    const std::int64_t fileSize = in.Size();
    if (size < 0 || (fileSize >= 0 && tagStart_ + TagHeaderSize + size > fileSize)) {
        WriteDiagnostic("ID3 tag size is invalid");
        return false;
    }
    // Undoing unsynchronisation would change every frame's bytes; such a tag is kept
    // whole instead.
    const unsigned char flags = tagHeader_[5];
    if (flags & FlagUnsynchronisation) {
        WriteDiagnostic("ID3 tag is unsynchronised");
        return false;
    }
    std::int64_t framesStart = tagStart_ + TagHeaderSize;
    unsigned char header[TagHeaderSize];
    std::memcpy(header, tagHeader_, sizeof header);
    if (flags & FlagExtendedHeader) {
        // Its size excludes its own four bytes. The output tag goes without it: its CRC
        // and padding size would no longer hold.
        unsigned char extended[4];
        const std::uint32_t extendedSize = in.Read(extended, sizeof extended) == sizeof extended
                                               ? ReadUint32BigEndian(extended)
                                               : 0xFFFFFFFFu;
        if (size < 4 || extendedSize > static_cast<std::uint64_t>(size - 4)) {
            CheckStreams(&in, nullptr);
            WriteDiagnostic("ID3 extended header is invalid");
            return false;
        }
        framesStart += 4 + extendedSize;
        header[5] = static_cast<unsigned char>(flags & ~FlagExtendedHeader);
    }
    if (out != nullptr) {
        out->Write(header, sizeof header);
        CheckStreams(nullptr, out);
    }
    tagSize = static_cast<std::int32_t>(size);
    tagEnd_ = tagStart_ + TagHeaderSize + size;
    nextFramePos_ = framesStart;
    return true;
}

bool MP3::NextFrame(InputFile& in) {
    frameValid_ = false;
    if (tagSize < 0 || walkEnded_) {
        return false;
    }
    walkEnded_ = true;
    // Without room for a frame header the rest of the tag can only be padding; reading
    // on would take audio bytes for a frame.
    if (nextFramePos_ + FrameHeaderSize > tagEnd_) {
        return false;
    }
    in.Seek(nextFramePos_);
    if (in.Read(frameHeader, FrameHeaderSize) < FrameHeaderSize) {
        CheckStreams(&in, nullptr);
        return false;
    }
    frameSize = static_cast<std::int32_t>(ReadUint32BigEndian(frameHeader + 4));
    if (frameSize <= 0) {
        return false;
    }
    const std::int64_t payloadStart = nextFramePos_ + FrameHeaderSize;
    if (frameSize > tagEnd_ - payloadStart) {
        WriteDiagnosticNumber("Frame too big: ", frameSize);
        return false;
    }
    // A long frame (a cover picture, mostly) stays in the input; the first bytes are
    // enough to show what it is.
    const std::int32_t buffered = std::min(frameSize, MaxPayload);
    if (in.Read(frameData, static_cast<std::size_t>(buffered)) <
        static_cast<std::size_t>(buffered)) {
        CheckStreams(&in, nullptr);
        return false;
    }
    frameData[buffered] = 0;
    bufferedSize_ = buffered;
    payloadRestPos_ = payloadStart + buffered;
    frameInput_ = &in;
    nextFramePos_ = payloadStart + frameSize;
    frameValid_ = true;
    walkEnded_ = false;
    return true;
}

bool MP3::IsFrame(std::string_view id) const {
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = i < id.size() ? id[i] : '\0';
        if (static_cast<unsigned char>(c) != frameHeader[i]) {
            return false;
        }
        if (c == '\0') {
            return true;
        }
    }
    return true;
}

std::string_view MP3::FrameId() const {
    return {reinterpret_cast<const char*>(frameHeader), 4};
}

int MP3::MajorVersion() const {
    return tagHeaderBytes_ >= 4 && std::memcmp(tagHeader_, "ID3", 3) == 0 ? tagHeader_[3] : -1;
}

int MP3::Revision() const {
    return tagHeaderBytes_ >= 5 && std::memcmp(tagHeader_, "ID3", 3) == 0 ? tagHeader_[4] : -1;
}

std::string_view MP3::FrameText() {
    // Even without a text the result is a zero-terminated buffer, never a null pointer.
    text_[0] = '\0';
    if (!frameValid_ || (frameHeader[9] & (FrameCompressed | FrameEncrypted))) {
        return {text_, 0};
    }
    // A grouped frame carries its group id before the payload proper.
    const std::size_t skip = (frameHeader[9] & FrameGrouped) ? 1 : 0;
    const std::size_t size = static_cast<std::size_t>(bufferedSize_);
    if (size <= skip) {
        return {text_, 0};
    }
    DecodeFrameText(frameData + skip, size - skip);
    return {text_};
}

void MP3::DecodeFrameText(const unsigned char* payload, std::size_t n) {
    Utf8Writer writer(text_, sizeof text_ - 1);
    const unsigned char encoding = payload[0];
    const unsigned char* p = payload + 1;
    const std::size_t length = n - 1;
    if (encoding == 0) {
        for (std::size_t i = 0; i < length && p[i] != 0 && writer.Put(p[i]); ++i) {
        }
    } else if (encoding == 1 || encoding == 2) {
        // UTF-16: the byte-order mark decides; without one, little-endian for encoding 1
        // (what Windows taggers write) and big-endian for encoding 2.
        bool little = encoding == 1;
        std::size_t i = 0;
        if (length >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
            little = p[0] == 0xFF;
            i = 2;
        }
        const auto unitAt = [&](std::size_t k) -> char32_t {
            return little ? char32_t(p[k] | (p[k + 1] << 8)) : char32_t((p[k] << 8) | p[k + 1]);
        };
        while (i + 1 < length) {
            char32_t c = unitAt(i);
            i += 2;
            if (c == 0) {
                break;
            }
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && unitAt(i) >= 0xDC00 &&
                unitAt(i) <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (unitAt(i) - 0xDC00);
                i += 2;
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                c = ReplacementChar;
            }
            if (!writer.Put(c)) {
                break;
            }
        }
    } else {
        // Encoding 3 is UTF-8; any other first byte means the payload is text from its
        // first byte on, in UTF-8 when it reads as such and in ISO-8859-1 otherwise.
        const unsigned char* text = encoding == 3 ? p : payload;
        const std::size_t available = encoding == 3 ? length : n;
        const std::size_t end =
            static_cast<std::size_t>(std::find(text, text + available, 0) - text);
        const std::string_view bytes(reinterpret_cast<const char*>(text), end);
        if (encoding == 3 || IsValidUtf8(text, end)) {
            for (std::size_t pos = 0; pos < end && writer.Put(DecodeUtf8(bytes, pos));) {
            }
        } else {
            for (std::size_t i = 0; i < end && writer.Put(text[i]); ++i) {
            }
        }
    }
    text_[writer.Text().size()] = '\0';
}

void MP3::SetFrameText(std::string_view utf8) {
    utf8 = utf8.substr(0, std::min(utf8.size(), utf8.find('\0')));
    std::size_t n = 1;
    if (FitsLatin1(utf8)) {
        frameData[0] = static_cast<unsigned char>(TextEncoding::Latin1);
        for (std::size_t pos = 0; pos < utf8.size() && n < MaxPayload;) {
            frameData[n++] = static_cast<unsigned char>(DecodeUtf8(utf8, pos));
        }
    } else {
        frameData[0] = static_cast<unsigned char>(TextEncoding::Utf16);
        frameData[n++] = 0xFF;
        frameData[n++] = 0xFE;
        const auto putUnit = [&](char32_t unit) {
            frameData[n++] = static_cast<unsigned char>(unit & 0xFF);
            frameData[n++] = static_cast<unsigned char>(unit >> 8);
        };
        for (std::size_t pos = 0; pos < utf8.size();) {
            const char32_t c = DecodeUtf8(utf8, pos);
            const std::size_t units = c >= 0x10000 ? 2 : 1;
            if (n + 2 * units > MaxPayload) {
                break;
            }
            if (units == 2) {
                putUnit(0xD800 + ((c - 0x10000) >> 10));
                putUnit(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                putUnit(c);
            }
        }
    }
    frameData[n] = 0;
    frameSize = static_cast<std::int32_t>(n);
    bufferedSize_ = frameSize;
    WriteUint32BigEndian(frameHeader + 4, static_cast<std::uint32_t>(frameSize));
    // Compression, encryption and grouping described the old payload, not this one.
    frameHeader[9] = 0;
}

void MP3::WriteFrame(OutputFile* out) {
    if (!frameValid_ ||
        std::int64_t{frameSize} + FrameHeaderSize > std::int64_t{tagSize} - tagBytesWritten) {
        return;
    }
    if (out != nullptr) {
        out->Write(frameHeader, FrameHeaderSize);
        out->Write(frameData, static_cast<std::size_t>(bufferedSize_));
        if (bufferedSize_ < frameSize && !out->Failed()) {
            const auto rest = static_cast<std::uint64_t>(frameSize - bufferedSize_);
            frameInput_->Seek(payloadRestPos_);
            if (CopyBytes(*frameInput_, *out, rest) < rest) {
                ReportShortInput(*frameInput_, out);
            }
        }
        CheckStreams(nullptr, out);
    }
    tagBytesWritten += frameSize + FrameHeaderSize;
}

void MP3::AddFrame(OutputFile* out, std::string_view id, std::string_view utf8) {
    for (std::size_t i = 0; i < 4; ++i) {
        frameHeader[i] = i < id.size() ? static_cast<unsigned char>(id[i]) : 0;
    }
    frameHeader[8] = 0;
    frameHeader[9] = 0;
    SetFrameText(utf8);
    frameValid_ = true;
    WriteFrame(out);
}

void MP3::FinishTag(InputFile& in, OutputFile* out) {
    static constexpr unsigned char Zeros[MaxPayload] = {};
    while (tagBytesWritten < tagSize) {
        const std::int32_t k = std::min(tagSize - tagBytesWritten, MaxPayload);
        if (out != nullptr) {
            out->Write(Zeros, static_cast<std::size_t>(k));
        }
        tagBytesWritten += k;
    }
    CheckStreams(nullptr, out);
    in.Seek(AudioStart());
}

std::int64_t MP3::AudioStart() const {
    return tagSize >= 0 ? tagEnd_ : tagStart_;
}

void MP3::CheckStreams(const InputFile* in, const OutputFile* out) {
    if (in != nullptr && in->Error() != 0) {
        failed_ = true;
        if (!readReported_) {
            readReported_ = true;
            WriteDiagnostic("Cannot read the input: ", in->Error());
        }
    }
    if (out != nullptr && out->Failed()) {
        failed_ = true;
        if (!writeReported_) {
            writeReported_ = true;
            WriteDiagnostic("Cannot write the output: ", out->Error());
        }
    }
}

void MP3::ReportShortInput(const InputFile& in, const OutputFile* out) {
    failed_ = true;
    if (in.Error() == 0 && (out == nullptr || !out->Failed()) && !readReported_) {
        readReported_ = true;
        WriteDiagnostic("The input ended early");
    }
    CheckStreams(&in, out);
}

}  // namespace brambex
