// The window thread and the merge's worker thread. Windows belong to the thread that
// made them, so whatever the merge shows or asks is carried out on the window thread:
// Run waits for it there (a question, a dialog), Post leaves it queued (progress).
// MergeWorker runs one merge on its own thread for a window and tells the window, on
// the window thread, when it has ended.
#pragma once

#include <functional>
#include <string>
#include <thread>

#include "engine/front_end.h"

namespace brambex::win32 {

// On the window thread, before any other call: makes the hidden window that carries
// the work of other threads.
void StartGuiThread();
// Carries out work on the window thread and waits for it; at once when called there.
void RunOnGuiThread(const std::function<void()>& work);
// Queues work for the window thread without waiting.
void PostToGuiThread(std::function<void()> work);

class MergeWorker {
  public:
    MergeWorker() = default;
    // Cancels a running merge and serves the window thread's messages until it has
    // stopped (the merge may be waiting for an answer there); ended is not called.
    ~MergeWorker();
    MergeWorker(const MergeWorker&) = delete;
    MergeWorker& operator=(const MergeWorker&) = delete;

    // Clears the cancel and runs work on a new thread; false while a merge is running.
    // ended comes on the window thread afterwards, with the text of an error that
    // escaped the work (empty when none did).
    bool Start(std::function<void(const Cancellation&)> work,
               std::function<void(const std::string& error)> ended);
    bool Running() const { return running_; }
    void Cancel() { cancel_.Request(); }
    CancelFlag& Flag() { return cancel_; }

  private:
    void Ended(const std::string& error);

    CancelFlag cancel_;
    std::thread thread_;
    bool running_ = false;
    bool destroying_ = false;
    std::function<void(const std::string&)> ended_;
};

}  // namespace brambex::win32
