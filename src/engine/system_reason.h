// Every failure message ends with the system's reason for the failure, where the
// system gave one, in the words of the system's own error texts.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace brambex {

// The system's reason in words: its own error text, except where that names what the
// user never sees ("File name too long" for a whole path over the limit).
std::string SystemReason(std::error_code error);

// The text followed by " (" the reason ")", such as "(No space left on device)"; the
// text alone when there is no error.
std::string WithReason(std::string_view text, std::error_code error);

}  // namespace brambex
