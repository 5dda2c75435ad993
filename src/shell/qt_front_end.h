// The desktop program's side of the merge's front-end interface: message boxes owned
// by a window, the Merge Options dialog, the progress window, and the main window's
// folder list and folder group caption. The merge may call it from its worker thread:
// every call is carried out on the thread of the owner window, questions and dialogs
// waiting there for their answer, progress updates queued without waiting.
#pragma once

#include "options/front_end.h"

class QGroupBox;
class QListWidget;
class QWidget;

namespace brambex {

class QtFrontEnd : public FrontEnd {
  public:
    // owner owns the message boxes and dialogs; the two controls may be null for a
    // front end that only shows messages (a dialog's own checks). cancel is what the
    // progress window's Cancel requests.
    explicit QtFrontEnd(QWidget* owner, QListWidget* folderList = nullptr,
                        QGroupBox* folderGroup = nullptr, CancelFlag* cancel = nullptr);

    void ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                     MessageStyle style) override;
    Answer Ask(std::string_view text, std::optional<std::string_view> caption) override;
    bool RunMergeOptions(MergeOptionsForm& form) override;
    std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                                 std::string_view initialMessage,
                                                 int total) override;
    void AddFolder(std::string_view name) override;
    void SetFolderGroupCaption(std::string_view text) override;

  private:
    QWidget* owner_;
    QListWidget* folderList_;
    QGroupBox* folderGroup_;
    CancelFlag* cancel_;
};

}  // namespace brambex
