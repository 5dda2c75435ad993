#include "shell/qt_front_end.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>

#include "shell/message_box.h"
#include "shell/progress_dialog.h"
#include "shell/verify_info_dlg.h"

namespace brambex {

QtFrontEnd::QtFrontEnd(QWidget* owner, QListWidget* folderList, QLabel* statusLine,
                       QGroupBox* folderGroup)
    : owner_(owner), folderList_(folderList), statusLine_(statusLine), folderGroup_(folderGroup) {}

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
                                                         std::string_view initialMessage, int total,
                                                         bool* cancelFlag) {
    auto window =
        std::make_unique<TProgress>(owner_, initialMessage, total, cancelFlag, caption, true);
    window->Create();
    return window;
}

int QtFrontEnd::FolderCount() {
    return folderList_ ? folderList_->count() : 0;
}

void QtFrontEnd::AddFolder(std::string_view name) {
    if (folderList_)
        folderList_->addItem(ToQString(name));
}

void QtFrontEnd::ClearFolders() {
    if (folderList_)
        folderList_->clear();
}

void QtFrontEnd::SetStatus(std::string_view text) {
    if (statusLine_)
        statusLine_->setText(ToQString(text));
}

void QtFrontEnd::SetFolderGroupCaption(std::string_view text) {
    if (folderGroup_)
        folderGroup_->setTitle(ToQString(text));
}

}  // namespace brambex
