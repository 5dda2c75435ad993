// The file-system services on Windows: wide-character Win32 calls at the boundary,
// UTF-8 everywhere else. Either separator is taken, and drive-letter and UNC paths
// are whatever the system makes of them.
#include <windows.h>

#include <shellapi.h>
// windows.h names DeleteFileW "DeleteFile", which is ours here.
#undef DeleteFile

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <utility>

#include "platform/file_system.h"
#include "platform/system_file_system.h"
#include "platform/win32.h"

namespace brambex::platform {

namespace {

// Upper case as the file system compares names, so that the search stays case-blind
// beyond ASCII as Windows is.
std::string UpperCase(std::string_view text) {
    std::wstring wide = Widen(text);
    if (wide.empty())
        return {};
    std::wstring upper(wide.size(), L'\0');
    int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(),
                          static_cast<int>(wide.size()), upper.data(),
                          static_cast<int>(upper.size()), nullptr, nullptr, 0);
    if (n <= 0)
        return std::string(text);
    upper.resize(static_cast<std::size_t>(n));
    return Narrow(upper);
}

// The reason for the last failed call of this thread.
std::error_code LastSystemError() {
    return SystemError(ErrnoFromSystemError(GetLastError()));
}

}  // namespace

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

Listing SystemListMatching(const std::string& pattern) {
    std::size_t cut = pattern.size();
    while (cut > 0 && !IsSeparator(pattern[cut - 1]))
        --cut;
    const std::string namePattern = UpperCase(std::string_view(pattern).substr(cut));

    Listing listing;
    std::vector<FoundEntry>& found = listing.entries;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileExW(Widen(pattern).c_str(), FindExInfoBasic, &entry,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        // Nothing matching in a folder that is there is no failure.
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            listing.error = LastSystemError();
        return listing;
    }
    do {
        std::string name = Narrow(entry.cFileName);
        if (name == "." || name == "..")
            continue;
        // The system also matches short 8.3 names ("*.mp3" finds "Intro.mp3x" through
        // "INTRO~1.MP3") and takes "?" as a wildcard; our rules decide.
        if (!MatchesWildcard(namePattern, UpperCase(name)))
            continue;
        found.push_back(
            {std::move(name), (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search, &entry));
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        listing.error = LastSystemError();
        found.clear();
    }
    FindClose(search);
    std::sort(found.begin(), found.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
    return listing;
}

std::string MatchKey(std::string_view name) {
    return UpperCase(name);
}

std::string PathKey(std::string_view path) {
    std::string key = UpperCase(path);
    std::replace(key.begin(), key.end(), '/', '\\');
    return key;
}

Status IdentifyFolder(const std::string& path, FolderIdentity& identity, bool& isLink) {
    const std::wstring wide = Widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    isLink =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    HANDLE folder = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return {LastSystemError()};
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(folder, &info) != 0;
    const std::error_code error = known ? std::error_code() : LastSystemError();
    CloseHandle(folder);
    if (known)
        identity = {info.dwVolumeSerialNumber,
                    (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
    return {error};
}

MadeFolder MakeFolder(const std::string& path) {
    if (CreateDirectoryW(Widen(path).c_str(), nullptr))
        return {MakeFolderResult::Created, {}};
    const DWORD code = GetLastError();
    const std::error_code error = SystemError(ErrnoFromSystemError(code));
    switch (code) {
        case ERROR_ALREADY_EXISTS:
            return {MakeFolderResult::Exists, error};
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return {MakeFolderResult::Refused, error};
        default:
            return {MakeFolderResult::Failed, error};
    }
}

bool PathExists(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsRegularFile(const std::string& path) {
    // Opened for its attributes only, so that links are followed and a device ("NUL",
    // "COM1") shows what it is.
    HANDLE file = CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool regular = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
                   (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    CloseHandle(file);
    return regular;
}

bool IsEmptyRegularFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &info))
        return false;
    constexpr DWORD NotAFile =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    return (info.dwFileAttributes & NotAFile) == 0 && info.nFileSizeLow == 0 &&
           info.nFileSizeHigh == 0;
}

bool IsBrokenLink(const std::string& path) {
    const std::wstring wide = Widen(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return false;
    HANDLE target =
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (target == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(target);
    return false;
}

Status CanListFolder(const std::string& path) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileExW(Widen(JoinPath(path, "*")).c_str(), FindExInfoBasic, &entry,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        // Only the root of an empty drive lists nothing at all, not even ".".
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return {};
        return {LastSystemError()};
    }
    FindClose(search);
    return {};
}

Status IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {LastSystemError()};
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return {SystemError(ENOTDIR)};
    return {};
}

Status CreateNewHiddenFile(const std::string& path) {
    const std::wstring wide = Widen(path);
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            return {SystemError(EEXIST)};
        return {SystemError(ErrnoFromSystemError(error))};
    }
    if (!CloseHandle(file)) {
        const std::error_code error = LastSystemError();
        DeleteFileW(wide.c_str());
        return {error};
    }
    return {};
}

Status RemoveFile(const std::string& path) {
    if (DeleteFileW(Widen(path).c_str()))
        return {};
    return {LastSystemError()};
}

Status RemoveEmptyFolder(const std::string& path) {
    if (RemoveDirectoryW(Widen(path).c_str()))
        return {};
    return {LastSystemError()};
}

Status RenameFile(const std::string& from, const std::string& to) {
    if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING))
        return {};
    return {LastSystemError()};
}

