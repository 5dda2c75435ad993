#include "app/chosen_folder.h"

#include <cerrno>
#include <cstdio>

#include "engine/disc_set.h"
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

std::string ChosenFolderFullPath(const std::string& folder) {
    return ChosenFolderPath(folder);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return platform::CommandLineArguments(argc, argv);
}

std::string StandardOutputProblem() {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return {};
    const int error = errno;
    std::string problem = "cannot write to standard output";
    if (error != 0)
        problem += ": " + SystemReason(platform::SystemError(error));
    return problem;
}

}  // namespace brambex
