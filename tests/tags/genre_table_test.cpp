#include "tags/genre_table.h"

#include <gtest/gtest.h>

namespace brambex {
namespace {

TEST(GenreTable, NamesByNumber) {
    EXPECT_EQ(GenreTable::GenreName(0), "Blues");
    EXPECT_EQ(GenreTable::GenreName(12), "Other");
    EXPECT_EQ(GenreTable::GenreName(67), "Psychadelic");
    EXPECT_EQ(GenreTable::GenreName(79), "Hard Rock");
    EXPECT_EQ(GenreTable::GenreName(80), "Folk");
    EXPECT_EQ(GenreTable::GenreName(123), "A capella");
    EXPECT_EQ(GenreTable::GenreName(125), "Dance Hall");
    EXPECT_EQ(GenreTable::GenreName(126), std::nullopt);
    EXPECT_EQ(GenreTable::GenreName(-1), std::nullopt);
}

TEST(GenreTable, EveryNameFindsItsOwnNumber) {
    // Also catches a duplicated or shifted entry: the first match must be the entry itself.
    for (int n = 0; n < GenreTable::Count; ++n) {
        EXPECT_EQ(GenreTable::GenreNumber(*GenreTable::GenreName(n)), n);
    }
}

TEST(GenreTable, NumbersByNameIgnoringCase) {
    EXPECT_EQ(GenreTable::GenreNumber("rock"), 17);
    EXPECT_EQ(GenreTable::GenreNumber("ROCK & ROLL"), 78);
    EXPECT_EQ(GenreTable::GenreNumber("psychedelic rock"), 93);
    EXPECT_EQ(GenreTable::GenreNumber("Psychedelic"), -1);
    EXPECT_EQ(GenreTable::GenreNumber("Rock "), -1);
    EXPECT_EQ(GenreTable::GenreNumber(""), -1);
}

TEST(GenreTable, GenreOfText) {
    using Form = GenreText::Form;
    const struct {
        std::string_view text;
        Form form;
        int number;
        std::size_t length;
    } cases[] = {
        {"(17)", Form::Reference, 17, 4},
        {"(17)Rock and more", Form::Reference, 17, 4},
        {" ( \t17 ) x", Form::Reference, 17, 8},
        {"(+17)", Form::Reference, 17, 5},
        {"(-0)", Form::Reference, 0, 4},
        {"(010)", Form::Reference, 10, 5},
        {"(125)", Form::Reference, 125, 5},
        {"17", Form::Number, 17, 2},
        {"0017", Form::Number, 17, 4},
        {"rOcK", Form::Name, 17, 4},
        {"Other", Form::Name, 12, 5},
        // Decimal only, within the list, and nothing around a bare number or name.
        {"(0x11)", Form::None, -1, 0},
        {"0x11", Form::None, -1, 0},
        {"(126)", Form::None, -1, 0},
        {"(-1)", Form::None, -1, 0},
        {"(- 17)", Form::None, -1, 0},
        {"(17", Form::None, -1, 0},
        {"()", Form::None, -1, 0},
        {"126", Form::None, -1, 0},
        {"99999999999999999999", Form::None, -1, 0},
        {"(99999999999999999999)", Form::None, -1, 0},
        {" 17", Form::None, -1, 0},
        {"17)", Form::None, -1, 0},
        {"-17", Form::None, -1, 0},
        {"Rock ", Form::None, -1, 0},
        {"", Form::None, -1, 0},
    };
    for (const auto& c : cases) {
        const GenreText genre = ReadGenreText(c.text);
        EXPECT_EQ(genre.form, c.form) << c.text;
        EXPECT_EQ(genre.number, c.number) << c.text;
        EXPECT_EQ(genre.length, c.length) << c.text;
    }
}

TEST(GenreTable, Reference) {
    EXPECT_EQ(GenreReference(12), "(12)");
    EXPECT_EQ(GenreReference(0), "(0)");
}

}  // namespace
}  // namespace brambex
