#include "app/output_folder_note.h"

#include "engine/output_folder.h"
#include "platform/file_system.h"

namespace brambex {

std::string OutputFolderPath(const std::string& setFolder, const std::string& name) {
    return platform::JoinPath(setFolder, name);
}

std::string OutputFolderNote(const std::string& path) {
    platform::FileSystem& files = platform::SystemFiles();
    if (IsOutputFolder(files, path) && HoldsUnfinishedMerge(files, path))
        return " (holds an earlier merge that did not finish, which the merge would replace)";
    if (IsOutputFolder(files, path))
        return " (holds an earlier merge, which the merge would replace)";
    if (platform::PathExists(path))
        return " (exists and is no earlier merge: the merge would stop there)";
    return {};
}

}  // namespace brambex
