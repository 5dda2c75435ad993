// What the progress window shows besides its caption and message: the share of the set
// done and the count line, "Track 81 of 120. Less than a minute left.", which names
// the track under way and the time left at the rate so far.
#pragma once

#include <cstdint>
#include <string>

#include "app/progress_meter.h"

namespace brambex {

class ProgressModel {
  public:
    // total is the set's count of tracks.
    explicit ProgressModel(int total) : total_(total), meter_(total) {}

    // Takes the count of tracks done; true when the percentage shown changed.
    bool SetDone(int done);
    // Bytes copied of the set's, in the seconds since the window came up.
    void SetBytes(std::int64_t done, std::int64_t total, double seconds);

    int Percent() const { return meter_.Percent(); }
    // What the close box asks before it cancels the merge: empty once every track is
    // written, when there is nothing left to cancel.
    std::string CloseQuestion() const;
    // Empty for a set of no tracks.
    std::string CountLine() const;

  private:
    int total_;
    int done_ = 0;
    std::string timeLeft_;
    ProgressMeter meter_;
};

}  // namespace brambex
