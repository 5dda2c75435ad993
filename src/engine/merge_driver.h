// The track merge driver: walks the discs of a set in order and, within each disc
// folder, the track numbers 01 to 499, and copies every track into the current output
// folder under a new name with rewritten ID3v2.3 frames and ID3v1 trailer.
//
// A dry run takes the same path through the set and the same decisions, but instead of
// preparing folders and writing tracks it hands each planned folder and track to a
// MergePlan, so a front end can show what a merge would do.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/disc_tracks.h"
#include "options/front_end.h"
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

class MergePlan {
  public:
    virtual ~MergePlan() = default;
    // A new output folder would be prepared and get the pictures of discFolder.
    virtual void OutputFolder(const std::string& folder, const std::string& discFolder,
                              const std::vector<std::string>& pictures) = 0;
    virtual void Track(const PlannedTrack& track) = 0;
};

// The "Merge folders" command: merges the set chosen by the last scan.
void MergeFolders(MergeSettings& settings, FrontEnd& frontEnd);
// Merges discs 1 ... discCount in order; stops at the first disc that fails.
void MergeSet(MergeSettings& settings, FrontEnd& frontEnd);
// Copies the tracks of one disc folder (relative to the current directory); false when
// the merge must stop, after the user has been told why.
bool MergeDisc(MergeSettings& settings, FrontEnd& frontEnd, const std::string& folder, int disc);

// The same three with a dry run: nothing is created, written or deleted; the plan
// receives every output folder and track instead. A null plan merges for real.
void MergeFolders(MergeSettings& settings, FrontEnd& frontEnd, MergePlan* dryRun);
void MergeSet(MergeSettings& settings, FrontEnd& frontEnd, MergePlan* dryRun);
bool MergeDisc(MergeSettings& settings, FrontEnd& frontEnd, const std::string& folder, int disc,
               MergePlan* dryRun);

// The title part of a track's file name: without a leading two-digit number and blank
// (with discTrackForm, the leading "D-NN" and blank), cut at the first ".mp3" (any
// letter case).
std::string TrackTitlePart(const std::string& fileName, bool discTrackForm = false);

// The number of tracks a merge has placed so far, from the folder and running numbers.
int MergedTrackCount(const MergeSettings& settings);

// The input path of the track that a merge or dry run reads at this moment (the first
// track also while the merge settings are prepared from it); empty at any other time.
// A front end that shows the tag codec's diagnostic lines names their file with it.
const std::string& TrackBeingRead();

}  // namespace brambex
