#include "engine/plan_resolution.h"

#include <algorithm>

#include "engine/track_copy.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"

namespace brambex {

std::vector<std::optional<std::string>> ReadOwnTitles(platform::FileSystem& files,
                                                      const MergePlan& plan, std::size_t count) {
    // What the codec notes of these tracks is said when each is merged.
    NoDiagnostics quiet;
    std::vector<std::optional<std::string>> titles;
    for (std::size_t i = 0; i < std::min(count, plan.tracks.size()); ++i) {
        std::optional<std::string>& title = titles.emplace_back();
        const std::string& name = plan.tracks[i].inputPath;
        InputFile in;
        TrackCopyResult opened;
        if (!OpenTrackInput(files, platform::JoinPath(plan.setFolder, name), name, in, opened))
            continue;
        MP3 mp3(quiet);
        mp3.Read(in);
        if (mp3.HasInputFrame(TagField::Title))
            title = std::string(mp3.InputText(TagField::Title));
    }
    return titles;
}

TrackResolution ResolvePlannedTrack(platform::FileSystem& files, const MergePlan& plan,
                                    PlannedTrack& track, const std::string& path,
                                    DiagnosticSink& diagnostics) {
    TrackResolution resolved;
    resolved.caption = track.inputPath;
    InputFile in;
    TrackCopyResult opened;
    if (!OpenTrackInput(files, path, track.inputPath, in, opened)) {
        resolved.failure = opened.message;
        return resolved;
    }
    const TrackValues values = ValuesForTrack(plan, track);
    MP3 mp3(diagnostics);
    TrackEditor editor(values, &track);
    mp3.Rewrite(in, nullptr, editor);
    if (!editor.PatternError().empty())
        return {editor.PatternError(), "Error", MessageKind::Error, TagKind::None};
    // A plan made from a track that could not be read whole would show what a merge
    // cannot do.
    if (!editor.Done() || mp3.Failed()) {
        resolved.failure = ReadFailure(in);
        return resolved;
    }
    resolved.kind = mp3.InputKind();
    track.tag = resolved.kind == TagKind::V22   ? PlannedTag::ConvertedFromV22
                : resolved.kind == TagKind::V24 ? PlannedTag::ConvertedFromV24
                : resolved.kind == TagKind::None || resolved.kind == TagKind::Broken
                    ? PlannedTag::New
                    : PlannedTag::Rewritten;
    const TagEdits& edits = editor.Edits();
    if (edits.trailerTitle)
        track.trailerTitle = std::string(*edits.trailerTitle);
    track.trailerArtist = values.choices.artist;
    track.trailerAlbum = values.albumTitle;
    track.trailerTrack = values.runningNumber;
    track.trailerGenre = edits.trailerGenre;
    return resolved;
}

}  // namespace brambex
