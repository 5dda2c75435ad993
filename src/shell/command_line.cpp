#include "shell/command_line.h"

#include <string_view>

#include "brambex_version.h"

namespace brambex {

namespace {

constexpr const char* UsageText = R"(Usage:
  brambex [Qt options] [FOLDER]
  brambex --version
  brambex --help

Brambex joins the disc folders of a ripped multi-disc audiobook or album (for example
"Moby Dick Disc 1", "Moby Dick Disc 2", ...) into output folders of MP3 files with
one running order and consistent tags. Press "Select main folder" and choose the
folder of disc 1, then "Merge folders"; a FOLDER named here is chosen at start. Help
opens the manual; brambex-cli runs the same merge from a terminal.
)";

}  // namespace

std::optional<int> AnswerWithoutWindow(int argc, char** argv, std::FILE* out) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--version") {
            std::fprintf(out, "brambex %s\n", Version);
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(UsageText, out);
        } else {
            continue;
        }
        // An answer that could not be written is no answer.
        return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
    }
    return std::nullopt;
}

std::string FolderArgument(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--")
            return i + 1 < arguments.size() ? arguments[i + 1] : std::string();
        if (!arguments[i].empty() && arguments[i][0] != '-')
            return arguments[i];
    }
    return {};
}

}  // namespace brambex
