// The file streams' system side on Windows: HANDLEs opened with wide-character names.
// Reads give their offset in an OVERLAPPED, which a synchronous handle honours without
// caring where the last one ended. Where a volume counts references to its clusters
// (ReFS, Dev Drive) a copy clones the whole clusters between two of its files and the
// streams copy the rest; elsewhere Windows has no copy between two open files, so the
// streams' large-block copy does all of it. The cloning is untested here for want of
// such a volume: under Wine every copy takes the streams' way.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <string>

#include "platform/native_file.h"
#include "platform/win32.h"

namespace brambex::platform::native_file {

namespace {

HANDLE AsHandle(Handle file) {
    return reinterpret_cast<HANDLE>(file);
}

Handle FromHandle(HANDLE file) {
    return reinterpret_cast<Handle>(file);
}

std::error_code LastError() {
    return {platform::ErrnoFromSystemError(GetLastError()), std::generic_category()};
}

// A file name in UTF-16, on the stack for names of the usual length: a merge opens
// files for every track, and its passes keep off the heap.
class WideName {
  public:
    explicit WideName(const std::string& path) {
        if (path.empty()) {
            onStack_[0] = L'\0';
            return;
        }
        const int n = MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()),
                                          onStack_, StackSize - 1);
        if (n > 0) {
            onStack_[n] = L'\0';
            return;
        }
        onHeap_ = platform::Widen(path);
        text_ = onHeap_.c_str();
    }
    WideName(const WideName&) = delete;
    WideName& operator=(const WideName&) = delete;
    const wchar_t* c_str() const { return text_; }

  private:
    static constexpr int StackSize = 1024;
    wchar_t onStack_[StackSize];
    std::wstring onHeap_;
    const wchar_t* text_ = onStack_;
};

// ReadFile and WriteFile count in DWORDs.
constexpr std::size_t MaxTransfer = std::numeric_limits<DWORD>::max() / 2;

// The flag, control code and request of block cloning, which MinGW-w64's headers lack;
// the values and layout are the Windows SDK's.
constexpr DWORD SupportsBlockRefcounting = 0x08000000;
constexpr DWORD DuplicateExtentsToFile =
    CTL_CODE(FILE_DEVICE_FILE_SYSTEM, 209, METHOD_BUFFERED, FILE_WRITE_ACCESS);
struct DuplicateExtentsData {
    HANDLE fileHandle;
    LARGE_INTEGER sourceFileOffset;
    LARGE_INTEGER targetFileOffset;
    LARGE_INTEGER byteCount;
};
// ReFS clones less than 4 GiB at a time; this is a whole number of clusters of any size.
constexpr std::uint64_t MaxClone = 1u << 30;

bool SharesClusters(HANDLE file) {
    DWORD flags = 0;
    return GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & SupportsBlockRefcounting) != 0;
}

// The cluster size of the volume the path is on, a path the system gave; 0 where the
// system cannot tell. `root` holds `size` characters, no fewer than the path.
std::uint64_t ClusterSizeAt(const wchar_t* path, wchar_t* root, DWORD size) {
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD clusters = 0;
    if (!GetVolumePathNameW(path, root, size) ||
        !GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
        return 0;
    }
    return std::uint64_t{sectorsPerCluster} * bytesPerSector;
}

// The cluster size of the file's volume; 0 where the system cannot tell. Every output
// file asks, so a path of the usual length stays on the stack, as in WideName.
std::uint64_t ClusterSize(HANDLE file) {
    constexpr DWORD Flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    constexpr DWORD StackSize = 1024;
    wchar_t path[StackSize];
    wchar_t root[StackSize];
    const DWORD n = GetFinalPathNameByHandleW(file, path, StackSize, Flags);
    if (n == 0) {
        return 0;
    }
    if (n < StackSize) {
        return ClusterSizeAt(path, root, StackSize);
    }
    // Too long for the stack: n is the length it takes, with the closing null.
    std::wstring longPath(n, L'\0');
    std::wstring longRoot(n, L'\0');
    const DWORD m = GetFinalPathNameByHandleW(file, longPath.data(), n, Flags);
    return m != 0 && m < n ? ClusterSizeAt(longPath.c_str(), longRoot.data(), n) : 0;
}

bool SetEnd(HANDLE file, std::int64_t size) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = size;
    return SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end);
}

