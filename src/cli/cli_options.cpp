#include "cli/cli_options.h"

#include <charconv>
#include <utility>

#include "options/bitrate.h"

namespace brambex::cli {

namespace {

struct KeepOption {
    std::string_view name;  // after "--keep-" or "--no-keep-"
    std::optional<bool> CliOptions::*field;
};

constexpr KeepOption KeepOptions[] = {
    {"genre", &CliOptions::keepGenre},
    {"album", &CliOptions::keepAlbum},
    {"artist", &CliOptions::keepArtist},
    {"names", &CliOptions::keepNames},
};

struct TextOption {
    std::string_view name;
    std::optional<std::string> CliOptions::*field;
};

constexpr TextOption TextOptions[] = {
    {"--title", &CliOptions::title},
    {"--artist", &CliOptions::artist},
    {"--genre", &CliOptions::genre},
    {"--pattern", &CliOptions::pattern},
};

bool IsMergeOnly(std::string_view option) {
    return option != "--quiet" && option != "-q";
}

// The value of an option that takes one: after "=" or the next argument.
std::optional<std::string_view> OptionValue(std::optional<std::string_view> inlineValue,
                                            const std::vector<std::string_view>& args,
                                            std::size_t& i) {
    if (inlineValue)
        return inlineValue;
    if (i + 1 < args.size())
        return args[++i];
    return std::nullopt;
}

std::string TakeJobs(CliOptions& o, std::string_view name, std::string_view value) {
    int n = 0;
    const char* end = value.data() + value.size();
    auto [stop, error] = std::from_chars(value.data(), end, n);
    if (value.empty() || error != std::errc() || stop != end || n < 1 || n > MaxJobs)
        return std::string(name) + " needs a number from 1 to " + std::to_string(MaxJobs);
    o.jobs = n;
    return {};
}

std::string TakeFormat(CliOptions& o, std::string_view name, std::string_view value) {
    if (value == "folders")
        o.format = OutputFormat::FolderOfTracks;
    else if (value == "mp3")
        o.format = OutputFormat::Mp3Book;
#ifdef BRAMBEX_M4B
    else if (value == "m4b")
        o.format = OutputFormat::M4bBook;
#else
    else if (value == "m4b")
        return NoM4bInThisBuild;
#endif
    else
        return std::string(name) + " needs folders, mp3 or m4b";
    return {};
}

// An M4B book's AAC bitrate: what the encoder takes for speech and music alike.
std::string TakeBitrate(CliOptions& o, std::string_view name, std::string_view value) {
    const std::optional<int> kbps = ReadBitrate(value);
    if (!kbps)
        return std::string(name) + " needs " + BitrateRangeText();
    o.bitrateKbps = *kbps;
    return {};
}

// An option without a value; false when there is none of that name.
bool TakeSwitch(CliOptions& o, std::string_view name) {
    for (const KeepOption& k : KeepOptions) {
        if (name == "--keep-" + std::string(k.name) || name == "--no-keep-" + std::string(k.name)) {
            o.*k.field = name.starts_with("--keep-");
            return true;
        }
    }
    if (name == "--music" || name == "--audiobook")
        o.music = name == "--music";
    else if (name == "--yes" || name == "-y")
        o.yes = true;
    else if (name == "--redo")
        o.redo = true;
    else if (name == "--dry-run" || name == "-n")
        o.dryRun = true;
    else if (name == "--quiet" || name == "-q")
        o.quiet = true;
    else if (name == "--mono")
        o.mono = true;
    else
        return false;
    return true;
}

// Handles one option; "" when it was understood, else the complaint.
std::string TakeOption(CliOptions& o, std::string_view arg,
                       const std::vector<std::string_view>& args, std::size_t& i) {
    std::string_view name = arg;
    std::optional<std::string_view> inlineValue;
    if (std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
        name = arg.substr(0, eq);
        inlineValue = arg.substr(eq + 1);
    }
    if (name == "--jobs" || name == "-j")
        return TakeJobs(o, name, OptionValue(inlineValue, args, i).value_or(""));
    if (name == "--bitrate")
        return TakeBitrate(o, name, OptionValue(inlineValue, args, i).value_or(""));
    if (name == "--format")
        return TakeFormat(o, name, OptionValue(inlineValue, args, i).value_or(""));
    for (const TextOption& t : TextOptions) {
        if (name != t.name)
            continue;
        const std::optional<std::string_view> value = OptionValue(inlineValue, args, i);
        if (!value)
            return std::string(name) + " needs a value";
        o.*t.field = std::string(*value);
        return {};
    }
    if (inlineValue)
        return "option " + std::string(name) + " takes no value";
    if (!TakeSwitch(o, name))
        return "unknown option " + std::string(name);
    return {};
}

// The arguments that are no options, and the options given (without their values).
struct Arguments {
    std::vector<std::string_view> positional;
    std::vector<std::string_view> given;
};

// Reads the options into o; the complaint about the first bad one, else "". --help and
// --version end the reading.
std::string ReadOptions(const std::vector<std::string_view>& args, CliOptions& o, Arguments& read) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
            read.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h" || arg == "--version") {
            o.command = arg == "--version" ? Command::Version : Command::Help;
            return {};
        }
        if (std::string complaint = TakeOption(o, arg, args, i); !complaint.empty())
            return complaint;
        read.given.push_back(arg.substr(0, arg.find('=')));
    }
    return {};
}

