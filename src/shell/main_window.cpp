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
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/chosen_folder.h"
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

// Where browsing starts: the music library, else home. A library folder that is gone
// (a drive unplugged, a folder renamed) is no reason to stop: browsing starts at home.
std::string BrowseRoot() {
    if (Settings().libraryPath.empty())
        return HomeFolder();
    if (!QFileInfo(QString::fromStdString(Settings().libraryPath)).isDir())
        return QDir::homePath().toStdString();
    return Settings().libraryPath;
}

// The folder browser could not start where it was asked to: the folder is gone or out
// of reach since it was last seen.
void ShowCannotBrowse(QWidget* owner, const std::string& root) {
    ShowMessageBox(owner, "The folder browser cannot open the folder\n\"" + root + "\".", NoCaption,
                   MessageKind::Notice);
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
    MakeControls();
    MakeMenus();
    LayOut();
    frontEnd_ = std::make_unique<QtFrontEnd>(this, &runner_.Flag());
    model_ = std::make_unique<MainWindowModel>(*frontEnd_);
    frontEnd_->SetWindowModel(model_.get(), [this] { Show(); });
    Connect();
    setAcceptDrops(true);
    Settings().LoadLibraryPath();
    keptRecent_ = Settings().StoredRecentSets();
    model_->KeepRecent(keptRecent_);
    FillRecentMenu();
    ShowSettingsNotice();
    Show();
}

MainWindow::~MainWindow() = default;

void MainWindow::MakeControls() {
    selectButton_ = MakePushButton("&Select main folder", "selectMainFolderButton", this);
    mergeButton_ = MakePushButton("&Merge folders", "mergeFoldersButton", this);
    libraryButton_ = MakePushButton("Merge a &library...", "mergeLibraryButton", this);
    folderGroup_ = new QGroupBox(this);
    folderGroup_->setObjectName(QStringLiteral("folderGroup"));
    setPathLine_ = new QLabel(folderGroup_);
    setPathLine_->setObjectName(QStringLiteral("setPathLine"));
    setPathLine_->setAccessibleName(QStringLiteral("Chosen folder"));
    setPathLine_->setTextFormat(Qt::PlainText);
    setPathLine_->setWordWrap(true);
    setPathLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderList_ = new QListWidget(folderGroup_);
    folderList_->setObjectName(QStringLiteral("folderList"));
    folderList_->setSortingEnabled(true);
    folderList_->setMinimumSize(280, 180);
    folderList_->setAccessibleName(QStringLiteral("Folders"));
    findingLine_ = new QLabel(folderGroup_);
    findingLine_->setObjectName(QStringLiteral("findingLine"));
    findingLine_->setAccessibleName(QStringLiteral("What the check found"));
    findingLine_->setTextFormat(Qt::PlainText);
    findingLine_->setWordWrap(true);
    discOneButton_ = MakePushButton("&Use disc 1 instead", "useDiscOneButton", folderGroup_);
    statusLine_ = new QLabel(folderGroup_);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setAccessibleName(QStringLiteral("Status"));
    statusLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A summary naming two long folders is read whole rather than cut off.
    statusLine_->setWordWrap(true);
    statusLine_->setTextFormat(Qt::PlainText);
    openFolderButton_ = MakePushButton("&Open folder", "openFolderButton", folderGroup_);
    detailsButton_ = MakePushButton("&Details", "detailsButton", folderGroup_);
    exitButton_ = MakePushButton("E&xit", "exitButton", this);
    optionsButton_ = MakePushButton("O&ptions", "optionsButton", this);
    helpButton_ = MakePushButton("&Help", "helpButton", this);
}

