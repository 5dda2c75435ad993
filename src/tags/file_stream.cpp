// File streams over POSIX descriptors. Reads use pread at our own position, so a seek
// is only a number and the descriptor's offset never matters; writes go through the
// descriptor's offset, which copy_file_range and sendfile advance too.
#include "tags/file_stream.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace brambex {

namespace {

// copy_file_range and sendfile take at most this much per call on every kernel.
constexpr std::uint64_t MaxKernelCopy = 1u << 30;

// The in-kernel ways of copying, best first: copy_file_range shares or clones blocks
// where the file system can and otherwise copies inside the kernel; sendfile also works
// between two file systems, where copy_file_range refuses.
ssize_t CopyFileRange(int in, loff_t* inOffset, int out, std::size_t n) {
    return ::copy_file_range(in, inOffset, out, nullptr, n, 0);
}
ssize_t SendFile(int in, loff_t* inOffset, int out, std::size_t n) {
    return ::sendfile(out, in, inOffset, n);
}
using KernelCopy = ssize_t (*)(int in, loff_t* inOffset, int out, std::size_t n);
constexpr KernelCopy KernelCopies[] = {CopyFileRange, SendFile};

// Errors that say only that this way cannot copy between these two files, so the next
// one is tried.
bool NotForTheseFiles(int error) {
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL;
}

// For the copy through user space, when the kernel cannot copy; 1 MiB blocks cost
// about what cp's own copy costs.
constexpr std::size_t CopyBlockSize = 1 << 20;
alignas(4096) unsigned char copyBlock[CopyBlockSize];
std::atomic_flag copyBlockBusy = ATOMIC_FLAG_INIT;
// For a copy that finds the large block in use by another thread.
constexpr std::size_t SmallCopyBlockSize = 64 * 1024;

}  // namespace

InputFile::~InputFile() {
    Close();
}

bool InputFile::Open(const std::string& path) {
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error_ = errno;
        failed_ = true;
        return false;
    }
    fd_ = fd;
    return true;
}

void InputFile::OpenMemory(const unsigned char* data, std::size_t size, bool sizeKnown) {
    Close();
    inMemory_ = true;
    sizeKnown_ = sizeKnown;
    memory_ = data;
    memorySize_ = size;
}

bool InputFile::IsOpen() const {
    return fd_ >= 0 || inMemory_;
}

void InputFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    inMemory_ = false;
    sizeKnown_ = true;
    memory_ = nullptr;
    memorySize_ = 0;
    position_ = 0;
    lastCount_ = 0;
    failed_ = false;
    error_ = 0;
}

std::size_t InputFile::Read(void* buffer, std::size_t n) {
    std::size_t got = 0;
    if (inMemory_) {
        if (position_ >= 0 && static_cast<std::uint64_t>(position_) < memorySize_) {
            got = std::min<std::size_t>(n, memorySize_ - static_cast<std::size_t>(position_));
            std::memcpy(buffer, memory_ + position_, got);
        }
    } else if (fd_ < 0) {
        error_ = EBADF;
    } else {
        auto* bytes = static_cast<unsigned char*>(buffer);
        while (got < n) {
            const ssize_t r = ::pread(fd_, bytes + got, n - got, position_ + got);
            if (r > 0) {
                got += static_cast<std::size_t>(r);
            } else if (r == 0) {
                break;
            } else if (errno != EINTR) {
                error_ = errno;
                break;
            }
        }
    }
    position_ += static_cast<std::int64_t>(got);
    lastCount_ = got;
    if (got < n) {
        failed_ = true;
    }
    return got;
}

bool InputFile::Seek(std::int64_t offset) {
    if (offset < 0 || !IsOpen()) {
        failed_ = true;
        return false;
    }
    position_ = offset;
    failed_ = false;
    return true;
}

std::int64_t InputFile::Size() const {
    if (inMemory_) {
        return sizeKnown_ ? static_cast<std::int64_t>(memorySize_) : -1;
    }
    struct stat info;
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return info.st_size;
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool OutputFile::Create(const std::string& path, bool exclusive) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    memory_ = nullptr;
    failed_ = false;
    error_ = 0;
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (exclusive ? O_EXCL : 0);
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        open_ = false;
        Fail(errno);
        return false;
    }
    fd_ = fd;
    bytesWritten_ = 0;
    open_ = true;
    return true;
}

