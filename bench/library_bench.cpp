// Finding the sets of a library: a generated tree of sets, each of a number of disc
// folders of tiny tagged tracks, searched the way `brambex-cli library` searches it.
//   library_bench generate DIR SETS DISCS TRACKS [PER_FOLDER]
//                                                  writes the tree (DIR must not exist),
//                                                  PER_FOLDER sets to an author's folder
//   library_bench find DIR [RUNS]                  times the search, warm after the first
//   library_bench check DIR [RUNS]                 times the search and every set's check
//                                                  and plan, as `brambex-cli library` makes them
// The search reports each set as it is found and keeps none, so its memory is what the
// folders on the way down need; the peak RSS of the process is printed after the runs.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/library.h"
#include "engine/library_plan.h"
#include "platform/file_system.h"

namespace {

std::string BigEndian32(std::size_t v) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(3 - i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return bytes;
}

std::string TextFrame(const std::string& id, const std::string& text) {
    return id + BigEndian32(text.size() + 1) + std::string(2, '\0') + std::string(1, '\0') + text;
}

// An ID3v2.3 tag with album, artist and title, a few bytes of "audio" and no trailer.
std::string Track(const std::string& album, const std::string& artist, const std::string& title) {
    const std::string frames =
        TextFrame("TALB", album) + TextFrame("TPE1", artist) + TextFrame("TIT2", title);
    std::string header = "ID3";
    header += '\3';
    header += '\0';
    header += '\0';
    const std::size_t size = frames.size();
    for (int shift : {21, 14, 7, 0})
        header += static_cast<char>((size >> shift) & 0x7F);
    return header + frames + std::string(256, '\x55');
}

int Generate(const std::filesystem::path& root, int sets, int discs, int tracks, int perFolder) {
    if (std::filesystem::exists(root)) {
        std::fprintf(stderr, "%s exists\n", root.c_str());
        return 1;
    }
    char name[64];
    for (int s = 1; s <= sets; ++s) {
        // Ten sets to an author's folder, as a shelf is usually sorted; a shelf left
        // unsorted holds them all in one.
        std::snprintf(name, sizeof name, "Author %03d", (s - 1) / perFolder + 1);
        const std::filesystem::path author = root / name;
        std::snprintf(name, sizeof name, "Book %04d", s);
        const std::string book = name;
        for (int d = 1; d <= discs; ++d) {
            const std::filesystem::path disc = author / (book + " Disc " + std::to_string(d));
            std::filesystem::create_directories(disc);
            for (int t = 1; t <= tracks; ++t) {
                std::snprintf(name, sizeof name, "%02d Chapter %d.mp3", t, t);
                std::ofstream(disc / name, std::ios::binary)
                    << Track(book + " Disc " + std::to_string(d), "Author", name);
            }
        }
    }
    return 0;
}

int Find(const std::string& root, int runs, bool check) {
    brambex::platform::FileSystem& files = brambex::platform::SystemFiles();
    for (int run = 1; run <= runs; ++run) {
        int sets = 0, discs = 0, tracks = 0;
        const auto start = std::chrono::steady_clock::now();
        if (check) {
            const std::vector<brambex::LibrarySet> found = brambex::FindLibrarySets(files, root);
            int problems = 0;
            for (const brambex::LibrarySetPlan& plan : brambex::PlanLibrarySets(files, found))
                problems += plan.problem.empty() ? 0 : 1;
            for (const brambex::LibrarySet& set : found) {
                ++sets;
                discs += set.discs;
                tracks += set.tracks;
            }
            std::printf("%d with a problem; ", problems);
        } else {
            brambex::ForEachLibrarySet(files, root, [&](brambex::LibrarySet set) {
                ++sets;
                discs += set.discs;
                tracks += set.tracks;
            });
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("run %d: %d sets, %d discs, %d tracks in %.3f s\n", run, sets, discs, tracks,
                    took.count());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS %ld KiB\n", usage.ru_maxrss);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "generate" && (argc == 6 || argc == 7))
        return Generate(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                        argc == 7 ? std::max(std::atoi(argv[6]), 1) : 10);
    if ((command == "find" || command == "check") && (argc == 3 || argc == 4))
        // Absolute, as the programs pass it: the checks keep listings by absolute path.
        return Find(brambex::platform::AbsolutePath(argv[2]), argc == 4 ? std::atoi(argv[3]) : 3,
                    command == "check");
    std::fprintf(stderr,
                 "usage: library_bench generate DIR SETS DISCS TRACKS [PER_FOLDER]\n"
                 "       library_bench find|check DIR [RUNS]\n");
    return 2;
}
