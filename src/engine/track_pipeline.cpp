#include "engine/track_pipeline.h"

#include <algorithm>

#include "platform/worker_thread.h"

namespace brambex {

TrackPipeline::TrackPipeline(int jobs) : jobs_(std::max(jobs, 1)) {}

TrackPipeline::~TrackPipeline() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    waiting_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void TrackPipeline::Start(std::function<void()> work) {
    auto item = std::make_shared<Item>();
    item->work = std::move(work);
    started_.push_back(item);
    if (jobs_ == 1) {
        item->work();
        item->done = true;
        return;
    }
    // Workers are made on first use, so a merge that stops early makes none.
    if (workers_.empty()) {
        for (int i = 0; i < jobs_; ++i)
            workers_.push_back(platform::StartWorkerThread([this] { Work(); }));
    }
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(item));
    }
    waiting_.notify_one();
}

void TrackPipeline::TakeOldest() {
    if (started_.empty())
        return;
    std::shared_ptr<Item> oldest = std::move(started_.front());
    started_.pop_front();
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return oldest->done; });
}

void TrackPipeline::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        waiting_.wait(lock, [&] { return ending_ || !queue_.empty(); });
        // Work already started is done even at the end: its results are awaited.
        if (queue_.empty())
            return;
        std::shared_ptr<Item> item = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        item->work();
        lock.lock();
        item->done = true;
        finished_.notify_all();
    }
}

int DefaultJobs() {
    return std::thread::hardware_concurrency() > 1 ? 2 : 1;
}

}  // namespace brambex
