// The merge's file work and nothing more, in plain system calls, to stand in for
// brambex-cli in merge_bench.sh (FLOOR=1): what one track at a time must cost on this
// machine whatever the code around it. For every track of the benchmark's disc folders,
// in order: the tag's header and the tag are read, the head written in one piece (the
// first 64 KiB; on XFS and btrfs up to the first block boundary after the tag), the rest
// but the last 128 bytes copied in the kernel (on XFS and btrfs whole blocks, which they
// share), the rest read and written, all under a temporary name that is then renamed,
// as the merge does. Nothing is parsed or changed: the bytes come out as they went in.
//
// Usage: floor_copy merge "ROOT/Bench Book Disc 1" [any further arguments, ignored]
// Writes ROOT/Bench Book_1.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t Head = 64 * 1024;
constexpr off_t Trailer = 128;
constexpr std::size_t Block = 4096;

std::vector<std::string> Names(const std::string& folder, const char* prefix) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (std::strncmp(entry->d_name, prefix, std::strlen(prefix)) == 0)
                names.emplace_back(entry->d_name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Fail(const std::string& what) {
    std::fprintf(stderr, "floor_copy: %s: %s\n", what.c_str(), std::strerror(errno));
    return false;
}

bool WriteAll(int out, const unsigned char* bytes, std::size_t n) {
    while (n > 0) {
        const ssize_t r = write(out, bytes, n);
        if (r <= 0)
            return false;
        bytes += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

// Where the kernel's copy starts and ends: on a file system that shares blocks, the
// input's block boundaries, as the merge's; elsewhere from the 64 KiB boundary on.
bool SharesBlocks(int out) {
    struct statfs system;
    return fstatfs(out, &system) == 0 &&
           (system.f_type == 0x58465342 || system.f_type == 0x9123683e);
}

bool CopyTrack(const std::string& input, const std::string& partial, const std::string& output) {
    static unsigned char head[Head + Block];
    struct stat info;
    const int in = open(input.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0 || fstat(in, &info) != 0)
        return Fail(input);
    const int out = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0)
        return Fail(partial);
    // The header, then the tag it declares (none without "ID3"), then the head up to
    // the boundary.
    if (pread(in, head, 10, 0) != 10)
        return Fail(input);
    const std::size_t tag =
        std::memcmp(head, "ID3", 3) != 0
            ? 0
            : 10 + ((std::size_t{head[6]} << 21) | (head[7] << 14) | (head[8] << 7) | head[9]);
    const bool sharing = SharesBlocks(out);
    const std::size_t boundary = sharing ? (tag + Block - 1) / Block * Block : Head;
    const std::size_t first =
        std::min<std::size_t>(std::max(boundary, tag), static_cast<std::size_t>(info.st_size));
    if (tag > Head || pread(in, head + 10, tag - std::min<std::size_t>(tag, 10), 10) < 0 ||
        pread(in, head + tag, first - tag, static_cast<off_t>(tag)) !=
            static_cast<ssize_t>(first - tag) ||
        !WriteAll(out, head, first))
        return Fail(input);
    off_t from = static_cast<off_t>(first);
    const off_t end = info.st_size - Trailer;
    const off_t shared = sharing ? from + (end - from) / Block * Block : end;
    while (from < shared) {
        const ssize_t r =
            copy_file_range(in, &from, out, nullptr, static_cast<size_t>(shared - from), 0);
        if (r <= 0)
            return Fail(input);
    }
    // The part block and the trailer in one write.
    const auto last = static_cast<std::size_t>(info.st_size - shared);
    if (pread(in, head, last, shared) != static_cast<ssize_t>(last) || !WriteAll(out, head, last))
        return Fail(input);
    if (close(out) != 0 || rename(partial.c_str(), output.c_str()) != 0)
        return Fail(output);
    close(in);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: floor_copy merge \"ROOT/Bench Book Disc 1\"\n");
        return 2;
    }
    const std::string first = argv[2];
    const std::string root = first.substr(0, first.rfind('/'));
    const std::string target = root + "/Bench Book_1";
    if (mkdir(target.c_str(), 0777) != 0 && errno != EEXIST)
        return Fail(target), 1;
    const std::string partial = target + "/.floor-copy.part";
    int number = 0;
    for (const std::string& disc : Names(root, "Bench Book Disc ")) {
        for (const std::string& track : Names(root + "/" + disc, "")) {
            if (track[0] == '.')
                continue;
            const std::string output = target + "/" + std::to_string(++number) + " " + track;
            if (!CopyTrack(root + "/" + disc + "/" + track, partial, output))
                return 1;
        }
    }
    return 0;
}