void OutputFile::CreateMemory(std::string* sink, std::size_t limit) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    sink->clear();
    memory_ = sink;
    memoryLimit_ = limit;
    bytesWritten_ = 0;
    open_ = true;
    failed_ = false;
    error_ = 0;
}

bool OutputFile::IsOpen() const {
    return open_;
}

void OutputFile::Fail(int error) {
    if (!failed_) {
        failed_ = true;
        error_ = error;
    }
}

std::size_t OutputFile::WriteSome(const void* data, std::size_t n) {
    if (failed_) {
        return 0;
    }
    if (!open_) {
        Fail(EBADF);
        return 0;
    }
    if (memory_ != nullptr) {
        const std::size_t room = memoryLimit_ - std::min(memoryLimit_, memory_->size());
        const std::size_t stored = std::min(room, n);
        memory_->append(static_cast<const char*>(data), stored);
        bytesWritten_ += stored;
        if (stored < n) {
            Fail(ENOSPC);
        }
        return stored;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;

    while (done < n) {
        const ssize_t r = ::write(fd_, bytes + done, n - done);
        if (r > 0) {
            done += static_cast<std::size_t>(r);
        } else if (r < 0 && errno == EINTR) {
            continue;
        } else {
            Fail(r < 0 ? errno : EIO);
            break;
        }
    }
    bytesWritten_ += done;
    return done;
}

void OutputFile::Write(const void* data, std::size_t n) {
    WriteSome(data, n);
}

bool OutputFile::Close() {
    if (!open_) {
        if (error_ == 0) {
            Fail(EBADF);
        }
        return false;
    }
    if (fd_ >= 0 && ::close(fd_) != 0) {
        Fail(errno);
    }
    fd_ = -1;
    memory_ = nullptr;
    open_ = false;
    return !failed_;
}

std::uint64_t CopyBytes(InputFile& in, OutputFile& out, std::uint64_t n) {
    std::uint64_t copied = 0;
    if (out.failed_) {
        return 0;
    }
    if (in.inMemory_) {
        const auto start = static_cast<std::uint64_t>(std::max<std::int64_t>(in.position_, 0));
        const std::uint64_t avail = start < in.memorySize_ ? in.memorySize_ - start : 0;
        const std::uint64_t want = std::min(n, avail);
        copied = out.WriteSome(in.memory_ + start, static_cast<std::size_t>(want));
        in.position_ += static_cast<std::int64_t>(copied);
        in.lastCount_ = static_cast<std::size_t>(copied);
        in.failed_ = copied < n;
        return copied;
    }
    if (in.fd_ >= 0 && out.fd_ >= 0) {
        // Any other error, a short count or the input's end hands over to the block copy
        // below, which tells whether it was the input or the output that failed.
        loff_t offset = in.position_;
        for (const KernelCopy copy : KernelCopies) {
            int error = 0;
            while (copied < n) {
                const ssize_t r =
                    copy(in.fd_, &offset, out.fd_, std::min(n - copied, MaxKernelCopy));
                if (r > 0) {
                    copied += static_cast<std::uint64_t>(r);
                    out.bytesWritten_ += static_cast<std::uint64_t>(r);
                    in.position_ = offset;
                } else if (r < 0 && errno == EINTR) {
                    continue;
                } else {
                    error = r < 0 ? errno : 0;
                    break;
                }
            }
            if (copied == n || !NotForTheseFiles(error)) {
                break;
            }
        }
    }
    const bool ownBlock = !copyBlockBusy.test_and_set(std::memory_order_acquire);
    unsigned char smallBlock[SmallCopyBlockSize];
    unsigned char* block = ownBlock ? copyBlock : smallBlock;
    const std::size_t blockSize = ownBlock ? CopyBlockSize : SmallCopyBlockSize;
    while (copied < n) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(n - copied, blockSize));
        const std::size_t got = in.Read(block, want);
        const std::size_t written = out.WriteSome(block, got);
        copied += written;
        if (written < got || got < want) {
            break;
        }
    }
    if (ownBlock) {
        copyBlockBusy.clear(std::memory_order_release);
    }
    in.failed_ = copied < n;
    return copied;
}

}  // namespace brambex