// Clones `count` bytes, whole clusters, from the input's offset onto the output at `at`,
// its position, and moves the position past them. The volume clones only inside a
// file's end, so the output grows first, and shrinks back where the volume refuses (two
// volumes, a sparse input, integrity streams on one file only, too many sharers). Were
// that to fail too, the caller's own copy of the same bytes still fills what grew.
bool CloneAt(HANDLE in, std::int64_t from, HANDLE out, std::int64_t at, std::int64_t count) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(out, &size)) {
        return false;
    }
    LARGE_INTEGER end;
    end.QuadPart = at + count;
    const bool grows = end.QuadPart > size.QuadPart;
    if (grows && !SetEnd(out, end.QuadPart)) {
        return false;
    }
    DuplicateExtentsData clone{};
    clone.fileHandle = in;
    clone.sourceFileOffset.QuadPart = from;
    clone.targetFileOffset.QuadPart = at;
    clone.byteCount.QuadPart = count;
    DWORD returned = 0;
    if (DeviceIoControl(out, DuplicateExtentsToFile, &clone, sizeof clone, nullptr, 0, &returned,
                        nullptr) &&
        SetFilePointerEx(out, end, nullptr, FILE_BEGIN)) {
        return true;
    }
    if (grows) {
        SetEnd(out, size.QuadPart);
    }
    return false;
}

// The whole clusters of n bytes from the offset on that the output can take from the
// input where its volume shares them, and the output's position `at`.
std::uint64_t ClonableBytes(HANDLE in, std::int64_t offset, HANDLE out, std::uint64_t n,
                            std::int64_t& at) {
    if (!SharesClusters(out)) {
        return 0;
    }
    LARGE_INTEGER position;
    LARGE_INTEGER size;
    if (!SetFilePointerEx(out, LARGE_INTEGER{}, &position, FILE_CURRENT) ||
        !GetFileSizeEx(in, &size)) {
        return 0;
    }
    at = position.QuadPart;
    return WholeBlocks(offset, at, size.QuadPart, n, ClusterSize(out));
}

}  // namespace

Kind KindOf(const std::string& path, std::error_code& error, std::int64_t* size) {
    HANDLE file = CreateFileW(WideName(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = LastError();
        return Kind::Missing;
    }
    BY_HANDLE_FILE_INFORMATION info;
    Kind kind = Kind::Other;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info)) {
        kind =
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Kind::Folder : Kind::Regular;
        if (kind == Kind::Regular && size != nullptr) {
            *size = static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) |
                                              info.nFileSizeLow);
        }
    }
    CloseHandle(file);
    return kind;
}

Handle OpenForReading(const std::string& path, std::error_code& error) {
    // Others may read, write or rename the file meanwhile, as POSIX lets them.
    HANDLE file = CreateFileW(WideName(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = LastError();
        return None;
    }
    return FromHandle(file);
}

Handle Create(const std::string& path, bool exclusive, std::error_code& error) {
    HANDLE file = CreateFileW(
        WideName(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
        exclusive ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = LastError();
        return None;
    }
    return FromHandle(file);
}

std::int64_t ReadAt(Handle file, void* buffer, std::size_t n, std::int64_t offset,
                    std::error_code& error) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    DWORD got = 0;
    if (!ReadFile(AsHandle(file), buffer, static_cast<DWORD>(std::min(n, MaxTransfer)), &got,
                  &at)) {
        // Reading at or past the end is the end of the file, not a failure.
        if (GetLastError() == ERROR_HANDLE_EOF) {
            return 0;
        }
        error = LastError();
        return -1;
    }
    return got;
}

std::int64_t Write(Handle file, const void* data, std::size_t n, std::error_code& error) {
    DWORD written = 0;
    if (!WriteFile(AsHandle(file), data, static_cast<DWORD>(std::min(n, MaxTransfer)), &written,
                   nullptr)) {
        error = LastError();
        return -1;
    }
    return written;
}

bool Seek(Handle file, std::int64_t offset, std::error_code& error) {
    LARGE_INTEGER to;
    to.QuadPart = offset;
    if (!SetFilePointerEx(AsHandle(file), to, nullptr, FILE_BEGIN)) {
        error = LastError();
        return false;
    }
    return true;
}

std::int64_t Size(Handle file) {
    LARGE_INTEGER size;
    if (GetFileType(AsHandle(file)) != FILE_TYPE_DISK || !GetFileSizeEx(AsHandle(file), &size)) {
        return -1;
    }
    return size.QuadPart;
}

bool Close(Handle file, std::error_code& error) {
    if (!CloseHandle(AsHandle(file))) {
        error = LastError();
        return false;
    }
    return true;
}

Storage StorageOf(Handle file) {
    Storage storage;
    storage.sharesBlocks = SharesClusters(AsHandle(file));
    if (storage.sharesBlocks) {
        storage.blockSize = UsableBlockSize(ClusterSize(AsHandle(file)));
    }
    return storage;
}

std::uint64_t SystemCopy(Handle in, std::int64_t& offset, Handle out, std::uint64_t n) {
    std::int64_t at = 0;
    const std::uint64_t clonable = ClonableBytes(AsHandle(in), offset, AsHandle(out), n, at);
    std::uint64_t cloned = 0;
    while (cloned < clonable) {
        const auto count = static_cast<std::int64_t>(std::min(clonable - cloned, MaxClone));
        if (!CloneAt(AsHandle(in), offset, AsHandle(out), at, count)) {
            break;
        }
        cloned += static_cast<std::uint64_t>(count);
        offset += count;
        at += count;
    }
    return cloned;
}

}  // namespace brambex::platform::native_file
