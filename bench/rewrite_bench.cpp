// rewrite_bench OUTDIR FILE...: one rewrite pass per file, as a merge makes it (five
// frames replaced, the trailer edited), written to OUTDIR under the same name. Prints
// the bytes written and fails when any pass fails.
#include <chrono>
#include <cstdio>
#include <string>

#include "tags/file_stream.h"
#include "tags/mp3.h"

namespace {

bool Rewrite(const std::string& from, const std::string& to, int track) {
    brambex::InputFile in;
    brambex::OutputFile out;
    if (!in.Open(from) || !out.Create(to)) {
        return false;
    }
    brambex::MP3 mp3;
    mp3.ReadHeader(in, &out);
    while (mp3.NextFrame(in)) {
        if (mp3.IsFrame("TALB")) {
            mp3.SetFrameText("Moby Dick");
        } else if (mp3.IsFrame("TPE1") || mp3.IsFrame("TPE2")) {
            mp3.SetFrameText("Herman Melville");
        } else if (mp3.IsFrame("TRCK")) {
            mp3.SetFrameText(std::to_string(track));
        } else if (mp3.IsFrame("TIT2")) {
            mp3.SetFrameText("1-" + std::to_string(track) + " Moby Dick");
        }
        mp3.WriteFrame(&out);
    }
    mp3.FinishTag(in, &out);
    const bool copied = mp3.CopyAudio(in, &out);
    mp3.SetTrailer("Moby Dick", "Herman Melville", "Moby Dick", track, 12);
    const bool written = mp3.WriteTrailer(&out);
    return copied && written && out.Close();
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
