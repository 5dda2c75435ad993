// A dry run printed: each output folder and track that a merge would write, with the
// frames each track would get, on standard output.
#pragma once

#include <string>
#include <vector>

#include "engine/merge_plan.h"

namespace brambex {
class MergeSession;
}

namespace brambex::cli {

class TerminalFrontEnd;

class PrintedPlan : public DryRun {
  public:
    // The progress bar is erased before each entry: on a terminal both share the
    // screen, and an entry printed behind the bar would be garbled.
    PrintedPlan(TerminalFrontEnd& ui, const MergeSession& session) : ui_(ui), session_(session) {}

    void OutputFolder(const std::string& folder, const std::string& discFolder,
                      const std::vector<std::string>& pictures) override;
    void Track(const PlannedTrack& track) override;
    void BookFile(const PlannedBookFile& file) override;
    int tracks = 0;

  private:
    TerminalFrontEnd& ui_;
    const MergeSession& session_;
};

}  // namespace brambex::cli
