#include "shell/qt_front_end.h"

#include <QGroupBox>
#include <QListWidget>

#include "shell/message_box.h"
#include "shell/progress_dialog.h"
#include "shell/verify_info_dlg.h"

namespace brambex {

QtFrontEnd::QtFrontEnd(QWidget* owner, QListWidget* folderList, QGroupBox* folderGroup,
                       CancelFlag* cancel)
    : owner_(owner), folderList_(folderList), folderGroup_(folderGroup), cancel_(cancel) {}

void QtFrontEnd::ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                             MessageStyle style) {
    ShowMessageBox(owner_, text, caption, style);
}

Answer QtFrontEnd::Ask(std::string_view text, std::optional<std::string_view> caption) {
    return AskYesNo(owner_, text, caption);
}

bool QtFrontEnd::RunMergeOptions(MergeOptionsForm& form) {
    VerifyInfoDlg dialog(owner_, form);
    return dialog.exec() == QDialog::Accepted;
}

std::unique_ptr<ProgressWindow> QtFrontEnd::OpenProgress(std::string_view caption,
                                                         std::string_view initialMessage,
                                                         int total) {
    auto window =
        std::make_unique<TProgress>(owner_, initialMessage, total, cancel_, caption, true);
    window->Create();
    return window;
}

void QtFrontEnd::AddFolder(std::string_view name) {
    if (folderList_)
        folderList_->addItem(ToQString(name));
}

void QtFrontEnd::SetFolderGroupCaption(std::string_view text) {
    if (folderGroup_)
        folderGroup_->setTitle(ToQString(text));
}

}  // namespace brambex
