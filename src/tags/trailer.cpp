#include "tags/trailer.h"

#include <algorithm>
#include <cstring>

#include "tags/text_encoding.h"
#include "tags/unicode_compose.h"

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

// Letters given with combining marks are composed first: ISO-8859-1 holds "é" but not
// "e" and its accent. False when the text did not fit the field whole.
bool FillField(unsigned char* field, std::string_view utf8, std::size_t size = Trailer::FieldSize) {
    utf8 = UpToZero(utf8);
    std::size_t n = 0;
    std::size_t pos = 0;
    while (pos < utf8.size() && n < size) {
        const char32_t c = DecodeComposed(utf8, pos);
        field[n++] = c <= 0xFF ? static_cast<unsigned char>(c) : '?';
    }
    std::memset(field + n, 0, size - n);
    return pos == utf8.size();
}

// A long album title keeps its "_<digits>" ending, the number of a split output folder,
// so the folders of one set stay apart in players that only read ID3v1.
void KeepFolderSuffix(unsigned char* field, std::string_view utf8) {
    utf8 = UpToZero(utf8);
    const std::size_t underscore = utf8.rfind('_');
    if (underscore == std::string_view::npos) {
        return;
    }
    const std::string_view suffix = utf8.substr(underscore);
    const bool digitsOnly =
        std::all_of(suffix.begin() + 1, suffix.end(), [](char c) { return c >= '0' && c <= '9'; });
    // A suffix longer than the field would push the album out of it altogether.
    if (!digitsOnly || suffix.size() > Trailer::FieldSize) {
        return;
    }
    std::memcpy(field + Trailer::FieldSize - suffix.size(), suffix.data(), suffix.size());
}

std::string FieldText(const unsigned char* field, std::size_t size) {
    const auto* begin = reinterpret_cast<const char*>(field);
    return Latin1ToUtf8(UpToZero(std::string_view(begin, size)));
}

}  // namespace

void Trailer::Reset() {
    std::memset(bytes_, 0, sizeof bytes_);
    std::memcpy(bytes_, "TAG", 3);
    bytes_[GenreOffset] = 255;
}

bool Trailer::Read(const unsigned char* last) {
    if (std::memcmp(last, "TAG", 3) != 0) {
        Reset();
        return false;
    }
    std::memcpy(bytes_, last, Size);
    return true;
}

void Trailer::Set(std::optional<std::string_view> title, std::string_view artist,
                  std::string_view album, int track, int genre) {
    if (title.has_value()) {
        FillField(bytes_ + TitleOffset, *title);
    }
    FillField(bytes_ + ArtistOffset, artist);
    // The zero before the track byte is what tells readers that there is one (ID3v1.1).
    bytes_[TrackMarkerOffset] = 0;
    bytes_[TrackOffset] = track > 255 ? 255 : static_cast<unsigned char>(track & 0xFF);
    if (genre != -1) {
        bytes_[GenreOffset] = static_cast<unsigned char>(genre & 0xFF);
    }
    if (!FillField(bytes_ + AlbumOffset, album)) {
        KeepFolderSuffix(bytes_ + AlbumOffset, album);
    }
}

void Trailer::SetYear(std::string_view year) {
    FillField(bytes_ + YearOffset, year, YearSize);
}

std::string Trailer::Title() const {
    return FieldText(bytes_ + TitleOffset, FieldSize);
}

std::string Trailer::Artist() const {
    return FieldText(bytes_ + ArtistOffset, FieldSize);
}

std::string Trailer::Album() const {
    return FieldText(bytes_ + AlbumOffset, FieldSize);
}

int Trailer::Genre() const {
    return bytes_[GenreOffset];
}

std::string Trailer::Year() const {
    return FieldText(bytes_ + YearOffset, YearSize);
}

std::string Trailer::Comment() const {
    const std::size_t size = bytes_[TrackMarkerOffset] == 0 ? 28 : 30;
    return FieldText(bytes_ + CommentOffset, size);
}

int Trailer::Track() const {
    return bytes_[TrackMarkerOffset] == 0 ? bytes_[TrackOffset] : 0;
}

}  // namespace brambex
