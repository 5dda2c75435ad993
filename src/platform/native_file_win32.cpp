// The file streams' system side on Windows: HANDLEs opened with wide-character names.
// Reads give their offset in an OVERLAPPED, which a synchronous handle honours without
// caring where the last one ended. Windows has no copy between two open files, so the
// streams' large-block copy does all of it.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <limits>

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

Storage StorageOf(Handle) {
    return {};
}

std::uint64_t SystemCopy(Handle, std::int64_t&, Handle, std::uint64_t) {
    return 0;
}

}  // namespace brambex::platform::native_file
