// The file streams' system side on POSIX systems: descriptors, pread, and the copy in
// the kernel (copy_file_range, sendfile) where the kernel has it.
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>

#include "platform/native_file.h"

namespace brambex::platform::native_file {

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

// The file systems whose copy_file_range shares blocks (reflinks): XFS made with
// reflink=1 (the default since xfsprogs 5.1), btrfs, bcachefs, OCFS2 and OpenZFS 2.2.
constexpr unsigned long SharingFileSystems[] = {0x58465342, 0x9123683e, 0xca451a4e, 0x7461636f,
                                                0x2fc12fc1};

}  // namespace

Kind KindOf(const std::string& path, std::error_code& error, std::int64_t* size) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        error = std::error_code(errno, std::generic_category());
        return Kind::Missing;
    }
    if (S_ISREG(info.st_mode)) {
        if (size != nullptr) {
            *size = info.st_size;
        }
        return Kind::Regular;
    }
    return S_ISDIR(info.st_mode) ? Kind::Folder : Kind::Other;
}

Handle OpenForReading(const std::string& path, std::error_code& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::error_code(errno, std::generic_category());
        return None;
    }
    return fd;
}

Handle Create(const std::string& path, bool exclusive, std::error_code& error) {
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (exclusive ? O_EXCL : 0);
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        error = std::error_code(errno, std::generic_category());
        return None;
    }
    return fd;
}

std::int64_t ReadAt(Handle file, void* buffer, std::size_t n, std::int64_t offset,
                    std::error_code& error) {
    for (;;) {
        const ssize_t r = ::pread(static_cast<int>(file), buffer, n, offset);
        if (r >= 0) {
            return r;
        }
        if (errno != EINTR) {
            error = std::error_code(errno, std::generic_category());
            return -1;
        }
    }
}

std::int64_t Write(Handle file, const void* data, std::size_t n, std::error_code& error) {
    for (;;) {
        const ssize_t r = ::write(static_cast<int>(file), data, n);
        if (r >= 0) {
            return r;
        }
        if (errno != EINTR) {
            error = std::error_code(errno, std::generic_category());
            return -1;
        }
    }
}

bool Seek(Handle file, std::int64_t offset, std::error_code& error) {
    if (::lseek(static_cast<int>(file), static_cast<off_t>(offset), SEEK_SET) < 0) {
        error = std::error_code(errno, std::generic_category());
        return false;
    }
    return true;
}

std::int64_t Size(Handle file) {
    struct stat info;
    if (::fstat(static_cast<int>(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return info.st_size;
}

bool Close(Handle file, std::error_code& error) {
    if (::close(static_cast<int>(file)) != 0) {
        error = std::error_code(errno, std::generic_category());
        return false;
    }
    return true;
}

Storage StorageOf(Handle file) {
    // The file system's block, the unit its copies share: st_blksize is the size it
    // prefers for I/O, which may be larger.
    Storage storage;
    struct statfs system;
    if (::fstatfs(static_cast<int>(file), &system) == 0) {
        const auto type = static_cast<unsigned long>(system.f_type);
        storage.sharesBlocks =
            std::find(std::begin(SharingFileSystems), std::end(SharingFileSystems), type) !=
            std::end(SharingFileSystems);
        if (storage.sharesBlocks) {
            storage.blockSize = UsableBlockSize(static_cast<std::uint64_t>(system.f_bsize));
        }
    }
    return storage;
}

std::uint64_t SystemCopy(Handle in, std::int64_t& offset, Handle out, std::uint64_t n) {
    std::uint64_t copied = 0;
    loff_t at = offset;
    for (const KernelCopy copy : KernelCopies) {
        int error = 0;
        while (copied < n) {
            const ssize_t r = copy(static_cast<int>(in), &at, static_cast<int>(out),
                                   std::min(n - copied, MaxKernelCopy));
            if (r > 0) {
                copied += static_cast<std::uint64_t>(r);
                offset = at;
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
    return copied;
}

}  // namespace brambex::platform::native_file
