// A read-only look at a range of an open file in place, without copying its bytes: a
// memory mapping on POSIX systems. Where a system gives none (this build on Windows,
// or a file system that refuses), Map says so and the caller reads instead.
//
// A mapped file that shrinks under the mapping, or whose disk fails, faults at the
// next look rather than returning a short count: looks go through ReadMapped, which
// turns such a fault into a failed read. Whatever runs under ReadMapped may be left
// at any point, so it holds nothing that needs undoing (no allocation, no lock).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/native_file.h"

namespace brambex::platform {

class MappedFile {
  public:
    MappedFile() = default;
    ~MappedFile() { Unmap(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps [offset, offset + size) of the file, letting go of the range mapped before;
    // false where it cannot be mapped. The caller keeps the range within the file.
    bool Map(native_file::Handle file, std::int64_t offset, std::int64_t size);
    void Unmap();
    // The range's first byte; null when nothing is mapped.
    const unsigned char* Data() const { return data_; }

  private:
    void* base_ = nullptr;  // where the mapping starts, on a page boundary
    std::size_t length_ = 0;
    const unsigned char* data_ = nullptr;
};

// Runs read(context); false when a look into a mapped file faulted on the way, which
// left read where it was.
bool ReadMapped(void (*read)(void* context), void* context);

}  // namespace brambex::platform
