#include "cli/printed_plan.h"

#include <cstdint>
#include <cstdio>

#include "app/output_folder_note.h"
#include "cli/terminal_front_end.h"
#include "cli/terminal_text.h"
#include "engine/merge_session.h"

namespace brambex::cli {

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + Printable(text, stdout) + "\"";
}

// "1:02:03.456" of a chapter's start.
std::string ChapterTime(std::uint32_t ms) {
    const unsigned seconds = ms / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u:%02u.%03u", seconds / 3600, seconds / 60 % 60,
                  seconds % 60, static_cast<unsigned>(ms % 1000));
    return text;
}

}  // namespace

void PrintedPlan::OutputFolder(const std::string& folder, const std::string& discFolder,
                               const std::vector<std::string>& pictures) {
    ui_.ClearBar();
    const std::string path = OutputFolderPath(session_.SetFolder(), folder);
    std::printf("Output folder %s%s\n", Quoted(path).c_str(), OutputFolderNote(path).c_str());
    for (const std::string& picture : pictures)
        std::printf("  picture %s from %s\n", Quoted(picture).c_str(), Quoted(discFolder).c_str());
    std::fflush(stdout);
}

void PrintedPlan::BookFile(const PlannedBookFile& file) {
    ui_.ClearBar();
    std::printf("%s\n", Printable(file.outputPath, stdout).c_str());
    for (std::size_t i = 0; i < file.chapters.size(); ++i) {
        const PlannedChapter& chapter = file.chapters[i];
        std::printf("  chapter %zu at %s %s\n    from %s\n", i + 1,
                    ChapterTime(chapter.startMs).c_str(), Quoted(chapter.title).c_str(),
                    Printable(chapter.inputPath, stdout).c_str());
    }
    std::fflush(stdout);
    tracks += static_cast<int>(file.chapters.size());
}

void PrintedPlan::Track(const PlannedTrack& track) {
    ui_.ClearBar();
    std::printf("%s\n  from %s\n", Printable(track.outputPath, stdout).c_str(),
                Printable(track.inputPath, stdout).c_str());
    if (track.tag == PlannedTag::ConvertedFromV22)
        std::printf("  converted from ID3v2.2\n");
    else if (track.tag == PlannedTag::ConvertedFromV24)
        std::printf("  converted from ID3v2.4\n");
    else if (track.tag == PlannedTag::New)
        std::printf("  new tag\n");
    for (const PlannedFrame& frame : track.frames) {
        if (frame.set)
            std::printf("  %s %s\n", frame.id.c_str(), Printable(frame.text, stdout).c_str());
        else if (!frame.text.empty())
            std::printf("  %s %s  (kept)\n", frame.id.c_str(),
                        Printable(frame.text, stdout).c_str());
        else
            std::printf("  %s  (kept)\n", frame.id.c_str());
    }
    std::printf("  ID3v1 title %s, artist %s, album %s, track %d, genre %s\n",
                track.trailerTitle ? Quoted(*track.trailerTitle).c_str() : "kept",
                Quoted(track.trailerArtist).c_str(), Quoted(track.trailerAlbum).c_str(),
                track.trailerTrack,
                track.trailerGenre < 0 ? "kept" : std::to_string(track.trailerGenre).c_str());
    std::fflush(stdout);
    ++tracks;
}

}  // namespace brambex::cli
