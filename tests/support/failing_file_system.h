// A file system that fails on demand, for the paths where a failure is hard to make on
// a real disk (a file that cannot be deleted, as root) or must come at one exact call.
// Everything it is not told to fail goes to the system's file system.
#pragma once

#include <cerrno>
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace brambex::testing {

class FailingFileSystem final : public platform::FileSystem {
  public:
    // Deleting a path this accepts fails with "Permission denied".
    std::function<bool(const std::string& path)> deleteFails;
    // Listing a pattern this accepts fails with "Permission denied".
    std::function<bool(const std::string& pattern)> listingFails;

    platform::Listing ListMatching(const std::string& pattern, platform::NameForm form) override {
        if (listingFails && listingFails(pattern))
            return {{}, platform::SystemError(EACCES)};
        return system_.ListMatching(pattern, form);
    }
    platform::Status DeleteFile(const std::string& path) override {
        if (deleteFails && deleteFails(path))
            return {platform::SystemError(EACCES)};
        return system_.DeleteFile(path);
    }
    platform::MadeFolder MakeFolder(const std::string& path) override {
        return system_.MakeFolder(path);
    }
    platform::Status CreateNewHiddenFile(const std::string& path) override {
        return system_.CreateNewHiddenFile(path);
    }
    platform::Status RemoveEmptyFolder(const std::string& path) override {
        return system_.RemoveEmptyFolder(path);
    }
    platform::Status RenameFile(const std::string& from, const std::string& to) override {
        return system_.RenameFile(from, to);
    }
    bool PathExists(const std::string& path) override { return system_.PathExists(path); }
    bool IsEmptyRegularFile(const std::string& path) override {
        return system_.IsEmptyRegularFile(path);
    }
    platform::Status IsFolder(const std::string& path) override { return system_.IsFolder(path); }
    platform::Status CanEnterFolder(const std::string& path) override {
        return system_.CanEnterFolder(path);
    }

  private:
    platform::FileSystem& system_ = platform::SystemFiles();
};

}  // namespace brambex::testing
