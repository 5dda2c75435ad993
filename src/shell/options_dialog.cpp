#include "shell/options_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/application.h"
#include "shell/desktop_services.h"
#include "shell/help.h"
#include "shell/message_box.h"
#include "shell/push_button.h"
#include "shell/settings_store.h"

namespace brambex {

OptionsDialog::OptionsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("optionsDialog"));
    setWindowTitle(QStringLiteral("Options"));
    auto* ok = MakePushButton("&OK", "okButton", this);
    auto* help = MakePushButton("&Help", "helpButton", this);
    auto* group = new QGroupBox(QStringLiteral("Music Library Path"), this);
    group->setObjectName(QStringLiteral("libraryPathGroup"));
    pathLabel_ = new QLabel(group);
    pathLabel_->setObjectName(QStringLiteral("pathLabel"));
    pathLabel_->setAlignment(Qt::AlignCenter);
    pathLabel_->setTextFormat(Qt::PlainText);
    pathLabel_->setWordWrap(true);
    auto* set = MakePushButton("&Set Music Library Path", "setLibraryPathButton", this);
    auto* forget = MakePushButton("&Forget Music Library Path", "forgetLibraryPathButton", this);

    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(pathLabel_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(help);
    buttons->addStretch();
    // Set and Forget stand one above the other as one column of equal width.
    auto* pathButtons = new QVBoxLayout;
    pathButtons->addWidget(set);
    pathButtons->addWidget(forget);
    auto* pathColumn = new QHBoxLayout;
    pathColumn->addStretch();
    pathColumn->addLayout(pathButtons);
    pathColumn->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(pathColumn);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    setTabOrder(ok, help);
    setTabOrder(help, set);
    setTabOrder(set, forget);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { RunGuarded([this] { ShowHelp(this); }); });
    connect(set, &QPushButton::clicked, this, [this] { RunGuarded([this] { SetLibraryPath(); }); });
    connect(forget, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { ForgetLibraryPath(); }); });
    ShowPath();
}

void OptionsDialog::ShowPath() {
    pathLabel_->setText(Settings().libraryPath.empty() ? QStringLiteral("(not set)")
                                                       : ToQString(Settings().libraryPath));
}

void OptionsDialog::SetLibraryPath() {
    // Always from the home folder, so that a path that went wrong can be left.
    FolderChoice choice =
        Desktop().ChooseFolder(this, HomeFolder(), QStringLiteral("Where is your music library?"));
    switch (choice.kind) {
        case FolderChoice::Failed:
            ShowMessageBox(this,
                           "Use the \"Forget Music Library Path\" button\nto start the folder "
                           "browser in your home folder again.",
                           "", MessageKind::Information);
            return;
        case FolderChoice::Cancelled:
            ShowMessageBox(this, "The music library path is unchanged.", NoCaption,
                           MessageKind::Notice);
            return;
        case FolderChoice::Chosen:
            break;
    }
    const std::string& path = choice.path;
    Settings().libraryPath = path;
    if (!Settings().StoreLibraryPath(path)) {
        ShowMessageBox(this, "Cannot save music library path", "Error", MessageKind::Notice);
        return;
    }
    ShowPath();
}

void OptionsDialog::ForgetLibraryPath() {
    switch (Settings().ForgetStoredLibraryPath()) {
        case ForgetResult::NoKey:
            return;
        case ForgetResult::WriteFailed:
            Settings().libraryPath.clear();
            ShowPath();
            ShowMessageBox(this, "Cannot save music library path", "Error", MessageKind::Notice);
            return;
        case ForgetResult::Forgotten:
            Settings().libraryPath.clear();
            ShowPath();
            return;
    }
}

}  // namespace brambex
