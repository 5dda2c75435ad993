// Output folder preparation. The key file decides everything here: a folder without
// it belongs to the user and is never emptied; a folder with it is ours to reuse. A
// folder is locked before it is looked at, so two merges never fill one folder.
#include "engine/output_folder.h"

#include <cerrno>

#include "engine/system_reason.h"
#include "options/title_numbers.h"
#include "platform/file_system.h"
#include "tags/text_encoding.h"

namespace brambex {

std::string SplitAlbumTitle(std::string_view albumTitle, int folderNumber) {
    std::string_view base =
        albumTitle.substr(0, albumTitle.size() - FolderNumberEnding(albumTitle));
    std::string ending = "_" + std::to_string(folderNumber);
    // The ending is what tells the folders apart, so a long title gives way to it.
    std::size_t room = MaxSettingsText > ending.size() ? MaxSettingsText - ending.size() : 0;
    return std::string(CutUtf8Chars(base, room)) + ending;
}

bool IsOutputFolder(const std::string& folder) {
    return platform::IsEmptyRegularFile(platform::JoinPath(folder, KeyFileName));
}

void NameOutputFolder(MergeSettings& settings) {
    settings.currentFolder = OutputFolderName(settings, settings.folderNumber);
    if (settings.splitFolders)
        settings.albumTitle = SplitAlbumTitle(settings.albumTitle, settings.folderNumber);
}

bool PrepareOutputFolder(MergeSettings& settings, FrontEnd& ui, platform::FolderLock* lock) {
    platform::FolderLock callLock;
    if (lock == nullptr)
        lock = &callLock;
    NameOutputFolder(settings);
    // Messages name the folder as the user knows it, beside the disc folders.
    const std::string& folder = settings.currentFolder;
    const std::string path = PathInSet(settings, folder);
    const auto conflict = [&] {
        ui.ShowMessage("The output folder \"" + folder +
                           "\" conflicts with an existing\nfolder. Please select a "
                           "different title for this collection.",
                       "Error", MessageStyle::Exclamation);
        return false;
    };
    const auto busy = [&] {
        ui.ShowMessage("Another merge is writing to \"" + folder + "\".", "Error",
                       MessageStyle::Stop);
        return false;
    };
    // "." and ".." name the folder that holds the discs and its parent: never a folder
    // of ours to fill or to empty, whatever key file they may hold.
    if (folder == "." || folder == "..")
        return conflict();

    switch (platform::MakeFolder(path)) {
        case platform::MakeFolderResult::Created: {
            if (lock->Lock(path) == platform::FolderLock::Result::Busy) {
                // Another merge took the folder between its creation and our lock; it
                // finds no key file and stops, so the folder goes again.
                platform::RemoveEmptyFolder(path);
                return busy();
            }
            if (platform::CreateNewHiddenFile(platform::JoinPath(path, KeyFileName)) ==
                platform::NewFileResult::Created)
                return true;
            int error = errno;
            // A folder without its key file would be taken for the user's by every
            // later merge.
            lock->Unlock();
            platform::RemoveEmptyFolder(path);
            ui.ShowMessage(WithReason("Key file creation failed", error), "Error",
                           MessageStyle::Stop);
            return false;
        }
        case platform::MakeFolderResult::Failed:
            ui.ShowMessage(WithReason(folder, errno), "mkdir failed", MessageStyle::Plain);
            return false;
        case platform::MakeFolderResult::Exists:
        case platform::MakeFolderResult::Refused: {
            int error = errno;
            if (!platform::PathExists(path)) {
                ui.ShowMessage(WithReason("The output folder \"" + folder +
                                              "\" cannot be created. Check to see whether "
                                              "you\nhave write permission on this drive.",
                                          error),
                               "Error", MessageStyle::Stop);
                return false;
            }
            // Locked before anything is looked at, so that the answer cannot change
            // under us; a file of that name cannot be locked and is a conflict below.
            if (lock->Lock(path) == platform::FolderLock::Result::Busy)
                return busy();
            if (!IsOutputFolder(path))
                return conflict();
            // Our own folder from an earlier merge. The first folder of a merge is only
            // emptied when the user agrees; later ones belong to the same set.
            if (settings.folderNumber <= 1) {
                Answer answer = ui.Ask("The output folder \"" + folder +
                                           "\" already exists.\nDo you want to delete its "
                                           "contents and start over?",
                                       "Error");
                if (answer != Answer::Yes) {
                    ui.ShowMessage("Skipping this merge.", "Error", MessageStyle::Plain);
                    return false;
                }
            }
            return ClearOutputFolder(settings, ui, folder);
        }
    }
    return false;
}

bool ClearOutputFolder(const MergeSettings& settings, FrontEnd& ui, const std::string& folder) {
    const std::string leftovers =
        "/" + std::string(PartialFilePrefix) + "*" + std::string(PartialFileEnding);
    return DeleteMatching(settings, ui, folder, leftovers, true) &&
           DeleteMatching(settings, ui, folder, "/*.mp3", true) &&
           DeleteMatching(settings, ui, folder, "/*.jpg", true) &&
           DeleteMatching(settings, ui, folder, "/*.jpeg", true);
}

bool DeleteMatching(const MergeSettings& settings, FrontEnd& ui, const std::string& folder,
                    std::string_view pattern, bool report) {
    for (const platform::FoundEntry& entry :
         platform::FindMatching(PathInSet(settings, folder) + std::string(pattern))) {
        if (entry.isFolder)
            continue;
        std::string path = platform::JoinPath(folder, entry.name);
        if (!platform::DeleteFile(PathInSet(settings, path)) && report) {
            ui.ShowMessage(WithReason("The file \"" + path +
                                          "\"\ncould not be deleted. Check to make sure\nyou "
                                          "have permission to delete files on this drive.",
                                      errno),
                           "Error", MessageStyle::Stop);
            return false;
        }
    }
    return true;
}

}  // namespace brambex
