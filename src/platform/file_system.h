// The file-system services the merge needs, behind a small interface of our own so
// that the engine reads the same on every system: a wildcard search of one folder,
// folder creation whose failures can be told apart, existence tests, creation of a new
// (hidden) file, deletion, renaming, a lock between merges. The process's current
// folder is only read (to complete a relative path the user typed), never changed.
// Paths are UTF-8 on every system; the Windows implementation speaks UTF-16 to the
// system.
//
// A call that fails returns the system's reason with its answer, as an errno value in
// the generic category (a build for a system with other error codes translates them),
// so that a message can say why and reasons read alike on every system.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/native_file.h"

namespace brambex::platform {

// What a call came to: done, or the system's reason why not.
struct Status {
    std::error_code error;
    explicit operator bool() const { return !error; }
};

// The reason for an errno value.
inline std::error_code SystemError(int errnoValue) {
    return {errnoValue, std::generic_category()};
}

// The reason a pipe or a device cannot be read as a file, which no errno value names:
// its text is "not a regular file".
std::error_code NotARegularFile();

#ifdef _WIN32
inline constexpr char Separator = '\\';
// Windows gives no folder a device's name ("CON", "nul.txt") and drops a dot or a
// space that ends a name.
inline constexpr bool RefusesWindowsNames = true;
#else
inline constexpr char Separator = '/';
inline constexpr bool RefusesWindowsNames = false;
#endif

// On POSIX only '/' separates ("AC\\DC" is one name); the Windows build takes both.
bool IsSeparator(char c);

// The program's arguments after its name, in UTF-8. Windows passes main() the
// arguments in the ANSI code page, which cannot hold every name; they are read again
// from the system as UTF-16 there.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

struct FoundEntry {
    std::string name;
    bool isFolder;
};

// "*" matches any run (empty too), ASCII letters match without regard to case, every
// other character matches only itself.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// A name as the system's search compares it with a pattern: ASCII letters folded on
// POSIX, every letter in upper case on Windows. MatchesWildcard of the keys of a pattern
// and a name is the search's answer.
std::string MatchKey(std::string_view name);

// A whole path as the system tells two paths of one item apart: byte for byte on POSIX;
// on Windows every letter in upper case and "/" as "\". Equal keys name one folder.
std::string PathKey(std::string_view path);

// Entries of the pattern's folder whose names match its last component, sorted by name
// (byte order); empty when none match or the folder cannot be read. Never "." or "..".
// A pattern without a separator searches the current folder.
std::vector<FoundEntry> FindMatching(const std::string& pattern);

// What FindMatching finds, or why the folder could not be read: a folder that is gone,
// refused or no folder is never taken for an empty one.
struct Listing {
    std::vector<FoundEntry> entries;
    std::error_code error;
};

// A form in which names are compared, given to a pattern's last component and to each
// name before letter case is folded (the engine compares names composed); null: names
// as they are.
using NameForm = std::string (*)(std::string_view name);

// With a form, the names are compared in it and the entries keep their names on disk.
Listing ListMatching(const std::string& pattern, NameForm form = nullptr);

// A search pattern split where its last component begins: the folder it looks in,
// spelled as the pattern spells it ("." for a pattern without a separator), and the
// names it matches.
struct SearchPattern {
    std::string folder;
    std::string names;
};
SearchPattern SplitSearchPattern(std::string_view pattern);

// Where a folder lies on its system (device and inode; volume and file index on
// Windows): two paths name one folder exactly when these agree.
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    friend auto operator<=>(const FolderIdentity&, const FolderIdentity&) = default;
};
// Fails when the path cannot be reached; links followed, and `isLink` tells whether the
// path itself is one (a junction too, on Windows).
Status IdentifyFolder(const std::string& path, FolderIdentity& identity, bool& isLink);

enum class MakeFolderResult { Created, Exists, Refused, Failed };
// Refused: the system denied access (EACCES, EPERM, EROFS).
struct MadeFolder {
    MakeFolderResult result;
    std::error_code error;  // the reason, unless Created
};
MadeFolder MakeFolder(const std::string& path);

// The path made absolute against the current folder. Windows also resolves "." and
// ".." steps and turns "/" into "\\", as it does for any path it is given; the current
// folder alone when the path is empty.
std::string AbsolutePath(const std::string& path);

// True when a directory entry of that name exists (a dangling link counts).
bool PathExists(const std::string& path);

// True when the path names a regular file, links followed. Anything else would not read
// as a file: a folder fails, a pipe waits for a writer, a device may never end.
bool IsRegularFile(const std::string& path);

// The size in bytes of the file at path (a link is followed), or -1 when it cannot be
// told.
std::int64_t FileSize(const std::string& path);

// True when the path itself (a link is not followed) is a regular file of size 0.
bool IsEmptyRegularFile(const std::string& path);

// True when the path is a link whose target cannot be reached (gone, or a loop of
// links).
bool IsBrokenLink(const std::string& path);

// Done when the path names a folder whose entries can be listed (links followed); a
// folder without read permission or a link loop fails.
Status CanListFolder(const std::string& path);

// Longest name of one folder entry, in bytes of UTF-8 (the text of a name of 255
// bytes never needs more than 255 UTF-16 units either).
inline constexpr std::size_t MaxNameBytes = 255;

// Done when the path names a folder, links followed; ENOTDIR when it names something
// else, the reason when it cannot be reached.
Status IsFolder(const std::string& path);

