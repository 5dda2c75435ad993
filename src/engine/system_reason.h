// Every failure message ends with the system's reason for the failure, where the
// system gave one, in the words of the system's own error texts.
#pragma once

#include <string>
#include <string_view>

namespace brambex {

// The system's reason for error in words: its own error text, except where that names
// what the user never sees ("File name too long" for a whole path over the limit).
std::string SystemReason(int error);

// The text followed by " (" the reason for error ")", such as "(No space left on
// device)"; the text alone when error is 0.
std::string WithReason(std::string_view text, int error);

}  // namespace brambex
