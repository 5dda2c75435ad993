// A scripted front end for tests: records every message (a status as an information
// message without a caption), answers every question from a script, and records the
// progress window. Its cancel flag is the Cancel of its progress window.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/front_end.h"

namespace brambex::testing {

struct RecordedMessage {
    std::string text;
    std::optional<std::string> caption;
    MessageKind style;
};

struct ProgressEvent {
    enum Kind { Open, Title, Message, Progress, Close } kind;
    std::string text;
    int value = 0;
};

class FakeFrontEnd : public FrontEnd {
  public:
    std::vector<RecordedMessage> messages;
    std::deque<Answer> answers;  // for Ask(); No when the script has run out
    // Runs the Merge Options dialog; by default confirms the form as it stands.
    std::function<bool(MergeOptionsForm&)> mergeOptions = [](MergeOptionsForm&) { return true; };
    int mergeOptionsRuns = 0;
    std::vector<ProgressEvent> progress;
    std::pair<std::int64_t, std::int64_t> bytes{-1, -1};  // the last SetBytes
    bool progressOpen = false;
    // Called at every progress update; a test can request the cancel here.
    std::function<void(int updateIndex)> onProgressUpdate;
    CancelFlag cancel;
    // The codec's lines, each as "file: line"; the hook sees each as it comes.
    std::vector<std::string> diagnostics;
    std::function<void(std::string_view line, std::string_view file)> onDiagnostic;

    void ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                     MessageKind style) override {
        messages.push_back({std::string(text), ToString(caption), style});
    }
    Answer Ask(std::string_view text, std::optional<std::string_view> caption) override {
        messages.push_back({std::string(text), ToString(caption), MessageKind::Question});
        if (answers.empty())
            return Answer::No;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    bool RunMergeOptions(MergeOptionsForm& form) override {
        ++mergeOptionsRuns;
        return mergeOptions(form);
    }
    std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                                 std::string_view initialMessage,
                                                 int total) override {
        progress.push_back({ProgressEvent::Open, std::string(caption), total});
        progress.push_back({ProgressEvent::Message, std::string(initialMessage), 0});
        progressOpen = true;
        return std::make_unique<Window>(*this);
    }
    void ShowStatus(std::string_view text) override {
        ShowMessage(text, NoCaption, MessageKind::Information);
    }
    void ShowDiagnostic(std::string_view line, std::string_view file) override {
        diagnostics.push_back(std::string(file) + ": " + std::string(line));
        if (onDiagnostic)
            onDiagnostic(line, file);
    }

    // The temporary track files the merge says it is writing, by slot, and the most
    // there were at once.
    std::map<int, std::string> writing;
    std::size_t mostWritingAtOnce = 0;
    void WritingTrackFile(int slot, std::string_view path) override {
        if (path.empty())
            writing.erase(slot);
        else
            writing[slot] = path;
        mostWritingAtOnce = std::max(mostWritingAtOnce, writing.size());
    }

    // The texts of all recorded messages, for compact assertions.
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : messages)
            texts.push_back(m.text);
        return texts;
    }

  private:
    static std::optional<std::string> ToString(std::optional<std::string_view> s) {
        if (!s)
            return std::nullopt;
        return std::string(*s);
    }

    class Window : public ProgressWindow {
      public:
        explicit Window(FakeFrontEnd& owner) : owner_(owner) {}
        ~Window() override {
            owner_.progress.push_back({ProgressEvent::Close, {}, 0});
            owner_.progressOpen = false;
        }
        void SetTitle(std::string_view caption) override {
            Record({ProgressEvent::Title, std::string(caption), 0});
        }
        void SetMessage(std::string_view text) override {
            Record({ProgressEvent::Message, std::string(text), 0});
        }
        void SetProgress(int done) override { Record({ProgressEvent::Progress, {}, done}); }
        void SetBytes(std::int64_t done, std::int64_t total) override {
            owner_.bytes = {done, total};
        }

      private:
        void Record(ProgressEvent e) {
            owner_.progress.push_back(std::move(e));
            if (owner_.onProgressUpdate)
                owner_.onProgressUpdate(updates_++);
        }
        FakeFrontEnd& owner_;
        int updates_ = 0;
    };
};

// Message checks whose failure shows what was expected next to every recorded message,
// so that a wrong text, caption or style is seen at once.
namespace detail {

inline std::string QuotedForFailure(std::string_view s) {
    std::string quoted = "\"";
    for (char c : s) {
        if (c == '\n')
            quoted += "\\n";
        else if (c == '"' || c == '\\')
            quoted += std::string("\\") + c;
        else
            quoted += c;
    }
    return quoted + "\"";
}

inline std::string KindName(MessageKind style) {
    switch (style) {
        case MessageKind::Notice:
            return "Notice";
        case MessageKind::Error:
            return "Error";
        case MessageKind::Question:
            return "Question";
        case MessageKind::Warning:
            return "Warning";
        case MessageKind::Information:
            return "Information";
    }
    return "kind " + std::to_string(static_cast<int>(style));
}

inline std::string DescribeMessage(std::string_view text, std::optional<std::string_view> caption,
                                   MessageKind style) {
    return QuotedForFailure(text) + ", caption " +
           (caption ? QuotedForFailure(*caption) : std::string("(none)")) + ", " + KindName(style);
}

inline bool Matches(const RecordedMessage& m, std::string_view text,
                    std::optional<std::string_view> caption, MessageKind style) {
    return m.text == text && m.caption == caption && m.style == style;
}

inline ::testing::AssertionResult MessageFailure(const FakeFrontEnd& ui, std::string_view what,
                                                 std::string_view text,
                                                 std::optional<std::string_view> caption,
                                                 MessageKind style) {
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "expected " << what << ": " << DescribeMessage(text, caption, style) << "\nrecorded "
            << ui.messages.size() << " message(s)";
    for (std::size_t i = 0; i < ui.messages.size(); ++i) {
        const RecordedMessage& m = ui.messages[i];
        failure << "\n  [" << i << "] " << DescribeMessage(m.text, m.caption, m.style);
    }
    return failure;
}

}  // namespace detail

// True when the front end recorded exactly one message, with this text, caption and style.
inline ::testing::AssertionResult OnlyMessage(const FakeFrontEnd& ui, std::string_view text,
                                              std::optional<std::string_view> caption,
                                              MessageKind style) {
    if (ui.messages.size() == 1 && detail::Matches(ui.messages[0], text, caption, style))
        return ::testing::AssertionSuccess();
    return detail::MessageFailure(ui, "exactly one message", text, caption, style);
}

// True when the message recorded at index has this text, caption and style.
inline ::testing::AssertionResult MessageAt(const FakeFrontEnd& ui, std::size_t index,
                                            std::string_view text,
                                            std::optional<std::string_view> caption,
                                            MessageKind style) {
    if (index < ui.messages.size() && detail::Matches(ui.messages[index], text, caption, style))
        return ::testing::AssertionSuccess();
    return detail::MessageFailure(ui, "message [" + std::to_string(index) + "]", text, caption,
                                  style);
}

}  // namespace brambex::testing