// Creates an empty file that must not exist yet (EEXIST when it does), and marks it
// hidden where the volume has a hidden attribute (FAT, exFAT); a volume without one is
// not a failure.
Status CreateNewHiddenFile(const std::string& path);

Status DeleteFile(const std::string& path);
// Removes a folder that holds nothing.
Status RemoveEmptyFolder(const std::string& path);
// Replaces `to` when it exists.
Status RenameFile(const std::string& from, const std::string& to);

// Done when the path names a folder that can be entered (links followed).
Status CanEnterFolder(const std::string& path);
// Empty when the current folder cannot be told.
std::string CurrentFolder();

// The id of this process, which no other running process has.
std::uint64_t ProcessId();

// An advisory lock on one folder, taken without waiting and held while the object
// lives (or until the process ends, however it ends). It keeps out only another
// FolderLock on the same folder, in this process or another; reading and writing the
// folder stay open to everyone.
class FolderLock {
  public:
    // Busy: another FolderLock holds the folder. Unsupported: the folder's file system
    // keeps no locks (a network share without a lock service). Failed: the folder cannot
    // be opened or locked.
    enum class Result { Locked, Busy, Unsupported, Failed };
    struct Locking {
        Result result;
        std::error_code error;  // the reason, unless Locked
    };

    FolderLock() = default;
    ~FolderLock();
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // A lock held before is released first.
    Locking Lock(const std::string& folder);
    void Unlock();
    bool Held() const { return handle_ != -1; }

  private:
    std::intptr_t handle_ = -1;  // the open folder's descriptor (a HANDLE on Win32)
};

// folder + '/' + name; just name when folder is empty, no second '/' when folder ends
// in one.
std::string JoinPath(std::string_view folder, std::string_view name);

// The services above as one object handed to the core from the top, so that every
// look at the disk a merge or a library search makes can be answered otherwise: by a
// listing kept in memory (KeptListing), or by a file system that fails on demand in a
// test (a file that cannot be deleted is hard to make when running as root). Each call
// answers as the function of its name.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual Listing ListMatching(const std::string& pattern, NameForm form) = 0;
    virtual MadeFolder MakeFolder(const std::string& path) = 0;
    virtual Status CreateNewHiddenFile(const std::string& path) = 0;
    virtual Status DeleteFile(const std::string& path) = 0;
    virtual Status RemoveEmptyFolder(const std::string& path) = 0;
    virtual Status RenameFile(const std::string& from, const std::string& to) = 0;
    virtual bool PathExists(const std::string& path) = 0;
    virtual bool IsRegularFile(const std::string& path) = 0;
    virtual bool IsEmptyRegularFile(const std::string& path) = 0;
    virtual bool IsBrokenLink(const std::string& path) = 0;
    virtual std::int64_t FileSize(const std::string& path) = 0;
    // A regular file's size goes to `size` where one is given, from the same look.
    virtual native_file::Kind KindOf(const std::string& path, std::error_code& error,
                                     std::int64_t* size = nullptr) = 0;
    virtual Status IsFolder(const std::string& path) = 0;
    virtual Status CanEnterFolder(const std::string& path) = 0;
    virtual Status IdentifyFolder(const std::string& path, FolderIdentity& identity,
                                  bool& isLink) = 0;
    // lock.Lock(folder).
    virtual FolderLock::Locking LockFolder(FolderLock& lock, const std::string& folder) = 0;
};

// The system's own file system: the functions above, on this system. Only the front
// ends take it; the core works with the one it is handed.
FileSystem& SystemFiles();

// A file system that hands every call to another one: the base of one that changes a
// few answers and leaves the rest as they are.
class ForwardingFileSystem : public FileSystem {
  public:
    explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

    Listing ListMatching(const std::string& pattern, NameForm form) override {
        return inner_.ListMatching(pattern, form);
    }
    MadeFolder MakeFolder(const std::string& path) override { return inner_.MakeFolder(path); }
    Status CreateNewHiddenFile(const std::string& path) override {
        return inner_.CreateNewHiddenFile(path);
    }
    Status DeleteFile(const std::string& path) override { return inner_.DeleteFile(path); }
    Status RemoveEmptyFolder(const std::string& path) override {
        return inner_.RemoveEmptyFolder(path);
    }
    Status RenameFile(const std::string& from, const std::string& to) override {
        return inner_.RenameFile(from, to);
    }
    bool PathExists(const std::string& path) override { return inner_.PathExists(path); }
    bool IsRegularFile(const std::string& path) override { return inner_.IsRegularFile(path); }
    bool IsEmptyRegularFile(const std::string& path) override {
        return inner_.IsEmptyRegularFile(path);
    }
    bool IsBrokenLink(const std::string& path) override { return inner_.IsBrokenLink(path); }
    std::int64_t FileSize(const std::string& path) override { return inner_.FileSize(path); }
    native_file::Kind KindOf(const std::string& path, std::error_code& error,
                             std::int64_t* size = nullptr) override {
        return inner_.KindOf(path, error, size);
    }
    Status IsFolder(const std::string& path) override { return inner_.IsFolder(path); }
    Status CanEnterFolder(const std::string& path) override { return inner_.CanEnterFolder(path); }
    Status IdentifyFolder(const std::string& path, FolderIdentity& identity,
                          bool& isLink) override {
        return inner_.IdentifyFolder(path, identity, isLink);
    }
    FolderLock::Locking LockFolder(FolderLock& lock, const std::string& folder) override {
        return inner_.LockFolder(lock, folder);
    }

  private:
    FileSystem& inner_;
};

}  // namespace brambex::platform
