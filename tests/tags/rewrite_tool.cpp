// A rewrite pass from the command line, for the integration test that drives the codec
// with files made and read by other tools:
//   rewrite_tool IN OUT [--set ID=TEXT]... [--trailer TITLE ARTIST ALBUM TRACK GENRE]
// --set replaces the text of frame ID, or adds the frame when the input lacks it.
// Exits 0 when the pass and the closing of the output succeeded.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tags/file_stream.h"
#include "tags/mp3.h"

namespace {

struct FrameEdit {
    std::string id;
    std::string text;
    bool done = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    std::vector<FrameEdit> edits;
    std::vector<std::string> trailer;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--set") == 0 && i + 1 < argc) {
            const std::string arg = argv[++i];
            edits.push_back({arg.substr(0, 4), arg.substr(5)});
        } else if (std::strcmp(argv[i], "--trailer") == 0 && i + 5 < argc) {
            trailer.assign(argv + i + 1, argv + i + 6);
            i += 5;
        } else {
            return 2;
        }
    }
    brambex::InputFile in;
    brambex::OutputFile out;
    if (!in.Open(argv[1]) || !out.Create(argv[2])) {
        return 1;
    }
    brambex::MP3 mp3;
    mp3.ReadHeader(in, &out);
    while (mp3.NextFrame(in)) {
        for (auto& edit : edits) {
            if (!edit.done && mp3.IsFrame(edit.id)) {
                mp3.SetFrameText(edit.text);
                edit.done = true;
            }
        }
        mp3.WriteFrame(&out);
    }
    for (const auto& edit : edits) {
        if (!edit.done) {
            mp3.AddFrame(&out, edit.id, edit.text);
        }
    }
    mp3.FinishTag(in, &out);
    const bool copied = mp3.CopyAudio(in, &out);
    if (!trailer.empty()) {
        mp3.SetTrailer(
            trailer[0] == "-" ? std::nullopt : std::optional<std::string_view>(trailer[0]),
            trailer[1], trailer[2], std::atoi(trailer[3].c_str()), std::atoi(trailer[4].c_str()));
    }
    const bool written = mp3.WriteTrailer(&out);
    const bool closed = out.Close();
    return copied && written && closed ? 0 : 1;
}
