#include "engine/library_plan.h"

#include <algorithm>
#include <memory>

#include "engine/composed_names.h"
#include "engine/disc_set.h"
#include "engine/merge_plan.h"
#include "platform/kept_listing.h"

namespace brambex {

namespace {

// The check's messages go nowhere: its finding stays with the set.
class Unshown : public Messages {
  public:
    void ShowMessage(std::string_view, std::optional<std::string_view>, MessageKind) override {}
};

}  // namespace

LibrarySetPlan PlanLibrarySet(platform::FileSystem& files, const LibrarySet& set) {
    LibrarySetPlan planned;
    DiscSet discs = ReadDiscSet(files, set.discOneFolder);
    Unshown unshown;
    if (!discs.finding)
        CheckDiscSet(files, discs, unshown);
    if (discs.finding) {
        planned.problem = discs.finding->text;
        return planned;
    }
    MergeChoices choices;
    choices.title = set.title;
    const MergePlan plan = PlanMerge(discs, choices);
    // A merge that would stop before its first track writes nothing: it cannot be merged.
    if (plan.tracks.empty() && plan.stop) {
        planned.problem = plan.stop->caption + " \"" + plan.stop->text + "\"";
        return planned;
    }
    for (const PlannedFolder& folder : plan.folders)
        planned.outputFolders.push_back(folder.name);
    planned.tracks = static_cast<int>(plan.tracks.size());
    return planned;
}

std::vector<LibrarySetPlan> PlanLibrarySets(platform::FileSystem& files,
                                            const std::vector<LibrarySet>& sets) {
    std::vector<std::size_t> order(sets.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return sets[a].setFolder < sets[b].setFolder;
    });
    std::vector<LibrarySetPlan> plans(sets.size());
    std::unique_ptr<platform::KeptListing> kept;
    for (std::size_t i : order) {
        // Each set's reading searches its folder several times: a folder of thousands of
        // sets is read once for all of them.
        if (!kept || kept->Folder() != sets[i].setFolder) {
            kept.reset();
            kept = std::make_unique<platform::KeptListing>(files, sets[i].setFolder, ComposedForm);
        }
        plans[i] = PlanLibrarySet(*kept, sets[i]);
    }
    return plans;
}

}  // namespace brambex
