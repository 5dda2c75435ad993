// The system's side of the file streams: a file is a descriptor on POSIX systems and a
// HANDLE on Windows, both carried as one integer; failures come back as the system's
// reason, an errno value in the generic category on both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

namespace brambex::platform::native_file {

using Handle = std::intptr_t;
// What both systems use for "no file": -1 and INVALID_HANDLE_VALUE.
inline constexpr Handle None = -1;

enum class Kind { Missing, Regular, Folder, Other };
// What the path names, links followed; Missing with error set when it cannot be told.
// Opening a pipe would wait for a writer, so a reader asks first. A regular file's size
// goes to `size` where one is given.
Kind KindOf(const std::string& path, std::error_code& error, std::int64_t* size = nullptr);

Handle OpenForReading(const std::string& path, std::error_code& error);
// Creates the file, emptying one that exists unless exclusive.
Handle Create(const std::string& path, bool exclusive, std::error_code& error);
// Reads up to n bytes at the offset, never moving a shared position: the count, 0 at
// the end of the file, -1 with error set.
std::int64_t ReadAt(Handle file, void* buffer, std::size_t n, std::int64_t offset,
                    std::error_code& error);
// Writes up to n bytes at the file's position: the count, -1 with error set.
std::int64_t Write(Handle file, const void* data, std::size_t n, std::error_code& error);
// Moves the file's position, where the next write goes, to the offset.
bool Seek(Handle file, std::int64_t offset, std::error_code& error);
// The size of a regular file; -1 for anything else.
std::int64_t Size(Handle file);
bool Close(Handle file, std::error_code& error);
// How a file system keeps a file: whether a copy between two of its files can share
// blocks, which costs no new space when both offsets are on block boundaries, and the
// size of those blocks (a power of two from 512 bytes to 64 KiB). Where nothing is
// shared, or the system tells nothing usable, the block is 4096 bytes all the same, so
// that a track comes out alike on every such file system.
inline constexpr std::uint32_t DefaultBlockSize = 4096;
struct Storage {
    std::uint32_t blockSize = DefaultBlockSize;
    bool sharesBlocks = false;
};
Storage StorageOf(Handle file);
// The block size a system reports, where it is one Storage can use.
inline std::uint32_t UsableBlockSize(std::uint64_t reported) {
    const bool powerOfTwo = reported != 0 && (reported & (reported - 1)) == 0;
    return powerOfTwo && reported >= 512 && reported <= 64 * 1024
               ? static_cast<std::uint32_t>(reported)
               : DefaultBlockSize;
}
// Of n bytes from the input's offset on, those a file system can share onto the output's
// position in whole blocks: as many whole blocks as the input holds from there (its last
// block holds more than the file), where both stand on a block boundary; 0 otherwise.
inline std::uint64_t WholeBlocks(std::int64_t offset, std::int64_t position, std::int64_t inputSize,
                                 std::uint64_t n, std::uint64_t blockSize) {
    if (blockSize == 0 || offset < 0 || position < 0 || offset >= inputSize ||
        static_cast<std::uint64_t>(offset) % blockSize != 0 ||
        static_cast<std::uint64_t>(position) % blockSize != 0) {
        return 0;
    }
    const auto left = static_cast<std::uint64_t>(inputSize - offset);
    const std::uint64_t held = n < left ? n : left;
    return held - held % blockSize;
}
// Copies up to n bytes from the input's offset onto the output inside the system,
// where it can, and advances the offset. Where the file system shares blocks and both
// offsets are on block boundaries, the blocks are shared rather than written. Returns the count
// copied; fewer than n (0 where the system has no such copy) leaves the rest to the caller.
std::uint64_t SystemCopy(Handle in, std::int64_t& offset, Handle out, std::uint64_t n);

}  // namespace brambex::platform::native_file
