#include "engine/merge_driver.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/cover_art.h"
#include "engine/disc_set.h"
#include "engine/output_folder.h"
#include "options/merge_preparation.h"
#include "options/title_template.h"
#include "platform/file_system.h"
#include "tags/file_stream.h"
#include "tags/mp3.h"

namespace brambex {

namespace {

using platform::FindMatching;
using platform::JoinPath;
using platform::MatchesWildcard;
using platform::RenameFile;

// Each track is written under this name in the output folder and renamed when it is
// complete, so a track that fails halfway never lies there under a track's name. The
// name is hidden and does not end in .mp3, so neither a scan nor a later merge takes a
// leftover for a track.
constexpr const char* PartialTrackName = ".brambex-track.part";

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

// A message with the system's reason appended, such as "(No space left on device)".
std::string WithReason(std::string_view text, int error) {
    std::string message(text);
    if (error != 0)
        message += std::string(" (") + std::strerror(error) + ")";
    return message;
}

// Why a pass that failed could not read its input. Without an error from the stream
// the codec found the input ending before the size it had when the pass began, or
// inside its declared tag.
std::string ReadFailure(const InputFile& in) {
    return in.Error() != 0 ? WithReason("Could not read input file", in.Error())
                           : "Could not read input file (the file ended early)";
}

bool EqualsIgnoringCase(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

// The frames the merge rewrites, in the order in which missing ones are added.
enum FrameSlot { Tcon, Trck, Tit2, Talb, Tpe2, SlotCount };

class MergeRun {
  public:
    MergeRun(MergeSettings& settings, FrontEnd& frontEnd, MergePlan* dryRun)
        : s_(settings), ui_(frontEnd), plan_(dryRun) {}

    void MergeFolders();
    void MergeSet();
    bool MergeDisc(const std::string& folder, int disc);

  private:
    bool OpenOutputFolder(const std::string& folder, const std::string& inputPath);
    void ShowProgressFor(const std::string& folder, int track);
    bool CopyTrack(const std::string& inputPath, const std::string& outputPath, int disc,
                   int track);
    bool RewriteTrack(MP3& mp3, InputFile& in, OutputFile& out, int disc, int track,
                      PlannedTrack* plan);
    void PlanOutputFolder(const std::string& discFolder);
    bool Fail(std::string_view text, const std::string& caption) {
        ui_.ShowMessage(text, caption, MessageStyle::Plain);
        return false;
    }

    MergeSettings& s_;
    FrontEnd& ui_;
    MergePlan* plan_;
};

void MergeRun::MergeFolders() {
    if (ui_.FolderCount() == 0) {
        ui_.ShowMessage(
            "Before merging, you must first select the folder\ncontaining the first disk of "
            "the set.",
            "Error", MessageStyle::Exclamation);
        return;
    }
    s_.cancelRequested = false;
    MergeSet();
    // The front end keeps the window up for its minimum time when it is closed.
    s_.progress.reset();
}

void MergeRun::MergeSet() {
    s_.runningNumber = 0;
    s_.folderNumber = 0;
    for (int disc = 1; disc <= s_.discCount; ++disc) {
        std::optional<std::string> folder = FindDiscFolder(s_, ui_, disc);
        if (!folder)
            return;
        if (!MergeDisc(*folder, disc))
            return;
    }
    ui_.ClearFolders();
    ui_.SetStatus("");
    ui_.SetFolderGroupCaption("Folders");
}

bool MergeRun::MergeDisc(const std::string& folder, int disc) {
    // One listing per disc: every track number is then matched against it, which finds
    // the same entries in the same order as a search per number would.
    std::vector<platform::FoundEntry> entries = FindMatching(JoinPath(folder, "*.mp3"));
    for (int n = 1; n <= MaxTrackNumber; ++n) {
        if (s_.cancelRequested) {
            ui_.ShowMessage("Merge cancelled.", "", MessageStyle::Information);
            return false;
        }
        std::string pattern = Format("%02d*.mp3", n);
        const std::string* found = nullptr;
        bool duplicate = false;
        for (const platform::FoundEntry& entry : entries) {
            if (!MatchesWildcard(pattern, entry.name))
                continue;
            if (found) {
                duplicate = true;
                break;
            }
            found = &entry.name;
        }
        if (!found)
            continue;
        if (duplicate) {
            ui_.ShowMessage(JoinPath(folder, pattern),
                            "Two or more mp3 files have the same sequence number!",
                            MessageStyle::Stop);
            return false;
        }
        const std::string name = *found;
        const std::string inputPath = JoinPath(folder, name);
        // From the preparation, which reads the first track, to the end of the copy.
        ReadingTrack reading(inputPath);

        if (s_.runningNumber == 0 && !OpenOutputFolder(folder, inputPath))
            return false;
        ShowProgressFor(folder, n);

        ++s_.runningNumber;
        std::string fileName =
            Format("%02d %d-%d %s.mp3", s_.runningNumber, disc, n, TrackTitlePart(name).c_str());
        std::string outputFolder = s_.splitFolders
                                       ? Format("%s_%d", s_.outputFolder.c_str(), s_.folderNumber)
                                       : s_.outputFolder;
        if (!CopyTrack(inputPath, JoinPath(outputFolder, fileName), disc, n))
            return false;

        if (s_.progress)
            s_.progress->SetProgress((s_.folderNumber - 1) * MaxTracksPerFolder + s_.runningNumber);
        if (s_.runningNumber >= MaxTracksPerFolder)
            s_.runningNumber = 0;
    }
    return true;
}

bool MergeRun::OpenOutputFolder(const std::string& folder, const std::string& inputPath) {
    if (s_.folderNumber == 0) {
        if (!PrepareMergeSettings(s_, ui_, inputPath))
            return false;
    } else if (!s_.splitFolders) {
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
        return true;
    }
    if (!PrepareOutputFolder(s_, ui_))
        return false;
    CopyCoverArt(s_, ui_, folder);
    return true;
}

void MergeRun::ShowProgressFor(const std::string& folder, int track) {
    std::string caption = "Merging \"" + folder + "\"";
    if (!s_.progress) {
        s_.progress = ui_.OpenProgress(caption, "", s_.trackCount, &s_.cancelRequested);
        ui_.SetFolderGroupCaption(audioBookMode ? "Folders in this book" : "Folders in this album");
    } else if (track == 1) {
        s_.progress->SetTitle(caption);
    }
    if (s_.progress)
        s_.progress->SetMessage(Format("Merging track %2d from \"%s\"", track, folder.c_str()));
}

bool MergeRun::CopyTrack(const std::string& inputPath, const std::string& outputPath, int disc,
                         int track) {
    InputFile in;
    if (!platform::IsRegularFile(inputPath) || !in.Open(inputPath))
        return Fail("Could not open input file", inputPath);

    if (plan_) {
        std::string tag;
        OutputFile out;
        out.CreateMemory(&tag);
        PlannedTrack planned;
        planned.inputPath = inputPath;
        planned.outputPath = outputPath;
        MP3 mp3;
        if (!RewriteTrack(mp3, in, out, disc, track, &planned))
            return false;
        // A plan made from a track that could not be read whole would show what a merge
        // cannot do.
        if (mp3.Failed())
            return Fail(ReadFailure(in), inputPath);
        plan_->Track(planned);
        return true;
    }

    const std::string partialPath = JoinPath(s_.currentFolder, PartialTrackName);
    OutputFile out;
    // Made new, never opened through what lies there: a leftover of an interrupted run
    // is removed first, and a link of that name is removed rather than followed.
    platform::DeleteFile(partialPath);
    if (!out.Create(partialPath, true))
        return Fail("Could not open output file", outputPath);
    MP3 mp3;
    bool rewritten = RewriteTrack(mp3, in, out, disc, track, nullptr);
    bool written = out.Close();
    // Whatever went wrong, the half-made file must not stay behind.
    auto discard = [&](std::string_view text, const std::string& caption) {
        platform::DeleteFile(partialPath);
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
    if (!RenameFile(partialPath, outputPath))
        return discard(WithReason("Could not open output file", errno), outputPath);
    return true;
}

bool MergeRun::RewriteTrack(MP3& mp3, InputFile& in, OutputFile& out, int disc, int track,
                            PlannedTrack* plan) {
    bool met[SlotCount] = {};
    const std::string discTrackTitle = Format("%d-%d %s", disc, track, s_.albumTitle.c_str());
    const std::string trackNumber = Format("%d", s_.runningNumber);

    auto write = [&](std::string_view id) {
        int before = mp3.TagBytesWritten();
        mp3.WriteFrame(&out);
        if (plan) {
            plan->frames.push_back(
                {std::string(id), std::string(mp3.FrameText()), mp3.TagBytesWritten() != before});
        }
    };
    auto add = [&](std::string_view id, const std::string& text) {
        int before = mp3.TagBytesWritten();
        mp3.AddFrame(&out, id, text);
        if (plan)
            plan->frames.push_back({std::string(id), text, mp3.TagBytesWritten() != before});
    };

    bool tagRead = mp3.ReadHeader(in, &out);
    if (plan)
        plan->tagRewritten = tagRead;
    while (mp3.NextFrame(in)) {
        std::string_view id;
        if (mp3.IsFrame("TCON")) {
            met[Tcon] = true;
            id = "TCON";
            if (!s_.keepGenre)
                mp3.SetFrameText(s_.genre);
        } else if (mp3.IsFrame("TRCK")) {
            met[Trck] = true;
            id = "TRCK";
            mp3.SetFrameText(trackNumber);
        } else if (mp3.IsFrame("TIT2")) {
            met[Tit2] = true;
            id = "TIT2";
            if (!s_.keepTrackNames) {
                std::string title;
                if (!ExpandTitleTemplate(s_, ui_, s_.titleTemplate, disc, track, mp3, title))
                    return false;
                mp3.SetFrameText(title);
            }
        } else if (mp3.IsFrame("TALB")) {
            met[Talb] = true;
            id = "TALB";
            if (!s_.keepAlbumTitle)
                mp3.SetFrameText(s_.albumTitle);
        } else if (mp3.IsFrame("TPE1")) {
            // TPE1 is rewritten but never added, so it does not count as met.
            id = "TPE1";
            if (!s_.keepArtist)
                mp3.SetFrameText(s_.artist);
        } else if (mp3.IsFrame("TPE2")) {
            met[Tpe2] = true;
            id = "TPE2";
            if (!s_.keepArtist)
                mp3.SetFrameText(s_.artist);
        }
        if (!id.empty()) {
            write(id);
        } else {
            mp3.WriteFrame(&out);
        }
    }
    if (!met[Tcon] && !s_.keepGenre)
        add("TCON", s_.genre);
    if (!met[Trck])
        add("TRCK", trackNumber);
    if (!met[Tit2] && !s_.keepTrackNames)
        add("TIT2", discTrackTitle);
    if (!met[Talb] && !s_.keepAlbumTitle)
        add("TALB", s_.albumTitle);
    if (!met[Tpe2] && !s_.keepArtist)
        add("TPE2", s_.artist);

    mp3.FinishTag(in, &out);
    // A dry run reads the audio only to reach the trailer. A failed copy is told by the
    // caller from the streams and Failed(); the tag-level problems the codec reports on
    // the way (no tag, a frame too big, little audio) leave the track as good as its
    // input.
    mp3.CopyAudio(in, plan ? nullptr : &out);

    std::optional<std::string_view> trailerTitle;
    if (!s_.keepTrackNames)
        trailerTitle = discTrackTitle;
    int genre = s_.keepGenre ? -1 : TrailerGenreOther;
    mp3.SetTrailer(trailerTitle, s_.artist, s_.albumTitle, s_.runningNumber, genre);
    if (plan) {
        if (trailerTitle)
            plan->trailerTitle = std::string(*trailerTitle);
        plan->trailerArtist = s_.artist;
        plan->trailerAlbum = s_.albumTitle;
        plan->trailerTrack = s_.runningNumber;
        plan->trailerGenre = genre;
        return true;
    }
    mp3.WriteTrailer(&out);
    return true;
}

void MergeRun::PlanOutputFolder(const std::string& discFolder) {
    // The names the folder's preparation would give, without touching the disk.
    if (s_.splitFolders) {
        s_.currentFolder = Format("%s_%d", s_.outputFolder.c_str(), s_.folderNumber);
        s_.albumTitle = SplitAlbumTitle(s_.albumTitle, s_.folderNumber);
    } else {
        s_.currentFolder = s_.outputFolder;
    }
    std::vector<std::string> pictures;
    for (const platform::FoundEntry& entry : FindMatching(JoinPath(discFolder, "*.jpg")))
        pictures.push_back(entry.name);
    plan_->OutputFolder(s_.currentFolder, discFolder, pictures);
}

}  // namespace

void MergeFolders(MergeSettings& settings, FrontEnd& frontEnd) {
    MergeRun(settings, frontEnd, nullptr).MergeFolders();
}

void MergeSet(MergeSettings& settings, FrontEnd& frontEnd) {
    MergeRun(settings, frontEnd, nullptr).MergeSet();
}

bool MergeDisc(MergeSettings& settings, FrontEnd& frontEnd, const std::string& folder, int disc) {
    return MergeRun(settings, frontEnd, nullptr).MergeDisc(folder, disc);
}

void MergeFolders(MergeSettings& settings, FrontEnd& frontEnd, MergePlan* dryRun) {
    MergeRun(settings, frontEnd, dryRun).MergeFolders();
}

void MergeSet(MergeSettings& settings, FrontEnd& frontEnd, MergePlan* dryRun) {
    MergeRun(settings, frontEnd, dryRun).MergeSet();
}

bool MergeDisc(MergeSettings& settings, FrontEnd& frontEnd, const std::string& folder, int disc,
               MergePlan* dryRun) {
    return MergeRun(settings, frontEnd, dryRun).MergeDisc(folder, disc);
}

std::string TrackTitlePart(const std::string& fileName) {
    std::string_view title = fileName;
    if (title.size() >= 3 && std::isdigit(static_cast<unsigned char>(title[0])) &&
        std::isdigit(static_cast<unsigned char>(title[1])) && title[2] == ' ')
        title.remove_prefix(3);
    constexpr std::string_view extension = ".mp3";
    for (std::size_t i = 0; i + extension.size() <= title.size(); ++i) {
        bool match = true;
        for (std::size_t k = 0; k < extension.size() && match; ++k)
            match = EqualsIgnoringCase(title[i + k], extension[k]);
        if (match)
            return std::string(title.substr(0, i));
    }
    return std::string(title);
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
