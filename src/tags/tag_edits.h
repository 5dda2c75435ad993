// What a caller of the MP3 pass names and sets: the kinds of input tag, the frames an
// editor may set, the edits of one rewrite, and each output frame as it is written.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace brambex {

enum class TagKind : std::uint8_t { None, Broken, V22, V23, V24 };

// The frames whose texts a pass collects and an editor may set, with their 2.3 ids.
enum class TagField : std::uint8_t { Album, Artist, Band, Genre, Title, Track };
constexpr int TagFieldCount = 6;
std::string_view TagFieldId(TagField field);

// What a rewrite sets. Texts are views the caller keeps alive for the pass.
struct TagEdits {
    struct FrameEdit {
        bool set = false;  // the frame's text becomes `text`
        bool add = false;  // and an input without the frame gets it
        std::string_view text;
    };
    FrameEdit frames[TagFieldCount];
    void Set(TagField field, std::string_view text, bool addWhenMissing = true) {
        frames[static_cast<int>(field)] = {true, addWhenMissing, text};
    }

    // The ID3v1 trailer; without editTrailer it stays as read (or fresh).
    bool editTrailer = false;
    // None: the track's own title (from its trailer, else its TIT2).
    std::optional<std::string_view> trailerTitle;
    std::string_view trailerArtist;
    std::string_view trailerAlbum;
    int trailerTrack = 0;
    // -1: the track's own genre (from its trailer, else its TCON when that names a
    // genre of the list).
    int trailerGenre = -1;
};

// One frame of the output tag as it is written.
struct OutputFrame {
    enum class Origin : std::uint8_t { Kept, Converted, Set, Added };
    std::string_view id;
    std::string_view text;   // text frames only, as UTF-8
    std::uint32_t size = 0;  // payload bytes
    Origin origin = Origin::Kept;
    // A chapter's (CHAP) first payload bytes, where the frame is kept as it is: enough
    // for ChapterFrame::Parse to give its times and title.
    std::span<const unsigned char> chapterHead = {};
};

}  // namespace brambex
