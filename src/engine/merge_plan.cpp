// The plan of a merge. Everything here is decided from the set's listing and the
// choices alone: no file is opened, no folder listed, nobody asked.
#include "engine/merge_plan.h"

#include <algorithm>

#include "engine/book_folder.h"
#include "engine/format.h"
#include "engine/track_copy.h"
#include "options/title_numbers.h"
#include "platform/file_system.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

using platform::JoinPath;

// Digits of the running numbers in output folder `folder` of a merge of `tracks`
// tracks: as many as the folder's largest number needs, at least two, so that a player
// that sorts by name never plays "100" between "10" and "11".
int RunningNumberDigits(int tracks, int folder) {
    const int inFolder = std::min(MaxTracksPerFolder, tracks - (folder - 1) * MaxTracksPerFolder);
    return inFolder >= 100 ? 3 : 2;
}

// "012 3-7 Title.mp3". A name that would pass the limit of one name keeps its numbers
// and loses the end of its title.
std::string OutputName(const DiscTrack& track, bool discTrackForm, int digits, int running,
                       int disc) {
    const std::string numbers = Format("%0*d %d-%d ", digits, running, disc, track.number);
    const std::string title = TrackTitlePart(track.name, discTrackForm);
    const std::size_t room = platform::MaxNameBytes - numbers.size() - 4;
    return numbers + std::string(CutUtf8(title, room)) + ".mp3";
}

void BeginFolder(MergePlan& plan, const DiscFolder& disc) {
    const int number = static_cast<int>(plan.folders.size()) + 1;
    PlannedFolder& folder = plan.folders.emplace_back();
    folder.name = OutputFolderName(plan.outputFolder, plan.splitFolders, number);
    folder.albumTitle = FolderAlbumTitle(plan.choices.title, plan.splitFolders, number);
    folder.discFolder = disc.name;
    folder.pictures = disc.pictures;
}

SetFinding TwoTracksWithOneNumber(const DiscFolder& disc, int number) {
    return SetFinding{JoinPath(disc.name, TrackNumberPattern(disc.found, number)),
                      "Two or more mp3 files have the same sequence number!", MessageKind::Error,
                      JoinPath(disc.name, TrackNumberPattern(disc.found, number))};
}

}  // namespace

MergePlan PlanMerge(const DiscSet& set, const MergeChoices& choices) {
    MergePlan plan;
    plan.choices = choices;
    plan.setFolder = set.setFolder;
    const int total = set.TrackCount();
    // A book written as one file has one folder, whatever its title ends in.
    OutputSplit split = choices.format == OutputFormat::FolderOfTracks
                            ? SplitOutput(choices.title, total)
                            : OutputSplit{choices.title, false, false};
    plan.outputFolder = std::move(split.outputFolder);
    plan.splitFolders = split.splitFolders;
    plan.splitForCount = split.splitForCount;
    int running = 0;
    for (std::size_t d = 0; d < set.discs.size(); ++d) {
        const DiscFolder& disc = set.discs[d];
        const std::vector<DiscTrack>& tracks = disc.found.tracks;
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            if (i + 1 < tracks.size() && tracks[i + 1].number == tracks[i].number) {
                plan.stop = TwoTracksWithOneNumber(disc, tracks[i].number);
                plan.stopDisc = static_cast<int>(d) + 1;
                return plan;
            }
            if (plan.folders.empty() || (plan.splitFolders && running == MaxTracksPerFolder)) {
                BeginFolder(plan, disc);
                running = 0;
            }
            PlannedTrack& t = plan.tracks.emplace_back();
            t.folder = plan.folders.size() - 1;
            t.disc = static_cast<int>(d) + 1;
            t.track = tracks[i].number;
            t.runningNumber = ++running;
            t.size = tracks[i].size;
            t.inputPath = JoinPath(disc.name, tracks[i].name);
            const int digits = RunningNumberDigits(total, static_cast<int>(plan.folders.size()));
            t.fileName =
                OutputName(tracks[i], disc.found.discTrackForm, digits, t.runningNumber, t.disc);
            t.outputPath = JoinPath(plan.folders.back().name, t.fileName);
        }
    }
    return plan;
}

MergePreview PreviewPlan(const MergePlan& plan,
                         const std::vector<std::optional<std::string>>& ownTitles) {
    MergePreview preview;
    for (const PlannedFolder& folder : plan.folders)
        preview.folders.push_back(folder.name);
    // A set that has no track yet still names the folder its merge would make.
    if (plan.folders.empty())
        preview.folders.push_back(OutputFolderName(plan.outputFolder, plan.splitFolders, 1));
    // A book is named as its folder is.
    if (plan.choices.format == OutputFormat::Mp3Book)
        preview.bookFile = BookFileName(preview.folders.front(), ".mp3", 1, 1);
    else if (plan.choices.format == OutputFormat::M4bBook)
        preview.bookFile = BookFileName(preview.folders.front(), ".m4b", 1, 1);
    const std::size_t shown = std::min(ownTitles.size(), plan.tracks.size());
    for (std::size_t i = 0; i < shown; ++i) {
        const PlannedTrack& track = plan.tracks[i];
        PreviewTrack& row = preview.tracks.emplace_back();
        row.fileName = track.fileName;
        const TrackValues values = ValuesForTrack(plan, track);
        std::string error;
        if (!NewTrackTitle(values, ownTitles[i], row.title, error)) {
            preview.tracks.pop_back();
            preview.problem = error;
            return preview;
        }
        if (values.choices.keepTrackNames)
            row.title = ownTitles[i].value_or("");
    }
    if (plan.stop && shown == plan.tracks.size())
        preview.problem = plan.stop->text;
    return preview;
}

}  // namespace brambex
