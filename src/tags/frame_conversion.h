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
// characters); false when 2.3 has no such frame. 2.4's date, people, mood and volume
// frames keep their ids here: the rewrite turns them into TYER, TDAT, TIME, TORY, IPLS
// and TXXX.
bool MapFrameId(int version, std::string_view id, char* out);

// How the payload of a frame is laid out, for frames that carry texts or are told
// apart by a description or owner; none for the others.
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
const FrameLayout* LayoutOf(std::string_view v23Id, int version);
// 2.4's mood as the user text 2.3 readers know it by: TXXX "MOOD".
const FrameLayout& MoodLayout();

// The UTF-8 form of the text payload in[0, n) (encoding byte first): its first text,
// or all of its texts joined by the separator. Written to out, cut at cap bytes on a
// character boundary.
std::size_t DecodeTextPayload(const unsigned char* in, std::size_t n, char* out, std::size_t cap,
                              bool all = false, char separator = '/');
// An encoding byte and the text, in ISO-8859-1 when it allows, else in UTF-16 with a
// byte-order mark; at most cap bytes. Returns the size.
std::size_t EncodeTextPayload(std::string_view utf8, unsigned char* out, std::size_t cap);

// A 2.4 genre text (TCON values joined with "/") as mutagen's conversion to 2.3 gives
// it: a genre number, alone ("17") or in parentheses ("(17)", "(17)Rock"), becomes the
// list's name, and RX and CR become Remix and Cover. Written to out, at most cap bytes.
std::size_t GenreNames(std::string_view genres, char* out, std::size_t cap);

// 2.4's relative volume adjustment (RVA2) as the ReplayGain texts readers look for:
// the master volume's gain ("-6.20 dB") and peak ("0.988553"), of the album when the
// frame's identification says "album", else of the track. False without a master
// volume channel.
struct VolumeAdjustment {
    bool album = false;
    char gain[24] = {};
    char peak[24] = {};
};
bool ReadVolumeAdjustment(const unsigned char* in, std::size_t n, VolumeAdjustment& out);

// A 2.4 time stamp ("yyyy-MM-ddTHH:mm:ss", any leading part) as the 2.3 year (TYER
// "yyyy"), date (TDAT "DDMM") and time (TIME "HHMM"); each is empty where the stamp
// lacks it, and the year and date where they are zero. Midnight is a time.
struct Id3Date {
    char year[5] = {};
    char date[5] = {};
    char time[5] = {};
};
Id3Date SplitTimeStamp(std::string_view stamp);

}  // namespace brambex
