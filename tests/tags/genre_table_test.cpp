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

TEST(GenreTable, Reference) {
    EXPECT_EQ(GenreReference(12), "(12)");
    EXPECT_EQ(GenreReference(0), "(0)");
}

}  // namespace
}  // namespace brambex
