// The 126 ID3v1 genre names, by genre number.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brambex {

class GenreTable {
  public:
    static constexpr int Count = 126;
    // The name of a genre number, or none below 0 and above 125.
    static std::optional<std::string_view> GenreName(int number);
    // The first number whose name equals the text, ignoring letter case; -1 when none.
    static int GenreNumber(std::string_view name);
};

// The text a TCON frame carries for a genre picked from the list: "(N)".
std::string GenreReference(int number);

}  // namespace brambex
