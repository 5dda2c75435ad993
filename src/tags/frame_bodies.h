// The payloads of the frames that carry texts or are told apart by a description or
// owner, one small type each. A frame's layout says field by field how its payload is
// read, so that a payload of any length converts as it streams (payload_converter.h);
// the frames the program makes itself are rendered whole, being small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brambex {

// How one field of a payload is laid out.
enum class Field : std::uint8_t {
    Latin1Z,    // ISO-8859-1 up to and with a zero byte (a MIME type, a price, an owner)
    Fixed1,     // one byte (picture type, received as)
    Fixed3,     // three bytes (a language)
    Fixed4,     // four bytes (a time stamp)
    Fixed8,     // eight bytes (a date)
    PicFormat,  // 2.2 picture: three-letter image format, written as a MIME type
    Name,       // a text the input lacks, given by the caller, with its terminator
    TextZ,      // one text with its terminator
    TextList,   // the rest: texts separated by terminators, joined with "/"
    TextPairs,  // the rest: texts separated by terminators, kept apart
    TextRest,   // the rest: one text
    Synced,     // the rest: texts, each with its terminator and a four-byte time
    Binary,     // the rest, as it is
};
struct FrameLayout {
    Field fields[8];
    int count;
    // Whether an encoding byte leads the payload.
    bool encoded = true;
    // The field that tells frames of one id apart (a description, an owner); -1: none.
    int keyField = -1;
};

// T000 to TZZZ but TXXX: an encoding byte, then texts separated by terminators.
struct TextFrame {
    static constexpr FrameLayout Layout{{Field::TextList}, 1};
    // The UTF-8 form of the payload in[0, n): its first text, or all of its texts
    // joined by the separator. Written to out, cut at cap bytes on a character
    // boundary. A payload whose first byte is no encoding is one text with no encoding
    // byte, as some taggers write it: UTF-8 when it reads as such, else ISO-8859-1.
    static std::size_t Parse(const unsigned char* in, std::size_t n, char* out, std::size_t cap,
                             bool all = false, char separator = '/');
    // The encoding byte and the text (up to a zero byte) in its 2.3 encoding, in at most
    // cap bytes: a longer text is cut on a character boundary. Returns the size.
    static std::size_t Render(std::string_view utf8, unsigned char* out, std::size_t cap);
};

// TXXX and WXXX: a description, then a text or an ISO-8859-1 address.
struct UserTextFrame {
    static constexpr FrameLayout Layout{{Field::TextZ, Field::TextList}, 2, true, 0};
    static constexpr FrameLayout UrlLayout{{Field::TextZ, Field::Binary}, 2, true, 0};
    // 2.4's mood (TMOO) as the user text 2.3 readers know it by: TXXX "MOOD".
    static constexpr FrameLayout NamedLayout{{Field::Name, Field::TextList}, 2, true, 0};
    // A TXXX payload, both texts in one 2.3 encoding; 0 when it needs more than cap.
    static std::size_t Render(std::string_view description, std::string_view value,
                              unsigned char* out, std::size_t cap);
};

// COMM and USLT: a language, a description, then the text.
struct CommentFrame {
    static constexpr FrameLayout Layout{{Field::Fixed3, Field::TextZ, Field::TextRest}, 3, true, 1};
};

// APIC: a MIME type (2.2: a three-letter image format), the picture type, a
// description, then the picture.
struct PictureFrame {
    static constexpr FrameLayout Layout{
        {Field::Latin1Z, Field::Fixed1, Field::TextZ, Field::Binary}, 4, true, 2};
    static constexpr FrameLayout V22Layout{
        {Field::PicFormat, Field::Fixed1, Field::TextZ, Field::Binary}, 4, true, 2};
};

// IPLS, 2.4's TIPL and TMCL: texts in pairs, a role and a name.
struct PeopleFrame {
    static constexpr FrameLayout Layout{{Field::TextPairs}, 1};
};

// The layout of a 2.3 frame's payload (of 2.2's picture for version 2), for frames
// that carry texts or are told apart by a description or owner; none for the others.
// Chapters (CHAP, CTOC) are frames of frames: see PayloadConverter::MeasureChapter.
const FrameLayout* LayoutOf(std::string_view v23Id, int version);

}  // namespace brambex
