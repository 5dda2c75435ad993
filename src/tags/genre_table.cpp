#include "tags/genre_table.h"
#include "platform/ascii_case.h"

#include <array>

namespace brambex {

namespace {

// Numbers 0-79 are the list that came with ID3v1, 80-125 the common extension. The
// spellings (including "Psychadelic") are those that other programs store and match.
constexpr std::array<std::string_view, GenreTable::Count> GenreNames = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    "Folk",
    "Folk-Rock",
    "National Folk",
    "Swing",
    "Fast Fusion",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Power Ballad",
    "Rhythmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "A capella",
    "Euro-House",
    "Dance Hall",
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Decimal digits from pos on; -1 when there are none. Anything too large for the list
// stops growing but the digits are still read.
int ReadNumber(std::string_view text, std::size_t& pos) {
    const std::size_t first = pos;
    int value = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        value = value < 1000 ? value * 10 + (text[pos] - '0') : value;
    }
    return pos > first ? value : -1;
}

// "(17)" with blanks around the number and a sign before it, as genre texts were once
// read; the text may go on after the ")".
GenreText ReadReference(std::string_view text) {
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < text.size() && IsBlank(text[pos])) {
            ++pos;
        }
    };
    skipBlanks();
    if (pos == text.size() || text[pos] != '(') {
        return {};
    }
    ++pos;
    skipBlanks();
    const bool negative = pos < text.size() && text[pos] == '-';
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        ++pos;
    }
    const int number = ReadNumber(text, pos);
    skipBlanks();
    if (number < 0 || (negative && number != 0) || number >= GenreTable::Count ||
        pos == text.size() || text[pos] != ')') {
        return {};
    }
    return {GenreText::Form::Reference, number, pos + 1};
}

}  // namespace

GenreText ReadGenreText(std::string_view text) {
    if (const GenreText reference = ReadReference(text); reference.form != GenreText::Form::None) {
        return reference;
    }
    std::size_t pos = 0;
    const int number = ReadNumber(text, pos);
    if (number >= 0 && pos == text.size()) {
        return number < GenreTable::Count ? GenreText{GenreText::Form::Number, number, pos}
                                          : GenreText{};
    }
    const int named = GenreTable::GenreNumber(text);
    return named >= 0 ? GenreText{GenreText::Form::Name, named, text.size()} : GenreText{};
}

std::optional<std::string_view> GenreTable::GenreName(int number) {
    if (number < 0 || number >= Count) {
        return std::nullopt;
    }
    return GenreNames[static_cast<std::size_t>(number)];
}

int GenreTable::GenreNumber(std::string_view name) {
    for (int i = 0; i < Count; ++i) {
        if (EqualIgnoringAsciiCase(GenreNames[static_cast<std::size_t>(i)], name)) {
            return i;
        }
    }
    return -1;
}

std::string GenreReference(int number) {
    return "(" + std::to_string(number) + ")";
}

}  // namespace brambex
