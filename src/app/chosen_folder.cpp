#include "app/chosen_folder.h"

#include "engine/system_reason.h"
#include "platform/file_system.h"

namespace brambex {

std::string ChosenFolderProblem(const std::string& folder) {
    const platform::Status isFolder = platform::IsFolder(folder);
    if (isFolder)
        return {};
    // Something that is there but no folder has no reason to give.
    const std::error_code error =
        isFolder.error == std::errc::not_a_directory ? std::error_code() : isFolder.error;
    return WithReason(folder + " is not a folder", error);
}

}  // namespace brambex
