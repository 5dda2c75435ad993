#include "options/disc_ending.h"
#include "platform/ascii_case.h"

#include <array>

namespace brambex {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the disc word that ends text[0, end), 0 when there is none.
std::size_t DiscWordBefore(std::string_view text, std::size_t end) {
    static constexpr std::array<std::string_view, 3> Words = {"disc", "disk", "cd"};
    for (std::string_view word : Words) {
        if (EndsWithIgnoringAsciiCase(text.substr(0, end), word))
            return word.size();
    }
    return 0;
}

}  // namespace

std::string_view WithoutTrailingBlanks(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::string_view WithoutOuterBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return WithoutTrailingBlanks(text);
}

std::optional<DiscEnding> FindDiscEnding(std::string_view text) {
    DiscEnding ending;
    std::size_t end = text.size();
    char opener = 0;
    if (end > 0 && (text[end - 1] == ')' || text[end - 1] == ']')) {
        opener = text[end - 1] == ')' ? '(' : '[';
        --end;
    }
    ending.numberEnd = end;
    while (end > 0 && IsDigit(text[end - 1]) && ending.numberEnd - end < 3)
        --end;
    std::size_t digits = ending.numberEnd - end;
    if (digits == 0 || digits > 2 || (end > 0 && IsDigit(text[end - 1])))
        return std::nullopt;
    ending.numberAt = end;
    ending.number = text[end] - '0';
    if (digits == 2)
        ending.number = ending.number * 10 + (text[end + 1] - '0');
    if (ending.number == 0)
        return std::nullopt;

    // The word may stand apart from the number (" Disc 2") or be joined to it (" CD2").
    std::size_t wordEnd = end > 0 && text[end - 1] == ' ' ? end - 1 : end;
    if (std::size_t word = DiscWordBefore(text, wordEnd)) {
        std::size_t start = wordEnd - word;
        if (opener != 0 && start > 0 && text[start - 1] == opener)
            --start;
        bool bracketsAgree = opener == 0 || text[start] == opener;
        if (bracketsAgree && start > 0 && text[start - 1] == ' ') {
            ending.word = true;
            ending.at = start - 1;
            // " - Disc 2": the dash belongs to the ending.
            if (opener == 0 && ending.at >= 2 && text[ending.at - 1] == '-' &&
                text[ending.at - 2] == ' ')
                ending.at -= 2;
            return ending;
        }
    }
    // A bare number (" 2") stands after a blank, never inside brackets.
    if (opener != 0 || wordEnd == end)
        return std::nullopt;
    ending.at = wordEnd;
    return ending;
}

}  // namespace brambex
