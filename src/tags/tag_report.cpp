#include "tags/tag_report.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "tags/file_stream.h"
#include "tags/genre_table.h"
#include "tags/mp3.h"

namespace brambex {

namespace {

void PrintField(std::FILE* out, const char* name, const std::string& text) {
    std::fprintf(out, "  %-8s\"%s\"\n", name, text.c_str());
}

void ReportReadError(const std::string& path, const char* reason) {
    std::fprintf(stderr, "Cannot read %s: %s\n", path.c_str(), reason);
}

}  // namespace

bool PrintTagReport(const std::string& path, std::FILE* out) {
    // Opening a pipe waits for a writer and a folder or device reads as no file at all;
    // only regular files are tracks.
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        std::fprintf(stderr, "Cannot open %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        ReportReadError(path, S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file");
        return false;
    }
    InputFile in;
    if (!in.Open(path)) {
        std::fprintf(stderr, "Cannot open %s: %s\n", path.c_str(), std::strerror(in.Error()));
        return false;
    }
    MP3 mp3;
    const bool tagRead = mp3.ReadHeader(in, nullptr);
    if (in.Error() != 0) {
        ReportReadError(path, std::strerror(in.Error()));
        return false;
    }
    if (tagRead) {
        std::fprintf(out, "ID3v2.%d.%d tag, %d bytes after its header\n", mp3.MajorVersion(),
                     mp3.Revision(), mp3.TagSize());
        while (mp3.NextFrame(in)) {
            const std::string id(mp3.FrameId());
            std::fprintf(out, "  %-4s  %7d", id.c_str(), mp3.FrameSize());
            // Only text frames carry a text; the payload of any other is binary.
            if (id[0] == 'T') {
                std::fprintf(out, "  \"%s\"", std::string(mp3.FrameText()).c_str());
            }
            std::fputc('\n', out);
        }
    } else if (mp3.MajorVersion() >= 0) {
        std::fprintf(out, "ID3v2.%d tag, kept as it is\n", mp3.MajorVersion());
    } else {
        std::fprintf(out, "No ID3v2 tag\n");
    }
    if (!mp3.CopyAudio(in, nullptr) || mp3.Failed()) {
        ReportReadError(path, in.Error() != 0 ? std::strerror(in.Error()) : "the file ended early");
        return false;
    }
    if (!mp3.InputHadTrailer()) {
        std::fprintf(out, "No ID3v1 trailer\n");
        return true;
    }
    std::fprintf(out, "ID3v1 trailer\n");
    PrintField(out, "title", mp3.TrailerTitle());
    PrintField(out, "artist", mp3.TrailerArtist());
    PrintField(out, "album", mp3.TrailerAlbum());
    PrintField(out, "year", mp3.TrailerYear());
    PrintField(out, "comment", mp3.TrailerComment());
    std::fprintf(out, "  %-8s%d\n", "track", mp3.TrailerTrack());
    const auto genreName = GenreTable::GenreName(mp3.TrailerGenre());
    std::fprintf(out, "  %-8s%d (%s)\n", "genre", mp3.TrailerGenre(),
                 genreName ? std::string(*genreName).c_str() : "none");
    return true;
}

}  // namespace brambex
