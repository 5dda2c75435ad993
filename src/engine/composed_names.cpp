#include "engine/composed_names.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace brambex {

bool HasOneSpelling(std::string_view name) {
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string ComposedKey(std::string_view name) {
    return platform::MatchKey(ComposeNfc(name));
}

platform::Listing ListComposed(platform::FileSystem& files, const std::string& pattern) {
    platform::Listing listing = files.ListMatching(pattern, ComposedForm);
    std::vector<std::pair<std::string, platform::FoundEntry>> keyed;
    for (platform::FoundEntry& entry : listing.entries) {
        std::string name = ComposeNfc(entry.name);
        keyed.emplace_back(std::move(name), std::move(entry));
    }
    // In the order of the composed names, so that "Disc 1" comes before "Disc 2"
    // whichever of them is spelt apart.
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    listing.entries.clear();
    for (auto& [name, entry] : keyed)
        listing.entries.push_back(std::move(entry));
    return listing;
}

std::string SpellingOnDisk(platform::FileSystem& files, const std::string& folder,
                           const std::string& name) {
    // A name that exists as it is needs no search.
    if (HasOneSpelling(name) || files.PathExists(platform::JoinPath(folder, name)))
        return name;
    const std::string wanted = ComposeNfc(name);
    for (const platform::FoundEntry& entry :
         ListComposed(files, platform::JoinPath(folder, name)).entries) {
        if (ComposeNfc(entry.name) == wanted)
            return entry.name;
    }
    return name;
}

}  // namespace brambex
