#include "cli/terminal_text.h"

#include "app/shown_text.h"
#include "cli/console.h"

namespace brambex::cli {

std::string Printable(std::string_view text, std::FILE* stream, bool keepLineBreaks) {
    return IsTerminal(stream) ? EscapedControls(text, keepLineBreaks) : std::string(text);
}

}  // namespace brambex::cli
