#include "tags/tag_report.h"

#include <cstring>

#include "tags/file_stream.h"
#include "tags/genre_table.h"
#include "tags/mp3.h"

namespace brambex {

namespace {

void PrintField(std::FILE* out, const char* name, const std::string& text) {
    std::fprintf(out, "  %-8s\"%s\"\n", name, text.c_str());
}

}  // namespace

bool PrintTagReport(const std::string& path, std::FILE* out) {
    InputFile in;
    if (!in.Open(path)) {
        std::fprintf(stderr, "Cannot open %s: %s\n", path.c_str(), std::strerror(in.Error()));
        return false;
    }
    MP3 mp3;
    if (mp3.ReadHeader(in, nullptr)) {
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
    if (!mp3.CopyAudio(in, nullptr)) {
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
