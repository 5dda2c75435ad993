#include "engine/track_copy.h"

#include <cstdio>
#include <optional>

#include "engine/format.h"
#include "engine/merge_plan.h"
#include "engine/system_reason.h"
#include "engine/temporary_file.h"
#include "options/title_numbers.h"
#include "options/title_template.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "tags/diagnostic.h"

namespace brambex {

namespace {

// ID3v1 genre number "Other", written into every trailer when genres are not kept.
constexpr int TrailerGenreOther = 12;

// The frames the merge sets, each spared by its keep flag (TRCK by none); a track that
// lacks one gets it.
struct FramePolicy {
    TagField field;
    bool MergeChoices::*keep;
};
constexpr FramePolicy MergeFrames[] = {
    {TagField::Genre, &MergeChoices::keepGenre},
    {TagField::Track, nullptr},
    {TagField::Title, &MergeChoices::keepTrackNames},
    {TagField::Album, &MergeChoices::keepAlbumTitle},
    {TagField::Band, &MergeChoices::keepArtist},
    {TagField::Artist, &MergeChoices::keepArtist},
};

std::string DiscTrackTitle(const TrackValues& v) {
    return Format("%d-%d %s", v.disc, v.track, v.albumTitle.c_str());
}

class CollectedDiagnostics : public DiagnosticSink {
  public:
    explicit CollectedDiagnostics(std::vector<std::string>& lines) : lines_(lines) {}
    void Line(std::string_view line) override { lines_.emplace_back(line); }

  private:
    std::vector<std::string>& lines_;
};

}  // namespace

TrackValues ValuesForTrack(const MergePlan& plan, const PlannedTrack& track) {
    return {track.disc, track.track, track.runningNumber, plan.folders[track.folder].albumTitle,
            plan.choices};
}

TrackEditor::TrackEditor(const TrackValues& values, PlannedTrack* plan) : v_(values), plan_(plan) {}

bool NewTrackTitle(const TrackValues& v, const std::optional<std::string>& ownTitle,
                   std::string& title, std::string& error) {
    // A track without a title of its own gets the disc-track title, whatever the
    // pattern.
    title = DiscTrackTitle(v);
    if (v.choices.keepTrackNames || !ownTitle)
        return true;
    return ExpandTitleTemplate(v.albumTitle, v.choices.titleTemplate, v.disc, v.track, *ownTitle,
                               title, error);
}

bool TrackEditor::Edit(const MP3& input, TagEdits& edits) {
    trackNumber_ = Format("%d", v_.runningNumber);
    discTrackTitle_ = DiscTrackTitle(v_);
    std::optional<std::string> ownTitle;
    if (input.HasInputFrame(TagField::Title))
        ownTitle = std::string(input.InputText(TagField::Title));
    if (!NewTrackTitle(v_, ownTitle, title_, patternError_))
        return false;
    for (const FramePolicy& policy : MergeFrames) {
        if (policy.keep && v_.choices.*policy.keep)
            continue;
        edits.Set(policy.field, TextFor(policy.field));
    }
    edits.editTrailer = true;
    if (!v_.choices.keepTrackNames)
        edits.trailerTitle = discTrackTitle_;
    edits.trailerArtist = v_.choices.artist;
    edits.trailerAlbum = v_.albumTitle;
    edits.trailerTrack = v_.runningNumber;
    edits.trailerGenre = v_.choices.keepGenre ? -1 : TrailerGenreOther;
    edits_ = edits;
    done_ = true;
    return true;
}

void TrackEditor::Frame(const OutputFrame& frame) {
    if (plan_) {
        bool set =
            frame.origin == OutputFrame::Origin::Set || frame.origin == OutputFrame::Origin::Added;
        plan_->frames.push_back({std::string(frame.id), std::string(frame.text), set});
    }
}

const std::string& TrackEditor::TextFor(TagField field) const {
    switch (field) {
        case TagField::Genre:
            return v_.choices.genre;
        case TagField::Track:
            return trackNumber_;
        case TagField::Title:
            return title_;
        case TagField::Album:
            return v_.albumTitle;
        case TagField::Band:
        case TagField::Artist:
            break;
    }
    return v_.choices.artist;
}

bool OpenTrackInput(platform::FileSystem& files, const std::string& path,
                    const std::string& inputPath, InputFile& in, TrackCopyResult& result) {
    result.caption = inputPath;
    // A track deleted since the check says so, with the system's reason; a folder or a
    // pipe in its place is not opened at all.
    std::error_code error;
    const platform::native_file::Kind kind = files.KindOf(path, error);
    if (kind == platform::native_file::Kind::Missing) {
        result.message = WithReason("Could not open input file", error);
        return false;
    }
    if (kind != platform::native_file::Kind::Regular) {
        result.message = "Could not open input file (not a regular file)";
        return false;
    }
    if (!in.Open(path)) {
        result.message = WithReason("Could not open input file", in.Error());
        return false;
    }
    return true;
}

bool CreateTrackFile(platform::FileSystem& files, const std::string& partialPath,
                     const std::string& outputPath, OutputFile& out, TrackCopyResult& result) {
    if (CreateTemporaryFile(files, out, partialPath))
        return true;
    result.message = WithReason("Could not open output file", out.Error());
    result.caption = outputPath;
    return false;
}

TrackCopyResult RewriteTrackFile(platform::FileSystem& files, InputFile& in, OutputFile& out,
                                 const std::string& inputPath, const std::string& partialPath,
                                 const std::string& outputPath, const TrackValues& values,
                                 DiagnosticSink* diagnostics) {
    TrackCopyResult result;
    const auto fail = [&](std::string text, const std::string& caption) {
        result.message = std::move(text);
        result.caption = caption;
        return result;
    };
    CollectedDiagnostics collected(result.diagnostics);
    MP3 mp3(diagnostics != nullptr ? *diagnostics : collected);
    TrackEditor editor(values, nullptr);
    mp3.Rewrite(in, &out, editor);
    const bool written = out.Close();
    result.tagRead = editor.Done();
    result.kind = mp3.InputKind();
    result.inputSize = mp3.Layout().inputSize;
    // Whatever went wrong, the half-made file must not stay behind.
    const auto discard = [&](std::string text, const std::string& caption) {
        DiscardTemporaryFile(files, partialPath);
        return fail(std::move(text), caption);
    };
    if (!editor.PatternError().empty()) {
        result.style = MessageKind::Error;
        return discard(editor.PatternError(), "Error");
    }
    // A failed copy is told from the streams and Failed(); the tag-level problems the
    // codec reports on the way (a broken tag, little audio) leave the track as good as
    // its input.
    if (in.Error())
        return discard(WithReason("Could not read input file", in.Error()), inputPath);
    if (!written)
        return discard(WithReason("Could not write output file", out.Error()), outputPath);
    // The streams reported nothing, yet the codec found the input shorter than it was
    // when the copy began, or could not read its tag: the output lacks audio.
    if (mp3.Failed() || !editor.Done())
        return discard(ReadFailure(in), inputPath);
    result.written = true;
    return result;
}

std::string ReadFailure(const InputFile& in) {
    return in.Error() ? WithReason("Could not read input file", in.Error())
                      : "Could not read input file (the file ended early)";
}

}  // namespace brambex
