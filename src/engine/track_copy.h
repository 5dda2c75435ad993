// One track of a merge: what the merge sets in its tag, and the byte work of writing it
// into a temporary file. Both run on any thread: they read only the values fixed when
// the track was started and never talk to the user; what the user must be told comes
// back with the result.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/front_end.h"
#include "options/merge_choices.h"
#include "options/merge_settings.h"
#include "platform/file_system.h"
#include "tags/mp3.h"

namespace brambex {

struct MergePlan;
struct PlannedTrack;

// The merge's values for one track, taken from the merge record when the track starts.
struct TrackValues {
    int disc = 0;
    int track = 0;  // the number its file name begins with
    int runningNumber = 0;
    std::string albumTitle;  // its output folder's
    MergeChoices choices;
};
TrackValues ValuesForTrack(const MergePlan& plan, const PlannedTrack& track);

// The title the merge gives a track (TIT2) unless its name is kept: the pattern applied
// to the track's own title, or, for a track without one, "<disc>-<track> <album>".
// False with the pattern's error.
bool NewTrackTitle(const TrackValues& values, const std::optional<std::string>& ownTitle,
                   std::string& title, std::string& error);

// What the merge sets in one track, decided once the codec has read the track's tag.
class TrackEditor : public TagEditor {
  public:
    // The values must outlive the pass; with a plan, the output frames are listed in it.
    TrackEditor(const TrackValues& values, PlannedTrack* plan);

    bool Edit(const MP3& input, TagEdits& edits) override;
    void Frame(const OutputFrame& frame) override;
    // False when the pass stopped before the edits were made: a bad title pattern,
    // which PatternError() describes.
    bool Done() const { return done_; }
    const std::string& PatternError() const { return patternError_; }
    const TagEdits& Edits() const { return edits_; }

  private:
    const std::string& TextFor(TagField field) const;

    const TrackValues& v_;
    PlannedTrack* plan_;
    std::string trackNumber_;
    std::string discTrackTitle_;
    std::string title_;
    std::string patternError_;
    TagEdits edits_;
    bool done_ = false;
};

struct TrackCopyResult {
    bool written = false;  // the temporary file holds the whole track
    // Otherwise the message for the user; the temporary file is gone.
    std::string message;
    std::string caption;
    MessageKind style = MessageKind::Notice;
    // The input's kind of tag, once its tag was read.
    bool tagRead = false;
    TagKind kind = TagKind::None;
    // The input's size as the copy found it; -1 when unknown.
    std::int64_t inputSize = -1;
    // The codec's diagnostic lines of this track, in order, when they were collected.
    std::vector<std::string> diagnostics;
};

// The two steps that open a track's files, on the thread that drives the merge, which
// alone makes names. False with the message in result. inputPath and outputPath name
// the track in a message; path is where the input lies.
bool OpenTrackInput(platform::FileSystem& files, const std::string& path,
                    const std::string& inputPath, InputFile& in, TrackCopyResult& result);
// Whatever lies at partialPath is removed first, never followed.
bool CreateTrackFile(platform::FileSystem& files, const std::string& partialPath,
                     const std::string& outputPath, OutputFile& out, TrackCopyResult& result);

// Rewrites the opened track into the opened temporary file, closes it, and removes it
// unless it holds the whole track, through `files` on the thread that runs it. The
// codec's lines go to the sink given, or without one into the result.
TrackCopyResult RewriteTrackFile(platform::FileSystem& files, InputFile& in, OutputFile& out,
                                 const std::string& inputPath, const std::string& partialPath,
                                 const std::string& outputPath, const TrackValues& values,
                                 DiagnosticSink* diagnostics);

// Why a pass that failed could not read its input. Without an error from the stream
// the codec found the input ending before the size it had when the pass began, or
// inside its declared tag.
std::string ReadFailure(const InputFile& in);

}  // namespace brambex
