// Runs a merge on a worker thread for a window: the main window's one set and the
// library dialog's sets alike. The window stays responsive while the merge copies
// tracks; its front end's calls come back to the GUI thread. What escapes the merge is
// reported on the GUI thread as from any handler. A runner that is destroyed while its
// merge runs cancels it and waits until it has stopped.
#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "engine/front_end.h"

class QThread;

namespace brambex {

class MergeRunner : public QObject {
    Q_OBJECT
  public:
    explicit MergeRunner(QObject* parent = nullptr);
    // Cancels a running merge and waits until it has stopped; finished is not sent.
    ~MergeRunner() override;

    // Clears the cancel and starts work on a worker thread; false when a merge is still
    // running. work is given the cancel to poll.
    bool Start(std::function<void(const Cancellation&)> work);
    bool Running() const { return worker_ != nullptr; }
    // Asks the running merge to stop before its next track.
    void Cancel() { cancel_.Request(); }
    // What the progress window's Cancel requests.
    CancelFlag& Flag() { return cancel_; }
    // True when the last merge ended with an error that escaped it (already reported).
    bool Failed() const { return failed_; }

  signals:
    // The worker has ended; sent on the GUI thread after any escaped error was reported.
    void finished();

  private:
    void WorkerEnded();

    CancelFlag cancel_;
    QThread* worker_ = nullptr;
    bool failed_ = false;
    std::string error_;
};

}  // namespace brambex
