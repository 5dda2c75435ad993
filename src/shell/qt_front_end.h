// The desktop program's side of the merge's front-end interface: message boxes owned
// by a window, the Merge Options dialog, the progress window, and the main window's
// folder list, folder group caption and status line. The merge may call it from its worker thread:
// every call is carried out on the thread of the owner window, questions and dialogs
// waiting there for their answer, progress updates queued without waiting.
#pragma once

#include <utility>

#include "options/front_end.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QWidget;

namespace brambex {

class QtFrontEnd : public FrontEnd {
  public:
    // owner owns the message boxes and dialogs; the controls may be null for a front
    // end that only shows messages (a dialog's own checks), which then shows a status
    // in a box. cancel is what the progress window's Cancel requests.
    explicit QtFrontEnd(QWidget* owner, QListWidget* folderList = nullptr,
                        QGroupBox* folderGroup = nullptr, CancelFlag* cancel = nullptr,
                        QLabel* statusLine = nullptr);

    void ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                     MessageStyle style) override;
    Answer Ask(std::string_view text, std::optional<std::string_view> caption) override;
    void ShowStatus(std::string_view text) override;
    bool RunMergeOptions(MergeOptionsForm& form) override;
    std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                                 std::string_view initialMessage,
                                                 int total) override;
    void AddFolder(std::string_view name) override;
    void SetFolderGroupCaption(std::string_view text) override;

    // True once after a status went to the status line, which then says what the merge
    // came to. Asked on the owner's thread.
    bool TakeStatusShown() { return std::exchange(statusShown_, false); }

  private:
    QWidget* owner_;
    QListWidget* folderList_;
    QGroupBox* folderGroup_;
    CancelFlag* cancel_;
    QLabel* statusLine_;
    bool statusShown_ = false;
};

}  // namespace brambex
