// The program's one window, captioned "Brambex", with a minimise but no maximise box:
// the menu bar (main_window_menu.cpp), "Select main folder" and "Merge folders", the chosen set's
// folder and the list of its disc folders inside the "Folders" group, what the check of the set
// found (with "Use disc 1 instead" where a later disc was chosen), the status line, and "Exit",
// "Options" and "Help". Merge folders is the default button while the set can be merged; otherwise
// none is. When a merge has ended, the status line says what it came to; a completed merge's output
// folders take the list's place, with "Open folder", and the tracks' notes wait under
// "Details". The window keeps its size and position from one run to the next. It
// drives one merge session for the program's whole run. A merge copies its tracks on a
// worker thread, so the window stays responsive: Options and Help work, the progress
// window's Cancel is heard mid-track, and closing the window cancels the merge and
// closes once it has stopped.
#pragma once

#include <QPoint>
#include <QSize>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window_model.h"
#include "shell/merge_runner.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;

namespace brambex {

class QtFrontEnd;

// Top-left corner that centres a window on a screen: each half-difference truncated
// toward zero, so a window larger than the screen gets a negative position.
QPoint CentredPosition(QSize screen, QSize window);

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // Loads the music library path as its last step.
    explicit MainWindow(QWidget* parent = nullptr);
    // Cancels a running merge and waits until it has stopped.
    ~MainWindow() override;

    // Sizes the window to its contents and centres it on the primary screen.
    void SetupWindow();

    // Button handlers.
    void SelectMainFolder();
    void MergeFolders();
    // "Merge a library...": a folder chosen, its sets listed and merged in the
    // library dialog.
    void MergeLibrary();
    void ShowOptions();
    void ShowHelp();
    // File > Open Recent: the set chosen again, or, when its folder is gone, a box that
    // says it leaves the list.
    void OpenRecent(const std::string& folder);
    void ClearRecent();
    // Help > About Brambex: the version and the licence.
    void ShowAbout();

    // Shows the selected (else the first) output folder of the last merge in the file
    // manager.
    void OpenOutputFolder();
    // The notes of the last merge's tracks, in the Details window.
    void ShowDetails();

    // "Select main folder" with a folder chosen elsewhere (dropped on the window).
    void SelectFolder(const std::string& folder);
    // "Use disc 1 instead": the set's disc-1 folder in place of the later disc chosen.
    void UseDiscOne();

    bool Merging() const { return runner_.Running(); }
    // Closes the window as soon as no merge is running (cancelling one that is).
    void RequestEnd();

  signals:
    // The merge's worker has ended and the window shows the outcome.
    void mergeEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void MakeMenus();
    void FillRecentMenu();
    // Writes the recent sets to the settings when they have changed.
    void KeepRecent();
    void MakeControls();
    void LayOut();
    void Connect();
    // Shows what the model holds now.
    void Show();
    void ShowSettingsNotice();
    void ScanFolder(const std::string& folder);
    void MergeEnded();

    QMenuBar* menuBar_;
    QMenu* recentMenu_;
    std::vector<std::string> keptRecent_;  // the recent sets as the settings hold them
    QPushButton* selectButton_;
    QPushButton* mergeButton_;
    QPushButton* libraryButton_;
    QGroupBox* folderGroup_;
    QLabel* setPathLine_;
    QListWidget* folderList_;
    QLabel* findingLine_;
    QPushButton* discOneButton_;
    QLabel* statusLine_;
    QPushButton* openFolderButton_;
    QPushButton* detailsButton_;
    QPushButton* exitButton_;
    QPushButton* optionsButton_;
    QPushButton* helpButton_;
    std::unique_ptr<QtFrontEnd> frontEnd_;
    std::unique_ptr<MainWindowModel> model_;
    std::vector<std::string> shownFolders_;  // what the list was last filled with
    bool closeAfterMerge_ = false;
    // Last, so that it is gone (its merge stopped) before the model it works on.
    MergeRunner runner_;
};

}  // namespace brambex
