#include "app/recent_sets.h"

#include <algorithm>

#include "platform/file_system.h"

namespace brambex {

RecentSets::RecentSets(const std::vector<std::string>& kept) {
    // Added oldest first, so that the first kept stays first.
    for (auto path = kept.rbegin(); path != kept.rend(); ++path)
        Add(*path);
}

void RecentSets::Add(const std::string& path) {
    if (path.empty())
        return;
    Remove(path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > MaxSets)
        paths_.resize(MaxSets);
}

void RecentSets::Remove(const std::string& path) {
    const std::string key = platform::PathKey(path);
    std::erase_if(paths_, [&](const std::string& p) { return platform::PathKey(p) == key; });
}

}  // namespace brambex
