// "Merge a library": every set found under a folder, one row each with a check box
// (the sets not merged yet checked) and what will become of it; "Merge" merges the
// checked ones in one go on a worker thread, showing the Merge Options dialog once
// for the choices they share and one progress window for the whole run, then tells
// in each row what became of the set. The search and the check are `library`'s: a
// folder it could not read is a row with the reason, and the links it passed over are
// named under the list. What the rows say is the library model's; the dialog shows it.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "app/library_model.h"
#include "shell/merge_runner.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace brambex {

class QtFrontEnd;

class LibraryDialog : public QDialog {
    Q_OBJECT
  public:
    // Finds the sets under the folder (an absolute path).
    LibraryDialog(const std::string& folder, QWidget* parent = nullptr);
    // Cancels a running merge and waits until it has stopped.
    ~LibraryDialog() override;

    const std::vector<LibrarySet>& Sets() const { return model_.Sets(); }
    bool Merging() const { return runner_.Running(); }
    void Merge();

  signals:
    // The merge's worker has ended and the rows show what became of each set.
    void mergeEnded();

  protected:
    void reject() override;

  private:
    void MakeList();
    void LayOut(QLabel* notes);
    // Shows what the model holds now.
    void Show();
    void CheckChanged();
    void MergeEnded();

    LibraryModel model_;
    QTreeWidget* list_;
    QLabel* summary_;
    QPushButton* mergeButton_;
    QPushButton* closeButton_;
    std::unique_ptr<QtFrontEnd> frontEnd_;
    std::vector<LibrarySetResult> results_;
    bool closeAfterMerge_ = false;
    // Last, so that it is gone (its merge stopped) before what the merge works on.
    MergeRunner runner_;
};

}  // namespace brambex
