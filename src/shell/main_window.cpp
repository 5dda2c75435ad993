#include "shell/main_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/merge_summary.h"
#include "platform/file_system.h"

#include "shell/application.h"
#include "shell/desktop_services.h"
#include "shell/details_dialog.h"
#include "shell/help.h"
#include "shell/library_dialog.h"
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

// A settings file that had to be left as it is is named once, in the status line.
void ShowSettingsNotice(QLabel* statusLine) {
    if (QString notice = TakeSettingsNotice(); !notice.isEmpty())
        statusLine->setText(notice);
}

}  // namespace

QPoint CentredPosition(QSize screen, QSize window) {
    return {(screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2};
}

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QString::fromLatin1(ApplicationName));
    setAccessibleName(QStringLiteral("Brambex main window"));
    selectButton_ = MakePushButton("&Select main folder", "selectMainFolderButton", this);
    mergeButton_ = MakePushButton("&Merge folders", "mergeFoldersButton", this);
    libraryButton_ = MakePushButton("Merge a &library...", "mergeLibraryButton", this);
    folderGroup_ = new QGroupBox(QStringLiteral("Folders"), this);
    folderGroup_->setObjectName(QStringLiteral("folderGroup"));
    folderList_ = new QListWidget(folderGroup_);
    folderList_->setObjectName(QStringLiteral("folderList"));
    folderList_->setSortingEnabled(true);
    folderList_->setMinimumSize(280, 180);
    folderList_->setAccessibleName(QStringLiteral("Folders"));
    statusLine_ =
        new QLabel(QStringLiteral("Select the first folder in the sequence"), folderGroup_);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setAccessibleName(QStringLiteral("Status"));
    statusLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A summary naming two long folders is read whole rather than cut off.
    statusLine_->setWordWrap(true);
    statusLine_->setTextFormat(Qt::PlainText);
    openFolderButton_ = MakePushButton("&Open folder", "openFolderButton", folderGroup_);
    openFolderButton_->setVisible(false);
    detailsButton_ = MakePushButton("&Details", "detailsButton", folderGroup_);
    detailsButton_->setVisible(false);
    exitButton_ = MakePushButton("E&xit", "exitButton", this);
    exitButton_->setDefault(true);
    optionsButton_ = MakePushButton("O&ptions", "optionsButton", this);
    helpButton_ = MakePushButton("&Help", "helpButton", this);

    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(selectButton_);
    top->addWidget(mergeButton_);
    top->addWidget(libraryButton_);
    top->addStretch();
    auto* group = new QVBoxLayout(folderGroup_);
    group->addWidget(folderList_, 1);
    group->addWidget(statusLine_);
    auto* outcomeButtons = new QHBoxLayout;
    outcomeButtons->addStretch();
    outcomeButtons->addWidget(openFolderButton_);
    outcomeButtons->addWidget(detailsButton_);
    group->addLayout(outcomeButtons);
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
    setTabOrder(mergeButton_, libraryButton_);
    setTabOrder(libraryButton_, folderList_);
    setTabOrder(folderList_, openFolderButton_);
    setTabOrder(openFolderButton_, detailsButton_);
    setTabOrder(detailsButton_, exitButton_);
    setTabOrder(exitButton_, optionsButton_);
    setTabOrder(optionsButton_, helpButton_);

    connect(selectButton_, &QPushButton::clicked, this, [this] { SelectMainFolder(); });
    connect(mergeButton_, &QPushButton::clicked, this, [this] { MergeFolders(); });
    connect(libraryButton_, &QPushButton::clicked, this, [this] { MergeLibrary(); });
    connect(optionsButton_, &QPushButton::clicked, this, [this] { ShowOptions(); });
    connect(helpButton_, &QPushButton::clicked, this, [this] { ShowHelp(); });
    connect(exitButton_, &QPushButton::clicked, this, [this] { RequestEnd(); });
    connect(openFolderButton_, &QPushButton::clicked, this, [this] { OpenOutputFolder(); });
    connect(detailsButton_, &QPushButton::clicked, this, [this] { ShowDetails(); });
    connect(folderList_, &QListWidget::itemDoubleClicked, this, [this] {
        if (!outputFolders_.empty())
            OpenOutputFolder();
    });

    frontEnd_ =
        std::make_unique<QtFrontEnd>(this, folderList_, folderGroup_, &runner_.Flag(), statusLine_);
    session_ = std::make_unique<MergeSession>(*frontEnd_);
    connect(&runner_, &MergeRunner::finished, this, [this] { MergeEnded(); });
    setAcceptDrops(true);
    LoadLibraryPath();
    ShowSettingsNotice(statusLine_);
}

MainWindow::~MainWindow() = default;

void MainWindow::SetupWindow() {
    adjustSize();
    // Where the user left it last time; a geometry Qt cannot use (a screen gone) leaves
    // the window centred.
    QByteArray geometry = StoredWindowGeometry();
    ShowSettingsNotice(statusLine_);
    if (!geometry.isEmpty() && restoreGeometry(geometry))
        return;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move(area.topLeft() + CentredPosition(area.size(), frameGeometry().size()));
    }
}

