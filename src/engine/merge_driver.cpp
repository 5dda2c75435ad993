#include "engine/merge_driver.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#include "engine/cover_art.h"
#include "engine/disc_set.h"
#include "engine/disc_tracks.h"
#include "engine/output_folder.h"
#include "engine/system_reason.h"
#include "options/merge_preparation.h"
#include "options/title_template.h"
#include "platform/ascii_case.h"
#include "platform/file_system.h"
#include "tags/file_stream.h"
#include "tags/mp3.h"

namespace brambex {

namespace {

using platform::FindMatching;
using platform::JoinPath;
using platform::RenameFile;

// Each track and picture is written under a temporary name in the output folder and
// renamed when it is complete, so a file that fails halfway never lies there under its
// name. The name is hidden, does not end in .mp3 and is this run's own (process and
// clock), so no scan takes a leftover for a track and no other merge writes to it; the
// next merge of the folder removes what a killed run left.
std::string PartialFileName() {
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char unique[64];
    std::snprintf(unique, sizeof unique, "%llx-%llx",
                  static_cast<unsigned long long>(platform::ProcessId()),
                  static_cast<unsigned long long>(ticks));
    return std::string(PartialFilePrefix) + unique + std::string(PartialFileEnding);
}

// The text cut to at most limit bytes, never inside a UTF-8 character.
std::string_view CutToBytes(std::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

// ID3v1 genre number "Other", written into every trailer when genres are not kept.
constexpr int TrailerGenreOther = 12;

std::string trackBeingRead;

// Names the track being read for as long as it lives.
class ReadingTrack {
  public:
    explicit ReadingTrack(const std::string& inputPath) { trackBeingRead = inputPath; }
    ~ReadingTrack() { trackBeingRead.clear(); }
    ReadingTrack(const ReadingTrack&) = delete;
    ReadingTrack& operator=(const ReadingTrack&) = delete;
};

std::string Format(const char* format, auto... args) {
    int n = std::snprintf(nullptr, 0, format, args...);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0)
        std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

// Why a pass that failed could not read its input. Without an error from the stream
// the codec found the input ending before the size it had when the pass began, or
// inside its declared tag.
std::string ReadFailure(const InputFile& in) {
    return in.Error() != 0 ? WithReason("Could not read input file", in.Error())
                           : "Could not read input file (the file ended early)";
}

// The frames the merge sets, each spared by its keep flag (TRCK by none); a track that
// lacks one gets it.
struct FramePolicy {
    TagField field;
    bool MergeSettings::*keep;
};
constexpr FramePolicy MergeFrames[] = {
    {TagField::Genre, &MergeSettings::keepGenre},
    {TagField::Track, nullptr},
    {TagField::Title, &MergeSettings::keepTrackNames},
    {TagField::Album, &MergeSettings::keepAlbumTitle},
    {TagField::Band, &MergeSettings::keepArtist},
    {TagField::Artist, &MergeSettings::keepArtist},
};

class MergeRun {
  public:
    MergeRun(MergeSettings& settings, FrontEnd& frontEnd, std::vector<std::string> discFolders,
             MergePlan* dryRun)
        : s_(settings),
          ui_(frontEnd),
          discFolders_(std::move(discFolders)),
          plan_(dryRun),
          partialName_(PartialFileName()) {}

    MergeOutcome Prepare();
    MergeOutcome Run(const Cancellation& cancel);

  private:
    bool MergeDisc(const std::string& folder, int disc, const Cancellation& cancel);
    bool OpenOutputFolder(const std::string& folder);
    void ShowProgressFor(const std::string& folder, int track);
    bool CopyTrack(const std::string& inputPath, const std::string& outputPath, int disc,
                   int track);
    bool RewriteTrack(MP3& mp3, InputFile& in, OutputFile* out, int disc, int track,
                      PlannedTrack* plan);
    friend class TrackEditor;
    void PlanOutputFolder(const std::string& discFolder);
    bool Fail(std::string_view text, const std::string& caption) {
        ui_.ShowMessage(text, caption, MessageStyle::Plain);
        return false;
    }
    // The tracks the check found can be gone by now; a merge of nothing is no success.
    MergeOutcome NothingMerged() {
        ui_.ShowMessage("No track was merged: the disc folders no longer hold any tracks.", "Error",
                        MessageStyle::Stop);
        return Ended(MergeOutcome::Kind::Stopped);
    }
    MergeOutcome Ended(MergeOutcome::Kind kind) {
        // The front end keeps the window up for its minimum time when it is closed.
        progress_.reset();
        return {kind, s_.discCount, placed_};
    }

    MergeSettings& s_;
    FrontEnd& ui_;
    const std::vector<std::string> discFolders_;
    MergePlan* plan_;
    const std::string partialName_;
    bool folderReady_ = false;  // the current output folder is prepared and has room
    bool cancelled_ = false;
    int placed_ = 0;  // tracks copied (or planned) so far
    std::unique_ptr<ProgressWindow> progress_;
    // Every output folder of this merge stays locked against other merges until the
    // merge ends.
    std::vector<platform::FolderLock> locks_;
};

// What the merge sets in one track, decided once the codec has read the track's tag.
class TrackEditor : public TagEditor {
  public:
    TrackEditor(MergeRun& run, int disc, int track, PlannedTrack* plan)
        : run_(run), disc_(disc), track_(track), plan_(plan) {}

    bool Edit(const MP3& input, TagEdits& edits) override {
        const MergeSettings& s = run_.s_;
        trackNumber_ = Format("%d", s.runningNumber);
        discTrackTitle_ = Format("%d-%d %s", disc_, track_, s.albumTitle.c_str());
        // A track without a title of its own gets the disc-track title, whatever the
        // pattern.
        title_ = discTrackTitle_;
        if (!s.keepTrackNames && input.HasInputFrame(TagField::Title) &&
            !ExpandTitleTemplate(s, run_.ui_, s.titleTemplate, disc_, track_,
                                 input.InputText(TagField::Title), title_)) {
            refused_ = true;
            return false;
        }
        for (const FramePolicy& policy : MergeFrames) {
            if (policy.keep && s.*policy.keep)
                continue;
            edits.Set(policy.field, TextFor(policy.field));
        }
        edits.editTrailer = true;
        if (!s.keepTrackNames)
            edits.trailerTitle = discTrackTitle_;
        edits.trailerArtist = s.artist;
        edits.trailerAlbum = s.albumTitle;
        edits.trailerTrack = s.runningNumber;
        edits.trailerGenre = s.keepGenre ? -1 : TrailerGenreOther;
        edits_ = edits;
        return true;
    }
    void Frame(const OutputFrame& frame) override {
        if (plan_) {
            bool set = frame.origin == OutputFrame::Origin::Set ||
                       frame.origin == OutputFrame::Origin::Added;
            plan_->frames.push_back({std::string(frame.id), std::string(frame.text), set});
        }
    }
    // True when the pass stopped because the title pattern holds a code it does not
    // know; the user has been told.
    bool Refused() const { return refused_; }
    const TagEdits& Edits() const { return edits_; }

  private:
    const std::string& TextFor(TagField field) const {
        const MergeSettings& s = run_.s_;
        switch (field) {
            case TagField::Genre:
                return s.genre;
            case TagField::Track:
                return trackNumber_;
            case TagField::Title:
                return title_;
            case TagField::Album:
                return s.albumTitle;
            case TagField::Band:
            case TagField::Artist:
                break;
        }
        return s.artist;
    }

    MergeRun& run_;
    int disc_;
    int track_;
    PlannedTrack* plan_;
    std::string trackNumber_;
    std::string discTrackTitle_;
    std::string title_;
    TagEdits edits_;
    bool refused_ = false;
};

MergeOutcome MergeRun::Prepare() {
    s_.runningNumber = 0;
    s_.folderNumber = 0;
    s_.convertedTags = 0;
    s_.newTags = 0;
    // The first track of the set (the first disc may hold none) gives the settings, and
    // its disc folder the first output folder's pictures.
    for (const std::string& folder : discFolders_) {
        const DiscTracks found = FindTracks(PathInSet(s_, folder));
        const std::vector<DiscTrack>& tracks = found.tracks;
        if (tracks.empty())
            continue;
        if (tracks.size() > 1 && tracks[1].number == tracks[0].number) {
            std::string pattern =
                Format(found.discTrackForm ? "*-%02d*.mp3" : "%02d*.mp3", tracks[0].number);
            ui_.ShowMessage(JoinPath(folder, pattern),
                            "Two or more mp3 files have the same sequence number!",
                            MessageStyle::Stop);
            return Ended(MergeOutcome::Kind::Stopped);
        }
        const std::string inputPath = JoinPath(folder, tracks[0].name);
        ReadingTrack reading(inputPath);
        switch (PrepareMergeSettings(s_, ui_, PathInSet(s_, inputPath))) {
            case Preparation::Confirmed:
                break;
            case Preparation::Cancelled:
                return Ended(MergeOutcome::Kind::Cancelled);
            case Preparation::Refused:
                return Ended(MergeOutcome::Kind::Refused);
        }
        if (!OpenOutputFolder(folder))
            return Ended(MergeOutcome::Kind::Stopped);
        return {MergeOutcome::Kind::Completed, s_.discCount, 0};
    }
    return NothingMerged();
}

MergeOutcome MergeRun::Run(const Cancellation& cancel) {
    for (std::size_t disc = 1; disc <= discFolders_.size(); ++disc) {
        if (!MergeDisc(discFolders_[disc - 1], static_cast<int>(disc), cancel))
            return Ended(cancelled_ ? MergeOutcome::Kind::Cancelled : MergeOutcome::Kind::Stopped);
    }
    // The tracks the check found can be gone by now; a merge of nothing is no success.
    if (placed_ == 0)
        return NothingMerged();
    return Ended(MergeOutcome::Kind::Completed);
}

bool MergeRun::MergeDisc(const std::string& folder, int disc, const Cancellation& cancel) {
    const auto cancelled = [&] {
        ui_.ShowMessage("Merge cancelled.", "", MessageStyle::Information);
        cancelled_ = true;
        return false;
    };
    const DiscTracks found = FindTracks(PathInSet(s_, folder));
    const std::vector<DiscTrack>& tracks = found.tracks;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        if (cancel.Requested())
            return cancelled();
        const int n = tracks[i].number;
        if (i + 1 < tracks.size() && tracks[i + 1].number == n) {
            std::string pattern = Format(found.discTrackForm ? "*-%02d*.mp3" : "%02d*.mp3", n);
            ui_.ShowMessage(JoinPath(folder, pattern),
                            "Two or more mp3 files have the same sequence number!",
                            MessageStyle::Stop);
            return false;
        }
        const std::string& name = tracks[i].name;
        const std::string inputPath = JoinPath(folder, name);
        ReadingTrack reading(inputPath);

        if (!folderReady_ && !OpenOutputFolder(folder))
            return false;
        ShowProgressFor(folder, n);

        ++s_.runningNumber;
        const std::string numbers = Format("%02d %d-%d ", s_.runningNumber, disc, n);
        // A name that would pass the limit of one name keeps its numbers and loses the end
        // of its title.
        std::string title = TrackTitlePart(name, found.discTrackForm);
        std::size_t room = platform::MaxNameBytes - numbers.size() - 4;
        std::string fileName = numbers + std::string(CutToBytes(title, room)) + ".mp3";
        if (!CopyTrack(inputPath, JoinPath(OutputFolderName(s_, s_.folderNumber), fileName), disc,
                       n))
            return false;
        ++placed_;

        if (progress_)
            progress_->SetProgress((s_.folderNumber - 1) * MaxTracksPerFolder + s_.runningNumber);
        if (s_.runningNumber >= MaxTracksPerFolder) {
            s_.runningNumber = 0;
            folderReady_ = false;
        }
    }
    // A cancel that came with the disc's last track stops the merge before the next disc,
    // as it would before any further track.
    if (cancel.Requested())
        return cancelled();
    return true;
}

bool MergeRun::OpenOutputFolder(const std::string& folder) {
    if (s_.folderNumber > 0 && !s_.splitFolders) {
        // The folder is full and the next folder would be the same folder again: emptying
        // it would delete the tracks this merge has just written.
        ui_.ShowMessage("The output folder \"" + s_.outputFolder + "\" already holds " +
                            std::to_string(MaxTracksPerFolder) +
                            " tracks.\nThe disc folders hold more tracks than when the "
                            "set was selected.\nPlease select the set again and start over.",
                        "Error", MessageStyle::Stop);
        return false;
    }
    ++s_.folderNumber;
    if (plan_) {
        PlanOutputFolder(folder);
    } else {
        if (!PrepareOutputFolder(s_, ui_, &locks_.emplace_back()))
            return false;
        CopyCoverArt(s_, ui_, folder, partialName_);
    }
    folderReady_ = true;
    return true;
}

void MergeRun::ShowProgressFor(const std::string& folder, int track) {
    std::string caption = "Merging \"" + folder + "\"";
    if (!progress_) {
        progress_ = ui_.OpenProgress(caption, "", s_.trackCount);
        ui_.SetFolderGroupCaption(s_.audioBookMode ? "Folders in this book"
                                                   : "Folders in this album");
    } else if (track == 1) {
        progress_->SetTitle(caption);
    }
    if (progress_)
        progress_->SetMessage(Format("Merging track %2d from \"%s\"", track, folder.c_str()));
}

bool MergeRun::CopyTrack(const std::string& inputPath, const std::string& outputPath, int disc,
                         int track) {
    InputFile in;
    if (!platform::IsRegularFile(PathInSet(s_, inputPath)))
        return Fail("Could not open input file (not a regular file)", inputPath);
    if (!in.Open(PathInSet(s_, inputPath)))
        return Fail(WithReason("Could not open input file", in.Error()), inputPath);

    if (plan_) {
        PlannedTrack planned;
        planned.inputPath = inputPath;
        planned.outputPath = outputPath;
        MP3 mp3;
        if (!RewriteTrack(mp3, in, nullptr, disc, track, &planned))
            return false;
        // A plan made from a track that could not be read whole would show what a merge
        // cannot do.
        if (mp3.Failed())
            return Fail(ReadFailure(in), inputPath);
        plan_->Track(planned);
        return true;
    }

    const std::string partialPath = PathInSet(s_, JoinPath(s_.currentFolder, partialName_));
    OutputFile out;
    // Made new, never opened through what lies there: a link of that name is removed
    // rather than followed.
    platform::DeleteFile(partialPath);
    ui_.WritingTemporaryFile(partialPath);
    if (!out.Create(partialPath, true)) {
        ui_.WritingTemporaryFile({});
        return Fail(WithReason("Could not open output file", out.Error()), outputPath);
    }
    MP3 mp3;
    bool rewritten = RewriteTrack(mp3, in, &out, disc, track, nullptr);
    bool written = out.Close();
    // Whatever went wrong, the half-made file must not stay behind.
    auto discard = [&](std::string_view text, const std::string& caption) {
        platform::DeleteFile(partialPath);
        ui_.WritingTemporaryFile({});
        return text.empty() ? false : Fail(text, caption);
    };
    if (!rewritten)
        return discard({}, {});
    if (in.Error() != 0)
        return discard(WithReason("Could not read input file", in.Error()), inputPath);
    if (!written)
        return discard(WithReason("Could not write output file", out.Error()), outputPath);
    // The streams reported nothing, yet the codec found the input shorter than it was
    // when the copy began: the output lacks audio.
    if (mp3.Failed())
        return discard(ReadFailure(in), inputPath);
    // The finished track takes its name only now, so a track's name never shows a
    // half-written file.
    if (!RenameFile(partialPath, PathInSet(s_, outputPath)))
        return discard(WithReason("Could not open output file", errno), outputPath);
    ui_.WritingTemporaryFile({});
    return true;
}

bool MergeRun::RewriteTrack(MP3& mp3, InputFile& in, OutputFile* out, int disc, int track,
                            PlannedTrack* plan) {
    TrackEditor editor(*this, disc, track, plan);
    if (!mp3.Rewrite(in, out, editor) && editor.Refused())
        return false;
    // A failed copy is told by the caller from the streams and Failed(); the tag-level
    // problems the codec reports on the way (a broken tag, little audio) leave the
    // track as good as its input.
    const TagKind kind = mp3.InputKind();
    const bool converted = kind == TagKind::V22 || kind == TagKind::V24;
    const bool newTag = kind == TagKind::None || kind == TagKind::Broken;
    s_.convertedTags += converted ? 1 : 0;
    s_.newTags += newTag ? 1 : 0;
    if (plan) {
        plan->tag = converted ? (kind == TagKind::V22 ? PlannedTag::ConvertedFromV22
                                                      : PlannedTag::ConvertedFromV24)
                    : newTag  ? PlannedTag::New
                              : PlannedTag::Rewritten;
        const TagEdits& edits = editor.Edits();
        if (edits.trailerTitle)
            plan->trailerTitle = std::string(*edits.trailerTitle);
        plan->trailerArtist = s_.artist;
        plan->trailerAlbum = s_.albumTitle;
        plan->trailerTrack = s_.runningNumber;
        plan->trailerGenre = edits.trailerGenre;
    }
    return true;
}

void MergeRun::PlanOutputFolder(const std::string& discFolder) {
    // The names the folder's preparation would give, without touching the disk.
    NameOutputFolder(s_);
    std::vector<std::string> pictures;
    for (const platform::FoundEntry& entry :
         FindMatching(PathInSet(s_, JoinPath(discFolder, "*.jpg"))))
        pictures.push_back(entry.name);
    plan_->OutputFolder(s_.currentFolder, discFolder, pictures);
}

}  // namespace

struct MergeDriver::Loop : MergeRun {
    using MergeRun::MergeRun;
};

MergeDriver::MergeDriver(MergeSettings& settings, FrontEnd& frontEnd,
                         std::vector<std::string> discFolders, MergePlan* dryRun)
    : run_(std::make_unique<Loop>(settings, frontEnd, std::move(discFolders), dryRun)) {}

MergeDriver::~MergeDriver() = default;

MergeOutcome MergeDriver::Prepare() {
    return run_->Prepare();
}

MergeOutcome MergeDriver::Run(const Cancellation& cancel) {
    return run_->Run(cancel);
}

std::string TrackTitlePart(const std::string& fileName, bool discTrackForm) {
    std::string_view title = fileName;
    // "1-07 Storm.mp3": the disc, the hyphen and the track number go with the blank.
    std::size_t hyphen = title.find('-');
    if (discTrackForm && hyphen != std::string_view::npos && hyphen + 3 < title.size() &&
        title[hyphen + 3] == ' ')
        title.remove_prefix(hyphen + 4);
    else if (title.size() >= 3 && std::isdigit(static_cast<unsigned char>(title[0])) &&
             std::isdigit(static_cast<unsigned char>(title[1])) && title[2] == ' ')
        title.remove_prefix(3);
    return std::string(title.substr(0, FindIgnoringAsciiCase(title, ".mp3")));
}

const std::string& TrackBeingRead() {
    return trackBeingRead;
}

int MergedTrackCount(const MergeSettings& settings) {
    if (settings.folderNumber == 0)
        return 0;
    int inLast = settings.runningNumber == 0 ? MaxTracksPerFolder : settings.runningNumber;
    return (settings.folderNumber - 1) * MaxTracksPerFolder + inLast;
}

}  // namespace brambex
