// The endings by which a folder name or an album title says that it is one disc of a
// set: " Disc 2", " Disk 02", " CD2", " CD 2", " - Disc 2", " (Disc 2)", " [Disc 2]",
// " (CD 2)", or a bare " 02". Disc-set discovery reads folder names with them; the
// Merge Options form takes the disc off the album title it proposes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace brambex {

struct DiscEnding {
    std::size_t at = 0;         // where the ending begins (its first blank)
    std::size_t numberAt = 0;   // the disc number's first digit
    std::size_t numberEnd = 0;  // just after its last digit
    int number = 0;             // 1 ... 99
    bool word = false;          // written with Disc, Disk or CD, not as a bare number
};

// The text without the blanks it ends with, or begins and ends with: a folder named
// "Walden Disc 1 " is disc 1 of "Walden" all the same.
std::string_view WithoutTrailingBlanks(std::string_view text);
std::string_view WithoutOuterBlanks(std::string_view text);

// The disc ending of the text, words compared without regard to ASCII letter case;
// nothing when the text has none. A number has one or two digits and is not 0.
std::optional<DiscEnding> FindDiscEnding(std::string_view text);

}  // namespace brambex
