// A file system that fails on demand, for the paths where a failure is hard to make on
// a real disk (a file that cannot be deleted, as root) or must come at one exact call.
// Everything it is not told to fail goes to the system's file system.
#pragma once

#include <cerrno>
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace brambex::testing {

class FailingFileSystem final : public platform::ForwardingFileSystem {
  public:
    FailingFileSystem() : ForwardingFileSystem(platform::SystemFiles()) {}

    // Deleting a path this accepts fails with "Permission denied".
    std::function<bool(const std::string& path)> deleteFails;
    // Listing a pattern this accepts fails with "Permission denied".
    std::function<bool(const std::string& pattern)> listingFails;
    // Renaming onto a path this accepts fails with "Permission denied".
    std::function<bool(const std::string& to)> renameFails;
    // Locking a folder this accepts comes to `lockFailure` (by default, failed with
    // "Permission denied"), and the lock is not held.
    std::function<bool(const std::string& folder)> lockFails;
    platform::FolderLock::Locking lockFailure{platform::FolderLock::Result::Failed,
                                              platform::SystemError(EACCES)};

    platform::Listing ListMatching(const std::string& pattern, platform::NameForm form) override {
        if (listingFails && listingFails(pattern))
            return {{}, platform::SystemError(EACCES)};
        return ForwardingFileSystem::ListMatching(pattern, form);
    }
    platform::Status DeleteFile(const std::string& path) override {
        if (deleteFails && deleteFails(path))
            return {platform::SystemError(EACCES)};
        return ForwardingFileSystem::DeleteFile(path);
    }
    platform::Status RenameFile(const std::string& from, const std::string& to) override {
        if (renameFails && renameFails(to))
            return {platform::SystemError(EACCES)};
        return ForwardingFileSystem::RenameFile(from, to);
    }
    platform::FolderLock::Locking LockFolder(platform::FolderLock& lock,
                                             const std::string& folder) override {
        if (lockFails && lockFails(folder))
            return lockFailure;
        return ForwardingFileSystem::LockFolder(lock, folder);
    }
};

}  // namespace brambex::testing
