// What each system's implementation gives the shared part of the file-system services.
#pragma once

#include <string>

namespace brambex::platform {

// Deletes one file; false with the system's reason in errno.
bool RemoveFile(const std::string& path);

}  // namespace brambex::platform
