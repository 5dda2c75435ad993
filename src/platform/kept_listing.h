// A listing of one folder taken once and kept in memory, for many read-only looks at a
// folder that holds thousands of entries: the library's check of every set in one
// folder searches that folder several times a set.
#pragma once

#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace brambex::platform {

// A file system that answers the searches of its folder in its name form from the
// listing it took when it was made, and hands every other call to the file system it
// wraps. What changes in the folder meanwhile is not seen.
class KeptListing final : public ForwardingFileSystem {
  public:
    KeptListing(FileSystem& inner, const std::string& folder, NameForm form = nullptr);

    const std::string& Folder() const { return folder_; }
    Listing ListMatching(const std::string& pattern, NameForm form) override;

  private:
    Listing Matching(std::string_view namePattern) const;

    std::string folder_;
    NameForm form_;
    std::error_code error_;
    // The entries with their names (in the form) as the system compares them, in that
    // order.
    std::vector<std::pair<std::string, FoundEntry>> keyed_;
};

}  // namespace brambex::platform
