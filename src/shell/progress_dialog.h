// The small modeless window a merge shows while it copies tracks: a caption naming the
// disc folder, a line naming the track, a percentage bar and Cancel. The merge runs on
// the program's only thread, so every update lets waiting events through; that is when
// a click on Cancel arrives. Cancel only sets the merge's cancel flag. The window stays
// on screen for at least one second, however quickly the merge ends.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <string_view>

#include "options/front_end.h"
#include "options/progress_meter.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace brambex {

class TProgress : public QDialog, public ProgressWindow {
    Q_OBJECT
  public:
    static constexpr int MinimumShowMs = 1000;

    // Clears the cancel, which Cancel and Esc request later.
    TProgress(QWidget* parent, std::string_view initialMessage, int total, CancelFlag* cancel,
              std::string_view caption, bool showCancel);
    // Waits, without taking user input, until the window has been up for a second.
    ~TProgress() override;

    // Shows the window; the minimum time on screen counts from here.
    void Create();

    void SetTitle(std::string_view caption) override;
    void SetMessage(std::string_view text) override;
    void SetProgress(int done) override;

    void CmCancel();
    int Percent() const { return meter_.Percent(); }
    // Milliseconds until the window may close; 0 when it may close now.
    int RemainingShowMs() const;

    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void DispatchWaitingEvents();
    void WaitMinimumShowTime();

    QLabel* messageLine_;
    QProgressBar* gauge_;
    QPushButton* cancelButton_;
    CancelFlag* cancel_;
    ProgressMeter meter_;
    QElapsedTimer shown_;
};

}  // namespace brambex
