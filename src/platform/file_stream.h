// Small binary file streams over the system's files (descriptors on POSIX systems,
// HANDLEs on Windows; see native_file.h). The tag codec and every
// other file copy of the program use them: reads report how many bytes arrived,
// writes remember the first failure so that a pass can report it at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

#include "platform/native_file.h"

namespace brambex {

class InputFile {
  public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens a file for reading; false when it cannot be opened.
    bool Open(const std::string& path);
    // Reads from memory instead of a file (tests and the fuzzer). The bytes must
    // outlive the stream. Without sizeKnown, Size() answers -1 as for a pipe.
    void OpenMemory(const unsigned char* data, std::size_t size, bool sizeKnown = true);
    bool IsOpen() const;
    void Close();

    // Reads up to n bytes; returns how many arrived. Fewer than n (end of file or an
    // error) sets the failed state.
    std::size_t Read(void* buffer, std::size_t n);
    std::size_t LastCount() const { return lastCount_; }
    bool Failed() const { return failed_; }
    // Sets the read position to an absolute offset and clears the failed state.
    bool Seek(std::int64_t offset);
    std::int64_t Position() const { return position_; }
    // Size of the whole input in bytes, or -1 when it cannot be told.
    std::int64_t Size() const;
    // Why the last open or read failed; none when the input simply ended.
    std::error_code Error() const { return error_; }
    // The system's file, for a look at it in place (platform/mapped_file.h); None for
    // bytes in memory.
    platform::native_file::Handle NativeHandle() const { return file_; }

  private:
    std::intptr_t file_ = -1;  // a native_file::Handle
    bool inMemory_ = false;
    bool sizeKnown_ = true;
    std::error_code error_;
    const unsigned char* memory_ = nullptr;
    std::size_t memorySize_ = 0;
    std::int64_t position_ = 0;
    std::size_t lastCount_ = 0;
    bool failed_ = false;
    friend class ByteCopy;  // the steps of CopyBytes
};

class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, emptying one that exists; with exclusive set, fails when the
    // file exists already.
    bool Create(const std::string& path, bool exclusive = false);
    // Writes into a growing memory buffer instead of a file (tests and the fuzzer). The
    // sink is emptied first. A write that would make it longer than limit stores what
    // fits and then fails with ENOSPC, like a full disk.
    void CreateMemory(std::string* sink, std::size_t limit = static_cast<std::size_t>(-1));
    bool IsOpen() const;

    // Writes n bytes. After the first failure further writes are ignored. Small writes
    // to a file are gathered and reach it at the latest by the next copy or Close, so a
    // failure may show only then.
    void Write(const void* data, std::size_t n);
    bool Failed() const { return failed_; }
    // Moves to an offset of the output, where the next writes go: past its end they
    // leave a hole of zeros, before it they write over what is there. False when it
    // cannot move (or a write failed before).
    bool SeekTo(std::int64_t offset);
    // Closes the file; false when any write or the close itself failed.
    bool Close();
    // Why the first open, write or close failed; none when nothing did.
    std::error_code Error() const { return error_; }
    // The block size of the output's file system (the default for memory): a copy whose
    // offsets in input and output agree modulo it can share the input's blocks where
    // the file system shares blocks.
    std::uint32_t BlockSize() const { return blockSize_; }

  private:
    // Writes what it can of n bytes and returns how many were stored or gathered.
    std::size_t WriteSome(const void* data, std::size_t n);
    // Writes n bytes to the file itself.
    std::size_t WriteThrough(const void* data, std::size_t n);
    // Writes what was gathered; false when that or an earlier write failed.
    bool Flush();
    void Fail(std::error_code error);
    void Abandon();

    // A tag is written in many small pieces (headers, frames, padding); gathered, they
    // cost one system call instead of dozens. Copies gather too where they fit up to
    // the next 64 KiB boundary (CopyBytes), so that the head of a file, its tag and
    // the start of its audio, goes out in one write.
    static constexpr std::size_t GatherSize = 64 * 1024;
    unsigned char gathered_[GatherSize];
    std::size_t gatheredBytes_ = 0;

    std::intptr_t file_ = -1;  // a native_file::Handle
    std::string* memory_ = nullptr;
    std::size_t memoryLimit_ = 0;
    std::uint64_t bytesWritten_ = 0;
    std::uint32_t blockSize_ = platform::native_file::DefaultBlockSize;
    bool sharesBlocks_ = false;
    bool open_ = false;
    bool failed_ = false;
    std::error_code error_;
    friend class ByteCopy;
};

// Copies n bytes from the input's position to the output, in the system where it can,
// and leaves the input positioned after them. Where the output's file system shares
// blocks and the two positions agree modulo its block size, the blocks between the
// first boundary and the last are shared with the input instead of written. Returns the count
// copied; fewer than n means the input ended or a write failed (then out.Failed() is set).
std::uint64_t CopyBytes(InputFile& in, OutputFile& out, std::uint64_t n);

}  // namespace brambex
