// The 126 ID3v1 genre names, by genre number.
#pragma once

#include <cstddef>
#include <cstdint>
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

// A genre of the list as a text names it, in one of three forms: a reference in
// parentheses, which may lead a longer text ("(17)", " ( 17 )", "(17)Rock and more"), a
// number alone ("17"), or a name of the list in any letter case ("rock"). Numbers are
// decimal; one past the list names no genre.
struct GenreText {
    enum class Form : std::uint8_t { None, Reference, Number, Name };
    Form form = Form::None;
    int number = -1;
    // The bytes of the text that name the genre: all of it, or the leading reference.
    std::size_t length = 0;
};
GenreText ReadGenreText(std::string_view text);

// The text a TCON frame carries for a genre picked from the list: "(N)".
std::string GenreReference(int number);

}  // namespace brambex
