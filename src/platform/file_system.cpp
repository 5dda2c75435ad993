// The parts of the file-system services that read the same on every system: the
// matching rules, path joining and the system instance of the FileSystem interface.
#include "platform/file_system.h"
#include "platform/ascii_case.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/system_file_system.h"

namespace brambex::platform {

namespace {

// Where the pattern's last component, the names it matches, begins.
std::size_t NameStart(std::string_view pattern) {
    std::size_t cut = pattern.size();
    while (cut > 0 && !IsSeparator(pattern[cut - 1]))
        --cut;
    return cut;
}

}  // namespace

SearchPattern SplitSearchPattern(std::string_view pattern) {
    const std::size_t nameStart = NameStart(pattern);
    std::string folder = ".";
    if (nameStart > 0)
        folder = std::string(pattern.substr(0, nameStart == 1 ? 1 : nameStart - 1));
    return {std::move(folder), std::string(pattern.substr(nameStart))};
}

Listing ListMatching(const std::string& pattern, NameForm form) {
    if (form == nullptr)
        return SystemListMatching(pattern);
    // Names that match in the form need not match as they are: the whole folder is
    // read, as the system reads it anyway, and matched here.
    const std::size_t nameStart = NameStart(pattern);
    Listing listing = SystemListMatching(pattern.substr(0, nameStart) + "*");
    const std::string key = MatchKey(form(std::string_view(pattern).substr(nameStart)));
    std::erase_if(listing.entries, [&](const FoundEntry& entry) {
        return !MatchesWildcard(key, MatchKey(form(entry.name)));
    });
    return listing;
}

std::vector<FoundEntry> FindMatching(const std::string& pattern) {
    return ListMatching(pattern).entries;
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    // Where the last "*" was and the name position it is trying to cover up to; on a
    // mismatch the star takes one more character and matching resumes after it.
    std::size_t starAt = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            starName = n;
        } else if (p < pattern.size() && FoldAscii(pattern[p]) == FoldAscii(name[n])) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

Status DeleteFile(const std::string& path) {
    return RemoveFile(path);
}

std::int64_t FileSize(const std::string& path) {
    // Through char8_t, because Windows would read a plain string in its ANSI code page.
    std::u8string name;
    name.reserve(path.size());
    for (char c : path)
        name.push_back(static_cast<char8_t>(c));
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(name), error);
    return error ? -1 : static_cast<std::int64_t>(size);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != Separator)
        path += Separator;
    path += name;
    return path;
}

FolderLock::~FolderLock() {
    Unlock();
}

FolderLock::FolderLock(FolderLock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        Unlock();
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

namespace {

class FileKindCategory final : public std::error_category {
  public:
    const char* name() const noexcept override { return "file kind"; }
    std::string message(int) const override { return "not a regular file"; }
};

}  // namespace

std::error_code NotARegularFile() {
    static const FileKindCategory category;
    return {1, category};
}

namespace {

class SystemFileSystem final : public FileSystem {
  public:
    Listing ListMatching(const std::string& pattern, NameForm form) override {
        return platform::ListMatching(pattern, form);
    }
    MadeFolder MakeFolder(const std::string& path) override { return platform::MakeFolder(path); }
    Status CreateNewHiddenFile(const std::string& path) override {
        return platform::CreateNewHiddenFile(path);
    }
    Status DeleteFile(const std::string& path) override { return RemoveFile(path); }
    Status RemoveEmptyFolder(const std::string& path) override {
        return platform::RemoveEmptyFolder(path);
    }
    Status RenameFile(const std::string& from, const std::string& to) override {
        return platform::RenameFile(from, to);
    }
    bool PathExists(const std::string& path) override { return platform::PathExists(path); }
    bool IsRegularFile(const std::string& path) override { return platform::IsRegularFile(path); }
    bool IsEmptyRegularFile(const std::string& path) override {
        return platform::IsEmptyRegularFile(path);
    }
    bool IsBrokenLink(const std::string& path) override { return platform::IsBrokenLink(path); }
    std::int64_t FileSize(const std::string& path) override { return platform::FileSize(path); }
    native_file::Kind KindOf(const std::string& path, std::error_code& error,
                             std::int64_t* size = nullptr) override {
        return native_file::KindOf(path, error, size);
    }
    Status IsFolder(const std::string& path) override { return platform::IsFolder(path); }
    Status CanEnterFolder(const std::string& path) override {
        return platform::CanEnterFolder(path);
    }
    Status IdentifyFolder(const std::string& path, FolderIdentity& identity,
                          bool& isLink) override {
        return platform::IdentifyFolder(path, identity, isLink);
    }
    FolderLock::Locking LockFolder(FolderLock& lock, const std::string& folder) override {
        return lock.Lock(folder);
    }
};

}  // namespace

FileSystem& SystemFiles() {
    // It holds nothing: one serves every thread.
    static SystemFileSystem files;
    return files;
}

}  // namespace brambex::platform