void MainWindow::SelectMainFolder() {
    // Scanning changes the set a running merge reads from, so it waits for the merge.
    if (Merging())
        return;
    RunGuarded([this] {
        ForgetOutcome();
        folderList_->clear();
        session_->ForgetSet();
        std::string root = MusicLibraryPath.empty() ? HomeFolder() : MusicLibraryPath;
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

void MainWindow::SelectFolder(const std::string& folder) {
    if (Merging())
        return;
    RunGuarded([this, &folder] {
        ForgetOutcome();
        folderList_->clear();
        session_->ForgetSet();
        ScanFolder(folder);
    });
}

void MainWindow::ScanFolder(const std::string& folder) {
    MergeOutcome scanned = session_->Scan(folder);
    if (!scanned.Completed())
        return;
    statusLine_->setText(QString::asprintf("%d discs, %d files.", scanned.discs, scanned.tracks));
}

void MainWindow::MergeFolders() {
    if (Merging())
        return;
    ran_ = false;
    runner_.Start([this](const Cancellation& cancel) {
        outcome_ = session_->Prepare();
        ran_ = outcome_.Completed();
        if (ran_)
            outcome_ = session_->Run(cancel);
    });
}

void MainWindow::MergeLibrary() {
    if (Merging())
        return;
    RunGuarded([this] {
        std::string root = MusicLibraryPath.empty() ? HomeFolder() : MusicLibraryPath;
        if (!MusicLibraryPath.empty() && !QFileInfo(QString::fromStdString(root)).isDir())
            root = QDir::homePath().toStdString();
        FolderChoice choice = Desktop().ChooseFolder(
            this, root, QStringLiteral("Choose the folder that holds the sets"));
        if (choice.kind == FolderChoice::Failed)
            ShowMessageBox(this, "BrowseForFolder: Exception", NoCaption, MessageStyle::Plain);
        if (choice.kind != FolderChoice::Chosen)
            return;
        LibraryDialog dialog(
            QFileInfo(QString::fromStdString(choice.path)).absoluteFilePath().toStdString(), this);
        dialog.exec();
    });
}

void MainWindow::MergeEnded() {
    if (!runner_.Failed())
        ShowOutcome();
    emit mergeEnded();
    if (closeAfterMerge_) {
        closeAfterMerge_ = false;
        close();
    }
}

void MainWindow::ShowOutcome() {
    // A merge that ended before its first track without a place to name (Merge Options
    // cancelled, a title refused, no set chosen, an earlier merge kept) leaves the window
    // as it was; its message or status said what there was to say.
    const bool statusShown = frontEnd_->TakeStatusShown();
    if (!ran_ &&
        (statusShown || outcome_.kind != MergeOutcome::Kind::Stopped || outcome_.stoppedAt.empty()))
        return;
    ForgetOutcome();
    statusLine_->setText(ToQString(MergeSummary(outcome_, session_->Settings(), false)));
    notes_ = std::move(outcome_.notes);
    detailsButton_->setVisible(!notes_.empty());
    if (!outcome_.Completed())
        return;
    // The set is merged: the list shows where it went.
    outputFolders_ = MergedFolders(session_->Settings(), true);
    folderList_->clear();
    for (const std::string& name : MergedFolders(session_->Settings(), false))
        folderList_->addItem(ToQString(name));
    folderList_->setCurrentRow(0);
    folderGroup_->setTitle(QStringLiteral("Output folders"));
    openFolderButton_->setVisible(true);
}

void MainWindow::ForgetOutcome() {
    outputFolders_.clear();
    notes_.clear();
    openFolderButton_->setVisible(false);
    detailsButton_->setVisible(false);
    folderGroup_->setTitle(QStringLiteral("Folders"));
}

void MainWindow::OpenOutputFolder() {
    if (outputFolders_.empty())
        return;
    // The list is sorted like the folders' names, which end in their numbers.
    int row = std::max(folderList_->currentRow(), 0);
    std::string path = outputFolders_.front();
    if (QListWidgetItem* item = folderList_->item(row))
        path = platform::JoinPath(session_->SetFolder(), item->text().toStdString());
    if (!Desktop().OpenFolder(path))
        ShowMessageBox(this, "No file manager could be started to show\n" + path, "Error",
                       MessageStyle::Exclamation);
}

void MainWindow::ShowDetails() {
    RunGuarded([this] {
        DetailsDialog dialog(this, notes_);
        dialog.exec();
    });
}

void MainWindow::ShowOptions() {
    RunGuarded([this] {
        OptionsDialog dialog(this);
        dialog.exec();
        ShowSettingsNotice(statusLine_);
    });
}

void MainWindow::ShowHelp() {
    RunGuarded([this] { brambex::ShowHelp(this); });
}

void MainWindow::RequestEnd() {
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The merge works on this window's session; it is cancelled first, and the window
    // closes when it has stopped.
    if (Merging()) {
        closeAfterMerge_ = true;
        runner_.Cancel();
        event->ignore();
        return;
    }
    StoreWindowGeometry(saveGeometry());
    event->accept();
}

// Return works as in a dialog: it clicks the focused button, else Exit.
void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QWidget::keyPressEvent(event);
        return;
    }
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    (focused ? focused : exitButton_)->click();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!Merging() && !DraggedFolder(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    QString folder = DraggedFolder(event->mimeData());
    if (Merging() || folder.isEmpty())
        return;
    event->acceptProposedAction();
    SelectFolder(folder.toStdString());
}

}  // namespace brambex
