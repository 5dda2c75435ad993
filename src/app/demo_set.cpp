#include "app/demo_set.h"

#include <cerrno>
#include <vector>

#include "app/demo_media.h"
#include "engine/system_reason.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"

namespace brambex {

const char* const DemoFirstDiscFolder = "The Lighthouse Keeper Disc 1";

std::string DemoFirstDiscPath(const std::string& dir) {
    return platform::JoinPath(dir, DemoFirstDiscFolder);
}

namespace {

constexpr const char* Book = "The Lighthouse Keeper";
constexpr const char* Author = "Maren Holt";
constexpr int SpeechGenre = 101;
// About one and a half seconds of audio per track.
constexpr int FramesPerTrack = 58;
// Room in each tag for the longer texts a merge writes.
constexpr int TagPadding = 512;

struct DemoTrack {
    int disc;
    const char* fileName;
    const char* title;  // empty: the tag has no title frame
    bool utf16;
};

const DemoTrack Tracks[] = {
    {1, "01 Arrival.mp3", "Arrival", false},
    {1, "02 The Lamp Room.mp3", "The Lamp Room", false},
    {1, "03 First Night.mp3", "First Night", false},
    {2, "01 Storm Warning.mp3", "Storm Warning – Force Nine", true},
    {2, "02 Über die Klippen.mp3", "Über die Klippen", true},
    {2, "03 The Wreck.mp3", "The Wreck", true},
    {3, "01 Morning Tide.mp3", "Morning Tide", false},
    {3, "02 Letters.mp3", "Letters from Ålesund", true},
    {3, "04 Epilogue.MP3", "", false},
};

bool WriteFile(const std::string& path, const std::string& bytes, std::string& error) {
    OutputFile out;
    if (out.Create(path)) {
        out.Write(bytes.data(), bytes.size());
        if (out.Close())
            return true;
    }
    error = WithReason("cannot write " + path, out.Error());
    return false;
}

std::string DiscFolder(int disc) {
    return std::string(Book) + " Disc " + std::to_string(disc);
}

std::string TrackFile(const DemoTrack& track, int number) {
    std::string discAlbum = DiscFolder(track.disc);
    std::vector<DemoFrame> frames = {
        {"TALB", discAlbum, track.utf16},
        {"TPE1", Author, track.utf16},
        {"TPE2", Author, track.utf16},
        {"TCON", "(" + std::to_string(SpeechGenre) + ")", false},
        {"TRCK", std::to_string(number), false},
    };
    if (*track.title)
        frames.push_back({"TIT2", track.title, track.utf16});
    // The trailer is plain ASCII: only the ASCII titles go into it.
    std::string trailerTitle = track.utf16 ? "" : track.title;
    return Id3v2Tag(frames, TagPadding) + SilentMp3Audio(FramesPerTrack) +
           Id3v1Trailer(trailerTitle, Author, discAlbum, number, SpeechGenre);
}

}  // namespace

bool WriteDemoSet(const std::string& dir, std::string& error) {
    const platform::MadeFolder made = platform::MakeFolder(dir);
    if (made.result != platform::MakeFolderResult::Created &&
        made.result != platform::MakeFolderResult::Exists) {
        error = WithReason("cannot make the folder " + dir, made.error);
        return false;
    }
    for (int disc = 1; disc <= 3; ++disc) {
        std::string folder = platform::JoinPath(dir, DiscFolder(disc));
        if (const platform::MadeFolder discFolder = platform::MakeFolder(folder);
            discFolder.result != platform::MakeFolderResult::Created) {
            error = platform::PathExists(folder)
                        ? folder + " exists already; choose an empty folder for the demo"
                        : WithReason("cannot make the folder " + folder, discFolder.error);
            return false;
        }
    }
    const std::string cover = TinyJpeg();
    for (int disc = 1; disc <= 2; ++disc) {
        std::string path =
            platform::JoinPath(platform::JoinPath(dir, DiscFolder(disc)), "Folder.jpg");
        if (!WriteFile(path, cover, error))
            return false;
    }
    for (const DemoTrack& track : Tracks) {
        int number = (track.fileName[0] - '0') * 10 + (track.fileName[1] - '0');
        std::string path =
            platform::JoinPath(platform::JoinPath(dir, DiscFolder(track.disc)), track.fileName);
        if (!WriteFile(path, TrackFile(track, number), error))
            return false;
    }
    return true;
}

}  // namespace brambex
