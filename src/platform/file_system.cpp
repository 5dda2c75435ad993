// The parts of the file-system services that read the same on every system: the
// matching rules, path joining and the deletion fault for tests.
#include "platform/file_system.h"
#include "platform/ascii_case.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/system_file_system.h"

namespace brambex::platform {

namespace {

std::function<bool(const std::string&)>& DeleteFault() {
    static std::function<bool(const std::string&)> fault;
    return fault;
}

}  // namespace

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

bool DeleteFile(const std::string& path) {
    if (DeleteFault() && DeleteFault()(path)) {
        errno = EACCES;
        return false;
    }
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

void SetDeleteFaultForTesting(std::function<bool(const std::string& path)> fault) {
    DeleteFault() = std::move(fault);
}

}  // namespace brambex::platform
