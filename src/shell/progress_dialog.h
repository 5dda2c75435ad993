// The small modeless window a merge shows while it copies tracks: a caption naming the
// disc folder, a line naming the track, "Track i of n" with the time left as the bytes
// copied so far tell it, a percentage bar and Cancel. The merge runs on
// a worker thread, so the window lives and updates on the GUI thread like any other;
// Cancel only requests the merge's cancel, which the merge polls before each track;
// the close box does the same, after asking while tracks remain to be written.
// Once finished, the window stays on screen until it has been up for a second, however
// quickly the merge ended.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>
#include <string_view>

#include "app/progress_model.h"
#include "engine/front_end.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace brambex {

class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int MinimumShowMs = 1000;

    // Clears the cancel, which Cancel and Esc request later.
    ProgressDialog(QWidget* parent, std::string_view initialMessage, int total, CancelFlag* cancel,
                   std::string_view caption, bool showCancel);

    // Shows the window; the minimum time on screen counts from here.
    void Create();
    // The merge has ended: the window goes (and deletes itself) once it has been up for
    // its second.
    void Finish();

    void SetTitle(std::string_view caption);
    void SetMessage(std::string_view text);
    void SetProgress(int done);
    void SetBytes(std::int64_t done, std::int64_t total);

    void Cancel();
    int Percent() const { return model_.Percent(); }
    // Milliseconds until the window may close; 0 when it may close now.
    int RemainingShowMs() const;

    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void ShowCount();

    QLabel* messageLine_;
    QLabel* countLine_;
    QProgressBar* gauge_;
    QPushButton* cancelButton_;
    CancelFlag* cancel_;
    ProgressModel model_;
    QElapsedTimer shown_;
    bool asking_ = false;         // the close box's question is up
    bool finishPending_ = false;  // the merge ended while it was
};

}  // namespace brambex
