// What the main window shows, decided without widgets: the chosen set's folder, the
// folder list (the set's disc folders, or a completed merge's output folders) and its
// group's caption (which names the book's or album's folders while a merge runs), what
// the whole-set check found when the set was chosen, whether it can be merged, the
// status line (the set's counts, what a merge came to, a status the merge gave), and
// whether "Use disc 1 instead", "Open folder" and "Details" are offered. It owns the window's merge
// session for the program's whole run. The window calls it on its own thread, except
// Merge, which runs on the merge's worker thread while the window only shows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/held_messages.h"
#include "app/recent_sets.h"
#include "engine/front_end.h"
#include "engine/merge_session.h"

namespace brambex {

class MainWindowModel {
  public:
    // ui is what the session asks and tells; it reaches this model's ShowStatus on the
    // window's thread. The session looks at the disk through files.
    explicit MainWindowModel(FrontEnd& ui, platform::FileSystem& files = platform::SystemFiles());

    // The chosen disc-1 folder's full path; empty before a set is chosen.
    const std::string& SetPath() const { return chosen_; }
    // What keeps the chosen set from being merged, with what to do about it, in the
    // check's words; empty when it can be merged.
    const std::string& Finding() const { return finding_; }
    bool MergeEnabled() const { return mergeable_; }
    // The chosen folder was a later disc of the set, or holds its disc 1.
    bool UseDiscOneShown() const { return !discOne_.empty(); }
    const std::vector<std::string>& Folders() const { return folders_; }
    const std::string& FolderCaption() const { return caption_; }
    const std::string& Status() const { return status_; }
    // A completed merge's output folders take the list's place.
    bool ShowsOutput() const { return !outputFolders_.empty(); }
    bool OpenFolderShown() const { return ShowsOutput(); }
    bool DetailsShown() const { return !notes_.empty(); }
    // The last merge's notes of its tracks, for Details.
    const std::vector<std::string>& Notes() const { return notes_; }

    // The sets chosen lately, newest first: a set joins once its scan has found it.
    const RecentSets& Recent() const { return recent_; }
    // The list as the settings kept it, at start.
    void KeepRecent(const std::vector<std::string>& kept) { recent_ = RecentSets(kept); }
    void ClearRecent() { recent_.Clear(); }
    // "Open Recent": scans the set again. A set whose folder is gone leaves the list
    // instead, and the words that say so come back for a box; empty when it was scanned.
    std::string OpenRecent(const std::string& path);

    // The chosen set is forgotten, with what its last merge came to.
    void ForgetSet();
    // Scans the chosen disc-1 folder and checks the whole set, as a merge would before
    // writing; the list shows the disc folders found, and what the check found is said
    // in the window, never in a box.
    void Scan(const std::string& folder);
    // "Use disc 1 instead": chooses the set's disc-1 folder the check named, which
    // takes the later disc's place among the recent sets.
    void UseDiscOne();
    // "Merge folders": Merge Options, then every track. On the worker thread; once the
    // merge is ready to write, the caption names the book's or album's folders, for the
    // window to show before the progress window opens. While the tracks are written,
    // what would stop the merge is held for the status line, not shown in a box.
    void Merge(const Cancellation& cancel);
    // Back on the window's thread: the status line says what the merge came to; a merge
    // that stopped or was cancelled says why, and how many tracks were written where,
    // and Details shows what stopped it.
    void MergeEnded();

    // The folder "Open folder" shows for the name chosen in the list; the first output
    // folder when none is chosen.
    std::string OutputFolderPath(const std::string& chosenName) const;

    // From the session through the front end.
    void ShowStatus(std::string_view text);
    // A notice of the program's own (a settings file left as it was) on the status line.
    void ShowNotice(std::string_view text);

  private:
    // Back to the disc folders of a set (or none): no output folders, no notes.
    void ForgetOutcome();
    // Scans the chosen folder and checks the set, the findings held for the window.
    MergeOutcome ReadSet();

    platform::FileSystem& files_;
    HeldMessages messages_;
    MergeSession session_;
    RecentSets recent_;
    std::string chosen_;
    std::string finding_;
    std::string discOne_;  // full path of the disc-1 folder to choose instead
    bool mergeable_ = false;
    std::vector<std::string> folders_;
    std::string caption_;
    std::string status_;
    bool statusShown_ = false;  // a status from the merge is on the status line
    MergeOutcome outcome_;
    bool ran_ = false;                        // the last merge got past Merge Options
    std::vector<Message> held_;               // what the last merge said while it wrote
    std::vector<std::string> outputFolders_;  // full paths, once a merge has completed
    std::vector<std::string> notes_;
};

}  // namespace brambex
