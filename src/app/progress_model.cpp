#include "app/progress_model.h"

#include <algorithm>

namespace brambex {

bool ProgressModel::SetDone(int done) {
    done_ = done;
    return meter_.Update(done);
}

void ProgressModel::SetBytes(std::int64_t done, std::int64_t total, double seconds) {
    timeLeft_ = TimeLeftText(done, total, seconds);
}

// The track under way: the one after those done.
std::string ProgressModel::CountLine() const {
    if (total_ <= 0)
        return {};
    std::string count =
        "Track " + std::to_string(std::min(done_ + 1, total_)) + " of " + std::to_string(total_);
    return timeLeft_.empty() ? count + "." : count + ". " + timeLeft_;
}

std::string ProgressModel::CloseQuestion() const {
    if (done_ >= total_)
        return {};
    std::string question = "Cancel the merge?\nIt stops once the tracks being written are complete";
    if (done_ == 0)
        return question + ".";
    return question + "; the " +
           (done_ == 1 ? std::string("track written so far stays")
                       : std::to_string(done_) + " tracks written so far stay") +
           " in the output folder.";
}

}  // namespace brambex
