// Every failure message ends with the system's reason for the failure, where the
// system gave one, in the words of the system's own error texts.
#pragma once

#include <string>
#include <string_view>

namespace brambex {

// The text followed by " (" the reason for error ")", such as "(No space left on
// device)"; the text alone when error is 0.
std::string WithReason(std::string_view text, int error);

}  // namespace brambex
