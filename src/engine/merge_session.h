// The merge session: what every front end drives. It owns the record of one set and
// its merge, including the set's absolute folder (the process's current folder is
// never changed), and runs the steps of a merge, each returning an outcome:
//   Scan     the chosen disc-1 folder: the set's folders and counts;
//   Check    the whole set, as a merge checks it before writing (a scan's findings);
//   Prepare  the first track's tags, the Merge Options dialog, the first output folder;
//   Run      every track, polling the cancellation before each.
// Two sessions share nothing, so two sets can be handled in one process, and the
// steps may run on a worker thread as long as the front end can be called from there.
// Every look at the disk goes through the file system the session is handed: the
// scan, the check, the output folders, the pictures and the tracks' files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/disc_set.h"
#include "engine/front_end.h"
#include "engine/merge_plan.h"
#include "engine/merge_run.h"
#include "engine/output_writer.h"
#include "options/merge_settings.h"
#include "platform/file_system.h"

namespace brambex {

class MergeSession {
  public:
    // The file system outlives the session; a merge calls it from the track pipeline's
    // threads too.
    explicit MergeSession(FrontEnd& frontEnd,
                          platform::FileSystem& files = platform::SystemFiles());
    ~MergeSession();
    MergeSession(const MergeSession&) = delete;
    MergeSession& operator=(const MergeSession&) = delete;

    // Completed with the counts of discs and files, or Stopped after a message; the
    // set of an earlier scan is forgotten either way.
    MergeOutcome Scan(const std::string& chosenFolder);
    // Completed when a merge of the scanned set would find nothing wrong before writing.
    MergeOutcome Check();
    // Stopped with "Before merging, you must first select ..." when no set is scanned.
    // With a plan, nothing is created, written or deleted, and Run gives the plan every
    // output folder and track.
    MergeOutcome Prepare(DryRun* dryRun = nullptr);
    // After a Prepare that completed; the set is forgotten once the merge completes.
    MergeOutcome Run(const Cancellation& cancel);
    // The "Merge folders" command: Prepare, then Run.
    MergeOutcome Merge(const Cancellation& cancel, DryRun* dryRun = nullptr);

    // True while a scanned set waits to be merged.
    bool HasSet() const { return hasSet_; }
    void ForgetSet() { hasSet_ = false; }

    // The set of the last scan; a merge reads it afresh when it is prepared.
    const DiscSet& Set() const { return set_; }
    // The names of the disc folders the last scan found, in the order of the names.
    std::vector<std::string> ScannedFolders() const;
    MergeSettings& Settings() { return settings_; }
    const MergeSettings& Settings() const { return settings_; }
    // Where the last merge's output stood when it ended: its folders and tag counts.
    const MergeRun& LastRun() const { return run_; }
    // The absolute folder that holds the disc folders; names in messages are relative
    // to it.
    const std::string& SetFolder() const { return set_.setFolder; }

  private:
    FrontEnd& ui_;
    platform::FileSystem& files_;
    DiscSet set_;
    MergeSettings settings_;
    bool hasSet_ = false;
    // Asks for the choices over the planned set and makes the writer ready.
    MergeOutcome PlanAndBegin(DryRun* dryRun);

    MergePlan plan_;
    MergeRun run_;
    std::unique_ptr<OutputWriter> writer_;
};

}  // namespace brambex
