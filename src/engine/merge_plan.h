// A merge as data: every output folder and every track of a set, named and numbered,
// made by one pure function from the scanned set and the Merge Options form's
// choices. The merge carries it out, a dry run prints it, and the Merge Options
// dialog previews it, so none of them can name a track otherwise than another.
//
// What depends on a track's own tag (its title for "<song>", the frames it keeps,
// whether its tag is converted) is no part of the set's listing. The writer reads each
// track's tag once, as it copies the track; a dry run resolves the frames of each
// planned track on the merge's thread (ResolveTrack in the driver), and the preview
// gets the first tracks' own titles read before the dialog opens. No window's thread
// ever runs the codec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/disc_set.h"
#include "options/merge_choices.h"
#include "options/merge_preview.h"

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

struct PlannedFolder {
    std::string name;        // in the set's folder
    std::string albumTitle;  // the album title of its tracks
    // The disc folder whose pictures it gets: the disc of its first track.
    std::string discFolder;
    std::vector<std::string> pictures;
};

struct PlannedTrack {
    std::string inputPath;   // in the set's folder
    std::string outputPath;  // in the set's folder
    std::string fileName;    // in its output folder
    std::size_t folder = 0;  // its output folder in MergePlan::folders
    int disc = 0;            // from 1
    int track = 0;           // the number its file name begins with
    int runningNumber = 0;   // in its output folder, from 1
    std::int64_t size = -1;

    // Resolved from the track's own tag, for a dry run.
    PlannedTag tag = PlannedTag::Rewritten;
    // Every frame of the output tag, in the order they are written.
    std::vector<PlannedFrame> frames;
    std::optional<std::string> trailerTitle;  // none: the input's own title stays
    std::string trailerArtist;
    std::string trailerAlbum;
    int trailerTrack = 0;
    int trailerGenre = -1;  // -1: the input's own genre byte stays
};

struct MergePlan {
    MergeChoices choices;
    std::string setFolder;
    std::string outputFolder;  // the title without the "_<number>" that asks for a split
    bool splitFolders = false;
    // The count of tracks alone spread the output over numbered folders, which the
    // user is told.
    bool splitForCount = false;
    std::vector<PlannedFolder> folders;
    // In the order they are merged; the running numbers restart in each folder.
    std::vector<PlannedTrack> tracks;
    // Why the merge stops after the planned tracks (two tracks of a disc with one
    // number), when it does.
    std::optional<SetFinding> stop;
    int stopDisc = 0;
};

// The plan of merging the checked set (its discs in disc order) with these choices.
MergePlan PlanMerge(const DiscSet& set, const MergeChoices& choices);

// Tracks the Merge Options dialog's preview shows.
inline constexpr std::size_t PreviewTracks = 5;

// What the Merge Options dialog shows of the plan: every output folder, and the first
// tracks, as many as ownTitles holds (each track's own title, none where it has none).
MergePreview PreviewPlan(const MergePlan& plan,
                         const std::vector<std::optional<std::string>>& ownTitles);

// A chapter of a book written as one file: the track it is made of and where it starts.
struct PlannedChapter {
    std::string title;
    std::uint32_t startMs = 0;
    std::string inputPath;  // in the set's folder
};

// One file of a book written as one file (or one part of it).
struct PlannedBookFile {
    std::string outputPath;  // in the set's folder
    std::vector<PlannedChapter> chapters;
};

// Receives a dry run: each output folder and track as the merge would make them, with
// the frames each track's tag would get; for a book written as one file, each of its
// files with its chapters instead of the tracks.
class DryRun {
  public:
    virtual ~DryRun() = default;
    // A new output folder would be prepared and get the pictures of discFolder.
    virtual void OutputFolder(const std::string& folder, const std::string& discFolder,
                              const std::vector<std::string>& pictures) = 0;
    virtual void Track(const PlannedTrack& track) = 0;
    virtual void BookFile(const PlannedBookFile& file) { (void)file; }
};

}  // namespace brambex
