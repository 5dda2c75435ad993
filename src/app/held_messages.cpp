#include "app/held_messages.h"

#include <string>
#include <utility>

namespace brambex {

std::vector<Message> HeldMessages::Release() {
    holding_ = false;
    return std::exchange(held_, {});
}

void HeldMessages::ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                               MessageKind kind) {
    if (!holding_) {
        inner_.ShowMessage(text, caption, kind);
        return;
    }
    held_.push_back({std::string(text),
                     caption ? std::optional<std::string>(std::string(*caption)) : std::nullopt,
                     kind});
}

}  // namespace brambex
