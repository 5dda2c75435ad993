// What each system's implementation gives the shared part of the file-system services.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace brambex::platform {

// Deletes one file.
Status RemoveFile(const std::string& path);

// The search itself, on the disk, never from a kept listing.
Listing SystemListMatching(const std::string& pattern);

}  // namespace brambex::platform
