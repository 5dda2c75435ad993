// Work that runs on up to a few worker threads at once and is taken back strictly in
// the order it was started. The merge copies tracks with it: the bytes of the next
// track are written while the one before is still being written, and everything a
// user sees of a track (its messages, its name, the progress) is done on the calling
// thread when the track is taken back, in order.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace brambex {

class TrackPipeline {
  public:
    // With one job the work runs on the calling thread as it is started, and no thread
    // is made.
    explicit TrackPipeline(int jobs);
    // Waits for the work still running.
    ~TrackPipeline();
    TrackPipeline(const TrackPipeline&) = delete;
    TrackPipeline& operator=(const TrackPipeline&) = delete;

    int Jobs() const { return jobs_; }
    // How much work may be started and not yet taken back with so many jobs: with one,
    // one; else one more than there are workers, so that a worker that finishes finds
    // the next track opened and waiting, instead of idling while the calling thread
    // takes back the track before and opens the next. A two-job merge on ext4 took a
    // tenth longer without it.
    static constexpr int SlotsFor(int jobs) { return jobs > 1 ? jobs + 1 : 1; }
    int Slots() const { return SlotsFor(jobs_); }
    bool Full() const { return started_.size() >= static_cast<std::size_t>(Slots()); }

    // Starts work on a free worker. The work must not talk to the user.
    void Start(std::function<void()> work);
    // Waits until the oldest work started has finished and takes it back; after this,
    // whatever that work wrote can be read by the calling thread.
    void TakeOldest();

  private:
    struct Item {
        std::function<void()> work;
        bool done = false;
    };
    void Work();

    const int jobs_;
    std::deque<std::shared_ptr<Item>> started_;  // in the order started
    std::mutex mutex_;
    std::condition_variable waiting_;  // work to start, or the end
    std::condition_variable finished_;
    std::deque<std::shared_ptr<Item>> queue_;  // started, not yet picked by a worker
    bool ending_ = false;
    std::vector<std::thread> workers_;
};

// How many tracks a merge writes at once when not told: two on a machine with more
// than one core, else one.
int DefaultJobs();

}  // namespace brambex
