// The track merge driver: walks the discs of a set in order and, within each disc
// folder, its tracks by number, and copies every track into the current output folder
// under a new name with rewritten ID3v2.3 frames and ID3v1 trailer. A merge session
// drives it; front ends drive the session.
//
// A dry run takes the same path through the set and the same decisions, but instead of
// preparing folders and writing tracks it hands each planned folder and track to a
// DryRun, so a front end can show what a merge would do.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/disc_set.h"
#include "engine/merge_outcome.h"
#include "engine/merge_plan.h"
#include "options/front_end.h"
#include "options/merge_preview.h"
#include "options/merge_settings.h"

namespace brambex {

// Receives a dry run: each output folder and track as the merge would make them.
class DryRun {
  public:
    virtual ~DryRun() = default;
    // A new output folder would be prepared and get the pictures of discFolder.
    virtual void OutputFolder(const std::string& folder, const std::string& discFolder,
                              const std::vector<std::string>& pictures) = 0;
    virtual void Track(const PlannedTrack& track) = 0;
};

// The track loop of one merge. Prepare reads the first track's tags, asks for the
// settings and makes the first output folder ready, before anything is copied; Run
// then copies every track of the disc folders in order, polling the cancellation
// before each. With a plan nothing is created, written or deleted: the plan receives
// every output folder and track instead.
class MergeDriver {
  public:
    // set: checked, its discs in disc order; it must outlive the driver.
    MergeDriver(MergeSettings& settings, FrontEnd& frontEnd, const DiscSet& set, DryRun* dryRun);
    ~MergeDriver();
    MergeDriver(const MergeDriver&) = delete;
    MergeDriver& operator=(const MergeDriver&) = delete;

    MergeOutcome Prepare();
    MergeOutcome Run(const Cancellation& cancel);

  private:
    struct Loop;
    std::unique_ptr<Loop> run_;
};

// Tracks the Merge Options dialog's preview shows.
inline constexpr int PreviewTracks = 5;

}  // namespace brambex