Status CanEnterFolder(const std::string& path) {
    const std::wstring wide = Widen(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {LastSystemError()};
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return {SystemError(ENOTDIR)};
    // Links followed, as a path through the folder would follow them.
    HANDLE folder = CreateFileW(wide.c_str(), FILE_TRAVERSE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return {LastSystemError()};
    CloseHandle(folder);
    return {};
}

std::string CurrentFolder() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0)
        return {};
    std::wstring buffer(size, L'\0');
    DWORD n = GetCurrentDirectoryW(size, buffer.data());
    if (n == 0 || n >= size)
        return {};
    buffer.resize(n);
    return Narrow(buffer);
}

std::uint64_t ProcessId() {
    return GetCurrentProcessId();
}

FolderLock::Locking FolderLock::Lock(const std::string& folder) {
    Unlock();
    // A folder cannot carry a lock of its own on Windows, and holding it open without
    // sharing would shut out the merge's own search. The lock is a semaphore of one,
    // named after the folder's identity on its volume, so that every spelling of the
    // folder (a drive letter, a UNC path, a link) finds the same one; the system drops
    // it with the last handle, so a killed merge never leaves it behind.
    HANDLE handle = CreateFileW(Widen(folder).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {Result::Failed, LastSystemError()};
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    const std::error_code unknown = known ? std::error_code() : LastSystemError();
    CloseHandle(handle);
    if (!known)
        return {Result::Failed, unknown};
    wchar_t name[96];
    swprintf(name, sizeof name / sizeof name[0], L"Local\\Brambex-folder-%08lx-%08lx%08lx",
             info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
    HANDLE semaphore = CreateSemaphoreW(nullptr, 1, 1, name);
    if (semaphore == nullptr)
        return {Result::Failed, LastSystemError()};
    if (WaitForSingleObject(semaphore, 0) != WAIT_OBJECT_0) {
        CloseHandle(semaphore);
        return {Result::Busy, SystemError(EWOULDBLOCK)};
    }
    handle_ = reinterpret_cast<std::intptr_t>(semaphore);
    return {Result::Locked, {}};
}

void FolderLock::Unlock() {
    if (handle_ == -1)
        return;
    HANDLE semaphore = reinterpret_cast<HANDLE>(handle_);
    ReleaseSemaphore(semaphore, 1, nullptr);
    CloseHandle(semaphore);
    handle_ = -1;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty())
        return CurrentFolder();
    const std::wstring wide = Widen(path);
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    DWORD n = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size)
        return path;
    full.resize(n);
    return Narrow(full);
}

}  // namespace brambex::platform