void MainWindow::LayOut() {
    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(selectButton_);
    top->addWidget(mergeButton_);
    top->addWidget(libraryButton_);
    top->addStretch();
    auto* group = new QVBoxLayout(folderGroup_);
    group->addWidget(setPathLine_);
    group->addWidget(folderList_, 1);
    auto* finding = new QHBoxLayout;
    finding->addWidget(findingLine_, 1);
    finding->addWidget(discOneButton_, 0, Qt::AlignTop);
    group->addLayout(finding);
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
    layout->setMenuBar(menuBar_);
    layout->addLayout(top);
    layout->addWidget(folderGroup_, 1);
    layout->addLayout(bottom);

    QWidget* order[] = {selectButton_,  mergeButton_,      libraryButton_, folderList_,
                        discOneButton_, openFolderButton_, detailsButton_, exitButton_,
                        optionsButton_, helpButton_};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void MainWindow::Connect() {
    connect(selectButton_, &QPushButton::clicked, this, [this] { SelectMainFolder(); });
    connect(mergeButton_, &QPushButton::clicked, this, [this] { MergeFolders(); });
    connect(libraryButton_, &QPushButton::clicked, this, [this] { MergeLibrary(); });
    connect(optionsButton_, &QPushButton::clicked, this, [this] { ShowOptions(); });
    connect(helpButton_, &QPushButton::clicked, this, [this] { ShowHelp(); });
    connect(exitButton_, &QPushButton::clicked, this, [this] { RequestEnd(); });
    connect(openFolderButton_, &QPushButton::clicked, this, [this] { OpenOutputFolder(); });
    connect(detailsButton_, &QPushButton::clicked, this, [this] { ShowDetails(); });
    connect(discOneButton_, &QPushButton::clicked, this, [this] { UseDiscOne(); });
    connect(folderList_, &QListWidget::itemDoubleClicked, this, [this] {
        if (model_->ShowsOutput())
            OpenOutputFolder();
    });
    connect(&runner_, &MergeRunner::finished, this, [this] { MergeEnded(); });
}

void MainWindow::Show() {
    if (shownFolders_ != model_->Folders()) {
        shownFolders_ = model_->Folders();
        folderList_->clear();
        for (const std::string& name : shownFolders_)
            folderList_->addItem(ToQString(name));
        if (model_->ShowsOutput())
            folderList_->setCurrentRow(0);
    }
    folderGroup_->setTitle(ToQString(model_->FolderCaption()));
    setPathLine_->setText(ToQString(model_->SetPath()));
    setPathLine_->setVisible(!model_->SetPath().empty());
    findingLine_->setText(ToQString(model_->Finding()));
    findingLine_->setVisible(!model_->Finding().empty());
    discOneButton_->setVisible(model_->UseDiscOneShown());
    mergeButton_->setEnabled(model_->MergeEnabled());
    mergeButton_->setDefault(model_->MergeEnabled());
    statusLine_->setText(ToQString(model_->Status()));
    openFolderButton_->setVisible(model_->OpenFolderShown());
    detailsButton_->setVisible(model_->DetailsShown());
    // Wrapped lines (a long path, a finding, a summary) may need more height than the
    // window has: it grows rather than laying them over the list.
    if (QLayout* lines = layout(); lines && lines->hasHeightForWidth()) {
        lines->activate();
        if (const int needed = lines->totalHeightForWidth(width()); needed > height())
            resize(width(), needed);
    }
}

// A settings file that had to be left as it is is named once, in the status line.
void MainWindow::ShowSettingsNotice() {
    if (QString notice = Settings().TakeNotice(); !notice.isEmpty()) {
        model_->ShowNotice(notice.toStdString());
        Show();
    }
}

void MainWindow::SetupWindow() {
    adjustSize();
    // Where the user left it last time; a geometry Qt cannot use (a screen gone) leaves
    // the window centred.
    QByteArray geometry = Settings().StoredWindowGeometry();
    ShowSettingsNotice();
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
    // A browser cancelled or out of reach leaves the chosen set as it was.
    RunGuarded([this] {
        const std::string root = BrowseRoot();
        FolderChoice choice =
            Desktop().ChooseFolder(this, root, QStringLiteral("Choose the folder of disc 1"));
        if (choice.kind == FolderChoice::Failed)
            ShowCannotBrowse(this, root);
        if (choice.kind == FolderChoice::Chosen)
            ScanFolder(choice.path);
    });
}

void MainWindow::SelectFolder(const std::string& folder) {
    if (Merging())
        return;
    RunGuarded([this, &folder] { ScanFolder(folder); });
}

void MainWindow::UseDiscOne() {
    if (Merging())
        return;
    RunGuarded([this] {
        model_->UseDiscOne();
        KeepRecent();
        Show();
    });
}

void MainWindow::ScanFolder(const std::string& folder) {
    model_->Scan(folder);
    KeepRecent();
    Show();
}

void MainWindow::MergeFolders() {
    if (Merging())
        return;
    runner_.Start([this](const Cancellation& cancel) { model_->Merge(cancel); });
}

void MainWindow::MergeLibrary() {
    if (Merging())
        return;
    RunGuarded([this] {
        const std::string root = BrowseRoot();
        FolderChoice choice = Desktop().ChooseFolder(
            this, root, QStringLiteral("Choose the folder that holds the sets"));
        if (choice.kind == FolderChoice::Failed)
            ShowCannotBrowse(this, root);
        if (choice.kind != FolderChoice::Chosen)
            return;
        LibraryDialog dialog(ChosenFolderFullPath(choice.path), this);
        dialog.exec();
    });
}

void MainWindow::MergeEnded() {
    if (!runner_.Failed()) {
        model_->MergeEnded();
        Show();
    }
    emit mergeEnded();
    if (closeAfterMerge_) {
        closeAfterMerge_ = false;
        close();
    }
}

void MainWindow::OpenOutputFolder() {
    if (!model_->ShowsOutput())
        return;
    // The list is sorted like the folders' names, which end in their numbers.
    QListWidgetItem* item = folderList_->item(std::max(folderList_->currentRow(), 0));
    const std::string path = model_->OutputFolderPath(item ? item->text().toStdString() : "");
    if (!Desktop().OpenFolder(path))
        ShowMessageBox(this, "No file manager could be started to show the folder\n" + path,
                       "Open folder", MessageKind::Warning);
}

void MainWindow::ShowDetails() {
    RunGuarded([this] {
        DetailsDialog dialog(this, model_->Notes());
        dialog.exec();
    });
}

void MainWindow::ShowOptions() {
    RunGuarded([this] {
        OptionsDialog dialog(this);
        dialog.exec();
        ShowSettingsNotice();
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
    Settings().StoreWindowGeometry(saveGeometry());
    event->accept();
}

// Return works as in a dialog: it clicks the focused button, else the default one, if
// any.
void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget()))
        focused->click();
    else if (mergeButton_->isDefault())
        mergeButton_->click();
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
