// The main window's front end as its merge session sees it: everything goes on to the
// window's own front end, except the messages the model holds back to say them in the
// window instead of a box (the check's findings when a set is chosen; what stopped a
// merge while its progress window is up).
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/front_end.h"

namespace brambex {

class HeldMessages : public ForwardingFrontEnd {
  public:
    explicit HeldMessages(FrontEnd& ui) : ForwardingFrontEnd(ui) {}

    // Holds messages while it lives, and hands what was kept to `into` when it ends,
    // however that comes (an escaped error included).
    class Holding {
      public:
        Holding(HeldMessages& messages, std::vector<Message>& into)
            : messages_(messages), into_(into) {
            messages_.Hold();
        }
        ~Holding() { into_ = messages_.Release(); }
        Holding(const Holding&) = delete;
        Holding& operator=(const Holding&) = delete;

      private:
        HeldMessages& messages_;
        std::vector<Message>& into_;
    };

    void ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                     MessageKind kind) override;

  private:
    // From here on messages are kept, not shown, until Release.
    void Hold() {
        holding_ = true;
        held_.clear();
    }
    // Shows messages again; returns those kept since Hold.
    std::vector<Message> Release();

    bool holding_ = false;
    std::vector<Message> held_;
};

}  // namespace brambex
