#include "platform/kept_listing.h"

#include <algorithm>

namespace brambex::platform {

KeptListing::KeptListing(FileSystem& inner, const std::string& folder, NameForm form)
    : ForwardingFileSystem(inner), folder_(folder), form_(form) {
    Listing listing = inner.ListMatching(JoinPath(folder, "*"), nullptr);
    error_ = listing.error;
    keyed_.reserve(listing.entries.size());
    for (FoundEntry& entry : listing.entries)
        keyed_.emplace_back(MatchKey(form ? form(entry.name) : entry.name), std::move(entry));
    std::sort(keyed_.begin(), keyed_.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
}

Listing KeptListing::ListMatching(const std::string& pattern, NameForm form) {
    const SearchPattern search = SplitSearchPattern(pattern);
    if (search.folder != folder_ || form != form_)
        return ForwardingFileSystem::ListMatching(pattern, form);
    return Matching(search.names);
}

Listing KeptListing::Matching(std::string_view namePattern) const {
    if (error_)
        return {{}, error_};
    // Every name that matches begins with the pattern's text before its first "*".
    const std::string key = MatchKey(form_ ? form_(namePattern) : std::string(namePattern));
    const std::string prefix = key.substr(0, std::min(key.find('*'), key.size()));
    Listing found;
    auto at =
        std::lower_bound(keyed_.begin(), keyed_.end(), prefix,
                         [](const auto& item, const std::string& p) { return item.first < p; });
    for (; at != keyed_.end() && at->first.starts_with(prefix); ++at) {
        if (MatchesWildcard(key, at->first))
            found.entries.push_back(at->second);
    }
    std::sort(found.entries.begin(), found.entries.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
    return found;
}

}  // namespace brambex::platform
