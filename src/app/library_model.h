// The library dialog's list, decided without widgets: a row for each set found, with
// a check box (the sets neither merged yet nor bound to fail checked) and what will
// become of it as the boxes stand, in a line and in full, then a row for each folder that could not
// be read; the summary under the list and whether Merge can be pressed. After a merge each merged
// set's row says what became of it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/library_listing.h"
#include "engine/library_merge.h"

namespace brambex {

struct LibraryRow {
    std::string set;  // the disc-1 folder, as shown
    std::string title;
    std::string discs;  // empty for a folder that could not be read
    std::string tracks;
    bool checkable = false;
    bool checked = false;
    std::string whatHappens;
    std::string whatHappensInFull;  // with every line of a problem's message
};

class LibraryModel {
  public:
    // Finds and checks the sets under the folder (an absolute path).
    explicit LibraryModel(const std::string& folder);

    const std::vector<LibraryRow>& Rows() const { return rows_; }
    const std::vector<LibrarySet>& Sets() const { return listing_.sets; }
    const std::vector<std::string>& PassedOver() const { return listing_.passedOver; }
    const std::string& Summary() const { return summary_; }
    bool MergeEnabled() const { return mergeEnabled_; }
    bool Merging() const { return merging_; }

    // Checks or unchecks a set's row; every set's row tells its plan again.
    void SetChecked(std::size_t row, bool checked);
    // The checked sets, whose merge starts now; none when none is checked.
    std::vector<LibrarySet> StartMerge();
    // The results of the sets StartMerge gave, in order.
    void MergeEnded(const std::vector<LibrarySetResult>& results);

  private:
    // What a merge would do with each set, as the check boxes stand.
    void Plan();

    LibraryListing listing_;
    std::vector<LibraryRow> rows_;
    std::vector<std::size_t> chosen_;  // rows being merged
    std::string summary_;
    bool mergeEnabled_ = false;
    bool merging_ = false;
};

}  // namespace brambex
