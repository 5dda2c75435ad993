// The ID3v1 half of the codec: the 128-byte trailer that ends the output. Its text
// fields are ISO-8859-1, 30 bytes each, zero-filled, with no terminating zero when full.
#include <algorithm>
#include <cstring>

#include "tags/mp3.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

constexpr int TitleOffset = 3;
constexpr int ArtistOffset = 33;
constexpr int AlbumOffset = 63;
constexpr int YearOffset = 93;
constexpr int YearSize = 4;
constexpr int CommentOffset = 97;
constexpr int TrackMarkerOffset = 125;
constexpr int TrackOffset = 126;
constexpr int GenreOffset = 127;

std::string_view UpToZero(std::string_view text) {
    return text.substr(0, std::min(text.size(), text.find('\0')));
}

void FillField(unsigned char* field, std::string_view utf8) {
    utf8 = UpToZero(utf8);
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < utf8.size() && n < MP3::TrailerFieldSize;) {
        const char32_t c = DecodeUtf8(utf8, pos);
        field[n++] = c <= 0xFF ? static_cast<unsigned char>(c) : '?';
    }
    std::memset(field + n, 0, MP3::TrailerFieldSize - n);
}

// A long album title keeps its "_<digits>" ending, the number of a split output folder,
// so the folders of one set stay apart in players that only read ID3v1.
void KeepFolderSuffix(unsigned char* field, std::string_view utf8) {
    utf8 = UpToZero(utf8);
    if (CountUtf8Chars(utf8) < MP3::TrailerFieldSize) {
        return;
    }
    const std::size_t underscore = utf8.rfind('_');
    if (underscore == std::string_view::npos) {
        return;
    }
    const std::string_view suffix = utf8.substr(underscore);
    const bool digitsOnly =
        std::all_of(suffix.begin() + 1, suffix.end(), [](char c) { return c >= '0' && c <= '9'; });
    // A suffix longer than the field would push the album out of it altogether.
    if (!digitsOnly || suffix.size() > MP3::TrailerFieldSize) {
        return;
    }
    std::memcpy(field + MP3::TrailerFieldSize - suffix.size(), suffix.data(), suffix.size());
}

std::string FieldText(const unsigned char* field, std::size_t size) {
    const auto* begin = reinterpret_cast<const char*>(field);
    return Latin1ToUtf8(UpToZero(std::string_view(begin, size)));
}

}  // namespace

void MP3::ResetTrailer() {
    std::memset(trailer, 0, sizeof trailer);
    std::memcpy(trailer, "TAG", 3);
    trailer[GenreOffset] = 255;
}

void MP3::SetTrailer(std::optional<std::string_view> title, std::string_view artist,
                     std::string_view album, int track, int genre) {
    if (title.has_value()) {
        FillField(trailer + TitleOffset, *title);
    }
    FillField(trailer + ArtistOffset, artist);
    // The zero before the track byte is what tells readers that there is one (ID3v1.1).
    trailer[TrackMarkerOffset] = 0;
    trailer[TrackOffset] = track > 255 ? 255 : static_cast<unsigned char>(track & 0xFF);
    if (genre != -1) {
        trailer[GenreOffset] = static_cast<unsigned char>(genre & 0xFF);
    }
    FillField(trailer + AlbumOffset, album);
    KeepFolderSuffix(trailer + AlbumOffset, album);
}

bool MP3::WriteTrailer(OutputFile* out) {
    if (out != nullptr) {
        out->Write(trailer, sizeof trailer);
        CheckStreams(nullptr, out);
    }
    return !failed_;
}

std::string MP3::TrailerTitle() const {
    return FieldText(trailer + TitleOffset, TrailerFieldSize);
}

std::string MP3::TrailerArtist() const {
    return FieldText(trailer + ArtistOffset, TrailerFieldSize);
}

std::string MP3::TrailerAlbum() const {
    return FieldText(trailer + AlbumOffset, TrailerFieldSize);
}

int MP3::TrailerGenre() const {
    return trailer[GenreOffset];
}

std::string MP3::TrailerYear() const {
    return FieldText(trailer + YearOffset, YearSize);
}

std::string MP3::TrailerComment() const {
    const std::size_t size = trailer[TrackMarkerOffset] == 0 ? 28 : 30;
    return FieldText(trailer + CommentOffset, size);
}

int MP3::TrailerTrack() const {
    return trailer[TrackMarkerOffset] == 0 ? trailer[TrackOffset] : 0;
}

}  // namespace brambex
