// A rewrite pass from the command line, for the integration test that drives the codec
// with files made and read by other tools:
//   rewrite_tool IN OUT [--set ID=TEXT]... [--trailer TITLE ARTIST ALBUM TRACK GENRE]
// --set replaces the text of frame ID (TALB, TPE1, TPE2, TCON, TIT2 or TRCK), or adds
// the frame when the input lacks it; a TITLE of "-" keeps the track's own.
// Exits 0 when the pass and the closing of the output succeeded.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_stream.h"
#include "tags/mp3.h"

namespace {

struct FrameEdit {
    brambex::TagField field;
    std::string text;
};

class Editor : public brambex::TagEditor {
  public:
    std::vector<FrameEdit> frames;
    std::vector<std::string> trailer;
    bool Edit(const brambex::MP3&, brambex::TagEdits& edits) override {
        for (const auto& edit : frames) {
            edits.Set(edit.field, edit.text);
        }
        if (!trailer.empty()) {
            edits.editTrailer = true;
            if (trailer[0] != "-") {
                edits.trailerTitle = trailer[0];
            }
            edits.trailerArtist = trailer[1];
            edits.trailerAlbum = trailer[2];
            edits.trailerTrack = std::atoi(trailer[3].c_str());
            edits.trailerGenre = std::atoi(trailer[4].c_str());
        }
        return true;
    }
};

bool FieldOf(const std::string& id, brambex::TagField& field) {
    for (int f = 0; f < brambex::TagFieldCount; ++f) {
        if (brambex::TagFieldId(static_cast<brambex::TagField>(f)) == id) {
            field = static_cast<brambex::TagField>(f);
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    Editor editor;
    for (int i = 3; i < argc; ++i) {
        brambex::TagField field;
        if (std::strcmp(argv[i], "--set") == 0 && i + 1 < argc) {
            const std::string arg = argv[++i];
            if (!FieldOf(arg.substr(0, 4), field)) {
                return 2;
            }
            editor.frames.push_back({field, arg.substr(5)});
        } else if (std::strcmp(argv[i], "--trailer") == 0 && i + 5 < argc) {
            editor.trailer.assign(argv + i + 1, argv + i + 6);
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
    brambex::StreamDiagnostics diagnostics(stderr);
    brambex::MP3 mp3(diagnostics);
    const bool rewritten = mp3.Rewrite(in, &out, editor);
    const bool closed = out.Close();
    return rewritten && closed ? 0 : 1;
}
