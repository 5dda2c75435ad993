// The library search: walks the tree once, every folder listed once however many
// links lead to it, and reports the sets among each folder's entries (library_sets.cpp)
// after those of its sub-folders.
#include "engine/library.h"

#include <algorithm>
#include <functional>
#include <set>
#include <utility>

#include "engine/library_entries.h"
#include "engine/output_folder.h"
#include "engine/system_reason.h"
#include "platform/file_system.h"

namespace brambex {

namespace {

// What the walk carries down: where it reports, and every folder it has listed, so
// that a link never has a folder listed twice or leads the walk in circles.
struct Walker {
    platform::FileSystem& files;
    const std::function<void(LibrarySet)>& found;
    const std::function<void(LibraryNote)>& noted;
    std::set<platform::FolderIdentity> listed;
    std::vector<std::pair<platform::FolderIdentity, std::string>> above;  // the way down

    void Note(const std::string& relative, std::string text, bool unreadable) {
        if (noted)
            noted({relative, std::move(text), unreadable});
    }
};

void Walk(Walker& w, const std::string& folder, const std::string& relative, LibraryEntry& self);

// Walks a sub-folder unless the walk has listed it already: through another link, or
// as a folder above it.
void Enter(Walker& w, const std::string& folder, const std::string& relative, LibraryEntry& entry,
           const platform::FolderIdentity& identity, bool isLink) {
    const std::string path = platform::JoinPath(folder, entry.found.name);
    const std::string inside = platform::JoinPath(relative, entry.found.name);
    if (w.listed.insert(identity).second) {
        w.above.emplace_back(identity, inside);
        Walk(w, path, inside, entry);
        w.above.pop_back();
        return;
    }
    for (const auto& [up, name] : w.above) {
        if (up == identity) {
            w.Note(inside,
                   "A link to \"" + (name.empty() ? "." : name) +
                       "\", a folder above it: not followed.",
                   false);
            return;
        }
    }
    // Its tracks still count for a set it is a disc of; its sub-folders are not walked.
    LearnTracks(entry, w.files.ListMatching(platform::JoinPath(path, "*"), nullptr).entries);
    w.Note(inside,
           isLink ? "A link to a folder searched already: not followed again."
                  : "A folder searched already through a link: not searched again.",
           false);
}

// Lists the folder once: what the parent needs of it goes into `self`, and the sets
// among its entries are reported after its sub-folders'. Real sub-folders are walked
// before links, so that a set is named by its own path, not by a link's.
void Walk(Walker& w, const std::string& folder, const std::string& relative, LibraryEntry& self) {
    platform::Listing listing = w.files.ListMatching(platform::JoinPath(folder, "*"), nullptr);
    if (listing.error) {
        w.Note(relative, WithReason("The folder cannot be read", listing.error), true);
        return;
    }
    LearnTracks(self, listing.entries);
    std::vector<LibraryEntry> entries;
    entries.reserve(listing.entries.size());
    std::vector<std::pair<std::size_t, platform::FolderIdentity>> links;
    for (platform::FoundEntry& item : listing.entries) {
        const std::string path = platform::JoinPath(folder, item.name);
        if (!item.isFolder) {
            // A link out of reach may stand for a disc folder.
            if (w.files.IsBrokenLink(path))
                entries.emplace_back(std::move(item));
            continue;
        }
        LibraryEntry& entry = entries.emplace_back(std::move(item));
        entry.output = IsOutputFolder(w.files, path);
        platform::FolderIdentity identity;
        bool isLink = false;
        if (entry.output)
            continue;
        if (const platform::Status known = w.files.IdentifyFolder(path, identity, isLink); !known)
            w.Note(platform::JoinPath(relative, entry.found.name),
                   WithReason("The folder cannot be read", known.error), true);
        else if (isLink)
            links.emplace_back(entries.size() - 1, identity);
        else
            Enter(w, folder, relative, entry, identity, false);
    }
    for (const auto& [link, identity] : links)
        Enter(w, folder, relative, entries[link], identity, true);
    for (LibrarySet& set : SetsAmong(w.files, folder, relative, entries))
        w.found(std::move(set));
}

}  // namespace

void ForEachLibrarySet(platform::FileSystem& files, const std::string& folder,
                       const std::function<void(LibrarySet)>& found,
                       const std::function<void(LibraryNote)>& noted) {
    Walker walker{files, found, noted, {}, {}};
    LibraryEntry root({LastPathName(folder), true});
    platform::FolderIdentity identity;
    bool isLink = false;
    if (const platform::Status known = files.IdentifyFolder(folder, identity, isLink); !known) {
        walker.Note("", WithReason("The folder cannot be read", known.error), true);
        return;
    }
    walker.listed.insert(identity);
    walker.above.emplace_back(identity, "");
    Walk(walker, folder, "", root);
}

std::vector<LibrarySet> FindLibrarySets(platform::FileSystem& files, const std::string& folder,
                                        std::vector<LibraryNote>* notes) {
    std::vector<LibrarySet> sets;
    std::vector<LibraryNote> heard;
    ForEachLibrarySet(
        files, folder, [&](LibrarySet set) { sets.push_back(std::move(set)); },
        [&](LibraryNote note) { heard.push_back(std::move(note)); });
    std::sort(sets.begin(), sets.end(), [](const LibrarySet& a, const LibrarySet& b) {
        return a.relativeFolder < b.relativeFolder;
    });
    std::sort(heard.begin(), heard.end(), [](const LibraryNote& a, const LibraryNote& b) {
        return a.relativeFolder < b.relativeFolder;
    });
    if (notes != nullptr)
        *notes = std::move(heard);
    return sets;
}

}  // namespace brambex
