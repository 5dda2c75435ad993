// The desktop program's side of the merge's front-end interfaces: message boxes owned
// by a window, the Merge Options dialog, the progress window, and the main window's
// status line, which goes to the window's model and then to the screen. The merge may call it from
// its worker thread: every call is carried out on the thread of the owner window, questions and
// dialogs waiting there for their answer, progress updates queued without waiting.
#pragma once

#include <functional>

#include "engine/front_end.h"

class QWidget;

namespace brambex {

class MainWindowModel;

class QtFrontEnd : public FrontEnd {
  public:
    // owner owns the message boxes and dialogs; cancel is what the progress window's
    // Cancel requests.
    explicit QtFrontEnd(QWidget* owner, CancelFlag* cancel = nullptr);
    // The main window's status goes to its model, and changed shows the model (also as
    // the progress window opens). Without a model (a dialog's merge) a status is shown
    // in a box.
    void SetWindowModel(MainWindowModel* window, std::function<void()> changed);

    void ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                     MessageKind style) override;
    Answer Ask(std::string_view text, std::optional<std::string_view> caption) override;
    void ShowStatus(std::string_view text) override;
    bool RunMergeOptions(MergeOptionsForm& form) override;
    std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                                 std::string_view initialMessage,
                                                 int total) override;

  private:
    // Changes the window's model on the owner's thread, then shows it.
    template <typename Change>
    void ChangeWindow(Change change);

    QWidget* owner_;
    CancelFlag* cancel_;
    MainWindowModel* window_ = nullptr;
    std::function<void()> changed_;
};

}  // namespace brambex
