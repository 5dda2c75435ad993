// What carries a merge's plan out. Today's output is a folder of tracks; another output
// (one chaptered MP3 per book, one M4B per book) is one more OutputFormat and one more
// writer made by MakeOutputWriter, with nothing in the session that knows which.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/disc_set.h"
#include "engine/front_end.h"
#include "engine/merge_outcome.h"
#include "engine/merge_plan.h"
#include "engine/merge_run.h"
#include "options/merge_choices.h"
#include "platform/file_system.h"

namespace brambex {

// What a writer works with besides the plan; all of it outlives the writer. The
// writer keeps where the output stands (folder, running number, tag counts) in the
// run, a fresh record for each merge, and looks at the disk through `files` alone.
struct WriterContext {
    MergeRun& run;
    FrontEnd& ui;
    platform::FileSystem& files;
    const DiscSet& set;
    // With a dry run nothing is created, written or deleted: it receives every output
    // folder and track instead.
    DryRun* dryRun = nullptr;
    // Tracks written at the same time (MergeChoices::jobs).
    int jobs = 0;
};

class OutputWriter {
  public:
    virtual ~OutputWriter() = default;
    // Makes the first output ready before any track is written (an earlier output is
    // emptied only when the user agrees); the plan must outlive the writer.
    virtual MergeOutcome Begin(const MergePlan& plan) = 0;
    // Writes every track of the plan in order, polling the cancellation before each;
    // progress goes to the front end, and what was noted of each track into the
    // outcome's notes.
    virtual MergeOutcome Write(const Cancellation& cancel) = 0;
};

std::unique_ptr<OutputWriter> MakeOutputWriter(OutputFormat format, const WriterContext& context);

// The message of a merge that found nothing to write.
void ShowNothingMerged(Messages& ui);

}  // namespace brambex
