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
#include "engine/disc_tracks.h"
#include "engine/merge_outcome.h"
#include "options/front_end.h"
#include "options/merge_preview.h"
#include "options/merge_settings.h"

namespace brambex {

struct PlannedFrame {
    std::string id;
    std::string text;  // text frames only
    bool set = true;   // false: one of the track's own frames, kept
};

// What becomes of a track's ID3v2 tag.
enum class PlannedTag {
    Rewritten,         // an ID3v2.3 tag, rewritten
    ConvertedFromV22,  // an ID3v2.2 or 2.4 tag, converted to 2.3
    ConvertedFromV24,
    New,  // none, or one too broken to read: a new tag goes in front
};

struct PlannedTrack {
    std::string inputPath;
    std::string outputPath;
    PlannedTag tag = PlannedTag::Rewritten;
    // Every frame of the output tag, in the order they are written.
    std::vector<PlannedFrame> frames;
    std::optional<std::string> trailerTitle;  // none: the input's own title stays
    std::string trailerArtist;
    std::string trailerAlbum;
    int trailerTrack = 0;
    int trailerGenre = -1;  // -1: the input's own genre byte stays
};

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

// The first `tracks` tracks and every output folder of a merge made with these
// settings, planned without writing or asking anything: what the Merge Options dialog
// shows while the user changes its values.
inline constexpr int PreviewTracks = 5;
MergePreview PreviewMerge(const MergeSettings& settings, const DiscSet& set, int tracks);

// The title part of a track's file name: without a leading two-digit number and blank
// (with discTrackForm, the leading "D-NN" and blank), cut at the first ".mp3" (any
// letter case).
std::string TrackTitlePart(const std::string& fileName, bool discTrackForm = false);

}  // namespace brambex
