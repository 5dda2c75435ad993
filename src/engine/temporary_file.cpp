#include "engine/temporary_file.h"

#include <chrono>
#include <cstdio>
#include <system_error>

#include "engine/output_folder.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"

namespace brambex {

std::string TemporaryFileName() {
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char unique[64];
    std::snprintf(unique, sizeof unique, "%llx-%llx",
                  static_cast<unsigned long long>(platform::ProcessId()),
                  static_cast<unsigned long long>(ticks));
    return std::string(PartialFilePrefix) + unique + std::string(PartialFileEnding);
}

bool CreateTemporaryFile(platform::FileSystem& files, OutputFile& out, const std::string& path) {
    if (out.Create(path, true))
        return true;
    // A file of that name can only be one a stopped merge left behind.
    if (out.Error() != std::errc::file_exists)
        return false;
    files.DeleteFile(path);
    return out.Create(path, true);
}

platform::Status NameCompletedFile(platform::FileSystem& files, const std::string& temporary,
                                   const std::string& path) {
    const platform::Status named = files.RenameFile(temporary, path);
    if (!named)
        files.DeleteFile(temporary);
    return named;
}

void DiscardTemporaryFile(platform::FileSystem& files, const std::string& temporary) {
    files.DeleteFile(temporary);
}

}  // namespace brambex
