// Names as a terminal shows them. A folder, file or title may hold control characters:
// printed as they are, an ESC starts a sequence that moves the cursor or clears the
// screen, and a line feed forges a line of output. On a terminal each is shown as '?',
// as ls shows them; into a pipe or a file names go out exactly, so that scripts read
// the real names.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace brambex::cli {

// The text as it is printed on the stream: EscapedControls (app/shown_text.h) on a terminal, else
// as it is. Every name the program prints, alone or inside a line, goes through here.
std::string Printable(std::string_view text, std::FILE* stream, bool keepLineBreaks = false);

}  // namespace brambex::cli
