// The main window's contents: "Select main folder" and "Merge folders", the list of
// the chosen set's disc folders inside the "Folders" group, the status line, and
// "Exit", "Options" and "Help". It owns the merge record for the program's whole run.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "engine/merge_session.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace brambex {

class QtFrontEnd;

class TaudiobookDlgClient : public QDialog {
    Q_OBJECT
  public:
    // Loads the music library path as its last step.
    explicit TaudiobookDlgClient(QWidget* parent = nullptr);
    ~TaudiobookDlgClient() override;

    // Button handlers.
    void SelectMainFolder();
    void MergeFolders();
    void ShowOptions();
    void ShowHelp();

    // "Select main folder" with a folder chosen elsewhere (dropped on the window).
    void SelectFolder(const std::string& folder);

    MergeSettings& Settings() { return session_.Settings(); }
    MergeSession& Session() { return session_; }
    QtFrontEnd& FrontEnd() { return *frontEnd_; }
    bool Merging() const { return merging_; }
    // Cancels the running merge and closes the window once it has stopped.
    void CloseWhenMergeEnds();

    void done(int result) override;
    void reject() override;

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void ScanFolder(const std::string& folder);

    QPushButton* selectButton_;
    QPushButton* mergeButton_;
    QGroupBox* folderGroup_;
    QListWidget* folderList_;
    QLabel* statusLine_;
    QPushButton* exitButton_;
    QPushButton* optionsButton_;
    QPushButton* helpButton_;
    CancelFlag cancel_;
    std::unique_ptr<QtFrontEnd> frontEnd_;
    MergeSession session_;
    bool merging_ = false;
    bool closeAfterMerge_ = false;
};

}  // namespace brambex
