// The first of the three things a front end does for the merge: show its messages.
// The desktop program shows a box with the kind's icon, the terminal a line on standard
// error, a library run keeps them for its results.
#pragma once

#include <optional>
#include <string_view>

#include "options/message.h"

namespace brambex {

class Messages {
  public:
    virtual ~Messages() = default;

    // A modal message that needs no answer (any kind but Question).
    virtual void ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                             MessageKind kind) = 0;

    // The same for a message kept as data.
    void Show(const Message& message) {
        ShowMessage(message.text,
                    message.caption ? std::optional<std::string_view>(*message.caption) : NoCaption,
                    message.kind);
    }
};

}  // namespace brambex
