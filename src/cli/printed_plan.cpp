#include "cli/printed_plan.h"

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
