#include "shell/audiobook_dlg_client.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/audiobook_app.h"
#include "shell/desktop_services.h"
#include "shell/help.h"
#include "shell/message_box.h"
#include "shell/options_dialog.h"
#include "shell/push_button.h"
#include "shell/qt_front_end.h"
#include "shell/settings_store.h"

namespace brambex {

namespace {

// The one local folder a drag carries, or an empty text.
QString DraggedFolder(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl& url = data->urls().front();
    if (!url.isLocalFile())
        return {};
    QString path = url.toLocalFile();
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return QFileInfo(path).isDir() ? path : QString();
}

}  // namespace

TaudiobookDlgClient::TaudiobookDlgClient(QWidget* parent)
    : QDialog(parent, Qt::Widget),
      frontEnd_(std::make_unique<QtFrontEnd>(this)),
      session_(*frontEnd_) {
    setObjectName(QStringLiteral("mainClient"));
    selectButton_ = MakePushButton("Select main folder", "selectMainFolderButton", this);
    mergeButton_ = MakePushButton("Merge folders", "mergeFoldersButton", this);
    folderGroup_ = new QGroupBox(QStringLiteral("Folders"), this);
    folderGroup_->setObjectName(QStringLiteral("folderGroup"));
    folderList_ = new QListWidget(folderGroup_);
    folderList_->setObjectName(QStringLiteral("folderList"));
    folderList_->setSortingEnabled(true);
    folderList_->setMinimumSize(280, 180);
    statusLine_ = new QLabel(QStringLiteral("Text2"), folderGroup_);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    exitButton_ = MakePushButton("Exit", "exitButton", this);
    exitButton_->setDefault(true);
    optionsButton_ = MakePushButton("Options", "optionsButton", this);
    helpButton_ = MakePushButton("Help", "helpButton", this);

    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(selectButton_);
    top->addWidget(mergeButton_);
    top->addStretch();
    auto* group = new QVBoxLayout(folderGroup_);
    group->addWidget(folderList_, 1);
    group->addWidget(statusLine_);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(exitButton_);
    bottom->addWidget(optionsButton_);
    bottom->addWidget(helpButton_);
    bottom->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(folderGroup_, 1);
    layout->addLayout(bottom);

    setTabOrder(selectButton_, mergeButton_);
    setTabOrder(mergeButton_, folderList_);
    setTabOrder(folderList_, exitButton_);
    setTabOrder(exitButton_, optionsButton_);
    setTabOrder(optionsButton_, helpButton_);

    connect(selectButton_, &QPushButton::clicked, this, [this] { SelectMainFolder(); });
    connect(mergeButton_, &QPushButton::clicked, this, [this] { MergeFolders(); });
    connect(optionsButton_, &QPushButton::clicked, this, [this] { ShowOptions(); });
    connect(helpButton_, &QPushButton::clicked, this, [this] { ShowHelp(); });
    connect(exitButton_, &QPushButton::clicked, this, &QDialog::accept);

    *frontEnd_ = QtFrontEnd(this, folderList_, folderGroup_, &cancel_);
    setAcceptDrops(true);
    statusLine_->setText(QStringLiteral("Select the first folder in the sequence"));
    LoadLibraryPath();
}

TaudiobookDlgClient::~TaudiobookDlgClient() = default;

void TaudiobookDlgClient::SelectMainFolder() {
    // Scanning changes the set a running merge reads from, so it waits for the merge.
    if (merging_)
        return;
    RunGuarded([this] {
        folderList_->clear();
        session_.ForgetSet();
        std::string root = MusicLibraryPath.empty() ? ComputerRoot() : MusicLibraryPath;
        // A library folder that is gone (a drive unplugged, a folder renamed) is no
        // reason to stop: browsing starts at home instead.
        if (!MusicLibraryPath.empty() && !QFileInfo(QString::fromStdString(root)).isDir())
            root = QDir::homePath().toStdString();
        FolderChoice choice = Desktop().ChooseFolder(this, root, QString());
        switch (choice.kind) {
            case FolderChoice::Failed:
                ShowMessageBox(this, "BrowseForFolder: Exception", NoCaption, MessageStyle::Plain);
                return;
            case FolderChoice::Cancelled:
                ShowMessageBox(this, "No folder selected, try again.", NoCaption,
                               MessageStyle::Plain);
                return;
            case FolderChoice::Chosen:
                ScanFolder(choice.path);
                return;
        }
    });
}

void TaudiobookDlgClient::SelectFolder(const std::string& folder) {
    if (merging_)
        return;
    RunGuarded([this, &folder] {
        folderList_->clear();
        session_.ForgetSet();
        ScanFolder(folder);
    });
}

void TaudiobookDlgClient::ScanFolder(const std::string& folder) {
    MergeOutcome scanned = session_.Scan(folder);
    if (!scanned.Completed())
        return;
    statusLine_->setText(QString::asprintf("%d discs, %d files.", scanned.discs, scanned.tracks));
}

void TaudiobookDlgClient::MergeFolders() {
    if (merging_)
        return;
    merging_ = true;
    RunGuarded([this] {
        // However the merge ends, even by an error, the window takes buttons again.
        struct Cleanup {
            TaudiobookDlgClient* client;
            ~Cleanup() { client->merging_ = false; }
        } cleanup{this};
        cancel_.Clear();
        if (session_.Merge(cancel_).Completed()) {
            // The set is merged: the window is ready for the next one.
            folderList_->clear();
            statusLine_->setText(QString());
            folderGroup_->setTitle(QStringLiteral("Folders"));
        }
    });
    merging_ = false;
    if (closeAfterMerge_) {
        closeAfterMerge_ = false;
        QDialog::done(Accepted);
    }
}

void TaudiobookDlgClient::ShowOptions() {
    RunGuarded([this] {
        OptionsDialog dialog(this);
        dialog.exec();
    });
}

void TaudiobookDlgClient::ShowHelp() {
    RunGuarded([this] { brambex::ShowHelp(this); });
}

void TaudiobookDlgClient::CloseWhenMergeEnds() {
    if (!merging_) {
        QDialog::done(Accepted);
        return;
    }
    closeAfterMerge_ = true;
    cancel_.Request();
}

void TaudiobookDlgClient::done(int result) {
    if (merging_) {
        CloseWhenMergeEnds();
        return;
    }
    QDialog::done(result);
}

// Esc in the main window is no way to end the program.
void TaudiobookDlgClient::reject() {}

void TaudiobookDlgClient::dragEnterEvent(QDragEnterEvent* event) {
    if (!merging_ && !DraggedFolder(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TaudiobookDlgClient::dropEvent(QDropEvent* event) {
    QString folder = DraggedFolder(event->mimeData());
    if (merging_ || folder.isEmpty())
        return;
    event->acceptProposedAction();
    SelectFolder(folder.toStdString());
}

}  // namespace brambex
