// rewrite_bench OUTDIR FILE...: one rewrite pass per file, as a merge makes it (five
// frames replaced, the trailer edited), written to OUTDIR under the same name. Prints
// the bytes written and fails when any pass fails.
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/file_stream.h"
#include "tags/mp3.h"

namespace {

// The edits of a merge: five frames replaced, the trailer edited.
class BenchEditor : public brambex::TagEditor {
  public:
    explicit BenchEditor(int track)
        : track_(std::to_string(track)), title_("1-" + track_ + " Moby Dick") {}
    bool Edit(const brambex::MP3&, brambex::TagEdits& edits) override {
        using brambex::TagField;
        edits.Set(TagField::Album, "Moby Dick");
        edits.Set(TagField::Artist, "Herman Melville");
        edits.Set(TagField::Band, "Herman Melville");
        edits.Set(TagField::Track, track_);
        edits.Set(TagField::Title, title_);
        edits.editTrailer = true;
        edits.trailerTitle = "Moby Dick";
        edits.trailerArtist = "Herman Melville";
        edits.trailerAlbum = "Moby Dick";
        edits.trailerTrack = std::stoi(track_);
        edits.trailerGenre = 12;
        return true;
    }

  private:
    std::string track_;
    std::string title_;
};

bool Rewrite(const std::string& from, const std::string& to, int track) {
    brambex::InputFile in;
    brambex::OutputFile out;
    if (!in.Open(from) || !out.Create(to)) {
        return false;
    }
    brambex::StreamDiagnostics diagnostics(stderr);
    brambex::MP3 mp3(diagnostics);
    BenchEditor editor(track);
    const bool rewritten = mp3.Rewrite(in, &out, editor);
    return out.Close() && rewritten;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: rewrite_bench OUTDIR FILE...\n", stderr);
        return 2;
    }
    const std::string outDir = argv[1];
    const auto start = std::chrono::steady_clock::now();
    for (int i = 2; i < argc; ++i) {
        const std::string from = argv[i];
        const std::string name = from.substr(from.find_last_of('/') + 1);
        if (!Rewrite(from, outDir + "/" + name, i - 1)) {
            std::fprintf(stderr, "rewrite of %s failed\n", from.c_str());
            return 1;
        }
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%d files in %.3f s\n", argc - 2, took.count());
    return 0;
}
