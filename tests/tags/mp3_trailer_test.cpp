// The ID3v1 trailer as a rewrite edits it and the accessors read it.
#include <gtest/gtest.h>

#include <optional>

#include "support/rewrite_pass.h"
#include "support/tag_bytes.h"
#include "tags/mp3.h"

namespace brambex::testing {
namespace {

const std::string InputTrailer = [] {
    std::string t = Trailer("Old title", "Old artist", "Old album", 9, 17);
    t.replace(93, 4, "1851");
    t.replace(97, 7, "comment");
    return t;
}();

// The 128 bytes a rewrite pass writes with these trailer edits.
std::string TrailerAfter(std::optional<std::string_view> title, std::string_view artist,
                         std::string_view album, int track, int genre,
                         const std::string& inputTrailer = InputTrailer) {
    const PassResult r = RewriteInMemory(Tag("", 20) + Audio(4096) + inputTrailer,
                                         {.edit = [&](const MP3&, TagEdits& edits) {
                                             edits.editTrailer = true;
                                             edits.trailerTitle = title;
                                             edits.trailerArtist = artist;
                                             edits.trailerAlbum = album;
                                             edits.trailerTrack = track;
                                             edits.trailerGenre = genre;
                                         }});
    return r.output.substr(r.output.size() - 128);
}

std::string Field(const std::string& trailer, std::size_t offset) {
    return trailer.substr(offset, 30);
}

std::string Padded(std::string_view text) {
    return std::string(text) + std::string(30 - text.size(), '\0');
}

TEST(Mp3Trailer, FieldsThatSetTrailerDoesNotWriteKeepTheInputBytes) {
    const std::string t = TrailerAfter(std::nullopt, "Melville", "Moby Dick", 3, -1);
    std::string expected = InputTrailer;
    expected.replace(33, 30, Padded("Melville"));
    expected.replace(63, 30, Padded("Moby Dick"));
    expected[126] = 3;
    EXPECT_TRUE(SameBytes(t, expected));
}

TEST(Mp3Trailer, TrackAndGenreBytes) {
    const struct {
        int track, genre;
        unsigned char trackByte, genreByte;
    } cases[] = {{254, 12, 254, 12},
                 {255, -1, 255, 17},
                 {256, 0, 255, 0},
                 {300, 125, 255, 125},
                 {1, 255, 1, 255}};
    for (const auto& c : cases) {
        const std::string t = TrailerAfter("t", "a", "b", c.track, c.genre);
        EXPECT_EQ(static_cast<unsigned char>(t[126]), c.trackByte) << c.track;
        EXPECT_EQ(static_cast<unsigned char>(t[127]), c.genreByte) << c.genre;
    }
}

TEST(Mp3Trailer, TrackByteMakesAnId3v10CommentAnId3v11One) {
    // A 30-character comment fills byte 125; readers only see a track after a zero there.
    std::string v10 = InputTrailer;
    v10.replace(97, 30, std::string(30, 'c'));
    const std::string t = TrailerAfter("t", "a", "b", 7, -1, v10);
    EXPECT_EQ(t.substr(97, 28), std::string(28, 'c'));
    EXPECT_EQ(t[125], '\0');
    EXPECT_EQ(t[126], 7);
}

TEST(Mp3Trailer, TextsAreLatin1CutAt30Bytes) {
    const struct {
        std::string text;
        std::string field;
    } cases[] = {
        {"Ærø", Padded("\xC6r\xF8")},
        {"日本 title", Padded("?? title")},
        {std::string(29, 'x') + "é", std::string(29, 'x') + "\xE9"},
        {std::string(40, 'y'), std::string(30, 'y')},
        {std::string(28, 'z') + "éé", std::string(28, 'z') + "\xE9\xE9"},
        // Letters with combining marks, as macOS names them, are composed first.
        {"Mise\u0301rables c\u0327a", Padded("Mis\xE9rables \xE7"
                                             "a")},
        {std::string(29, 'x') + "e\u0301", std::string(29, 'x') + "\xE9"},
        {"e\u0323x", Padded("e?x")},
    };
    for (const auto& c : cases) {
        const std::string t = TrailerAfter(c.text, c.text, "album", 1, 1);
        EXPECT_EQ(Field(t, 3), c.field) << c.text;
        EXPECT_EQ(Field(t, 33), c.field) << c.text;
    }
}

TEST(Mp3Trailer, LongAlbumKeepsItsFolderNumber) {
    const std::string letters29(29, 'a');
    const std::string long40 = std::string(37, 'b') + "_12";
    const struct {
        const char* name;
        std::string album;
        std::string field;
    } cases[] = {
        {"31 bytes ending in _3", letters29 + "_3", std::string(28, 'a') + "_3"},
        {"40 bytes ending in _12", long40, long40.substr(0, 27) + "_12"},
        {"exactly 30 bytes", std::string(27, 'c') + "_45", std::string(27, 'c') + "_45"},
        {"ends in an underscore", std::string(35, 'd') + "_", std::string(29, 'd') + "_"},
        {"digits then a letter", std::string(30, 'e') + "_12x", std::string(30, 'e')},
        {"no underscore", std::string(35, 'f'), std::string(30, 'f')},
        {"short text keeps its underscore where it is", "Opera_2", Padded("Opera_2")},
        {"suffix longer than the field", "g_" + std::string(35, '7'), "g_" + std::string(28, '7')},
        {"decomposed letters count once", std::string(26, 'h') + "e\u0301_2",
         Padded(std::string(26, 'h') + "\xE9_2")},
        {"non-latin album", "Война и мир, часть первая, том_2", "????? ? ???, ????? ??????, ?_2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Field(TrailerAfter("t", "a", c.album, 1, 1), 63), c.field) << c.name;
    }
}

TEST(Mp3Trailer, FreshTrailerTakesTheYearOfTheTag) {
    const std::string tyer = TextFrame("TYER", "1851");
    const auto date24 = [](std::string_view stamp) {
        return Frame24("TDRC", std::string(1, '\0') + std::string(stamp));
    };
    const struct {
        const char* name;
        std::string tag;
        std::string trailer;
        const char* year;
    } cases[] = {
        {"2.3 TYER", PaddedTag(tyer, 64), "", "1851"},
        {"2.2 TYE", PaddedTag(Frame22("TYE", std::string(1, '\0') + "1999"), 64, 2), "", "1999"},
        {"2.4 TDRC", PaddedTag(date24("1851-10-18T10:00"), 64, 4), "", "1851"},
        {"TYER before TDRC", PaddedTag(tyer + date24("2005"), 64, 4), "", "1851"},
        {"longer TYER", PaddedTag(TextFrame("TYER", "1851 or so"), 64), "", "1851"},
        // Found by the fuzzer: a TYER without a text.
        {"empty TYER", PaddedTag(Frame("TYER", ""), 64), "", ""},
        {"no tag", "", "", ""},
        {"input trailer kept", PaddedTag(tyer, 64), Trailer("", "", "", 1, 1, "2001"), "2001"},
    };
    for (const auto& c : cases) {
        const PassResult r = RewriteInMemory(
            c.tag + Audio(4096) + c.trailer,
            {.edit = [](const MP3&, TagEdits& edits) { edits.editTrailer = true; }});
        EXPECT_EQ(r.output.substr(r.output.size() - 128 + 93, 4), TrailerField(c.year, 4))
            << c.name;
    }
}

TEST(Mp3Trailer, AccessorsGiveUtf8UpToTheFirstZero) {
    std::string t = Trailer("Caf\xE9", "", "", 5, 101);
    t.replace(33, 30, std::string(30, '\xC6'));
    t.replace(63, 10, std::string("Album\0junk", 10));
    const std::string input = Tag("", 10) + Audio(5000) + t;
    InputFile in;
    in.OpenMemory(reinterpret_cast<const unsigned char*>(input.data()), input.size());
    NoDiagnostics quiet;
    MP3 mp3(quiet);
    ASSERT_TRUE(mp3.Read(in));
    EXPECT_EQ(mp3.Id3v1().Title(), "Café");
    std::string thirtyAe;
    for (int i = 0; i < 30; ++i) {
        thirtyAe += "Æ";
    }
    EXPECT_EQ(mp3.Id3v1().Artist(), thirtyAe);
    EXPECT_EQ(mp3.Id3v1().Album(), "Album");
    EXPECT_EQ(mp3.Id3v1().Track(), 5);
    EXPECT_EQ(mp3.Id3v1().Genre(), 101);
}

TEST(Mp3Trailer, InputWithoutTrailerGetsAFreshOne) {
    const std::string input = Tag("", 10) + Audio(5000);
    InputFile in;
    in.OpenMemory(reinterpret_cast<const unsigned char*>(input.data()), input.size());
    NoDiagnostics quiet;
    MP3 mp3(quiet);
    ASSERT_TRUE(mp3.Read(in));
    EXPECT_FALSE(mp3.Layout().trailer);
    EXPECT_EQ(mp3.Id3v1().Title(), "");
    EXPECT_EQ(mp3.Id3v1().Genre(), 255);
}

}  // namespace
}  // namespace brambex::testing
