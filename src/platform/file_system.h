// The file-system services the merge needs, behind a small interface of our own so
// that the engine reads the same on every system: a wildcard search of one folder,
// folder creation whose failures can be told apart, existence tests, creation of a new
// (hidden) file, deletion, renaming and the process's current directory.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brambex::platform {

inline constexpr char Separator = '/';

// Paths typed for the Windows build use backslashes; both count as separators.
bool IsSeparator(char c);

struct FoundEntry {
    std::string name;
    bool isFolder;
};

// "*" matches any run (empty too), ASCII letters match without regard to case, every
// other character matches only itself.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// Entries of the pattern's folder whose names match its last component, sorted by name
// (byte order); empty when none match or the folder cannot be read. Never "." or "..".
// A pattern without a separator searches the current folder.
std::vector<FoundEntry> FindMatching(const std::string& pattern);

enum class MakeFolderResult { Created, Exists, Refused, Failed };
// Refused: the system denied access (EACCES, EPERM, EROFS).
MakeFolderResult MakeFolder(const std::string& path);

// True when a directory entry of that name exists (a dangling link counts).
bool PathExists(const std::string& path);

// True when the path names a regular file, links followed. Anything else would not read
// as a file: a folder fails, a pipe waits for a writer, a device may never end.
bool IsRegularFile(const std::string& path);

enum class NewFileResult { Created, Exists, Failed };
// Creates an empty file that must not exist yet, and marks it hidden where the volume
// has a hidden attribute (FAT, exFAT); a volume without one is not a failure.
NewFileResult CreateNewHiddenFile(const std::string& path);

bool DeleteFile(const std::string& path);
// Replaces `to` when it exists.
bool RenameFile(const std::string& from, const std::string& to);

bool SetCurrentFolder(const std::string& path);
// Empty when the current folder cannot be told.
std::string CurrentFolder();

// folder + '/' + name; just name when folder is empty, no second '/' when folder ends
// in one.
std::string JoinPath(std::string_view folder, std::string_view name);

// A file that cannot be deleted is hard to make when running as root, so tests can
// make DeleteFile fail for the paths this predicate accepts. Pass nullptr to end it.
void SetDeleteFaultForTesting(std::function<bool(const std::string& path)> fault);

}  // namespace brambex::platform
