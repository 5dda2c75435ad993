// Output folder preparation. The key file decides everything here: a folder without
// it belongs to the user and is never emptied; a folder with it is ours to reuse. A
// folder is locked before it is looked at, so two merges never fill one folder. The
// unfinished marker says whether what an output folder holds is a whole merge.
#include "engine/output_folder.h"

#include <system_error>

#include "engine/composed_names.h"
#include "engine/system_reason.h"
#include "options/title_numbers.h"
#include "platform/file_system.h"
#include "tags/text_encoding.h"

namespace brambex {

bool IsOutputFolder(platform::FileSystem& files, const std::string& folder) {
    return files.IsEmptyRegularFile(platform::JoinPath(folder, KeyFileName));
}

bool HoldsUnfinishedMerge(platform::FileSystem& files, const std::string& folder) {
    return files.PathExists(platform::JoinPath(folder, UnfinishedMarkerName));
}

void NameOutputFolder(MergeRun& run) {
    run.currentFolder = run.FolderName(run.folderNumber);
}

namespace {

// A marker an earlier merge left is taken over.
platform::Status MarkUnfinished(platform::FileSystem& files, const std::string& path) {
    platform::Status marked =
        files.CreateNewHiddenFile(platform::JoinPath(path, UnfinishedMarkerName));
    if (marked.error == std::errc::file_exists)
        return {};
    return marked;
}

void ShowCannotDelete(Messages& ui, const std::string& path, std::error_code error) {
    ui.ShowMessage(WithReason("The file \"" + path +
                                  "\"\ncould not be deleted. Check to make sure\nyou "
                                  "have permission to delete files on this drive.",
                              error),
                   "Error", MessageKind::Error);
}

void ShowCannotRead(Messages& ui, const std::string& folder, std::error_code error) {
    ui.ShowMessage(WithReason("The output folder \"" + folder + "\" cannot be read", error),
                   "Error", MessageKind::Error);
}

// A folder just made: marked unfinished, then as ours. In that order, a folder left
// between the two is nobody's output rather than a finished one.
bool MarkNewFolder(platform::FileSystem& files, Messages& ui, const std::string& folder,
                   const std::string& path, platform::FolderLock& lock) {
    platform::Status marked = MarkUnfinished(files, path);
    if (marked)
        marked = files.CreateNewHiddenFile(platform::JoinPath(path, KeyFileName));
    if (marked)
        return true;
    // A folder without its key file would be taken for the user's by every later merge.
    files.DeleteFile(platform::JoinPath(path, UnfinishedMarkerName));
    lock.Unlock();
    files.RemoveEmptyFolder(path);
    ui.ShowMessage(WithReason("The output folder \"" + folder +
                                  "\" cannot be marked as this program's: its files\n"
                                  "cannot be created",
                              marked.error),
                   "Error", MessageKind::Error);
    return false;
}

// An earlier output folder whose name is spelt in another Unicode form (macOS writes
// accents apart) is this title's folder: the merge takes it under the name it has.
void FollowSpellingOnDisk(platform::FileSystem& files, MergeRun& run) {
    const std::string onDisk = SpellingOnDisk(files, run.setFolder, run.currentFolder);
    if (onDisk == run.currentFolder)
        return;
    // The "_<number>" of a split output is ASCII and ends both spellings alike.
    const std::size_t ending = run.currentFolder.size() - run.outputFolder.size();
    run.outputFolder = onDisk.substr(0, onDisk.size() - ending);
    run.currentFolder = onDisk;
}

int CountMatching(platform::FileSystem& files, const MergeRun& run, const std::string& folder,
                  std::string_view pattern) {
    int count = 0;
    for (const platform::FoundEntry& entry :
         files.ListMatching(run.PathInSet(folder) + std::string(pattern), nullptr).entries)
        count += entry.isFolder ? 0 : 1;
    return count;
}

std::string Counted(int count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

// What emptying the folder deletes, in the user's words: "7 tracks and 1 picture".
std::string EarlierOutputCount(platform::FileSystem& files, const MergeRun& run,
                               const std::string& folder) {
    const int tracks = CountMatching(files, run, folder, "/*.mp3");
    const int books = CountMatching(files, run, folder, "/*.m4b");
    const int pictures =
        CountMatching(files, run, folder, "/*.jpg") + CountMatching(files, run, folder, "/*.jpeg");
    if (tracks == 0 && books == 0 && pictures == 0)
        return "no tracks";
    std::string words = Counted(tracks, "track");
    if (books > 0)
        words =
            tracks == 0 ? Counted(books, "M4B book") : words + ", " + Counted(books, "M4B book");
    if (pictures == 0)
        return words;
    return words + " and " + Counted(pictures, "picture");
}

// Our own folder from an earlier merge. The first folder of a merge is only emptied
// when the user agrees; later ones belong to the same set.
bool ReuseOutputFolder(platform::FileSystem& files, const MergeRun& run, FrontEnd& ui,
                       const std::string& path) {
    const std::string& folder = run.currentFolder;
    // A folder that cannot be read would look empty, and its tracks would stay beside
    // the new ones.
    if (const std::error_code error =
            files.ListMatching(platform::JoinPath(path, "*"), nullptr).error) {
        ShowCannotRead(ui, folder, error);
        return false;
    }
    if (run.folderNumber <= 1) {
        const std::string merge = HoldsUnfinishedMerge(files, path)
                                      ? " of a merge that did not finish"
                                      : " of an earlier merge";
        if (ui.Ask("The output folder \"" + folder + "\" holds " +
                       EarlierOutputCount(files, run, folder) + merge +
                       ".\nEmpty it and merge again?",
                   EmptyEarlierMergeCaption) != Answer::Yes) {
            ui.ShowStatus("Skipping this merge.");
            return false;
        }
    }
    // Marked before anything goes: a folder emptied halfway holds no finished merge.
    if (const platform::Status marked = MarkUnfinished(files, path); !marked) {
        ui.ShowMessage(WithReason("The file \"" + platform::JoinPath(folder, UnfinishedMarkerName) +
                                      "\"\ncould not be created. Check to make sure\nyou have "
                                      "permission to write files on this drive.",
                                  marked.error),
                       "Error", MessageKind::Error);
        return false;
    }
    return ClearOutputFolder(files, run, ui, folder);
}

void ShowConflict(FrontEnd& ui, const std::string& folder) {
    ui.ShowMessage("The output folder \"" + folder +
                       "\" conflicts with an existing\nfolder. Please select a "
                       "different title for this collection.",
                   "Error", MessageKind::Warning);
}

// A file system that keeps no locks (an NFS mount without its lock service) is merged
// without one: no merge can lock a folder there, so none would have kept ours out.
bool LockHeld(const platform::FolderLock::Locking& locking) {
    return locking.result == platform::FolderLock::Result::Locked ||
           locking.result == platform::FolderLock::Result::Unsupported;
}

// The message for a lock not taken: another merge holds the folder, or the system
// refused the lock, and with it the merge, before anything is written.
void ShowLockRefused(FrontEnd& ui, const std::string& folder,
                     const platform::FolderLock::Locking& locking) {
    if (locking.result == platform::FolderLock::Result::Busy)
        ui.ShowMessage("Another merge is writing to \"" + folder + "\".", "Error",
                       MessageKind::Error);
    else
        ui.ShowMessage(
            WithReason("The output folder \"" + folder + "\" cannot be locked against other merges",
                       locking.error),
            "Error", MessageKind::Error);
}

// A folder this merge has just made.
bool PrepareNewFolder(platform::FileSystem& files, FrontEnd& ui, const std::string& folder,
                      const std::string& path, platform::FolderLock& lock) {
    const platform::FolderLock::Locking locking = files.LockFolder(lock, path);
    if (!LockHeld(locking)) {
        // Another merge took the folder between its creation and our lock (it finds no
        // key file and stops), or none can be taken: either way the folder goes again.
        files.RemoveEmptyFolder(path);
        ShowLockRefused(ui, folder, locking);
        return false;
    }
    return MarkNewFolder(files, ui, folder, path, lock);
}

// Something of the folder's name was there already, or the system refused to make it.
bool PrepareExistingFolder(platform::FileSystem& files, const MergeRun& run, FrontEnd& ui,
                           const std::string& path, std::error_code notMade,
                           platform::FolderLock& lock) {
    const std::string& folder = run.currentFolder;
    if (!files.PathExists(path)) {
        ui.ShowMessage(WithReason("The output folder \"" + folder +
                                      "\" cannot be created. Check to see whether "
                                      "you\nhave write permission on this drive.",
                                  notMade),
                       "Error", MessageKind::Error);
        return false;
    }
    // Locked before anything is looked at, so that the answer cannot change under us.
    // What is no folder (a file, a broken link) cannot be locked and is a conflict below.
    const platform::FolderLock::Locking locking = files.LockFolder(lock, path);
    if (!LockHeld(locking) && files.IsFolder(path)) {
        ShowLockRefused(ui, folder, locking);
        return false;
    }
    if (!IsOutputFolder(files, path)) {
        ShowConflict(ui, folder);
        return false;
    }
    return ReuseOutputFolder(files, run, ui, path);
}

}  // namespace

bool PrepareOutputFolder(platform::FileSystem& files, MergeRun& run, FrontEnd& ui,
                         platform::FolderLock* lock) {
    platform::FolderLock callLock;
    if (lock == nullptr)
        lock = &callLock;
    NameOutputFolder(run);
    FollowSpellingOnDisk(files, run);
    // Messages name the folder as the user knows it, beside the disc folders.
    const std::string& folder = run.currentFolder;
    const std::string path = run.PathInSet(folder);
    // "." and ".." name the folder that holds the discs and its parent: never a folder
    // of ours to fill or to empty, whatever key file they may hold.
    if (folder == "." || folder == "..") {
        ShowConflict(ui, folder);
        return false;
    }
    const platform::MadeFolder made = files.MakeFolder(path);
    switch (made.result) {
        case platform::MakeFolderResult::Created:
            return PrepareNewFolder(files, ui, folder, path, *lock);
        case platform::MakeFolderResult::Failed:
            ui.ShowMessage(
                WithReason("The output folder \"" + folder + "\" cannot be created", made.error),
                "Error", MessageKind::Notice);
            return false;
        case platform::MakeFolderResult::Exists:
        case platform::MakeFolderResult::Refused:
            return PrepareExistingFolder(files, run, ui, path, made.error, *lock);
    }
    return false;
}

bool MarkMergeFinished(platform::FileSystem& files, const MergeRun& run, Messages& ui,
                       const std::vector<std::string>& folders) {
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        const std::string marker = platform::JoinPath(*folder, UnfinishedMarkerName);
        // One the user has deleted already is as good as removed.
        const platform::Status deleted = files.DeleteFile(run.PathInSet(marker));
        if (!deleted && deleted.error != std::errc::no_such_file_or_directory) {
            ShowCannotDelete(ui, marker, deleted.error);
            return false;
        }
    }
    return true;
}

bool ClearOutputFolder(platform::FileSystem& files, const MergeRun& run, Messages& ui,
                       const std::string& folder) {
    const std::string leftovers =
        "/" + std::string(PartialFilePrefix) + "*" + std::string(PartialFileEnding);
    return DeleteMatching(files, run, ui, folder, leftovers, true) &&
           DeleteMatching(files, run, ui, folder, "/*.mp3", true) &&
           DeleteMatching(files, run, ui, folder, "/*.m4b", true) &&
           DeleteMatching(files, run, ui, folder, "/*.jpg", true) &&
           DeleteMatching(files, run, ui, folder, "/*.jpeg", true);
}

bool DeleteMatching(platform::FileSystem& files, const MergeRun& run, Messages& ui,
                    const std::string& folder, std::string_view pattern, bool report) {
    const platform::Listing listing =
        files.ListMatching(run.PathInSet(folder) + std::string(pattern), nullptr);
    // A folder that is gone holds nothing to delete; one that cannot be read may.
    if (listing.error && listing.error != std::errc::no_such_file_or_directory && report) {
        ShowCannotRead(ui, folder, listing.error);
        return false;
    }
    for (const platform::FoundEntry& entry : listing.entries) {
        if (entry.isFolder)
            continue;
        std::string path = platform::JoinPath(folder, entry.name);
        const platform::Status deleted = files.DeleteFile(run.PathInSet(path));
        if (!deleted && report) {
            ShowCannotDelete(ui, path, deleted.error);
            return false;
        }
    }
    return true;
}

}  // namespace brambex
