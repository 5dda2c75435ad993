#include "engine/book_folder.h"

#include "engine/cover_art.h"
#include "engine/output_folder.h"
#include "tags/text_encoding.h"

namespace brambex {

std::string BookFileName(std::string_view title, std::string_view extension, int part, int parts) {
    const std::string ending =
        (parts > 1 ? " - Part " + std::to_string(part) : std::string()) + std::string(extension);
    return std::string(CutUtf8(title, platform::MaxNameBytes - ending.size())) + ending;
}

bool PrepareBookFolder(platform::FileSystem& files, MergeRun& run, FrontEnd& ui,
                       platform::FolderLock& lock, const MergePlan& plan,
                       std::string_view temporaryName) {
    run.folderNumber = 1;
    if (!PrepareOutputFolder(files, run, ui, &lock))
        return false;
    const PlannedFolder& folder = plan.folders.front();
    CopyCoverArt(files, run, ui, folder.discFolder, folder.pictures, temporaryName);
    return true;
}

std::string BookCoverPath(const MergeRun& run, const MergePlan& plan) {
    if (plan.folders.empty() || plan.folders.front().pictures.empty())
        return {};
    const PlannedFolder& folder = plan.folders.front();
    return run.PathInSet(platform::JoinPath(folder.discFolder, folder.pictures.front()));
}

ChosenCover ChooseBookCover(const MergeRun& run, const MergePlan& plan,
                            const std::string& firstTrack, const FrontCover& own) {
    if (own.size > 0)
        return {firstTrack, own.offset, own.size, own.mimeType};
    ChosenCover folder;
    folder.path = BookCoverPath(run, plan);
    if (!folder.path.empty())
        folder.mimeType = "image/jpeg";
    return folder;
}

}  // namespace brambex
