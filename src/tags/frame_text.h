// The texts inside frames: the encoding byte that leads them, and the texts themselves
// read from frame bytes as UTF-8 and written from UTF-8 in the two encodings ID3v2.3
// knows, ISO-8859-1 and UTF-16 with a byte-order mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace brambex {

// The values are the encoding bytes on disk. 2.3 knows the first two; 2.4 adds UTF-16
// without a byte-order mark (big-endian) and UTF-8.
enum class TextEncoding : std::uint8_t { Latin1 = 0, Utf16 = 1, Utf16Be = 2, Utf8 = 3 };

// The encoding an encoding byte names; none for a byte no version defines.
std::optional<TextEncoding> TextEncodingOf(unsigned char byte);
constexpr unsigned char EncodingByte(TextEncoding encoding) {
    return static_cast<unsigned char>(encoding);
}
// The 2.3 encoding a text is written in: ISO-8859-1 when it allows, else UTF-16.
TextEncoding OutputEncoding(std::string_view utf8);
// The bytes of one code unit, which a terminator repeats as zeros.
std::size_t UnitSize(TextEncoding encoding);

// One character in a 2.3 encoding: ISO-8859-1 (the character must fit) or UTF-16
// little-endian, a surrogate pair above U+FFFF. Returns the byte count, at most 4.
std::size_t EncodeChar(TextEncoding encoding, char32_t c, unsigned char* out);

// The length of the text that starts at p (n bytes there) up to its terminator, or n
// when it has none.
std::size_t TextLength(TextEncoding encoding, const unsigned char* p, std::size_t n);
// Whether the bytes are UTF-8 throughout.
bool IsValidUtf8(const unsigned char* p, std::size_t n);

// Appends characters as UTF-8 up to a byte limit, on character boundaries.
class Utf8Out {
  public:
    Utf8Out(char* out, std::size_t cap) : out_(out), cap_(cap) {}
    void Put(char32_t c);
    std::size_t Size() const { return size_; }

  private:
    char* out_;
    std::size_t cap_;
    std::size_t size_ = 0;
    bool full_ = false;
};

// Decodes one text (without its terminator) to UTF-8. UTF-16 follows its byte-order
// mark; without one it is little-endian as encoding 1 (what Windows taggers write) and
// big-endian as encoding 2. Unpaired surrogates become ReplacementChar.
void DecodeText(TextEncoding encoding, const unsigned char* p, std::size_t n, Utf8Out& out);

// Writes texts in one 2.3 encoding into a buffer of cap bytes; a UTF-16 text starts
// with its byte-order mark. Each call is false, and writes nothing more, once the
// buffer is full.
class TextFieldWriter {
  public:
    TextFieldWriter(TextEncoding encoding, unsigned char* out, std::size_t cap)
        : encoding_(encoding), out_(out), cap_(cap) {}
    // The encoding byte that leads the frame.
    bool EncodingByte();
    bool Text(std::string_view utf8, bool terminate);
    std::size_t Size() const { return size_; }

  private:
    bool Put(const unsigned char* bytes, std::size_t n);

    TextEncoding encoding_;
    unsigned char* out_;
    std::size_t cap_;
    std::size_t size_ = 0;
};

}  // namespace brambex
