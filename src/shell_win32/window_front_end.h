// The desktop program's side of the merge's front-end interfaces on Windows: message
// boxes over a window, the Merge Options dialog, the progress window, and the main
// window's status line, which goes to the window's model and then to the screen. The
// merge calls it from its worker thread; every call is carried out on the window
// thread, questions and dialogs waiting there for their answer.
#pragma once

#include <windows.h>

#include <functional>

#include "engine/front_end.h"

namespace brambex {

class MainWindowModel;

namespace win32 {

class WindowFrontEnd : public FrontEnd {
  public:
    // owner owns the boxes and dialogs; cancel is what the progress window's Cancel
    // requests.
    void SetOwner(HWND owner, CancelFlag* cancel) {
        owner_ = owner;
        cancel_ = cancel;
    }
    // The main window's status goes to its model, and changed shows the model (also as
    // the progress window opens). Without a model (a library's merge) a status is
    // shown in a box.
    void SetWindowModel(MainWindowModel* window, std::function<void()> changed);

    void ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                     MessageKind kind) override;
    Answer Ask(std::string_view text, std::optional<std::string_view> caption) override;
    void ShowStatus(std::string_view text) override;
    bool RunMergeOptions(MergeOptionsForm& form) override;
    std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                                 std::string_view initialMessage,
                                                 int total) override;

  private:
    HWND owner_ = nullptr;
    CancelFlag* cancel_ = nullptr;
    MainWindowModel* window_ = nullptr;
    std::function<void()> changed_;
};

}  // namespace win32
}  // namespace brambex
