#include "engine/merge_run.h"

#include "engine/merge_plan.h"
#include "options/title_numbers.h"
#include "platform/file_system.h"

namespace brambex {

std::string MergeRun::PathInSet(std::string_view name) const {
    return platform::JoinPath(setFolder, name);
}

std::string MergeRun::FolderName(int number) const {
    return OutputFolderName(outputFolder, splitFolders, number);
}

MergeRun StartRun(const MergePlan& plan) {
    MergeRun run;
    run.setFolder = plan.setFolder;
    run.outputFolder = plan.outputFolder;
    run.splitFolders = plan.splitFolders;
    return run;
}

}  // namespace brambex
