// What an input frame becomes in the ID3v2.3 tag that the program writes: its 2.3 id,
// and for frames that carry texts, the payload with every text in ISO-8859-1 or UTF-16
// with a byte-order mark, the two encodings 2.3 knows. Versions 2.2 and 2.3 keep their
// payloads as they are (2.2 pictures aside); 2.4 payloads are converted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brambex {

// The 2.3 id for an input frame of the given version, written to out (four
// characters); false when 2.3 has no such frame. 2.4's date and people frames keep
// their ids here: the rewrite turns them into TYER, TDAT, TIME, TORY and IPLS.
bool MapFrameId(int version, std::string_view id, char* out);

// How the payload of a frame that carries an encoding byte is laid out; none for
// frames without texts.
enum class Field : std::uint8_t {
    Latin1Z,    // ISO-8859-1 up to and with a zero byte (a MIME type, a price)
    Fixed1,     // one byte (picture type, received as)
    Fixed3,     // three bytes (a language)
    Fixed8,     // eight bytes (a date)
    PicFormat,  // 2.2 picture: three-letter image format, written as a MIME type
    TextZ,      // one text with its terminator
    TextList,   // the rest: texts separated by terminators, joined with "/"
    TextPairs,  // the rest: texts separated by terminators, kept apart
    TextRest,   // the rest: one text
    Binary,     // the rest, as it is
};
struct FrameLayout {
    Field fields[6];
    int count;
    bool EndsInBinary() const { return fields[count - 1] == Field::Binary; }
};
const FrameLayout* LayoutOf(std::string_view v23Id, int version);

// Converts the payload bytes in[0, n) of a frame with the given layout; whole says
// whether n is the whole payload (else the layout ends in Binary and only its first
// bytes are here). Writes the converted bytes to out (at most cap) and returns how
// many, setting consumed to the input bytes they stand for; -1 when the bytes do not
// follow the layout or the texts are longer than the buffers.
std::int64_t ConvertPayload(const FrameLayout& layout, const unsigned char* in, std::size_t n,
                            bool whole, unsigned char* out, std::size_t cap, std::size_t& consumed);

// The UTF-8 form of the text payload in[0, n) (encoding byte first): its first text,
// or all of its texts joined by the separator. Written to out, cut at cap bytes on a
// character boundary.
std::size_t DecodeTextPayload(const unsigned char* in, std::size_t n, char* out, std::size_t cap,
                              bool all = false, char separator = '/');
// An encoding byte and the text, in ISO-8859-1 when it allows, else in UTF-16 with a
// byte-order mark; at most cap bytes. Returns the size.
std::size_t EncodeTextPayload(std::string_view utf8, unsigned char* out, std::size_t cap);

// The payload in[0, n) of a 2.4 chapter (CHAP) or table of contents (CTOC) frame with
// the frames it embeds in their 2.3 form; those 2.3 cannot hold are left out. -1 when
// the payload does not follow the layout or the result is longer than cap.
std::int64_t ConvertChapterPayload(std::string_view id, const unsigned char* in, std::size_t n,
                                   unsigned char* out, std::size_t cap);

// A 2.4 genre text (TCON values joined with "/") as mutagen's conversion to 2.3 gives
// it: a genre number, alone ("17") or in parentheses ("(17)", "(17)Rock"), becomes the
// list's name, and RX and CR become Remix and Cover. Written to out, at most cap bytes.
std::size_t GenreNames(std::string_view genres, char* out, std::size_t cap);

// A 2.4 time stamp ("yyyy-MM-ddTHH:mm:ss", any leading part) as the 2.3 year (TYER
// "yyyy"), date (TDAT "DDMM") and time (TIME "HHMM"); each is empty where the stamp
// lacks it, or where it is zero.
struct Id3Date {
    char year[5] = {};
    char date[5] = {};
    char time[5] = {};
};
Id3Date SplitTimeStamp(std::string_view stamp);

}  // namespace brambex
