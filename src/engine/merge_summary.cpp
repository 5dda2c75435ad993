#include "engine/merge_outcome.h"

#include "engine/merge_run.h"

namespace brambex {

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Tracks(int n) {
    return std::to_string(n) + (n == 1 ? " track" : " tracks");
}

// " 3 tags converted to ID3v2.3, 1 new tag." ; empty when every track had an ID3v2.3
// tag.
std::string TagCounts(const MergeRun& run) {
    std::string counts;
    const auto add = [&](int n, const char* one, const char* many) {
        if (n == 0)
            return;
        counts += counts.empty() ? " " : ", ";
        counts += std::to_string(n) + (n == 1 ? one : many);
    };
    add(run.convertedTags, " tag converted to ID3v2.3", " tags converted to ID3v2.3");
    add(run.newTags, " new tag", " new tags");
    return counts.empty() ? counts : counts + ".";
}

}  // namespace

std::vector<std::string> MergedFolders(const MergeRun& run, bool fullPaths) {
    const int folders = run.splitFolders ? run.folderNumber : 1;
    std::vector<std::string> names;
    for (int f = 1; f <= folders; ++f) {
        std::string name = run.FolderName(f);
        names.push_back(fullPaths ? run.PathInSet(name) : name);
    }
    return names;
}

std::string MergeSummary(const MergeOutcome& outcome, const MergeRun& run, bool fullPaths) {
    switch (outcome.kind) {
        case MergeOutcome::Kind::Completed: {
            const std::vector<std::string> folders = MergedFolders(run, fullPaths);
            std::string list;
            for (std::size_t f = 0; f < folders.size(); ++f) {
                if (f > 0)
                    list += f + 1 == folders.size() ? " and " : ", ";
                list += Quoted(folders[f]);
            }
            return "Merged " + Tracks(outcome.tracks) + " into " + list + "." + TagCounts(run);
        }
        case MergeOutcome::Kind::Cancelled:
            return "Merge cancelled after " + Tracks(outcome.tracks) + ".";
        case MergeOutcome::Kind::Stopped:
            if (outcome.stoppedAt.empty())
                return "Merge stopped after " + Tracks(outcome.tracks) + ".";
            return "Merge stopped at " + Quoted(outcome.stoppedAt) + " after " +
                   Tracks(outcome.tracks) + ".";
        case MergeOutcome::Kind::Refused:
            break;
    }
    return {};
}

}  // namespace brambex
