// What each system's implementation gives the shared part of the file-system services.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace brambex::platform {

// Deletes one file; false with the system's reason in errno.
bool RemoveFile(const std::string& path);

// The search itself, on the disk, never from a kept listing.
Listing SystemListMatching(const std::string& pattern);

// A name as the system's search compares it with a pattern: ASCII letters folded on
// POSIX, every letter in upper case on Windows.
std::string MatchKey(std::string_view name);

}  // namespace brambex::platform