Command CommandNamed(std::string_view name) {
    constexpr std::pair<std::string_view, Command> Commands[] = {
        {"help", Command::Help}, {"scan", Command::Scan},       {"merge", Command::Merge},
        {"demo", Command::Demo}, {"library", Command::Library}, {"merge-all", Command::MergeAll},
    };
    for (const auto& [commandName, command] : Commands) {
        if (name == commandName)
            return command;
    }
    return Command::None;
}

// The command's folder argument; the complaint, else "".
std::string ReadFolder(const std::vector<std::string_view>& positional, CliOptions& o) {
    const std::string command(positional[0]);
    if (positional.size() < 2)
        return command + (o.command == Command::Demo ? " needs a folder DIR" : " needs a FOLDER");
    if (positional.size() > 2)
        return "unexpected argument " + std::string(positional[2]);
    o.folder = std::string(positional[1]);
    if (o.folder.empty())
        return command + " needs a folder that is not empty text";
    return {};
}

// The complaint about the first option given that does not belong to the command.
std::string CheckOptionsApply(const std::vector<std::string_view>& given, Command command) {
    for (std::string_view option : given) {
        if (command == Command::MergeAll) {
            // Each set of a library is merged under its own title and artist.
            if (option == "--title" || option == "--artist")
                return "option " + std::string(option) +
                       " does not apply to merge-all: each set keeps its own";
        } else if (option == "--redo") {
            return "option --redo belongs to the merge-all command";
        } else if (command != Command::Merge && IsMergeOnly(option)) {
            return "option " + std::string(option) + " belongs to the merge command";
        }
    }
    return {};
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string_view>& args) {
    ParseResult result;
    CliOptions& o = result.options;
    Arguments read;
    result.error = ReadOptions(args, o, read);
    if (!result.error.empty() || o.command != Command::None)
        return result;
    if (read.positional.empty()) {
        result.error = "no command given";
        return result;
    }
    o.command = CommandNamed(read.positional[0]);
    if (o.command == Command::None)
        result.error = "unknown command " + std::string(read.positional[0]);
    if (o.command == Command::None || o.command == Command::Help)
        return result;
    result.error = ReadFolder(read.positional, o);
    if (result.error.empty())
        result.error = CheckOptionsApply(read.given, o.command);
    return result;
}

}  // namespace brambex::cli
