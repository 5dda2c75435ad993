// A message for the user as data: its text, its caption and what kind of message it
// is. Each front end shows a kind its own way (a window's icon, a terminal's line);
// the kinds say what the message is, not how it looks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brambex {

enum class MessageKind {
    Error,        // something stopped: the merge, the scan, a check
    Warning,      // something the user must change before going on
    Question,     // asked with Yes and No
    Information,  // where things stand, nothing wrong
    Notice,       // something the user should know, shown without an icon
};

// No caption given: the front end shows the application's name, "Brambex".
inline constexpr std::optional<std::string_view> NoCaption = std::nullopt;

struct Message {
    std::string text;
    std::optional<std::string> caption;
    MessageKind kind = MessageKind::Error;
};

}  // namespace brambex
