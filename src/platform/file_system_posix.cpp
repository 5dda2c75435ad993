// The file-system services on POSIX systems. Linux volumes with a FAT attribute byte
// (vfat, and exFAT where the driver offers the same ioctl) also get the hidden
// attribute, so that a key file made here is as hidden as one made on Windows.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/ascii_case.h"
#include "platform/file_system.h"
#include "platform/system_file_system.h"

#if defined(__linux__)
#include <linux/msdos_fs.h>
#endif

namespace brambex::platform {

namespace {

bool IsFolderEntry(const std::string& folder, const dirent& entry) {
#if defined(_DIRENT_HAVE_D_TYPE) || defined(DT_DIR)
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return false;
#endif
    // Unknown type or a link: ask for the target, so a link to a folder is a folder.
    struct stat info {};
    if (stat(JoinPath(folder, entry.d_name).c_str(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode);
}

// The outcome of a call that answers 0 when it is done and sets errno otherwise.
Status Checked(int result) {
    return {result == 0 ? std::error_code() : SystemError(errno)};
}

void TrySetHiddenAttribute(int fd) {
#if defined(__linux__) && defined(FAT_IOCTL_SET_ATTRIBUTES)
    std::uint32_t attributes = 0;
    if (ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) != 0)
        return;
    attributes |= ATTR_HIDDEN;
    ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &attributes);
#else
    (void)fd;
#endif
}

}  // namespace

bool IsSeparator(char c) {
    return c == '/';
}

Listing SystemListMatching(const std::string& pattern) {
    std::size_t cut = pattern.size();
    while (cut > 0 && !IsSeparator(pattern[cut - 1]))
        --cut;
    std::string folder;
    if (cut == 0) {
        folder = ".";
    } else if (cut == 1) {
        folder = "/";
    } else {
        folder = pattern.substr(0, cut - 1);
    }
    std::string_view namePattern = std::string_view(pattern).substr(cut);

    Listing found;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        found.error = SystemError(errno);
        return found;
    }
    // A folder removed while it is read ends early with a reason, not as a short list.
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (entry == nullptr) {
            if (errno != 0)
                found.error = SystemError(errno);
            break;
        }
        std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (!MatchesWildcard(namePattern, name))
            continue;
        found.entries.push_back({std::string(name), IsFolderEntry(folder, *entry)});
    }
    closedir(dir);
    if (found.error)
        found.entries.clear();
    std::sort(found.entries.begin(), found.entries.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
    return found;
}

std::string MatchKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        c = FoldAscii(c);
    return key;
}

std::string PathKey(std::string_view path) {
    return std::string(path);
}

Status IdentifyFolder(const std::string& path, FolderIdentity& identity, bool& isLink) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0)
        return {SystemError(errno)};
    isLink = S_ISLNK(info.st_mode);
    if (isLink && stat(path.c_str(), &info) != 0)
        return {SystemError(errno)};
    identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    return {};
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

MadeFolder MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0777) == 0)
        return {MakeFolderResult::Created, {}};
    const int error = errno;
    switch (error) {
        case EEXIST:
            return {MakeFolderResult::Exists, SystemError(error)};
        case EACCES:
        case EPERM:
        case EROFS:
            return {MakeFolderResult::Refused, SystemError(error)};
        default:
            return {MakeFolderResult::Failed, SystemError(error)};
    }
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsEmptyRegularFile(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0;
}

bool IsBrokenLink(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
           stat(path.c_str(), &info) != 0;
}

Status CanListFolder(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr)
        return {SystemError(errno)};
    // Opening is not enough on every file system: the first read can still fail.
    errno = 0;
    const bool readable = readdir(dir) != nullptr || errno == 0;
    const int error = errno;
    closedir(dir);
    return {readable ? std::error_code() : SystemError(error)};
}

Status IsFolder(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return {SystemError(errno)};
    return {S_ISDIR(info.st_mode) ? std::error_code() : SystemError(ENOTDIR)};
}

Status CreateNewHiddenFile(const std::string& path) {
    int fd = open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
    if (fd < 0)
        return {SystemError(errno)};
    TrySetHiddenAttribute(fd);
    if (close(fd) != 0) {
        const int error = errno;
        unlink(path.c_str());
        return {SystemError(error)};
    }
    return {};
}

Status RemoveFile(const std::string& path) {
    return Checked(unlink(path.c_str()));
}

Status RemoveEmptyFolder(const std::string& path) {
    return Checked(rmdir(path.c_str()));
}

Status RenameFile(const std::string& from, const std::string& to) {
    return Checked(std::rename(from.c_str(), to.c_str()));
}

Status CanEnterFolder(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return {SystemError(errno)};
    if (!S_ISDIR(info.st_mode))
        return {SystemError(ENOTDIR)};
    return Checked(access(path.c_str(), X_OK));
}

std::string CurrentFolder() {
    std::string buffer(256, '\0');
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()) != nullptr) {
            buffer.resize(std::char_traits<char>::length(buffer.c_str()));
            return buffer;
        }
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::uint64_t ProcessId() {
    return static_cast<std::uint64_t>(getpid());
}

FolderLock::Locking FolderLock::Lock(const std::string& folder) {
    Unlock();
    // flock on the folder itself: nothing is added to the folder, and the lock goes
    // with the descriptor, so a killed merge never leaves a stale one.
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {Result::Failed, SystemError(errno)};
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK)
            return {Result::Busy, SystemError(error)};
        // An NFS mount without its lock service, or a FUSE file system that keeps none.
        if (error == ENOLCK || error == ENOTSUP || error == EOPNOTSUPP)
            return {Result::Unsupported, SystemError(error)};
        return {Result::Failed, SystemError(error)};
    }
    handle_ = fd;
    return {Result::Locked, {}};
}

void FolderLock::Unlock() {
    if (handle_ == -1)
        return;
    close(static_cast<int>(handle_));  // closing the descriptor releases the lock
    handle_ = -1;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty())
        return CurrentFolder();
    if (IsSeparator(path.front()))
        return path;
    return JoinPath(CurrentFolder(), path);
}

}  // namespace brambex::platform
